// The Shift-JIS decoding of the text codec (a table) against iconv read the plain way, byte run by
// byte run with a replacement and a fresh start after each undecodable byte: the same UTF-16 and
// the same "clean" answer for every character and for many invalid texts.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "../net/PageFile.h"
#include "IconvReference.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

TEST(SjisDecoder, EveryByteAndPairAsIconvReadsThem) {
    for (int a = 0; a < 256; ++a) {
        ExpectSameAsIconv(CodePage::Sjis, std::string(1, static_cast<char>(a)));
        for (int b = 0; b < 256; ++b) {
            const std::string pair{static_cast<char>(a), static_cast<char>(b)};
            ExpectSameAsIconv(CodePage::Sjis, pair);
            // Behind an ASCII letter and before a lead byte: resynchronisation after a bad pair.
            if ((a + b) % 7 == 0) ExpectSameAsIconv(CodePage::Sjis, "A" + pair + "\x82");
        }
    }
}

TEST(SjisDecoder, InvalidTextsAsIconvReadsThem) {
    std::mt19937 random(932);
    // Bytes the decoding treats differently: ASCII, leads, trails of both halves, kana, the
    // bytes no character begins with.
    const unsigned char kBytes[] = {0x00, 0x0A, 0x41, 0x5C, 0x7E, 0x7F, 0x80, 0x81, 0x82, 0x85, 0x87, 0x9F, 0xA0,
                                    0xA1, 0xDF, 0xE0, 0xEA, 0xED, 0xEF, 0xF0, 0xF9, 0xFA, 0xFC, 0xFD, 0xFF, 0x40};
    for (int round = 0; round < 30000; ++round) {
        std::string text(1 + random() % 24, '\0');
        for (char& c : text)
            c = static_cast<char>(random() % 3 == 0 ? random() % 256 : kBytes[random() % sizeof kBytes]);
        ExpectSameAsIconv(CodePage::Sjis, text);
    }
    for (const char* page : {"quote/stock-7203.sjis.html", "quote/stock-7203.euc.html", "quote/stock-7203.utf8.html",
                             "search/toyota.sjis.html", "current/quote-7203-2025.html"})
        ExpectSameAsIconv(CodePage::Sjis, PageFile(page));
    ExpectSameAsIconv(CodePage::Sjis, "");
}

}  // namespace
}  // namespace quotrix
