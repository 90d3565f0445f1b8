// The user-interface font of every window of ours: a face with Japanese glyphs, chosen once per
// process, so that Japanese texts show on a Windows of any display language. UI thread only.
#pragma once

#include <windows.h>

namespace quotrix {

// The process's UI font; made on first use and kept until the process ends (never delete it).
HFONT GetUiFont();

// Gives `window` and every child window the UI font (WM_SETFONT). Dialog bases call it on
// WM_INITDIALOG; tooltips and other windows made by hand call it once after creation.
void ApplyUiFont(HWND window);

}  // namespace quotrix
