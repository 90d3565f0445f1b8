#include "net/QuotePageScan.h"

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

bool MarkerAt(std::string_view bytes, std::size_t at, std::string_view marker) {
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
bool PlainlyNoMarker(std::string_view bytes, std::size_t at) {
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

bool MarkersAt(std::string_view bytes, std::size_t at) {
    if (PlainlyNoMarker(bytes, at)) return false;
    const char next = at + 1 < bytes.size() ? bytes[at + 1] : '\0';
    if (next != 'd' && next != 'D' && MarkerAt(bytes, at, kMarkers[0])) return true;
    return next != '!' && MarkerAt(bytes, at, kMarkers[1]);
}

int Base64Value(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

#if defined(__GNUC__) && defined(__x86_64__)
#define QUOTRIX_SCAN_AVX2 1
// Of the 32 places from `at`, those holding a "<" followed by what may open a marker. The byte
// behind with its 0x20 bit set is "!", "d" (also from "D"), "-" (from a carriage return) or "*"
// (from a line feed) exactly when it equals the entry a table holds for its low four bits; "<-"
// and "<*" come along, and the full look rules them out.
__attribute__((target("avx2"))) inline std::uint32_t MarkerCandidates32(const char* at, __m256i& escapes) {
    const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    escapes = _mm256_or_si256(escapes, _mm256_cmpeq_epi8(here, _mm256_set1_epi8('\x1B')));
    const __m256i next =
        _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 1)), _mm256_set1_epi8(0x20));
    const __m256i table = _mm256_setr_epi8(0, '!', 0, 0, 'd', 0, 0, 0, 0, 0, '*', 0, 0, '-', 0, 0,  //
                                           0, '!', 0, 0, 'd', 0, 0, 0, 0, 0, '*', 0, 0, '-', 0, 0);
    const __m256i opens = _mm256_cmpeq_epi8(_mm256_shuffle_epi8(table, next), next);
    return static_cast<std::uint32_t>(
        _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(here, _mm256_set1_epi8('<')), opens)));
}

// The look of MayHoldMainMarker, sixty-four places at a time, on processors that have AVX2.
// Returns where the look is to go on (the end of the whole blocks), or sets `found`; `escape`
// tells whether the blocks looked at hold an ESC.
__attribute__((target("avx2"))) std::size_t MarkerCandidatesAvx2(std::string_view bytes, bool& found, bool& escape) {
    found = false;
    std::size_t at = 0;
    __m256i escapes = _mm256_setzero_si256();
    for (; at + 65 <= bytes.size(); at += 64) {
        const std::uint64_t mask = MarkerCandidates32(bytes.data() + at, escapes) |
                                   std::uint64_t{MarkerCandidates32(bytes.data() + at + 32, escapes)} << 32;
        for (std::uint64_t m = mask; m != 0; m &= m - 1)
            if (MarkersAt(bytes, at + static_cast<std::size_t>(__builtin_ctzll(m)))) {
                found = true;
                return at;
            }
    }
    escape = _mm256_movemask_epi8(escapes) != 0;
    return at;
}

#endif

}  // namespace

namespace {
std::atomic<bool> g_allowAvx2{true};
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

bool MayHoldMainMarker(std::string_view bytes, bool* holdsEscape) {
    const char* data = bytes.data();
    std::size_t at = 0;
    // Whether the bytes looked at in blocks hold an ESC: the same pass answers the ISO-2022-JP
    // decoding's question when no marker cuts it short.
    bool escape = false;
#if defined(QUOTRIX_SCAN_AVX2)
    if (HasAvx2()) {
        bool found = false;
        at = MarkerCandidatesAvx2(bytes, found, escape);
        if (found) return true;
    }
#endif
#if defined(__SSE2__)
    // Thirty-two places at a time, and only a "<" followed by what may open a marker ("!", "D" in
    // either case, a line end) is looked at further: a page of today's site has thousands of tags,
    // a few hundred of them DIVs or comments, and a branch per tag costs more than the test.
    const __m128i open = _mm_set1_epi8('<');
    const __m128i bang = _mm_set1_epi8('!');
    const __m128i lowerD = _mm_set1_epi8('d');
    const __m128i caseBit = _mm_set1_epi8(0x20);
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i esc = _mm_set1_epi8('\x1B');
    __m128i escapes = _mm_setzero_si128();
    auto candidates = [&](std::size_t from) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
        escapes = _mm_or_si128(escapes, _mm_cmpeq_epi8(here, esc));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from + 1));
        const __m128i opens =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(next, bang), _mm_cmpeq_epi8(_mm_or_si128(next, caseBit), lowerD)),
                         _mm_or_si128(_mm_cmpeq_epi8(next, cr), _mm_cmpeq_epi8(next, lf)));
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(here, open), opens)));
    };
    for (; at + 33 <= bytes.size(); at += 32) {
        const unsigned low = candidates(at);
        const unsigned high = candidates(at + 16);
        if ((low | high) == 0) continue;
        for (std::uint32_t mask = low | high << 16; mask != 0; mask &= mask - 1)
            if (MarkersAt(bytes, at + static_cast<std::size_t>(__builtin_ctz(mask)))) return true;
    }
    escape |= _mm_movemask_epi8(escapes) != 0;
#endif
    if (holdsEscape != nullptr) *holdsEscape = escape || FindByte(bytes, '\x1B', at) != std::string_view::npos;
    while (at < bytes.size()) {
        at = FindByte(bytes, '<', at);
        if (at == std::string_view::npos) return false;
        // Most tags are neither a comment nor a DIV: one byte tells.
        const char next = at + 1 < bytes.size() ? bytes[at + 1] : '\0';
        if (MayOpenMarker(next) && MarkersAt(bytes, at)) return true;
        ++at;
    }
    return false;
}

bool Utf7MayHold(std::string_view bytes, std::u16string_view wanted) {
    std::u16string distinct;
    for (char16_t c : wanted)
        if (distinct.find(c) == std::u16string::npos) distinct += c;
    if (distinct.empty()) return true;
    if (distinct.size() > 32) return true;
    const std::uint32_t all = distinct.size() == 32 ? 0xFFFFFFFFu : (1u << distinct.size()) - 1;
    std::uint32_t seen = 0;
    // A run holding many "+" is read once from each of them; past this much work the answer is
    // "maybe" rather than a quadratic cost.
    std::size_t budget = 8 * bytes.size() + 4096;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t plus = FindByte(bytes, '+', at);
        if (plus == std::string_view::npos) break;
        at = plus + 1;
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
                const std::size_t k = distinct.find(unit);
                if (k != std::u16string::npos) seen |= 1u << k;
            }
        }
        const std::size_t cost = i - at + 1;
        if (cost > budget) return true;
        budget -= cost;
        if (seen == all) return true;
    }
    return seen == all;
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
        // Kanji share a handful of lead bytes: a search by the first byte alone stops all over
        // Japanese text.
        if (FindText(bytes, std::string_view(form, length)) == std::string_view::npos) return false;
    }
    return true;
}

}  // namespace quotrix
