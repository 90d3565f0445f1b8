// The user-interface font of every window of ours: a face with Japanese glyphs, chosen once per
// process, so that Japanese texts show on a Windows of any display language. The size and weight
// are the system's message font's, so the look follows the user's settings; on a Japanese system
// the message font itself is kept. UI thread only.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace quotrix {

// What the UI font was made from and what the system made of it.
struct UiFontInfo {
    LOGFONTW logFont{};  // as asked: the message font's size and weight, the chosen face and charset
    std::wstring face;   // the face the font mapper gave
    int charset = 0;     // the character set it gave (128 is Shift-JIS)
};

// The process's UI font; made on first use and kept until the process ends (never delete it).
HFONT GetUiFont();
// Its bold twin (weight 700), for default menu items and titles; kept likewise.
HFONT GetUiBoldFont();
const UiFontInfo& GetUiFontInfo();

// Gives `window` and every child window the UI font (WM_SETFONT). The dialog base calls it on
// WM_INITDIALOG before OnInitDialog; tooltips, property sheets and other windows made by hand
// call it once after creation, and again for children they add later.
void ApplyUiFont(HWND window);

// Whether `font` has a glyph of its own for every character of `text` (font linking and the
// system's fallbacks aside): what decides that a face can show Japanese.
bool FontHasGlyphs(HFONT font, std::wstring_view text);

}  // namespace quotrix
