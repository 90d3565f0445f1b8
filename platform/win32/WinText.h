// The one place where the program's Shift-JIS text meets the W functions of Win32.
#pragma once

#include <string>
#include <string_view>

#include "platform/TextCodec.h"

namespace quotrix {

// Shift-JIS -> UTF-16 for a W call (wchar_t is UTF-16 on Windows).
inline std::wstring Wide(std::string_view sjis) {
    std::u16string u = ToUtf16(CodePage::Sjis, sjis);
    return std::wstring(u.begin(), u.end());
}

// UTF-16 from a W call -> Shift-JIS.
inline std::string Narrow(std::wstring_view wide) {
    return FromUtf16(CodePage::Sjis, std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace quotrix
