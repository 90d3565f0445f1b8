#include "platform/win32/ui/UiFont.h"

namespace quotrix {

HFONT GetUiFont() {
    static HFONT font = [] {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        LOGFONTW face{};
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) face = metrics.lfMessageFont;
        face.lfCharSet = SHIFTJIS_CHARSET;
        HFONT made = CreateFontIndirectW(&face);
        return made ? made : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }();
    return font;
}

namespace {
BOOL CALLBACK SetChildFont(HWND child, LPARAM font) {
    SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    return TRUE;
}
}  // namespace

void ApplyUiFont(HWND window) {
    if (!window) return;
    HFONT font = GetUiFont();
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    EnumChildWindows(window, SetChildFont, reinterpret_cast<LPARAM>(font));
}

}  // namespace quotrix
