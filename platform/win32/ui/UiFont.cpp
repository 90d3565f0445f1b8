#include "platform/win32/ui/UiFont.h"

#include <vector>

#include "platform/UiFontChoice.h"
#include "platform/win32/WinText.h"

namespace quotrix {

namespace {

// Hiragana, katakana, kanji and full-width punctuation: what the program's labels are made of.
constexpr wchar_t kJapaneseSample[] = L"あア株価銘柄、（）";

struct FaceList {
    std::vector<JapaneseFace> faces;
    std::vector<std::wstring> names;  // the same faces, as the system spells them
};

int CALLBACK CollectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM param) {
    auto& list = *reinterpret_cast<FaceList*>(param);
    const std::wstring name = font->lfFaceName;
    // A family comes once per style and script; the first is enough.
    for (const std::wstring& known : list.names)
        if (known == name) return TRUE;
    list.names.push_back(name);
    list.faces.push_back(
        JapaneseFace{Narrow(name), (font->lfPitchAndFamily & 3) == VARIABLE_PITCH, (type & RASTER_FONTTYPE) == 0});
    return TRUE;
}

UiFontInfo ChooseUiFont() {
    UiFontInfo info;
    LOGFONTW& font = info.logFont;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font = metrics.lfMessageFont;
    else
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);

    HFONT system = CreateFontIndirectW(&font);
    const bool systemHasJapanese = system && FontHasGlyphs(system, kJapaneseSample);
    if (system) DeleteObject(system);

    FaceList list;
    if (!systemHasJapanese) {
        LOGFONTW query{};
        query.lfCharSet = SHIFTJIS_CHARSET;
        HDC screen = GetDC(nullptr);
        EnumFontFamiliesExW(screen, &query, CollectFace, reinterpret_cast<LPARAM>(&list), 0);
        ReleaseDC(nullptr, screen);
    }
    const int chosen = ChooseUiFace(systemHasJapanese, list.faces);
    if (chosen >= 0) {
        lstrcpynW(font.lfFaceName, list.names[static_cast<std::size_t>(chosen)].c_str(), LF_FACESIZE);
        font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    }
    // Without a Japanese face the character set still lets the font mapper look for glyphs.
    if (!systemHasJapanese) font.lfCharSet = SHIFTJIS_CHARSET;
    return info;
}

// Chosen once per process; the face and charset the mapper gave are added on the first ask.
UiFontInfo& Chosen() {
    static UiFontInfo info = ChooseUiFont();
    return info;
}

HFONT MakeFont(LONG weight) {
    LOGFONTW font = Chosen().logFont;
    if (weight) font.lfWeight = weight;
    HFONT made = CreateFontIndirectW(&font);
    return made ? made : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace

HFONT GetUiFont() {
    static const HFONT font = MakeFont(0);
    return font;
}

HFONT GetUiBoldFont() {
    static const HFONT font = MakeFont(FW_BOLD);
    return font;
}

const UiFontInfo& GetUiFontInfo() {
    static const bool realised = [] {
        UiFontInfo& info = Chosen();
        HDC screen = GetDC(nullptr);
        HGDIOBJ old = SelectObject(screen, GetUiFont());
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(screen, LF_FACESIZE, face);
        info.face = face;
        info.charset = GetTextCharset(screen);
        SelectObject(screen, old);
        ReleaseDC(nullptr, screen);
        return true;
    }();
    (void)realised;
    return Chosen();
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

bool FontHasGlyphs(HFONT font, std::wstring_view text) {
    if (!font) return false;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return false;
    HGDIOBJ old = SelectObject(dc, font);
    std::vector<WORD> glyphs(text.size() + 1);
    const DWORD done =
        GetGlyphIndicesW(dc, text.data(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    bool all = done != GDI_ERROR;
    for (std::size_t i = 0; all && i < text.size(); ++i) all = glyphs[i] != 0xFFFF;
    SelectObject(dc, old);
    DeleteDC(dc);
    return all;
}

}  // namespace quotrix
