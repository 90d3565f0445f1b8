// Messages the user must see even though the code that meets the problem has no window at hand
// (the stock file's save failures). The Windows programs show a task-modal message box, console
// tools write a line on standard error, tests install a recorder.
//
// Texts are Shift-JIS. Any thread may show a message; the sink is installed by the main thread
// at start-up (or by a test) and must outlive its use.
#pragma once

#include <string>

namespace quotrix {

enum class MessageKind { Error, Warning, Information };

class UserMessageSink {
  public:
    virtual ~UserMessageSink() = default;
    virtual void Show(const std::string& caption, const std::string& text, MessageKind kind) = 0;
};

// Shows the message through the installed sink, else through the platform's default.
void ShowUserMessage(const std::string& caption, const std::string& text, MessageKind kind);
// Installs a sink for the whole process (nullptr restores the default); returns the previous one.
UserMessageSink* SetUserMessageSink(UserMessageSink* sink);

// The platform's default: a message box on Windows, a line on standard error on Linux.
void ShowPlatformMessage(const std::string& caption, const std::string& text, MessageKind kind);

}  // namespace quotrix
