#include "net/QuotePageScan.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>

#include "net/TextFind.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

namespace quotrix {

namespace {

constexpr std::string_view kMarkers[] = {"<!--MAIN START-->", "<DIV ID=\"CONTENTS-BODY\">"};
constexpr int kOpaque = 0x80;  // a character no marker holds
constexpr int kEnd = -1;

// The normalised text from a "<" on, character by character, as NormalizePageText makes it:
// first line ends dropped and blank runs collapsed, then "&nbsp" (with an optional ";") made a
// space and letters upper-cased. A "<" is never part of a blank run or of "&nbsp", so the text
// from it on does not depend on what comes before it.
class NormalizedFrom {
  public:
    NormalizedFrom(std::string_view bytes, std::size_t at) : bytes_(bytes), next_(at) {}

    // The next normalised character, kEnd at the end; kOpaque also when the look-ahead would
    // run past what is kept (the caller then takes the marker as possible).
    int Next() {
        const int c = First(read_);
        if (c == kEnd) return kEnd;
        if (c == '&' && First(read_ + 1) == 'n' && First(read_ + 2) == 'b' && First(read_ + 3) == 's' &&
            First(read_ + 4) == 'p') {
            read_ += 5;
            if (First(read_) == ';') ++read_;
            return ' ';
        }
        ++read_;
        return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
    }
    bool Overflowed() const { return overflow_; }

  private:
    // The i-th character of the first pass, produced on demand.
    int First(std::size_t i) {
        while (i >= count_) {
            if (count_ == kKeep) {
                overflow_ = true;
                return kEnd;
            }
            const int c = Produce();
            if (c == kEnd) return kEnd;
            first_[count_++] = c;
        }
        return first_[i];
    }
    int Produce() {
        while (next_ < bytes_.size()) {
            const auto c = static_cast<unsigned char>(bytes_[next_++]);
            if (c == '\r' || c == '\n') continue;
            if (c == ' ' || c == '\t' || c == '\v') {
                if (inBlank_) continue;
                inBlank_ = true;
                return ' ';
            }
            inBlank_ = false;
            return c >= 0x80 ? kOpaque : c;
        }
        return kEnd;
    }

