// Window message numbers of the main window, above WM_APP (0x8000). Portable so that the
// update engine and its tests name them without <windows.h>.
#pragma once

namespace quotrix {

// WM_TIMER's number; the portable owner delivers timer ticks that are posted as messages with it.
inline constexpr unsigned kWmTimer = 0x0113;

inline constexpr unsigned WM_APP_TRAY_NOTIFY = 0x8078;
inline constexpr unsigned WM_APP_EXIT = 0x8079;
inline constexpr unsigned WM_APP_CHECK_START = 0x807A;
inline constexpr unsigned WM_APP_CHECK_RESULT = 0x807B;
inline constexpr unsigned WM_APP_QUEUE_ITEM = 0x807C;
inline constexpr unsigned WM_APP_ICONWND_NOTIFY = 0x807D;
inline constexpr unsigned WM_APP_QUERY_SNAP = 0x807E;
inline constexpr unsigned WM_APP_OPEN_PROPERTY = 0x807F;
inline constexpr unsigned WM_APP_SEARCH_RESULT = 0x8080;

}  // namespace quotrix
