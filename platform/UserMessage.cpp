#include "platform/UserMessage.h"

#include <atomic>

namespace quotrix {

namespace {
std::atomic<UserMessageSink*> installedSink{nullptr};
}  // namespace

void ShowUserMessage(const std::string& caption, const std::string& text, MessageKind kind) {
    if (UserMessageSink* sink = installedSink.load()) {
        sink->Show(caption, text, kind);
        return;
    }
    ShowPlatformMessage(caption, text, kind);
}

UserMessageSink* SetUserMessageSink(UserMessageSink* sink) { return installedSink.exchange(sink); }

}  // namespace quotrix