    // Enough for the longest marker even when every character of it is spelt "&nbsp;".
    static constexpr std::size_t kKeep = 192;
    std::string_view bytes_;
    std::size_t next_;
    bool inBlank_ = false;
    int first_[kKeep];
    std::size_t count_ = 0;
    std::size_t read_ = 0;
    bool overflow_ = false;
};

// The marker read straight from the bytes while they hold nothing normalisation changes (most
// tags end the comparison within a few bytes): 1 when it is there, 0 when it is not, -1 when a
// line end, blank run or "&" comes first and the full reading must decide.
int PlainMarkerAt(std::string_view bytes, std::size_t at, std::string_view marker) {
    auto special = [](unsigned char c) { return c == '\r' || c == '\n' || c == '\t' || c == '\v' || c == '&'; };
    std::size_t i = at;
    for (char want : marker) {
        if (i >= bytes.size()) return 0;
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (special(c)) return -1;
        if (c == ' ') {
            if (want != ' ') return 0;
            if (i + 1 < bytes.size() && (special(static_cast<unsigned char>(bytes[i + 1])) || bytes[i + 1] == ' '))
                return -1;
        } else if (((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c) != static_cast<unsigned char>(want)) {
            return 0;
        }
        ++i;
    }
    return 1;
}

__attribute__((noinline)) bool MarkerAt(std::string_view bytes, std::size_t at, std::string_view marker) {
    const int plain = PlainMarkerAt(bytes, at, marker);
    if (plain >= 0) return plain == 1;
    NormalizedFrom text(bytes, at);
    for (char want : marker) {
        const int c = text.Next();
        if (c != static_cast<unsigned char>(want)) return text.Overflowed();
    }
    return true;
}

// Whether a "<" followed by `next` may begin a marker after normalisation: "!", "D" in either
// case, or a line end (dropped by the normalisation).
bool MayOpenMarker(char next) { return next == '!' || next == 'd' || next == 'D' || next == '\r' || next == '\n'; }

// Whether either marker begins at the "<" at `at`. Behind the "<" a comment's "!" rules out the
// DIV and a "D" the comment; a line end (dropped) decides nothing.
// Most "<" that pass the block test begin a plain "<div class=..." or "<!-- a comment": six
// bytes rule them out without the normalising reading. Those bytes hold no line end, blank run
// or "&" where they are compared, so they read as they are.
__attribute__((always_inline)) inline bool PlainlyNoMarker(std::string_view bytes, std::size_t at) {
    if (at + 6 > bytes.size()) return false;
    const char* b = bytes.data() + at;
    auto lower = [](char c) { return static_cast<char>(c | 0x20); };
    auto letter = [&](char c) { return lower(c) >= 'a' && lower(c) <= 'z'; };
    auto lineEnd = [](char c) { return c == '\r' || c == '\n'; };
    if (b[1] == '!') {
        // "<!" and then neither "-" nor a line end: a DOCTYPE, CDATA or the like.
        if (b[2] != '-') return !lineEnd(b[2]);
        // "<!--" and then anything but the "M" of "MAIN" (or a line end, which the reading drops).
        return b[3] == '-' && lower(b[4]) != 'm' && !lineEnd(b[4]);
    }
    if (lower(b[1]) == 'd') {
        // "<d" and a letter other than the "I" of "DIV": a DL, DT, DD...
        if (letter(b[2]) && lower(b[2]) != 'i') return true;
        // "<div" and then a letter, or one space and a letter other than the "I" of "ID".
        if (lower(b[2]) == 'i' && lower(b[3]) == 'v') {
            if (letter(b[4])) return true;
            return b[4] == ' ' && letter(b[5]) && lower(b[5]) != 'i';
        }
    }
    return false;
}

__attribute__((always_inline)) inline bool MarkersAt(std::string_view bytes, std::size_t at) {
    if (PlainlyNoMarker(bytes, at)) return false;
    const char next = at + 1 < bytes.size() ? bytes[at + 1] : '\0';
    if (next != 'd' && next != 'D' && MarkerAt(bytes, at, kMarkers[0])) return true;
    return next != '!' && MarkerAt(bytes, at, kMarkers[1]);
}

// The value of each byte as a base-64 digit of UTF-7, -1 for a byte that is none.
constexpr struct Base64Table {
    signed char value[256];
    constexpr Base64Table() : value() {
        for (int c = 0; c < 256; ++c) {
            int v = -1;
            if (c >= 'A' && c <= 'Z') v = c - 'A';
            if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
            if (c >= '0' && c <= '9') v = c - '0' + 52;
            if (c == '+') v = 62;
            if (c == '/') v = 63;
            value[c] = static_cast<signed char>(v);
        }
    }
} kBase64;

int Base64Value(unsigned char c) { return kBase64.value[c]; }

}  // namespace

// Fewer than three digits hold fewer than the sixteen bits of one character.
bool Utf7Runs::Yields(const char* plus) {
    return (kBase64.value[static_cast<unsigned char>(plus[1])] | kBase64.value[static_cast<unsigned char>(plus[2])] |
            kBase64.value[static_cast<unsigned char>(plus[3])]) >= 0;
}

namespace {

std::atomic<bool> g_allowAvx2{true};

constexpr std::size_t npos = std::string_view::npos;

// The pass finds the state marker by its "D_" (of "LOADED_STATE"): an upper-case letter before
// "_" is rare in script code and markup, and the pass has each byte with the one behind it at
// hand anyway. The "D" is the marker's eleventh byte.
constexpr std::size_t kStateLetters = 10;
// FindStateMarker rules places out by the marker's "O" and "E" (of "LOADED"), letters that
// minified code and markup rarely put three apart.
constexpr std::size_t kRareFirst = 6, kRareSecond = 9;

// The places from `at` one by one, as the block-at-a-time passes see them: the tail of a page
// behind the last whole block, or a whole page where there are no vector registers. True when a
// marker ended the pass.
bool LookBytes(PageLook& look, std::string_view bytes, std::size_t at, bool& escape) {
    const std::size_t n = bytes.size();
    while (at < n) {
        const std::size_t length = n - at < 64 ? n - at : 64;
        std::uint64_t openings = 0, pluses = 0, stateLetters = 0;
        for (std::size_t i = 0; i < length; ++i) {
            const char c = bytes[at + i];
            const char next = at + i + 1 < n ? bytes[at + i + 1] : '\0';
            const std::uint64_t bit = std::uint64_t{1} << i;
            if (c == '<' && MayOpenMarker(next)) openings |= bit;
            if (c == '+') pluses |= bit;
            if (c == 'D' && next == '_') stateLetters |= bit;
            if (c == '\x1B') escape = true;
        }
        look.SawPlus(pluses != 0);
        if (look.Block(at, length, openings, pluses, stateLetters)) return true;
        at += length;
    }
    return false;
}

#if defined(__SSE2__)
// Sixteen places from `at`: where a "<" is followed by what may open a marker ("!", "D" in either
// case, a line end, which the normalisation drops), where a "+" is, where "D_" is, and whether
// an ESC is there.
struct Sse2Places {
    __m128i openings, pluses, stateLetters, escapes;
};

inline Sse2Places PlacesSse2(const char* at) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1));
    const __m128i opens = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(next, _mm_set1_epi8('!')),
                     _mm_cmpeq_epi8(_mm_or_si128(next, _mm_set1_epi8(0x20)), _mm_set1_epi8('d'))),
        _mm_or_si128(_mm_cmpeq_epi8(next, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(next, _mm_set1_epi8('\n'))));
    return {_mm_and_si128(_mm_cmpeq_epi8(here, _mm_set1_epi8('<')), opens), _mm_cmpeq_epi8(here, _mm_set1_epi8('+')),
            _mm_and_si128(_mm_cmpeq_epi8(here, _mm_set1_epi8('D')), _mm_cmpeq_epi8(next, _mm_set1_epi8('_'))),
            _mm_cmpeq_epi8(here, _mm_set1_epi8('\x1B'))};
}

