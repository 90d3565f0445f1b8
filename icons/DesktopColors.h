// The colour choices of text drawn straight on the desktop: the desktop icon windows, and the
// portfolio when its background is transparent. Also the layered-window rule both use.
//
// Colours are COLORREF values (0x00BBGGRR). Pure functions, any thread.
#pragma once

#include <cstdint>

namespace quotrix {

// A colour is dark when 2 x red + 4 x green + blue is at most 896.
bool IsDarkColor(std::uint32_t color);

struct DesktopTextColors {
    std::uint32_t text = 0;
    std::uint32_t shadow = 0;
    bool operator==(const DesktopTextColors&) const = default;
};

// The shadow under a text colour: near white under dark text, near black under light text. Not
// pure white or black, so that a desktop of exactly that colour (the colour key) does not swallow it.
std::uint32_t ShadowColorFor(std::uint32_t textColor);

// The text colour when the user chose none: white on a dark desktop, black on a light one.
std::uint32_t DesktopTextColorFor(std::uint32_t desktopColor);

// Text and shadow on `desktopColor`: the configured text colour when the user chose a desktop font
// and colour, else the desktop's default. A shadow equal to the desktop colour would be keyed out
// with the background, so it is moved by one step.
DesktopTextColors ChooseDesktopTextColors(std::uint32_t desktopColor, bool configured, std::uint32_t configuredText);
// The same for a window whose see-through colour is `keyColor` rather than the desktop's own (the
// portfolio keys out its background): the shadow is moved off that colour instead.
DesktopTextColors ChooseDesktopTextColors(std::uint32_t desktopColor, bool configured, std::uint32_t configuredText,
                                          std::uint32_t keyColor);

// The shadow needs a transparent text background: on an opaque one it would only smudge the text.
constexpr bool DrawsTextShadow(bool shadowOption, bool transparentBackground) {
    return shadowOption && transparentBackground;
}

// SetLayeredWindowAttributes flags.
inline constexpr std::uint32_t kLayeredColorKey = 0x1;  // LWA_COLORKEY
inline constexpr std::uint32_t kLayeredAlpha = 0x2;     // LWA_ALPHA

// What makes a window layered: its alpha (255 opaque) and whether the key colour is see-through.
struct LayeredLook {
    std::uint8_t alpha = 255;
    bool colorKey = false;
    bool operator==(const LayeredLook&) const = default;
};

// The flags for the look; 0 means the window is not layered at all.
constexpr std::uint32_t LayeredFlags(const LayeredLook& look) {
    return (look.alpha < 255 ? kLayeredAlpha : 0u) | (look.colorKey ? kLayeredColorKey : 0u);
}

}  // namespace quotrix
