#include <cstdio>

#include "platform/Console.h"
#include "platform/TextCodec.h"

namespace quotrix {

namespace {
std::FILE* Stream(ConsoleStream stream) { return stream == ConsoleStream::Out ? stdout : stderr; }
}  // namespace

bool WriteConsoleBytes(ConsoleStream stream, std::string_view bytes) {
    std::FILE* file = Stream(stream);
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fflush(file) == 0 && ok;
}

bool WriteConsoleText(ConsoleStream stream, std::string_view sjis) {
    return WriteConsoleBytes(stream, SjisToUtf8(sjis));
}

std::vector<std::string> ConsoleArguments(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(Utf8ToSjis(argv[i]));
    return args;
}

}  // namespace quotrix
