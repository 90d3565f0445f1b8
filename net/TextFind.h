// Substring search over page text, sixteen bytes at a time.
//
// A quote page is searched for markers, labels and tags many times over; the standard search
// looks for the needle's first character one character at a time and compares from there, which
// on markup full of "<", "_" and "D" means a comparison every few characters. Here a block of
// positions is ruled out at once unless both the needle's first and its last character sit at
// the right distance, and only the survivors are compared.
//
// Pure functions; any thread. Bounded by the text's length for any input.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quotrix {

// The first position at or after `from` where `needle` occurs in `text`; npos when none (also when
// `from` is past the end). An empty needle is found at `from`. Same answer as
// std::basic_string_view::find.
template <typename CharT>
std::size_t FindText(std::basic_string_view<CharT> text, std::basic_string_view<CharT> needle, std::size_t from = 0) {
    static_assert(sizeof(CharT) == 1 || sizeof(CharT) == 2);
    constexpr std::size_t npos = std::basic_string_view<CharT>::npos;
    const std::size_t n = text.size();
    const std::size_t m = needle.size();
    if (from > n) return npos;
    if (m == 0) return from;
    if (n - from < m) return npos;
    const CharT* s = text.data();
    const CharT* w = needle.data();
#if defined(__GLIBC__)
    // glibc's search skips ahead by hashed pairs of bytes: for the long markers a page is searched
    // for it looks at a fraction of the positions a block-at-a-time comparison does.
    if constexpr (sizeof(CharT) == 1) {
        if (m >= 8) {
            const void* hit = memmem(s + from, n - from, w, m);
            return hit == nullptr ? npos : static_cast<std::size_t>(static_cast<const CharT*>(hit) - s);
        }
    }
#endif
    const std::size_t last = n - m;  // the last position a match may start at
    std::size_t i = from;
#if defined(__SSE2__)
    constexpr std::size_t kLanes = 16 / sizeof(CharT);
    // The second character looked at: the last one, unless it repeats the first (as in
    // "__NAME__", where a page full of "_" would let most places through); then the last one
    // that differs from the first.
    std::size_t k = m - 1;
    while (k > 0 && w[k] == w[0]) --k;
    if (k == 0) k = m - 1;
    __m128i first;
    __m128i tail;
    if constexpr (sizeof(CharT) == 1) {
        first = _mm_set1_epi8(static_cast<char>(w[0]));
        tail = _mm_set1_epi8(static_cast<char>(w[k]));
    } else {
        first = _mm_set1_epi16(static_cast<short>(w[0]));
        tail = _mm_set1_epi16(static_cast<short>(w[k]));
    }
    // Both loads stay inside the text: the last lane's start is at most `last`, and its second
    // character at most last + k <= n - 1.
    for (; i + kLanes - 1 <= last; i += kLanes) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + k));
        __m128i hits;
        if constexpr (sizeof(CharT) == 1)
            hits = _mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, tail));
        else
            hits = _mm_and_si128(_mm_cmpeq_epi16(a, first), _mm_cmpeq_epi16(b, tail));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        while (mask != 0) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask)) / sizeof(CharT);
            if (std::memcmp(s + at, w, m * sizeof(CharT)) == 0) return at;
            // Both bytes of a 16-bit lane are set together.
            mask &= sizeof(CharT) == 1 ? mask - 1 : ~(3u << (__builtin_ctz(mask)));
        }
    }
#endif
    for (; i <= last; ++i)
        if (s[i] == w[0] && std::memcmp(s + i, w, m * sizeof(CharT)) == 0) return i;
    return npos;
}

// FindText for a byte needle of at least two bytes, its places ruled out sixteen at a time by
// two characters the caller knows to be rare in the text: those at `a` and `b` in the needle
// (a != b, both below its length). For a long marker whose ends are common characters ("_" in
// script code) this lets next to no places through to the comparison.
inline std::size_t FindTextByRare(std::string_view text, std::string_view needle, std::size_t a, std::size_t b,
                                  std::size_t from = 0) {
    const std::size_t n = text.size();
    const std::size_t m = needle.size();
    if (from > n) return std::string_view::npos;
    if (m < 2 || a >= m || b >= m || a == b) return FindText<char>(text, needle, from);
    if (n - from < m) return std::string_view::npos;
    const char* s = text.data();
    const std::size_t last = n - m;
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(needle[a]);
    const __m128i second = _mm_set1_epi8(needle[b]);
    // The last lane of a block starts at most at `last`: its loads end at last + max(a, b) <= n - 1.
    for (; i + 15 <= last; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + a));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + b));
        unsigned mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(x, first), _mm_cmpeq_epi8(y, second))));
        while (mask != 0) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (std::memcmp(s + at, needle.data(), m) == 0) return at;
            mask &= mask - 1;
        }
    }
#endif
    for (; i <= last; ++i)
        if (s[i + a] == needle[a] && std::memcmp(s + i, needle.data(), m) == 0) return i;
    return std::string_view::npos;
}

// The first position at or after `from` holding the byte `c`; npos when none. The C library's
// memchr where it is fast (glibc); elsewhere (the Windows runtime under Wine reads byte by byte)
// sixteen bytes at a time.
inline std::size_t FindByte(std::string_view text, char c, std::size_t from = 0) {
    if (from >= text.size()) return std::string_view::npos;
    const char* s = text.data();
    const std::size_t n = text.size();
#if defined(__GLIBC__) || !defined(__SSE2__)
    const void* hit = std::memchr(s + from, c, n - from);
    return hit == nullptr ? std::string_view::npos : static_cast<std::size_t>(static_cast<const char*>(hit) - s);
#else
    std::size_t i = from;
    const __m128i wanted = _mm_set1_epi8(c);
    for (; i + 16 <= n; i += 16) {
        const unsigned mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)), wanted)));
        if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
    }
    for (; i < n; ++i)
        if (s[i] == c) return i;
    return std::string_view::npos;
#endif
}

inline std::size_t FindText(std::string_view text, std::string_view needle, std::size_t from = 0) {
    return FindText<char>(text, needle, from);
}
inline std::size_t FindText(std::u16string_view text, std::u16string_view needle, std::size_t from = 0) {
    return FindText<char16_t>(text, needle, from);
}

}  // namespace quotrix
