// The UTF-8 decoding of the text codec against iconv read the plain way (a replacement and a
// fresh start after each byte it cannot read), and the Shift-JIS table on texts long enough for
// its runs of ASCII: the same UTF-16 and the same "clean" answer.
#include <errno.h>
#include <iconv.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "../net/PageFile.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

struct Plain {
    std::u16string text;
    bool clean = true;
};

Plain PlainIconv(const char* from, const char* replacement, std::string_view in) {
    iconv_t cd = iconv_open("UTF-16LE", from);
    Plain result;
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
    iconv_close(cd);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        result.text +=
            static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    return result;
}

std::string Utf8Form(std::uint32_t cp) {
    std::string out;
    if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (cp & 0x3F));
    return out;
}

void ExpectSame(CodePage cp, const std::string& in) {
    const Plain plain =
        cp == CodePage::Utf8 ? PlainIconv("UTF-8", "\xFD\xFF", in) : PlainIconv("CP932", "\xFB\x30", in);
    std::u16string out;
    const bool clean = ToUtf16(cp, in, out);
    ASSERT_EQ(out, plain.text) << "bytes: " << ::testing::PrintToString(in);
    ASSERT_EQ(clean, plain.clean) << "bytes: " << ::testing::PrintToString(in);
}

TEST(Utf8Decoder, EveryCharacterAsIconvReadsIt) {
    std::string all;
    for (std::uint32_t cp = 0x80; cp <= 0x10FFFF; cp += (cp < 0x10000 ? 1 : 97)) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        const std::string one = Utf8Form(cp);
        all += one;
        all += static_cast<char>('A' + cp % 26);
    }
    ExpectSame(CodePage::Utf8, all);
    // Surrogates, overlong forms, values past U+10FFFF and cut sequences, inside long runs.
    for (const char* bad :
         {"\xED\xA0\x80", "\xED\xBF\xBF", "\xE0\x80\x80", "\xC0\xAF", "\xC1\xBF", "\xF4\x90\x80\x80",
          "\xF5\x80\x80\x80", "\xF8\x88\x80\x80\x80", "\xE3\x81", "\xE3", "\x80", "\xFF", "\xEF\xBF"}) {
        ExpectSame(CodePage::Utf8, std::string(bad));
        ExpectSame(CodePage::Utf8,
                   std::string(20, 'a') + bad + "\xE6\x97\xA5\xE6\x9C\xAC" + bad + std::string(17, 'b'));
    }
}

TEST(Utf8Decoder, RandomTextsAsIconvReadsThem) {
    std::mt19937 random(65001);
    const std::string pieces[] = {"\xE6\x97\xA5",
                                  "\xE3\x81\x82",
                                  "\xC3\xA9",
                                  "\xF0\x9F\x98\x80",
                                  "\xED\xA0\x80",
                                  "\xE0\xA0\x80",
                                  "\xE0\x9F\xBF",
                                  "\xEF\xBF\xBF",
                                  "\x80",
                                  "\xBF",
                                  "\xE3\x81",
                                  std::string(1, '\0'),
                                  "<div>",
                                  "0123456789abcdef",
                                  " ",
                                  "\xF4\x8F\xBF\xBF"};
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int count = static_cast<int>(random() % 30);
        for (int k = 0; k < count; ++k) text += pieces[random() % std::size(pieces)];
        ExpectSame(CodePage::Utf8, text);
    }
    for (const char* page :
         {"quote/stock-7203.utf8.html", "quote/stock-7203.sjis.html", "current/quote-7203-2025.html"})
        ExpectSame(CodePage::Utf8, PageFile(page));
}

TEST(SjisDecoder, LongRunsAsIconvReadsThem) {
    std::mt19937 random(932);
    const std::string pieces[] = {"\x93\xFA",
                                  "\x82\xA0",
                                  "\xB1",
                                  "\x81",
                                  "\xA0",
                                  "\xFD",
                                  "<div class=\"a\">",
                                  "0123456789abcdef",
                                  "\\~",
                                  std::string(1, '\0'),
                                  "\x81\x7F",
                                  "\x87\x40"};
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int count = static_cast<int>(random() % 30);
        for (int k = 0; k < count; ++k) text += pieces[random() % std::size(pieces)];
        ExpectSame(CodePage::Sjis, text);
    }
}

}  // namespace
}  // namespace quotrix