inline __m128i AnyOf(const Sse2Places& p) {
    return _mm_or_si128(_mm_or_si128(p.openings, p.pluses), _mm_or_si128(p.stateLetters, p.escapes));
}

inline std::uint64_t Bits16(__m128i a, __m128i b, __m128i c, __m128i d) {
    return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(a))) |
           static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(b))) << 16 |
           static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(c))) << 32 |
           static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(d))) << 48;
}

// The pass sixty-four places at a time; `at` is left where the places one by one go on. A block
// with nothing to look at (most of a page: a page of today's site has thousands of tags, a few
// hundred of them DIVs or comments) costs one test, and a branch per tag would cost more.
bool LookSse2(PageLook& look, std::string_view bytes, std::size_t& at, bool& escape) {
    const char* s = bytes.data();
    for (; at + 65 <= bytes.size(); at += 64) {
        const Sse2Places a = PlacesSse2(s + at);
        const Sse2Places b = PlacesSse2(s + at + 16);
        const Sse2Places c = PlacesSse2(s + at + 32);
        const Sse2Places d = PlacesSse2(s + at + 48);
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(AnyOf(a), AnyOf(b)), _mm_or_si128(AnyOf(c), AnyOf(d)))) == 0)
            continue;
        escape = escape || Bits16(a.escapes, b.escapes, c.escapes, d.escapes) != 0;
        const std::uint64_t pluses = Bits16(a.pluses, b.pluses, c.pluses, d.pluses);
        look.SawPlus(pluses != 0);
        if (look.Block(at, 64, Bits16(a.openings, b.openings, c.openings, d.openings), pluses,
                       Bits16(a.stateLetters, b.stateLetters, c.stateLetters, d.stateLetters)))
            return true;
    }
    return false;
}
#endif

#if defined(__GNUC__) && defined(__x86_64__)
#define QUOTRIX_SCAN_AVX2 1
// Thirty-two places from `at`: the bytes, and where the byte behind may open a marker or be the
// "_" of "D_". With its 0x20 bit set that byte is "!", "d" (also from "D"), "-" (from a carriage
// return), "*" (from a line feed) or 0x7F (from "_") exactly when it equals the entry a table
// holds for its low four bits; "<-", "<*" and the like come along, and the full looks rule them
// out.
struct Avx2Places {
    __m256i here, opens;
};

__attribute__((target("avx2"), always_inline)) inline Avx2Places PlacesAvx2(const char* at) {
    const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    const __m256i lower =
        _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 1)), _mm256_set1_epi8(0x20));
    const __m256i table = _mm256_setr_epi8(0, '!', 0, 0, 'd', 0, 0, 0, 0, 0, '*', 0, 0, '-', 0, 0x7F,  //
                                           0, '!', 0, 0, 'd', 0, 0, 0, 0, 0, '*', 0, 0, '-', 0, 0x7F);
    return {here, _mm256_cmpeq_epi8(_mm256_shuffle_epi8(table, lower), lower)};
}

