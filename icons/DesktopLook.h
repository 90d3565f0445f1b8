// What every desktop icon window looks like, taken from the application settings and the system's
// desktop colour: colours, font, translucency, colour keying, text shadow, topmost and snapping.
//
// A plain value: the main window keeps one and hands the windows a pointer to it (main thread).
// Colours are COLORREF values (0x00BBGGRR).
#pragma once

#include <cstdint>

#include "icons/DesktopColors.h"
#include "icons/PriceBar.h"
#include "settings/AppSettings.h"

namespace quotrix {

enum DesktopFlagBits : std::uint32_t {
    BF1_DESKTOP_SNAP = 0x10,              // desktop windows snap to the work-area edges
    BF1_DESKTOP_TRANSPARENT_TEXT = 0x20,  // the text background is keyed out (the desktop colour)
    BF1_DESKTOP_TRANSLUCENT = 0x40,       // the whole window has alpha "AlphaVal"
    BF1_DESKTOP_TOPMOST = 0x80,
    BF2_NO_TEXT_SHADOW = 0x40,
};

struct DesktopLook {
    std::uint32_t desktopColor = 0;  // also the text background and the colour key
    DesktopTextColors colors;
    DesktopFont font;  // the configured desktop font or the system's icon-title font
    LayeredLook layered;
    bool transparentText = false;
    bool shadow = false;  // drawn: the option is on and the background is transparent
    bool topmost = false;
    bool snap = false;
    int barSetting = kDefaultPriceBarSetting;

    bool operator==(const DesktopLook&) const = default;
};

// `settings.desktopFont` holds the font in force (the configured one or the system's).
DesktopLook DesktopLookFrom(const AppSettings& settings, std::uint32_t desktopColor);

}  // namespace quotrix
