#include "net/JapaneseText.h"

#include "net/PageLog.h"

namespace quotrix {

namespace {

using Byte = unsigned char;

bool IsJisByte(Byte c) { return c >= 0x21 && c <= 0x7E; }
bool IsEucByte(Byte c) { return c >= 0xA1 && c <= 0xFE; }

// A JIS X 0208 row/cell pair (0x21 to 0x7E each) to its Shift-JIS pair. Two rows share one
// Shift-JIS lead byte; the odd row takes the low half of the trail bytes, skipping 0x7F.
void WriteSjisPair(Byte row, Byte cell, char* out) {
    Byte lead = static_cast<Byte>(((row - 0x21) >> 1) + 0x81);
    if (lead > 0x9F) lead = static_cast<Byte>(lead + 0x40);
    Byte trail;
    if (row & 1)
        trail = static_cast<Byte>(cell + (cell >= 0x60 ? 0x20 : 0x1F));
    else
        trail = static_cast<Byte>(cell + 0x7E);
    out[0] = static_cast<char>(lead);
    out[1] = static_cast<char>(trail);
}

}  // namespace

std::size_t EucToSjis(char* bytes, std::size_t length) {
    if (bytes == nullptr) return 0;
    const Byte* in = reinterpret_cast<const Byte*>(bytes);
    std::size_t out = 0;
    std::size_t i = 0;
    // Every branch writes at most as many bytes as it consumes, so the output never overtakes
    // the input.
    while (i < length) {
        const Byte c = in[i];
        if (c == 0) break;
        if (c < 0x80) {
            bytes[out++] = static_cast<char>(c);
            ++i;
        } else if (c == 0x8E && i + 1 < length && in[i + 1] >= 0xA1 && in[i + 1] <= 0xDF) {
            bytes[out++] = static_cast<char>(in[i + 1]);
            i += 2;
        } else if (c == 0x8F) {
            // JIS X 0212 has no Shift-JIS form; its trail bytes go with it, but never a byte
            // that could start something else.
            bytes[out++] = '?';
            ++i;
            for (int k = 0; k < 2 && i < length && IsEucByte(in[i]); ++k) ++i;
        } else if (IsEucByte(c) && i + 1 < length && IsEucByte(in[i + 1])) {
            WriteSjisPair(c & 0x7F, in[i + 1] & 0x7F, bytes + out);
            out += 2;
            i += 2;
        } else {
            bytes[out++] = '?';
            ++i;
        }
    }
    return out;
}

std::size_t JisToSjis(char* bytes, std::size_t length) {
    if (bytes == nullptr) return 0;
    enum Mode { ROMAN, KANJI, KANA } mode = ROMAN;
    const Byte* in = reinterpret_cast<const Byte*>(bytes);
    std::size_t out = 0;
    std::size_t i = 0;
    while (i < length) {
        const Byte c = in[i];
        if (c == 0) break;
        if (c == 0x1B && i + 2 < length) {
            const Byte d1 = in[i + 1];
            const Byte d2 = in[i + 2];
            if (d1 == '$' && (d2 == '@' || d2 == 'B')) {
                mode = KANJI;
                i += 3;
                continue;
            }
            if (d1 == '(' && (d2 == 'B' || d2 == 'J')) {
                mode = ROMAN;
                i += 3;
                continue;
            }
            if (d1 == '(' && d2 == 'I') {
                mode = KANA;
                i += 3;
                continue;
            }
        }
        if (mode == KANJI && IsJisByte(c)) {
            if (i + 1 < length && IsJisByte(in[i + 1])) {
                WriteSjisPair(c, in[i + 1], bytes + out);
                out += 2;
                i += 2;
            } else {
                bytes[out++] = '?';  // half a character
                ++i;
            }
        } else if (mode == KANA && c >= 0x21 && c <= 0x5F) {
            bytes[out++] = static_cast<char>(c | 0x80);
            ++i;
        } else {
            // Controls, line ends, unknown escapes and stray 8-bit bytes pass unchanged.
            bytes[out++] = static_cast<char>(c);
            ++i;
        }
    }
    return out;
}

int DetectJapaneseEncoding(const char* bytes, std::size_t length) {
    if (bytes == nullptr) return ENC_ASCII;
    if (length == 0) return ENC_EUC;
    const Byte* in = reinterpret_cast<const Byte*>(bytes);
    bool seen = false;
    bool odd = false;
    bool upper = false;
    for (std::size_t i = 0; i < length; ++i) {
        Byte c = in[i];
        if (c == 0x1B && length - i >= 4) {
            const Byte d1 = in[i + 1];
            const Byte d2 = in[i + 2];
            if ((d1 == 0x24 && (d2 == 0x40 || d2 == 0x42)) || (d1 == 0x28 && (d2 == 0x42 || d2 == 0x4A || d2 == 0x49)))
                return ENC_JIS;
        }
        if (c >= 0x82 && c <= 0x9E) seen = true;
        if ((c >= 0x80 && c <= 0x8E) || (c >= 0x90 && c <= 0xA0)) return ENC_SJIS;
        if (c == 0x8F || c >= 0xA1) {
            odd = !odd;
            if (c > 0xFC) return ENC_EUC;
            if (c >= 0xE0)
                upper = !upper;
            else if (c >= 0xA1 && c <= 0xDF)
                upper = false;
        }
        if (c <= 0x7F) {
            if (odd) return ENC_SJIS;
            if (upper) {
                if (c < 0x40) return ENC_EUC;
                upper = false;
            }
        }
    }
    return seen ? ENC_SJIS : ENC_EUC;
}

bool DecodePage(const PageDecoding& decoding, std::string_view body, std::string& work, std::u16string& text,
                ThreadLog* log) {
    std::string_view bytes = body;
    // Only the conversions to Shift-JIS need a copy of the page to work on.
    if (decoding.code == ENC_JIS || decoding.code == ENC_EUC) {
        work.assign(body.data(), body.size());
        if (decoding.code == ENC_JIS)
            JisToSjis(work);
        else
            EucToSjis(work);
        PageLog(log, LOG_DTL, "%s -> SJIS: %d bytes", decoding.name, static_cast<int>(body.size()));
        bytes = work;
    }
    ToUtf16(decoding.codePage, bytes, text);
    PageLog(log, LOG_DTL, "MBCS -> UTF16: %d WORDS", static_cast<int>(text.size()));
    return !text.empty();
}

}  // namespace quotrix
