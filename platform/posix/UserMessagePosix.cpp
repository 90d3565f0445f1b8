// Linux has no message box for the core: the message goes to standard error as UTF-8.
#include <cstdio>

#include "platform/TextCodec.h"
#include "platform/UserMessage.h"

namespace quotrix {

void ShowPlatformMessage(const std::string& caption, const std::string& text, MessageKind) {
    std::string line = SjisToUtf8(caption) + ": " + SjisToUtf8(text);
    for (char& c : line)
        if (c == '\n') c = ' ';
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace quotrix
