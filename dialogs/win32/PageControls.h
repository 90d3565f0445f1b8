// Control helpers the dialog pages share: combo boxes, sliders and rows of numbered boxes, in the
// program's Shift-JIS text. UI thread only.
#pragma once

#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <array>
#include <cstddef>
#include <string>

#include "platform/TextCodec.h"
#include "platform/win32/WinText.h"
#include "platform/win32/ui/DlgItems.h"

namespace quotrix {

inline void AddComboItem(HWND page, int id, const std::string& sjis) {
    SendDlgItemMessageW(page, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(sjis).c_str()));
}

// Items written in UTF-8 in the source.
inline void AddComboItems(HWND page, int id, std::initializer_list<const char*> utf8Items) {
    for (const char* item : utf8Items) AddComboItem(page, id, Utf8ToSjis(item));
}

inline int ComboSelection(HWND page, int id) {
    return static_cast<int>(SendDlgItemMessageW(page, id, CB_GETCURSEL, 0, 0));
}

inline void SetComboSelection(HWND page, int id, int index) {
    SendDlgItemMessageW(page, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

inline int SliderPosition(HWND page, int id) {
    return static_cast<int>(SendDlgItemMessageW(page, id, TBM_GETPOS, 0, 0));
}

inline void SetSlider(HWND page, int id, int low, int high, int position) {
    SendDlgItemMessageW(page, id, TBM_SETRANGE, FALSE, MAKELPARAM(low, high));
    SendDlgItemMessageW(page, id, TBM_SETPOS, TRUE, position);
}

// The texts of N boxes numbered from `firstId` on.
template <std::size_t N>
std::array<std::string, N> ItemTexts(HWND page, int firstId) {
    std::array<std::string, N> texts;
    for (std::size_t i = 0; i < N; ++i) texts[i] = GetItemText(page, firstId + static_cast<int>(i));
    return texts;
}

}  // namespace quotrix
