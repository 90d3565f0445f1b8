#include "icons/DesktopColors.h"

namespace quotrix {

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kShadowOnLight = 0xFAFAFA;
constexpr std::uint32_t kShadowOnDark = 0x050505;

}  // namespace

bool IsDarkColor(std::uint32_t color) {
    const std::uint32_t red = color & 0xFF, green = (color >> 8) & 0xFF, blue = (color >> 16) & 0xFF;
    return 2 * red + 4 * green + blue <= 896;
}

std::uint32_t ShadowColorFor(std::uint32_t textColor) {
    return IsDarkColor(textColor) ? kShadowOnLight : kShadowOnDark;
}

std::uint32_t DesktopTextColorFor(std::uint32_t desktopColor) { return IsDarkColor(desktopColor) ? kWhite : kBlack; }

DesktopTextColors ChooseDesktopTextColors(std::uint32_t desktopColor, bool configured, std::uint32_t configuredText) {
    return ChooseDesktopTextColors(desktopColor, configured, configuredText, desktopColor);
}

DesktopTextColors ChooseDesktopTextColors(std::uint32_t desktopColor, bool configured, std::uint32_t configuredText,
                                          std::uint32_t keyColor) {
    DesktopTextColors colors;
    colors.text = configured ? (configuredText & 0xFFFFFF) : DesktopTextColorFor(desktopColor);
    colors.shadow = ShadowColorFor(colors.text);
    if (colors.shadow == (keyColor & 0xFFFFFF)) {
        // Move the red byte one step towards the middle, as the configured text colour is moved.
        const std::uint32_t red = colors.shadow & 0xFF;
        colors.shadow = (colors.shadow & ~0xFFu) | (red == 0xFF ? red - 1 : red + 1);
    }
    return colors;
}

}  // namespace quotrix
