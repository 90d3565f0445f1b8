// The Japanese encodings a page may arrive in, and the decodings the page readers try.
//
// EUC-JP and ISO-2022-JP are turned into Shift-JIS here, by arithmetic on JIS rows and cells;
// UTF-8, UTF-7 and Shift-JIS reach UTF-16 through platform/TextCodec.h.
// Everything here is pure and may run on any thread. Byte input is untrusted page data: any
// length, any bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "log/ThreadLog.h"
#include "platform/TextCodec.h"

namespace quotrix {

// The codes written to the logs and kept by the board check.
enum PageEncoding : std::uint8_t {
    ENC_ASCII = 0,
    ENC_JIS = 1,
    ENC_SJIS = 2,
    ENC_EUC = 3,
    ENC_UTF8 = 4,
    ENC_UTF7 = 5,
};

// EUC-JP to Shift-JIS in place; returns the new length (never longer). Half-width kana
// (0x8E xx) become their one-byte form, JIS X 0212 characters (0x8F xx xx) "?", stray bytes "?".
// A zero byte ends the text.
std::size_t EucToSjis(char* bytes, std::size_t length);
// ISO-2022-JP to Shift-JIS in place; returns the new length (never longer). The escapes to
// JIS X 0208, ASCII/Roman and JIS X 0201 kana are honoured and dropped; a zero byte ends the text.
std::size_t JisToSjis(char* bytes, std::size_t length);
inline void EucToSjis(std::string& text) { text.resize(EucToSjis(text.data(), text.size())); }
inline void JisToSjis(std::string& text) { text.resize(JisToSjis(text.data(), text.size())); }

// Guesses the encoding of a page from its bytes: ENC_ASCII (no buffer), ENC_JIS, ENC_SJIS or
// ENC_EUC (also for an empty buffer).
int DetectJapaneseEncoding(const char* bytes, std::size_t length);

// One way of reading a page whose character set is not announced.
struct PageDecoding {
    const char* name;  // as written to the logs
    PageEncoding code;
    CodePage codePage;  // what the (converted) bytes are read as
};

// The order in which the quote and search pages are tried.
inline constexpr std::array<PageDecoding, 6> kPageDecodings = {{
    {"UTF8", ENC_UTF8, CodePage::Utf8},
    {"UTF7", ENC_UTF7, CodePage::Utf7},
    {"SJIS", ENC_SJIS, CodePage::Sjis},
    {"EUC", ENC_EUC, CodePage::Sjis},
    {"JIS", ENC_JIS, CodePage::Sjis},
    {"ASCII", ENC_ASCII, CodePage::Sjis},
}};

// One decoding attempt: `body` (for EUC and JIS a copy of it in `work`, converted to Shift-JIS)
// is read into `text`. Both buffers are reused from attempt to attempt. False when the
// decoding yields no text. Lines go to `log`, or to the application log when it is null.
bool DecodePage(const PageDecoding& decoding, std::string_view body, std::string& work, std::u16string& text,
                ThreadLog* log);

}  // namespace quotrix
