// iconv implementation of the text conversions.
#include <errno.h>
#include <iconv.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/TextCodec.h"

namespace quotrix {

namespace {

// One converter per direction and code page per thread: iconv_open is costly and a descriptor
// is not safe to share between threads.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of `in`; on an invalid or unconvertible sequence skips `skipUnit` bytes and
    // appends `replacement` (or stops when `strict`). Returns true when nothing was replaced.
    bool Run(const char* in, std::size_t inLen, std::string& out, std::size_t skipUnit, std::string_view replacement,
             bool strict) {
        out.clear();
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        bool clean = true;
        char* src = const_cast<char*>(in);
        std::size_t srcLeft = inLen;
        char buffer[4096];
        while (true) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            std::size_t rc =
                srcLeft > 0 ? iconv(cd_, &src, &srcLeft, &dst, &dstLeft) : iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
            out.append(buffer, dst - buffer);
            if (rc != static_cast<std::size_t>(-1)) {
                if (rc > 0) clean = false;  // irreversible conversions (glibc counts them here)
                if (srcLeft == 0) {
                    if (dst == buffer) break;  // flushed
                    continue;
                }
                continue;
            }
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL (incomplete sequence at the end).
            clean = false;
            if (strict) return false;
            out.append(replacement);
            std::size_t skip = std::min(skipUnit, srcLeft);
            src += skip;
            srcLeft -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return clean;
    }

  private:
    iconv_t cd_;
};

// Each converter is opened on its thread's first use of it, not with its siblings: a glibc
// descriptor of two steps holds a 32 KB buffer between them, and an update worker needs only the
// Shift-JIS pair.
Converter& ToUtf16Converter(CodePage cp) {
    if (cp == CodePage::Sjis) {
        thread_local Converter sjis("UTF-16LE", "CP932");
        return sjis;
    }
    if (cp == CodePage::Utf7) {
        thread_local Converter utf7("UTF-16LE", "UTF-7");
        return utf7;
    }
    thread_local Converter utf8("UTF-16LE", "UTF-8");
    return utf8;
}

Converter& FromUtf16Converter(CodePage cp) {
    if (cp == CodePage::Sjis) {
        thread_local Converter sjis("CP932", "UTF-16LE");
        return sjis;
    }
    if (cp == CodePage::Utf7) {
        thread_local Converter utf7("UTF-7", "UTF-16LE");
        return utf7;
    }
    thread_local Converter utf8("UTF-8", "UTF-16LE");
    return utf8;
}

// Copies the run of ASCII bytes at the front of `in` (whole blocks of sixteen only) to `out` as
// UTF-16 and advances `out`; returns how many bytes it took.
std::size_t WidenAscii(const unsigned char* in, std::size_t length, char16_t*& out) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= length; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        if (_mm_movemask_epi8(v) != 0) break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(v, zero));
        out += 16;
    }
#endif
    return i;
}

