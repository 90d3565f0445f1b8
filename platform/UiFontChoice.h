// Which face the user-interface font takes: one with Japanese glyphs, so that the program's
// Japanese texts show on a Windows of any display language. Only the choice lives here; the
// Win32 side lists the installed faces and makes the font (platform/win32/ui/UiFont.h).
//
// Threads: pure functions, any thread. Face names are Shift-JIS, as the system lists them.
#pragma once

#include <string>
#include <vector>

namespace quotrix {

// The Japanese user-interface faces of Windows, most wanted first: newer systems' before older.
inline constexpr const char* kJapaneseUiFaces[] = {"Yu Gothic UI", "Meiryo UI", "MS UI Gothic"};

// One installed face family that has the Japanese character set.
struct JapaneseFace {
    std::string name;           // a vertical-writing face starts with '@'
    bool proportional = false;  // variable pitch: kana and Latin letters take their own widths
    bool scalable = false;      // TrueType or OpenType, not a bitmap font of a few sizes
};

// The index in `installed` of the face to use, or -1 to keep the system's message font: when
// `systemFontHasJapanese` (a Japanese system's font, used as it is), or when no Japanese face is
// installed at all (the font then only asks for the Japanese character set). Otherwise the first
// face of kJapaneseUiFaces that is installed, else the best other horizontal face: scalable
// before bitmap, proportional before fixed pitch, the system's order among equals.
int ChooseUiFace(bool systemFontHasJapanese, const std::vector<JapaneseFace>& installed);

}  // namespace quotrix
