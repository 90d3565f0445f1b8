// Typed lists of stock codes and the program's command line: shared by the add-stock sheet, the
// start-up of Quotrix.exe and the wizard. Texts are Shift-JIS. Main thread only (new stocks
// register themselves).
#pragma once

#include <string>

#include "files/StockRecord.h"
#include "model/StockParams.h"

namespace quotrix {

// Appends one new stock per non-empty token of `text` (separators: blank, ",", tab, LF, CR, VT,
// NUL), in input order. A token of digits with an optional ".letter" becomes a coded stock; any
// other token goes through the identity-from-text rules. False only when a stock could not be
// made; the stocks made so far stay in `stocks`.
bool ParseCodeList(StockList& stocks, const std::string& text, const CStockDefaults* defaults);

// The n-th token of a command line: tokens are separated by runs of blanks, tabs, CR and LF
// outside double quotes; a double quote switches quoting and is not part of the token. Empty
// when there are fewer tokens.
std::string GetCommandLineToken(const std::string& commandLine, int index);

// What the arguments of Quotrix.exe (the command line without the program name) ask for.
struct StartupArguments {
    enum Kind { NONE, STOCK_FILE, BAD_SWITCH, CODES };
    Kind kind = NONE;
    std::string text;  // the file's path, or the code list with blanks collapsed
};
StartupArguments ReadStartupArguments(const std::string& arguments);

// The arguments part of a full command line (token 0, the program, cut off, as Windows quotes it).
std::string CommandLineArguments(const std::string& commandLine);

// Whether a parsed stock carries a stock code. Any word makes a currency pair by the text rules
// ("xyz" is "XYZJPY=X"), so the command line, which asks for codes, takes only these.
bool HasStockCode(const CStock& stock);

}  // namespace quotrix