// Whether any of the places is worth a look: a "<" or "D" before such a byte, a "+", an ESC.
__attribute__((target("avx2"), always_inline)) inline __m256i Events(const Avx2Places& p) {
    // A "<" or a "D" equals the entry of a table for its low four bits (0x80, which no byte
    // below 0x80 equals and which the table gives no byte above, stands for none).
    const __m256i firsts = _mm256_setr_epi8(
        -128, -128, -128, -128, 'D', -128, -128, -128, -128, -128, -128, -128, '<', -128, -128, -128,  //
        -128, -128, -128, -128, 'D', -128, -128, -128, -128, -128, -128, -128, '<', -128, -128, -128);
    const __m256i first = _mm256_cmpeq_epi8(_mm256_shuffle_epi8(firsts, p.here), p.here);
    const __m256i rare = _mm256_or_si256(_mm256_cmpeq_epi8(p.here, _mm256_set1_epi8('+')),
                                         _mm256_cmpeq_epi8(p.here, _mm256_set1_epi8('\x1B')));
    return _mm256_or_si256(_mm256_and_si256(first, p.opens), rare);
}

__attribute__((target("avx2"), always_inline)) inline std::uint64_t Bits32(__m256i low, __m256i high) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(low))) |
           static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(high))) << 32;
}

__attribute__((target("avx2"), always_inline)) inline std::uint64_t Where(const Avx2Places& a, const Avx2Places& b,
                                                                          char c, bool opening) {
    __m256i x = _mm256_cmpeq_epi8(a.here, _mm256_set1_epi8(c));
    __m256i y = _mm256_cmpeq_epi8(b.here, _mm256_set1_epi8(c));
    if (opening) {
        x = _mm256_and_si256(x, a.opens);
        y = _mm256_and_si256(y, b.opens);
    }
    return Bits32(x, y);
}

// LookSse2 thirty-two places at a time, on processors that have AVX2. Most blocks cost the one
// test; the places are told apart only in a block that has any, from the registers at hand.
__attribute__((target("avx2"))) bool LookAvx2(PageLook& look, std::string_view bytes, std::size_t& at, bool& escape) {
    const char* s = bytes.data();
    std::size_t i = at;
    for (; i + 65 <= bytes.size(); i += 64) {
        const Avx2Places a = PlacesAvx2(s + i);
        const Avx2Places b = PlacesAvx2(s + i + 32);
        const __m256i any = _mm256_or_si256(Events(a), Events(b));
        if (_mm256_testz_si256(any, any)) continue;
        escape = escape || Where(a, b, '\x1B', false) != 0;
        const std::uint64_t pluses = Where(a, b, '+', false);
        look.SawPlus(pluses != 0);
        if (look.Block(i, 64, Where(a, b, '<', true), pluses, Where(a, b, 'D', true))) {
            at = i;
            return true;
        }
    }
    at = i;
    return false;
}

// FindStateMarker 64 places at a time from `from`, up to where fewer than 64 places are left;
// then the sixteen-byte search goes on from where this one stopped. The "O" alone rules out most
// blocks; only a block holding one is looked at for the "E" as well.
__attribute__((target("avx2"))) std::size_t FindStateMarkerAvx2(std::string_view body, std::size_t from,
                                                                std::size_t& stopped) {
    const std::size_t m = kStateMarker.size();
    std::size_t i = from;
    if (body.size() >= m) {
        const std::size_t last = body.size() - m;
        const char* s = body.data();
        const __m256i first = _mm256_set1_epi8(kStateMarker[kRareFirst]);
        const __m256i second = _mm256_set1_epi8(kStateMarker[kRareSecond]);
        for (; i + 63 <= last; i += 64) {
            const __m256i x0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + kRareFirst));
            const __m256i x1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 32 + kRareFirst));
            const __m256i o0 = _mm256_cmpeq_epi8(x0, first);
            const __m256i o1 = _mm256_cmpeq_epi8(x1, first);
            if (_mm256_testz_si256(_mm256_or_si256(o0, o1), _mm256_set1_epi8(-1))) continue;
            const __m256i y0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + kRareSecond));
            const __m256i y1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 32 + kRareSecond));
            std::uint64_t mask = Bits32(_mm256_and_si256(o0, _mm256_cmpeq_epi8(y0, second)),
                                        _mm256_and_si256(o1, _mm256_cmpeq_epi8(y1, second)));
            for (; mask != 0; mask &= mask - 1) {
                const std::size_t at = i + static_cast<std::size_t>(__builtin_ctzll(mask));
                if (std::memcmp(s + at, kStateMarker.data(), m) == 0) return at;
            }
        }
    }
    stopped = i;
    return npos;
}
#endif

}  // namespace

