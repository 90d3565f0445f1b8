// Conversions between the program's 8-bit texts and UTF-16.
//
// In memory the program keeps text as Shift-JIS (code page 932, always, whatever the system's
// ANSI code page is). Windows converts with MultiByteToWideChar/WideCharToMultiByte, Linux with
// iconv. Thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace quotrix {

enum class CodePage : unsigned {
    Sjis = 932,
    Utf7 = 65000,
    Utf8 = 65001,
};

// Converts `in` to UTF-16. Invalid input becomes U+FFFD (U+30FB for code page 932, as Windows
// does) unless `strict`, in which case the conversion stops and returns false. Returns true when
// every byte was valid.
bool ToUtf16(CodePage cp, std::string_view in, std::u16string& out, bool strict = false);
// Converts UTF-16 to `cp`; characters the code page lacks become "?". Returns true when all fitted.
bool FromUtf16(CodePage cp, std::u16string_view in, std::string& out);

std::u16string ToUtf16(CodePage cp, std::string_view in);
std::string FromUtf16(CodePage cp, std::u16string_view in);

// Shift-JIS <-> UTF-8 shortcuts (console output, source literals).
std::string Utf8ToSjis(std::string_view utf8);
std::string SjisToUtf8(std::string_view sjis);

}  // namespace quotrix

// The Shift-JIS text of a UTF-8 source literal, converted once on first use at that place.
// Source files are UTF-8; every Japanese text the program shows goes through here.
#define SJIS(utf8_literal)                                                        \
    ([]() -> const std::string& {                                                 \
        static const std::string converted = ::quotrix::Utf8ToSjis(utf8_literal); \
        return converted;                                                         \
    }())
