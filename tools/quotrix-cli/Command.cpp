#include "Command.h"

#include "platform/Console.h"

namespace quotrix::cli {

namespace {
// Built on first use: commands register from static initialisers of other files.
std::vector<Command>& Table() {
    static std::vector<Command> table;
    return table;
}
}  // namespace

bool RegisterCommand(const Command& command) {
    Table().push_back(command);
    return true;
}

const std::vector<Command>& Commands() { return Table(); }

const Command* FindCommand(const std::string& name) {
    for (const Command& command : Table())
        if (name == command.name) return &command;
    return nullptr;
}

void Print(const std::string& sjis) { WriteConsoleText(ConsoleStream::Out, sjis); }

void PrintError(const std::string& sjis) { WriteConsoleText(ConsoleStream::Err, "quotrix-cli: " + sjis + "\n"); }

int UsageError(const Command& command) {
    WriteConsoleText(ConsoleStream::Err, std::string("usage: quotrix-cli ") + command.usage + "\n");
    return kExitUsage;
}

int UsageError(const char* name) {
    const Command* command = FindCommand(name);
    return command ? UsageError(*command) : kExitUsage;
}

}  // namespace quotrix::cli
