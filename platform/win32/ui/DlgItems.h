// Small helpers for dialog controls, in the program's Shift-JIS text. UI thread only.
#pragma once

#include <windows.h>

#include <string>

namespace quotrix {

std::string GetItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::string& sjis);
// Sets the text only when it differs, so that boxes do not flicker or send needless EN_CHANGE.
void UpdateItemText(HWND dialog, int id, const std::string& sjis);
bool IsItemChecked(HWND dialog, int id);
void SetItemCheck(HWND dialog, int id, bool checked);
void EnableItem(HWND dialog, int id, bool enabled);
void ShowItem(HWND dialog, int id, bool shown);

// Tells the user why a box's entry was refused (caption "Quotrix!") and puts the focus in the
// box with its text selected, as the dialog stays open.
void RejectInput(HWND dialog, int id, const std::string& message);

// A message box of the program (caption "Quotrix!"); `text` is Shift-JIS.
int ShowMessage(HWND owner, const std::string& text, UINT type);

}  // namespace quotrix