bool HasAvx2() {
#if defined(QUOTRIX_SCAN_AVX2)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2 && g_allowAvx2.load(std::memory_order_relaxed);
#else
    return false;
#endif
}

void AllowAvx2(bool allowed) { g_allowAvx2.store(allowed, std::memory_order_relaxed); }

PageLook::PageLook(std::string_view bytes, std::u16string_view wanted)
    : bytes_(bytes), utf7_(wanted, bytes.size()), state_(npos) {
    std::size_t at = 0;
    bool stopped = false;
    [[maybe_unused]] bool avx2 = false;
#if defined(QUOTRIX_SCAN_AVX2)
    avx2 = HasAvx2();
    if (avx2) stopped = LookAvx2(*this, bytes, at, escape_);
#endif
#if defined(__SSE2__)
    if (!avx2) stopped = LookSse2(*this, bytes, at, escape_);
#endif
    if (!stopped && !LookBytes(*this, bytes, at, escape_)) looked_ = bytes.size();
}

__attribute__((always_inline)) inline bool PageLook::Block(std::size_t at, std::size_t length, std::uint64_t openings,
                                                           std::uint64_t pluses, std::uint64_t stateLetters) {
    // Each of a block's "D_" is taken in order until the first marker: the first that is one is
    // the first marker beginning before this block's end less ten.
    for (std::uint64_t m = stateLetters; m != 0 && state_ == npos; m &= m - 1) {
        const std::size_t o = at + static_cast<std::size_t>(__builtin_ctzll(m));
        if (o >= kStateLetters && bytes_.size() - (o - kStateLetters) >= kStateMarker.size() &&
            std::memcmp(bytes_.data() + o - kStateLetters, kStateMarker.data(), kStateMarker.size()) == 0)
            state_ = o - kStateLetters;
    }
    // The runs long enough to hold a character are rare; they are kept to be read when the
    // question is asked (a page with a marker often parses before it is).
    for (std::uint64_t m = pluses; m != 0 && !utf7_.Decided() && !runsOverflow_; m &= m - 1) {
        const std::size_t plus = at + static_cast<std::size_t>(__builtin_ctzll(m));
        if (!Utf7Runs::Yields(bytes_, plus)) continue;
        if (runCount_ < kKeptRuns)
            runs_[runCount_++] = plus;
        else
            runsOverflow_ = true;
    }
    for (std::uint64_t m = openings; m != 0; m &= m - 1)
        if (MarkersAt(bytes_, at + static_cast<std::size_t>(__builtin_ctzll(m)))) {
            marker_ = true;
            looked_ = at + length;
            return true;
        }
    return false;
}

bool PageLook::HoldsEscape() {
    if (!escapeAsked_) {
        escapeAsked_ = true;
        escape_ = escape_ || FindByte(bytes_, '\x1B', looked_) != npos;
    }
    return escape_;
}

bool PageLook::HoldsPlus() const { return plus_ || FindByte(bytes_, '+', looked_) != npos; }

bool PageLook::Utf7MayHold() {
    // Each "+" is read once and in order: the runs the pass kept, then every "+" behind the place
    // it ended (or all of them again when it kept too many).
    if (!utf7Asked_) {
        utf7Asked_ = true;
        std::size_t from = 0;
        if (!runsOverflow_) {
            for (std::size_t k = 0; k < runCount_; ++k) utf7_.Read(bytes_, runs_[k]);
            from = looked_;
        }
        for (std::size_t at = from; at < bytes_.size() && !utf7_.Decided(); ++at) {
            at = FindByte(bytes_, '+', at);
            if (at == npos) break;
            utf7_.Read(bytes_, at);
        }
    }
    return utf7_.MayHold();
}

std::size_t PageLook::StateMarker() {
    if (!stateAsked_) {
        stateAsked_ = true;
        // The pass saw every "D_" before looked_, so every marker beginning ten places earlier.
        if (state_ == npos && looked_ < bytes_.size())
            state_ = FindStateMarker(bytes_, looked_ >= kStateLetters ? looked_ - kStateLetters : 0);
    }
    return state_;
}

