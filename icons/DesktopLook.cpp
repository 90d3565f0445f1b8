#include "icons/DesktopLook.h"

namespace quotrix {

DesktopLook DesktopLookFrom(const AppSettings& s, std::uint32_t desktopColor) {
    DesktopLook look;
    look.desktopColor = desktopColor & 0xFFFFFF;
    look.colors = ChooseDesktopTextColors(look.desktopColor, s.DesktopFontInForce(), s.dskFontColor);
    look.font = s.desktopFont;
    look.transparentText = (s.boolFlags1 & BF1_DESKTOP_TRANSPARENT_TEXT) != 0;
    look.layered.alpha = (s.boolFlags1 & BF1_DESKTOP_TRANSLUCENT) ? s.alphaVal : 255;
    look.layered.colorKey = look.transparentText;
    look.shadow = DrawsTextShadow((s.boolFlags2 & BF2_NO_TEXT_SHADOW) == 0, look.transparentText);
    look.topmost = (s.boolFlags1 & BF1_DESKTOP_TOPMOST) != 0;
    look.snap = (s.boolFlags1 & BF1_DESKTOP_SNAP) != 0;
    return look;
}

}  // namespace quotrix
