// The command table of quotrix-cli. A command is one source file that defines its function and
// registers it:
//
//   int RunQuote(const std::vector<std::string>& args) { ... }
//   QUOTRIX_CLI_COMMAND(quote, "quote CODE...", "fetch and print quotes", RunQuote);
//
// Arguments are Shift-JIS (the program's text). A command returns the exit status: 0 success,
// 1 the work failed (after saying why on standard error), 2 bad usage.
#pragma once

#include <string>
#include <vector>

namespace quotrix::cli {

using CommandFunction = int (*)(const std::vector<std::string>& args);

struct Command {
    const char* name;
    const char* usage;    // "show FILE"
    const char* summary;  // one line for the help text
    CommandFunction run;
};

// Adds a command at start-up (from static initialisers); returns true so it can initialise one.
bool RegisterCommand(const Command& command);
const std::vector<Command>& Commands();
const Command* FindCommand(const std::string& name);

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Console output: Shift-JIS in, the console's encoding out (platform/Console.h).
void Print(const std::string& sjis);
// "quotrix-cli: " + text + newline on standard error.
void PrintError(const std::string& sjis);
// Prints the usage line of a command and returns kExitUsage.
int UsageError(const Command& command);
int UsageError(const char* name);

}  // namespace quotrix::cli

#define QUOTRIX_CLI_COMMAND(id, name, usage, summary, function) \
    static const bool quotrix_cli_registered_##id = ::quotrix::cli::RegisterCommand({name, usage, summary, function})
