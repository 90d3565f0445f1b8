// What the drivers of property sheets share: one run of the program with a sheet open, the
// sheet's pages found and their controls moved from outside.
#pragma once

#include "tests/drivers/driver_support.h"
// After windows.h.
#include <commctrl.h>

#include <string>

namespace quotrix::driver {

class SheetRun : public QuotrixRun {
  protected:
    // A run the test left going ends here: the sheet cancelled, the exit prompt answered "いいえ".
    void TearDown() override {
        if (main_ && WaitForExit(child_, 0) == STILL_ACTIVE) {
            if (sheet_ && IsWindow(sheet_)) PostMessageW(sheet_, WM_COMMAND, IDCANCEL, 0);
            Sleep(300);
            PostMessageW(main_, WM_APP_EXIT, 0, 0);
            if (HWND prompt = WaitForBox(child_.pi.dwProcessId, L"銘柄データが変更されています。", 3000))
                PostMessageW(prompt, WM_COMMAND, IDCANCEL, 0);
            WaitForExit(child_, kWait);
        }
        QuotrixRun::TearDown();
    }

    // The page of `sheet` that holds control `id`, waited for (pages are made when first shown);
    // with `shownOnly`, only the page on show.
    static HWND PageOf(HWND sheet, int id, bool shownOnly = false) {
        HWND found = nullptr;
        WaitUntil([&] {
            for (HWND page = FindWindowExW(sheet, nullptr, L"#32770", nullptr); page && !found;
                 page = FindWindowExW(sheet, page, L"#32770", nullptr))
                if (GetDlgItem(page, id) && (!shownOnly || IsWindowVisible(page))) found = page;
            return found != nullptr;
        });
        return found;
    }

    HWND Page(int id) { return PageOf(sheet_, id, shownPagesOnly_); }

    HWND ShowPage(int index, int control) {
        SendMessageW(sheet_, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
        return Page(control);
    }

    // WM_GETTEXT: GetWindowText does not ask another process's edit boxes for their text.
    static std::wstring Item(HWND dialog, int id) {
        wchar_t text[512] = {};
        SendDlgItemMessageW(dialog, id, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
        return text;
    }
    static void Type(HWND dialog, int id, const wchar_t* text) { SetDlgItemTextW(dialog, id, text); }
    static void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
    // A button whose handler opens a modal dialog: the click must not wait for it.
    static void ClickLater(HWND dialog, int id) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }

    // Presses `button` of `dialog` (posted: the dialog's own loop ends it); whether the dialog went.
    static bool CloseWith(HWND dialog, int button = IDOK) {
        ClickLater(dialog, button);
        return WaitUntil([&] { return !IsWindow(dialog); });
    }

    // Paints `window` fully before a screenshot (a dialog that just closed leaves its area
    // unpainted), after `settle` ms.
    static void Shot(HWND window, const char* name, DWORD settle = 600) {
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Sleep(settle);
        Screenshot(name);
    }

    // Answers OK to the program's message box saying `text` (photographed first when `screenshot`
    // names it); whether the box came and went.
    bool Acknowledge(const std::wstring& text, const char* screenshot = nullptr) {
        return AcknowledgeBox(child_.pi.dwProcessId, text, [&](HWND box) {
            if (screenshot) Shot(box, screenshot);
        });
    }

    std::string path_;
    Child child_;
    HWND main_ = nullptr;
    HWND sheet_ = nullptr;
    bool shownPagesOnly_ = false;  // Page() finds only the page on show
};

}  // namespace quotrix::driver
