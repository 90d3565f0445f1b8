// Console input and output of the command-line tools.
//
// Text is Shift-JIS in memory. Linux writes it as UTF-8. Windows writes it through WriteConsoleW
// when the stream is a console (so Japanese shows whatever the console's code page is) and as
// UTF-8 when it is a file or a pipe. Main thread only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quotrix {

enum class ConsoleStream { Out, Err };

// Writes Shift-JIS text, converted as above.
bool WriteConsoleText(ConsoleStream stream, std::string_view sjis);
// Writes bytes as they are (file contents that keep their own encoding).
bool WriteConsoleBytes(ConsoleStream stream, std::string_view bytes);
// The program's arguments after the program name, as Shift-JIS (from UTF-8 on Linux, from the
// UTF-16 command line on Windows).
std::vector<std::string> ConsoleArguments(int argc, char** argv);

}  // namespace quotrix