// UTF-8 is decoded here rather than through iconv: it is the first decoding of every page and
// iconv's general machinery made it several times slower than the page's parse. Invalid bytes
// are replaced one at a time, as the iconv path does.
bool DecodeUtf8(std::string_view in, std::u16string& out, bool strict) {
    // Never more units than bytes: written through a pointer, cut to size at the end.
    out.resize(in.size());
    char16_t* o = out.data();
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    bool clean = true;
    const std::size_t n = in.size();
    for (std::size_t i = 0; i < n;) {
        // Markup is mostly ASCII: sixteen or eight bytes at a time while no byte has its top bit set.
        i += WidenAscii(p + i, n - i, o);
        while (i + 8 <= n) {
            std::uint64_t word;
            std::memcpy(&word, p + i, 8);
            if (word & 0x8080808080808080ull) break;
            for (int k = 0; k < 8; ++k) o[k] = p[i + k];
            o += 8;
            i += 8;
        }
        if (i >= n) break;
        const unsigned char c = p[i];
        if (c < 0x80) {
            *o++ = c;
            ++i;
            continue;
        }
        // Japanese text: runs of three-byte characters, checked and written without the general
        // machinery below (the same checks: trails, no overlong form, no surrogate).
        while (i + 3 <= n && (p[i] & 0xF0) == 0xE0 && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80) {
            const std::uint32_t unit =
                (std::uint32_t{p[i] & 0x0Fu} << 12) | (std::uint32_t{p[i + 1] & 0x3Fu} << 6) | (p[i + 2] & 0x3Fu);
            if (unit < 0x800 || (unit >= 0xD800 && unit <= 0xDFFF)) break;
            *o++ = static_cast<char16_t>(unit);
            i += 3;
        }
        if (i >= n || p[i] < 0x80) continue;
        const unsigned char lead = p[i];
        std::uint32_t cp = 0;
        std::size_t len = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            len = 2;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            len = 3;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            len = 4;
            cp = lead & 0x07;
        }
        bool ok = len != 0 && i + len <= n;
        for (std::size_t k = 1; ok && k < len; ++k) {
            const unsigned char t = p[i + k];
            ok = (t & 0xC0) == 0x80;
            cp = (cp << 6) | (t & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        if (ok && len == 3) ok = cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF);
        if (ok && len == 4) ok = cp >= 0x10000 && cp <= 0x10FFFF;
        if (!ok) {
            clean = false;
            if (strict) {
                out.resize(static_cast<std::size_t>(o - out.data()));
                return false;
            }
            *o++ = u'\uFFFD';
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *o++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *o++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *o++ = static_cast<char16_t>(cp);
        }
        i += len;
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return clean;
}

// Shift-JIS (code page 932) read through a table that iconv itself fills once per process: every
// byte and every pair of bytes as iconv reads it on its own. Code page 932 has no state and no
// sequence longer than two bytes, so reading a text through the table gives what iconv gives,
// replacement and resynchronisation included (an undecodable byte becomes the middle dot and
// the next byte is read afresh), at a fraction of the cost: every page in Shift-JIS is read
// this way on the update workers.
class SjisTable {
  public:
    static const SjisTable& Get() {
        static const SjisTable table;
        return table;
    }

    bool Decode(std::string_view in, std::u16string& out) const {
        out.resize(in.size());
        char16_t* o = out.data();
        const auto* p = reinterpret_cast<const unsigned char*>(in.data());
        const std::size_t n = in.size();
        bool clean = true;
        for (std::size_t i = 0; i < n;) {
            if (p[i] < 0x80 && asciiAsIs_) {
                i += WidenAscii(p + i, n - i, o);
                if (i >= n) break;
            }
            const unsigned char b = p[i];
            const Entry single = single_[b];
            if (single.valid) {
                *o++ = single.unit;
                clean &= !single.lossy;
                ++i;
                continue;
            }
            if (i + 1 < n && pairs_[b] != nullptr) {
                const Entry pair = (*pairs_[b])[p[i + 1]];
                if (pair.valid) {
                    *o++ = pair.unit;
                    clean &= !pair.lossy;
                    i += 2;
                    continue;
                }
            }
            *o++ = u'\u30FB';
            clean = false;
            ++i;
        }
        out.resize(static_cast<std::size_t>(o - out.data()));
        return clean;
    }

  private:
    struct Entry {
        char16_t unit = 0;
        bool valid = false;
        bool lossy = false;  // iconv counted the conversion as irreversible
    };

    SjisTable() {
        iconv_t cd = iconv_open("UTF-16LE", "CP932");
        if (cd == reinterpret_cast<iconv_t>(-1)) return;
        for (int b = 0; b < 256; ++b) {
            const char one[1] = {static_cast<char>(b)};
            single_[b] = Convert(cd, one, 1);
        }
        asciiAsIs_ = true;
        for (int b = 0; b < 0x80; ++b)
            asciiAsIs_ &= single_[b].valid && !single_[b].lossy && single_[b].unit == static_cast<char16_t>(b);
        for (int lead = 0; lead < 256; ++lead) {
            if (single_[lead].valid) continue;
            auto row = std::make_unique<std::array<Entry, 256>>();
            bool any = false;
            for (int trail = 0; trail < 256; ++trail) {
                const char two[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                (*row)[trail] = Convert(cd, two, 2);
                any |= (*row)[trail].valid;
            }
            if (any) pairs_[lead] = std::move(row);
        }
        iconv_close(cd);
    }

    // One whole character in `length` bytes, or an invalid entry.
    static Entry Convert(iconv_t cd, const char* bytes, std::size_t length) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(bytes);
        std::size_t srcLeft = length;
        char buffer[8];
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        Entry entry;
        if (rc == static_cast<std::size_t>(-1) || srcLeft != 0 || dst - buffer != 2) return entry;
        entry.unit =
            static_cast<char16_t>(static_cast<unsigned char>(buffer[0]) | static_cast<unsigned char>(buffer[1]) << 8);
        entry.valid = true;
        entry.lossy = rc > 0;
        return entry;
    }

    Entry single_[256];
    bool asciiAsIs_ = false;  // every byte below 0x80 reads as that very character, losslessly
    std::unique_ptr<std::array<Entry, 256>> pairs_[256];
};

}  // namespace

bool ToUtf16(CodePage cp, std::string_view in, std::u16string& out, bool strict) {
    if (cp == CodePage::Utf8) return DecodeUtf8(in, out, strict);
    if (cp == CodePage::Sjis && !strict) return SjisTable::Get().Decode(in, out);
    std::string bytes;
    // Windows shows an undecodable Shift-JIS byte as the middle dot, other code pages as U+FFFD.
    const std::string_view replacement =
        cp == CodePage::Sjis ? std::string_view("\xFB\x30", 2) : std::string_view("\xFD\xFF", 2);
    bool ok = ToUtf16Converter(cp).Run(in.data(), in.size(), bytes, 1, replacement, strict);
    out.resize(bytes.size() / 2);
    if (!out.empty()) std::memcpy(out.data(), bytes.data(), out.size() * 2);
    return ok;
}

bool FromUtf16(CodePage cp, std::u16string_view in, std::string& out) {
    return FromUtf16Converter(cp).Run(reinterpret_cast<const char*>(in.data()), in.size() * 2, out, 2, "?", false);
}

}  // namespace quotrix
