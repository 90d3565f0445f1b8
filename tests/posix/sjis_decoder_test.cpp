// The Shift-JIS decoding of the text codec (a table) against iconv read the plain way, byte run by
// byte run with a replacement and a fresh start after each undecodable byte: the same UTF-16 and
// the same "clean" answer for every character and for many invalid texts.
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

Plain PlainIconv(std::string_view in) {
    static iconv_t cd = iconv_open("UTF-16LE", "CP932");
    Plain result;
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
        bytes.append("\xFB\x30", 2);
        ++src;
        --left;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        result.text +=
            static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    return result;
}

void ExpectSame(const std::string& in) {
    std::u16string out;
    const bool clean = ToUtf16(CodePage::Sjis, in, out);
    const Plain plain = PlainIconv(in);
    ASSERT_EQ(out, plain.text) << "bytes: " << ::testing::PrintToString(in);
    ASSERT_EQ(clean, plain.clean) << "bytes: " << ::testing::PrintToString(in);
}

TEST(SjisDecoder, EveryByteAndPairAsIconvReadsThem) {
    for (int a = 0; a < 256; ++a) {
        ExpectSame(std::string(1, static_cast<char>(a)));
        for (int b = 0; b < 256; ++b) {
            const std::string pair{static_cast<char>(a), static_cast<char>(b)};
            ExpectSame(pair);
            // Behind an ASCII letter and before a lead byte: resynchronisation after a bad pair.
            if ((a + b) % 7 == 0) ExpectSame("A" + pair + "\x82");
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
        ExpectSame(text);
    }
    for (const char* page : {"quote/stock-7203.sjis.html", "quote/stock-7203.euc.html", "quote/stock-7203.utf8.html",
                             "search/toyota.sjis.html", "current/quote-7203-2025.html"})
        ExpectSame(PageFile(page));
    ExpectSame("");
}

}  // namespace
}  // namespace quotrix
