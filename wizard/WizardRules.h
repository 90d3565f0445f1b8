// The portable rules of Enlistor.exe, the stock-list wizard: its command-line switches, the
// codes page, the save-location page, the code lookup address and the texts handed to the shell.
// Texts are Shift-JIS. Main thread only (new stocks register themselves).
#pragma once

#include <string>

#include "files/PathNames.h"
#include "files/StockRecord.h"

namespace quotrix {

// What the first command-line token asks for: "/A" or "-A" registers the file type with
// questions, "/S" or "-S" without; anything else (also "/a" and "/A1") runs the wizard.
enum class EnlistorMode { Wizard, RegisterInteractive, RegisterSilent };
EnlistorMode ReadEnlistorSwitch(const std::string& firstToken);

// The codes page's Next button: enabled when the box (untrimmed) holds anything.
inline bool CodesNextEnabled(const std::string& codeText) { return !codeText.empty(); }

// The stocks of the codes box, in input order, in a list of their own: each press of Next
// replaces the collected list, so going back and forth never doubles a stock. Empty when the
// text is only blanks; a token that is no valid code still gives a stock (as typed codes do).
StockList CollectCodes(const std::string& codeText);

// Shift-JIS to EUC-JP: two-byte characters by the JIS row and cell arithmetic, half-width
// katakana after the byte 0x8E, ASCII as it is. False on a byte sequence that is not Shift-JIS
// or has no EUC-JP form (the user-defined rows).
bool SjisToEucJp(const std::string& sjis, std::string& euc);

// The quote site's code lookup page "http://<host>/l", with "?s=<keyword>" when a keyword is
// given (EUC-JP, bytes from 0x80 and those that would end or split the query as "%XX"). False
// when the keyword cannot be written in EUC-JP.
bool CodeLookupAddress(const std::string& host, const std::string& keyword, std::string& address);

// The arguments that start Quotrix.exe on a stock file: /f "path".
std::string OpenFileArguments(const std::string& path);

// The description of the desktop shortcut, made at the given local time.
std::string ShortcutDescription(int year, int month, int day, int hour, int minute, int second);

// The name of the desktop shortcut (before MakeUniquePath numbers it).
std::string ShortcutFileName();

// The save-location page: where the new stock file goes. Mode 0 keeps the file in the
// application-data folder and lets the user name it by its title; mode 1 takes any path.
class SaveLocation {
  public:
    enum Mode { APP_DATA = 0, USER_PATH = 1 };

    // `folder` is the program's application-data folder (empty when none could be found). The
    // proposal is "Default.quotrix" there, numbered when taken; when every number is taken the
    // page keeps the plain name in mode 1 and mode 0 cannot be chosen.
    void Initialise(const std::string& folder, const PathExists& exists);

    void SetMode(int mode);
    // Typing a title renames the file in its folder; an empty title leaves the path alone.
    void EditTitle(const std::string& title);
    // Typing (or browsing to) a path makes its file name the title.
    void EditPath(const std::string& path);

    int Mode() const { return mode_; }
    bool AppDataAllowed() const { return appDataAllowed_; }
    bool TitleEnabled() const { return mode_ == APP_DATA; }
    bool PathEnabled() const { return mode_ == USER_PATH; }
    const std::string& Path() const { return path_; }
    const std::string& Title() const { return title_; }

  private:
    int mode_ = APP_DATA;
    bool appDataAllowed_ = true;
    std::string path_;
    std::string title_;
};

}  // namespace quotrix
