#include "net/Html.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quotrix {

namespace {

bool IsBlank16(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v'; }
bool IsSpaceByte(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\v'; }

// The first ">" or zero byte at or after `from`; `length` when none.
std::size_t FindTagEnd(const char* text, std::size_t from, std::size_t length) {
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i gt = _mm_set1_epi8('>');
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= length; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, gt), _mm_cmpeq_epi8(v, zero)));
        if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
#endif
    while (i < length && text[i] != '>' && text[i] != 0) ++i;
    return i;
}

}  // namespace

std::size_t NormalizePageText(char16_t* text, std::size_t length) {
    if (text == nullptr) return 0;
    // One pass, writing behind its read position. Line ends go first, so blanks on both sides of
    // a line break make one run; "&nbsp" is matched on what remains of the text after that (a
    // line break inside it does not hide it), before upper-casing. The match runs on the written
    // characters: `matched` counts how much of "&nbsp" the last written ones spell.
    static constexpr char16_t kNbsp[] = u"&nbsp";
    std::size_t out = 0;
    bool inBlank = false;
    int matched = 0;
    bool semicolonMayFollow = false;
    for (std::size_t i = 0; i < length;) {
        // Most characters are none of line end, blank or "&": while no "&nbsp" is under way they
        // are only upper-cased, in a tight loop.
        if (matched == 0 && !semicolonMayFollow) {
            const std::size_t start = i;
#if defined(__SSE2__)
            // Eight at a time while none of them is special. Writing behind the read position
            // never reaches characters not yet read: out <= i.
            const __m128i space = _mm_set1_epi16(0x20);
            const __m128i amp = _mm_set1_epi16(u'&');
            const __m128i flip = _mm_set1_epi16(static_cast<short>(0x8000));
            const __m128i aLower = _mm_set1_epi16(u'a');
            const __m128i below26 = _mm_set1_epi16(static_cast<short>(0x8000 + 26));
            const __m128i zero = _mm_setzero_si128();
            // A lone space (markup has one behind every tag name and between attributes) is copied
            // as it is, so it needs no stop: one with a blank or line end on either side does.
            // The character before the block is still the text's own, or a copy of it written by
            // this loop (out <= i); either way it is a blank or line end exactly when the
            // reading is in a blank run, or the space needs no stop. Its neighbours are only
            // looked at from the second character on, and while one more character follows the block.
            while (i > 0 && i + 9 <= length) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
                const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i - 1));
                const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + 1));
                // c <= ' ' exactly when the saturated c - ' ' is zero.
                const __m128i low = _mm_cmpeq_epi16(_mm_subs_epu16(v, space), zero);
                const __m128i lone = _mm_andnot_si128(_mm_or_si128(_mm_cmpeq_epi16(_mm_subs_epu16(before, space), zero),
                                                                   _mm_cmpeq_epi16(_mm_subs_epu16(after, space), zero)),
                                                      _mm_cmpeq_epi16(v, space));
                const __m128i special = _mm_or_si128(_mm_andnot_si128(lone, low), _mm_cmpeq_epi16(v, amp));
                if (_mm_movemask_epi8(special) != 0) break;
                // c - 'a' < 26 unsigned, as a signed comparison with the top bits flipped.
                const __m128i lower = _mm_cmplt_epi16(_mm_xor_si128(_mm_sub_epi16(v, aLower), flip), below26);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(text + out), _mm_sub_epi16(v, _mm_and_si128(lower, space)));
                out += 8;
                i += 8;
            }
#endif
            for (char16_t c; i < length && (c = text[i]) > u' ' && c != u'&'; ++i)
                text[out++] = static_cast<char16_t>(c - u'a' < 26u ? c - (u'a' - u'A') : c);
            if (i != start) inBlank = false;
            if (i >= length) break;
        }
        char16_t c = text[i++];
        if (c == u'\r' || c == u'\n') continue;
        if (IsBlank16(c)) {
            if (inBlank) continue;
            inBlank = true;
            c = u' ';
        } else {
            inBlank = false;
        }
        // c is the next character of the text without line ends and blank runs.
        if (semicolonMayFollow) {
            semicolonMayFollow = false;
            if (c == u';') continue;
        }
        if (c == kNbsp[matched]) {
            if (++matched == 5) {
                out -= 4;  // "&NBS" already written: one space in their place
                text[out++] = u' ';
                matched = 0;
                semicolonMayFollow = true;
                continue;
            }
        } else {
            matched = c == u'&' ? 1 : 0;
        }
        text[out++] = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
    }
    return out;
}

