// The settings file is edited by hand: any bytes must read without harm, and whatever was read
// must be written so that it reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/SettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quotrix;
    SettingsData first;
    ParseSettingsText(std::string_view(reinterpret_cast<const char*>(data), size), first);
    const std::string text = FormatSettingsText(first);
    SettingsData second;
    if (ParseSettingsText(text, second) != 0 || !(second == first)) std::abort();
    if (FormatSettingsText(second) != text) std::abort();
    return 0;
}
