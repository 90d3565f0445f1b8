// The UTF-8 decoding of the text codec against iconv read the plain way (a replacement and a
// fresh start after each byte it cannot read), and the Shift-JIS table on texts long enough for
// its runs of ASCII: the same UTF-16 and the same "clean" answer.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "../net/PageFile.h"
#include "IconvReference.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

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

TEST(Utf8Decoder, EveryCharacterAsIconvReadsIt) {
    std::string all;
    for (std::uint32_t cp = 0x80; cp <= 0x10FFFF; cp += (cp < 0x10000 ? 1 : 97)) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        const std::string one = Utf8Form(cp);
        all += one;
        all += static_cast<char>('A' + cp % 26);
    }
    ExpectSameAsIconv(CodePage::Utf8, all);
    // Surrogates, overlong forms, values past U+10FFFF and cut sequences, inside long runs.
    for (const char* bad :
         {"\xED\xA0\x80", "\xED\xBF\xBF", "\xE0\x80\x80", "\xC0\xAF", "\xC1\xBF", "\xF4\x90\x80\x80",
          "\xF5\x80\x80\x80", "\xF8\x88\x80\x80\x80", "\xE3\x81", "\xE3", "\x80", "\xFF", "\xEF\xBF"}) {
        ExpectSameAsIconv(CodePage::Utf8, std::string(bad));
        ExpectSameAsIconv(CodePage::Utf8,
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
        ExpectSameAsIconv(CodePage::Utf8, text);
    }
    for (const char* page :
         {"quote/stock-7203.utf8.html", "quote/stock-7203.sjis.html", "current/quote-7203-2025.html"})
        ExpectSameAsIconv(CodePage::Utf8, PageFile(page));
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
        ExpectSameAsIconv(CodePage::Sjis, text);
    }
}

}  // namespace
}  // namespace quotrix
