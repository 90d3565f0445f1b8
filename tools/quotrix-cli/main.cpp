// quotrix-cli: the stock files and other parts of the core from a console.
#include <algorithm>
#include <string>
#include <vector>

#include "Command.h"
#include "platform/Console.h"
#include "platform/UserMessage.h"
#include "update/WorkerHeap.h"

namespace {

// Messages meant for a message box go to standard error here.
class ConsoleMessages : public quotrix::UserMessageSink {
  public:
    void Show(const std::string& caption, const std::string& text, quotrix::MessageKind) override {
        quotrix::cli::PrintError(caption + ": " + text);
    }
};

int Help() {
    std::string text = "usage: quotrix-cli COMMAND [ARGUMENTS]\n\ncommands:\n";
    std::vector<quotrix::cli::Command> commands = quotrix::cli::Commands();
    std::sort(commands.begin(), commands.end(),
              [](const auto& a, const auto& b) { return std::string(a.name) < b.name; });
    std::size_t width = 0;
    for (const auto& command : commands) width = std::max(width, std::string(command.usage).size());
    for (const auto& command : commands) {
        std::string usage = command.usage;
        usage.resize(width, ' ');
        text += "  " + usage + "  " + command.summary + "\n";
    }
    quotrix::WriteConsoleText(quotrix::ConsoleStream::Err, text);
    return quotrix::cli::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    quotrix::TuneHeapForWorkers();
    ConsoleMessages messages;
    quotrix::SetUserMessageSink(&messages);
    std::vector<std::string> args = quotrix::ConsoleArguments(argc, argv);
    if (args.empty() || args[0] == "help" || args[0] == "--help" || args[0] == "-h") return Help();
    const quotrix::cli::Command* command = quotrix::cli::FindCommand(args[0]);
    if (!command) {
        quotrix::cli::PrintError("unknown command \"" + args[0] + "\"");
        return Help();
    }
    args.erase(args.begin());
    const int status = command->run(args);
    quotrix::SetUserMessageSink(nullptr);
    return status;
}