std::size_t StripTags(char* bytes, std::size_t length, char keepUpper, char keepLower, bool keepAttributes) {
    if (bytes == nullptr) return 0;
    TagStripper stripper(bytes, length, bytes, keepUpper, keepLower, keepAttributes);
    return stripper.StripTo(length);
}

std::size_t TagStripper::StripTo(std::size_t upTo) {
    // Writing goes behind reading (each byte written was read at or after its place), so the
    // page may be its own output; blocks are loaded before they are stored for the same reason.
    const char* const in = page_;
    char* const out = out_;
    const std::size_t length = length_;
    std::size_t i = at_;
    std::size_t o = written_;
    bool inBlank = inBlank_;
    const std::size_t stop = upTo < length ? upTo : length;
    while (!done_ && i < stop) {
        // A run of plain text: no "<", no blank, line end, control character or zero byte.
        std::size_t run = i;
#if defined(__SSE2__)
        {
            const __m128i bias = _mm_set1_epi8(0x20);
            const __m128i lt = _mm_set1_epi8('<');
            const __m128i zero = _mm_setzero_si128();
            while (run + 16 <= length) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + run));
                // c <= 0x20 exactly when the saturated c - 0x20 is zero.
                const __m128i stopAt =
                    _mm_or_si128(_mm_cmpeq_epi8(_mm_subs_epu8(v, bias), zero), _mm_cmpeq_epi8(v, lt));
                const int mask = _mm_movemask_epi8(stopAt);
                if (mask != 0) {
                    const int first = __builtin_ctz(static_cast<unsigned>(mask));
                    for (int k = 0; k < first; ++k) out[o + (run - i) + k] = in[run + k];
                    run += static_cast<std::size_t>(first);
                    break;
                }
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o + (run - i)), v);
                run += 16;
            }
        }
#endif
        while (run < length) {
            const unsigned char c = static_cast<unsigned char>(in[run]);
            if (c <= 0x20 || c == '<') break;
            out[o + (run - i)] = static_cast<char>(c);
            ++run;
        }
        if (run != i) {
            o += run - i;
            i = run;
            inBlank = false;
            continue;
        }
        const char c = in[i];
        if (c == 0) {
            done_ = true;
            break;
        }
        if (c != '<') {
            if (IsSpaceByte(c)) {
                if (!inBlank) out[o++] = ' ';
                inBlank = true;
            } else {
                out[o++] = c;
                inBlank = false;
            }
            ++i;
            continue;
        }
        inBlank = false;
        // A tag: "<", an optional "/", the name, then attributes up to ">".
        std::size_t j = i + 1;
        const bool closing = j < length && in[j] == '/';
        if (closing) ++j;
        const bool keep = j < length && in[j] != 0 && (in[j] == keepUpper_ || in[j] == keepLower_);
        if (!keep) {
            j = FindTagEnd(in, j, length);
            i = (j < length && in[j] == '>') ? j + 1 : j;
            continue;
        }
        out[o++] = '<';
        if (closing) out[o++] = '/';
        while (j < length && in[j] != 0 && in[j] != '>' && !IsSpaceByte(in[j])) out[o++] = in[j++];
        if (j < length && IsSpaceByte(in[j])) ++j;
        const std::size_t end = FindTagEnd(in, j, length);
        if (keepAttributes_)
            for (; j < end; ++j) out[o++] = in[j];
        j = end;
        if (j < length && in[j] == '>') {
            out[o++] = '>';
            ++j;
        }
        i = j;
    }
    // The text ends at a zero byte, also one that stopped a tag.
    if (i < length && in[i] == 0) done_ = true;
    at_ = i;
    written_ = o;
    inBlank_ = inBlank;
    return o;
}

}  // namespace quotrix
