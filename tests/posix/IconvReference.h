// The text codec's decodings against iconv read the plain way: byte run by byte run, with the
// codec's replacement character and a fresh start after each byte iconv cannot read.
#pragma once

#include <errno.h>
#include <iconv.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/TextCodec.h"

namespace quotrix {

struct PlainDecoding {
    std::u16string text;
    bool clean = true;
};

// `cp` is CodePage::Sjis or CodePage::Utf8. The converters stay open for the test program's life:
// the tests call this hundreds of thousands of times.
inline PlainDecoding PlainIconv(CodePage cp, std::string_view in) {
    static iconv_t sjis = iconv_open("UTF-16LE", "CP932");
    static iconv_t utf8 = iconv_open("UTF-16LE", "UTF-8");
    iconv_t cd = cp == CodePage::Utf8 ? utf8 : sjis;
    // U+FFFD for UTF-8, U+30FB for Shift-JIS, little-endian.
    const char* replacement = cp == CodePage::Utf8 ? "\xFD\xFF" : "\xFB\x30";
    PlainDecoding result;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    std::string bytes;
    while (left > 0) {
        char buffer[256];
        char* dst = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t rc = iconv(cd, &src, &left, &dst, &room);
        bytes.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (rc != static_cast<std::size_t>(-1)) {
            if (rc > 0) result.clean = false;
            continue;
        }
        if (errno == E2BIG) continue;
        result.clean = false;
        bytes.append(replacement, 2);
        ++src;
        --left;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        result.text +=
            static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    return result;
}

// The codec gives the same UTF-16 and the same "clean" answer as iconv.
inline void ExpectSameAsIconv(CodePage cp, const std::string& in) {
    const PlainDecoding plain = PlainIconv(cp, in);
    std::u16string out;
    const bool clean = ToUtf16(cp, in, out);
    ASSERT_EQ(out, plain.text) << "bytes: " << ::testing::PrintToString(in);
    ASSERT_EQ(clean, plain.clean) << "bytes: " << ::testing::PrintToString(in);
}

}  // namespace quotrix
