// iconv implementation of the text conversions.
#include <errno.h>
#include <iconv.h>

#include <cstdint>
#include <cstring>

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

// UTF-8 is decoded here rather than through iconv: it is the first decoding of every page and
// iconv's general machinery made it several times slower than the page's parse. Invalid bytes
// are replaced one at a time, as the iconv path does.
bool DecodeUtf8(std::string_view in, std::u16string& out, bool strict) {
    out.clear();
    out.reserve(in.size());
    bool clean = true;
    const std::size_t n = in.size();
    for (std::size_t i = 0; i < n;) {
        const auto c = static_cast<unsigned char>(in[i]);
        if (c < 0x80) {
            out.push_back(c);
            ++i;
            continue;
        }
        std::uint32_t cp = 0;
        std::size_t len = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        }
        bool ok = len != 0 && i + len <= n;
        for (std::size_t k = 1; ok && k < len; ++k) {
            const auto t = static_cast<unsigned char>(in[i + k]);
            ok = (t & 0xC0) == 0x80;
            cp = (cp << 6) | (t & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        if (ok && len == 3) ok = cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF);
        if (ok && len == 4) ok = cp >= 0x10000 && cp <= 0x10FFFF;
        if (!ok) {
            clean = false;
            if (strict) return false;
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return clean;
}

}  // namespace

bool ToUtf16(CodePage cp, std::string_view in, std::u16string& out, bool strict) {
    if (cp == CodePage::Utf8) return DecodeUtf8(in, out, strict);
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