bool MayHoldMainMarker(std::string_view bytes, bool* holdsEscape) {
    PageLook look(bytes, u"");
    if (!look.MayHoldMarker() && holdsEscape != nullptr) *holdsEscape = look.HoldsEscape();
    return look.MayHoldMarker();
}

Utf7Runs::Utf7Runs(std::u16string_view wanted, std::size_t pageSize) : budget_(8 * pageSize + 4096) {
    for (char16_t c : wanted) {
        bool known = false;
        for (std::size_t k = 0; k < count_ && !known; ++k) known = distinct_[k] == c;
        if (known) continue;
        // More than 32 cannot be told apart in the bits kept: "maybe".
        if (count_ == 32) {
            decided_ = true;
            return;
        }
        distinct_[count_++] = c;
    }
    all_ = count_ == 32 ? 0xFFFFFFFFu : (1u << count_) - 1;
    if (count_ == 0) decided_ = true;
}

bool Utf7Runs::Yields(std::string_view bytes, std::size_t plus) {
    return bytes.size() - plus > 3 && Yields(bytes.data() + plus);
}

void Utf7Runs::Read(std::string_view bytes, std::size_t plus) {
    // A run too short to yield a character is passed by, and not counted against the budget:
    // its reading costs a few steps whatever comes before it.
    if (decided_ || !Yields(bytes, plus)) return;
    const std::size_t at = plus + 1;
    std::uint32_t bits = 0;
    int count = 0;
    std::size_t i = at;
    for (; i < bytes.size(); ++i) {
        const int value = Base64Value(static_cast<unsigned char>(bytes[i]));
        if (value < 0) break;
        bits = ((bits << 6) | static_cast<std::uint32_t>(value)) & 0x3FFFFF;
        count += 6;
        if (count >= 16) {
            count -= 16;
            const auto unit = static_cast<char16_t>(bits >> count);
            for (std::size_t k = 0; k < count_; ++k)
                if (distinct_[k] == unit) seen_ |= 1u << k;
        }
    }
    // A run holding many "+" is read once from each of them; past this much work the answer is
    // "maybe" rather than a quadratic cost.
    const std::size_t cost = i - at + 1;
    if (cost > budget_ || seen_ == all_) {
        decided_ = true;
        return;
    }
    budget_ -= cost;
}

bool Utf7MayHold(std::string_view bytes, std::u16string_view wanted) {
    Utf7Runs runs(wanted, bytes.size());
    for (std::size_t at = 0; at < bytes.size() && !runs.Decided(); ++at) {
        at = FindByte(bytes, '+', at);
        if (at == npos) break;
        runs.Read(bytes, at);
    }
    return runs.MayHold();
}

bool Utf8MayHold(std::string_view bytes, std::u16string_view wanted) {
    // The first character (the anchor's) and the last (a label's) are enough to tell a page in
    // another encoding, and each search may cross the whole chrome before the main block.
    std::u16string ends;
    if (wanted.size() > 2) {
        ends = {wanted.front(), wanted.back()};
        wanted = ends;
    }
    for (char16_t c : wanted) {
        char form[3];
        std::size_t length;
        if (c < 0x80) {
            continue;
        } else if (c < 0x800) {
            form[0] = static_cast<char>(0xC0 | (c >> 6));
            form[1] = static_cast<char>(0x80 | (c & 0x3F));
            length = 2;
        } else {
            form[0] = static_cast<char>(0xE0 | (c >> 12));
            form[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            form[2] = static_cast<char>(0x80 | (c & 0x3F));
            length = 3;
        }
        // Kanji share a handful of lead bytes: a search by the first byte stops all over Japanese
        // text, so a three-byte form is looked for by its two trail bytes.
        const std::string_view needle(form, length);
        const std::size_t at = length == 3 ? FindTextByRare(bytes, needle, 1, 2) : FindText(bytes, needle);
        if (at == std::string_view::npos) return false;
    }
    return true;
}

std::size_t FindStateMarker(std::string_view bytes, std::size_t from) {
#if defined(QUOTRIX_SCAN_AVX2)
    if (HasAvx2() && from <= bytes.size()) {
        const std::size_t at = FindStateMarkerAvx2(bytes, from, from);
        if (at != npos) return at;
    }
#endif
    return FindTextByRare(bytes, kStateMarker, kRareFirst, kRareSecond, from);
}

}  // namespace quotrix
