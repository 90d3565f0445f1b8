#include "platform/win32/ui/DlgItems.h"

#include <vector>

#include "platform/win32/WinText.h"

namespace quotrix {

std::string GetItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) return {};
    const int length = GetWindowTextLengthW(item);
    std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1);
    GetWindowTextW(item, text.data(), length + 1);
    return Narrow(text.data());
}

void SetItemText(HWND dialog, int id, const std::string& sjis) { SetDlgItemTextW(dialog, id, Wide(sjis).c_str()); }

void UpdateItemText(HWND dialog, int id, const std::string& sjis) {
    if (GetItemText(dialog, id) != sjis) SetItemText(dialog, id, sjis);
}

bool IsItemChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void SetItemCheck(HWND dialog, int id, bool checked) {
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void EnableItem(HWND dialog, int id, bool enabled) {
    if (HWND item = GetDlgItem(dialog, id)) EnableWindow(item, enabled);
}

void ShowItem(HWND dialog, int id, bool shown) {
    if (HWND item = GetDlgItem(dialog, id)) ShowWindow(item, shown ? SW_SHOWNA : SW_HIDE);
}

int ShowMessage(HWND owner, const std::string& text, UINT type) {
    return MessageBoxW(owner, Wide(text).c_str(), L"Quotrix!", type);
}

void RejectInput(HWND dialog, int id, const std::string& message) {
    ShowMessage(dialog, message, MB_OK | MB_ICONEXCLAMATION);
    if (HWND item = GetDlgItem(dialog, id)) {
        SetFocus(item);
        SendMessageW(item, EM_SETSEL, 0, -1);
    }
}

}  // namespace quotrix
