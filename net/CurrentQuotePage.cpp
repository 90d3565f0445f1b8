#include "net/CurrentQuotePage.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

#include "model/Price.h"
#include "net/QuotePage.h"
#include "net/QuotePageScan.h"
#include "net/TextFind.h"
#include "platform/TextCodec.h"

namespace quotrix {

namespace {

using nlohmann::json;

constexpr std::string_view kStateMarker = "__PRELOADED_STATE__";

// The parse mask is the classic reader's.
constexpr std::uint32_t kName = PARSE_NAME, kChange = PARSE_CHANGE, kPrice = PARSE_PRICE, kFundPrice = PARSE_FUND_PRICE,
                        kPrevClose = PARSE_PREV_CLOSE, kVolume = PARSE_VOLUME, kOpen = PARSE_OPEN, kHigh = PARSE_HIGH,
                        kLow = PARSE_LOW, kYield = PARSE_YIELD, kPer = PARSE_PER, kEps = PARSE_EPS, kPbr = PARSE_PBR;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::size_t FindIn(std::string_view text, std::string_view needle, std::size_t from = 0) {
    return FindText(text, needle, from);
}

constexpr std::string_view kScriptEnd = "</script>";

// The marker sits in script code full of "_": it is looked for by its "O" and "E" (of
// "LOADED"), letters that minified code and markup rarely put three apart.
constexpr std::size_t kRareFirst = 6, kRareSecond = 9;

#if defined(__GNUC__) && defined(__x86_64__)
// The same search 32 places at a time, up to where fewer than 32 places are left; then the
// sixteen-byte search goes on from where this one stopped.
__attribute__((target("avx2"))) std::size_t FindStateMarkerAvx2(std::string_view body, std::size_t& stopped) {
    const std::size_t m = kStateMarker.size();
    std::size_t i = 0;
    if (body.size() >= m) {
        const std::size_t last = body.size() - m;
        const __m256i first = _mm256_set1_epi8(kStateMarker[kRareFirst]);
        const __m256i second = _mm256_set1_epi8(kStateMarker[kRareSecond]);
        for (; i + 31 <= last; i += 32) {
            const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(body.data() + i + kRareFirst));
            const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(body.data() + i + kRareSecond));
            auto mask = static_cast<std::uint32_t>(
                _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(x, first), _mm256_cmpeq_epi8(y, second))));
            for (; mask != 0; mask &= mask - 1) {
                const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
                if (std::memcmp(body.data() + at, kStateMarker.data(), m) == 0) return at;
            }
        }
    }
    stopped = i;
    return std::string_view::npos;
}
#endif

std::size_t FindStateMarker(std::string_view body) {
    std::size_t from = 0;
#if defined(__GNUC__) && defined(__x86_64__)
    if (HasAvx2()) {
        const std::size_t at = FindStateMarkerAvx2(body, from);
        if (at != std::string_view::npos) return at;
    }
#endif
    return FindTextByRare(body, kStateMarker, kRareFirst, kRareSecond, from);
}

// Where the state object's JSON text begins: behind the "=" that follows the marker.
std::optional<std::size_t> StateStart(std::string_view body) {
    std::size_t pos = FindStateMarker(body);
    if (pos == std::string_view::npos) return std::nullopt;
    pos += kStateMarker.size();
    while (pos < body.size() && IsBlank(body[pos])) ++pos;
    if (pos >= body.size() || body[pos] != '=') return std::nullopt;
    return pos + 1;
}

// The JSON text of the state object: from behind "=" up to the end of its script element,
// without a closing ";".
std::optional<std::string_view> StateText(std::string_view body) {
    const auto start = StateStart(body);
    if (!start) return std::nullopt;
    const std::size_t pos = *start;
    std::size_t end = FindIn(body, kScriptEnd, pos);
    if (end == std::string_view::npos) end = body.size();
    while (end > pos && (IsBlank(body[end - 1]) || body[end - 1] == ';')) --end;
    return body.substr(pos, end - pos);
}

// The members of the state the reader uses: objects on the way (nodes) and the string values
// at their ends (leaves).
enum Node : int {
    kNoNode = -1,
    kRoot = 0,
    kStocksBoardRoot,
    kStocksDetailRoot,
    kFundBoardRoot,
    kPriceBoard,
    kDetail,
    kReference,
    kFundPrices,
    kNodeCount
};

struct NodeName {
    Node parent;
    std::string_view key;
};
constexpr NodeName kNodes[kNodeCount] = {
    {kNoNode, ""},
    {kRoot, "mainStocksPriceBoard"},
    {kRoot, "mainStocksDetail"},
    {kRoot, "mainFundPriceBoard"},
    {kStocksBoardRoot, "priceBoard"},
    {kStocksDetailRoot, "detail"},
    {kStocksDetailRoot, "referenceIndex"},
    {kFundBoardRoot, "fundPrices"},
};

enum Leaf : int {
    kBoardCode,
    kBoardCodeWithMarket,
    kBoardName,
    kBoardPrice,
    kBoardTime,
    kBoardChange,
    kPreviousPrice,
    kOpenPrice,
    kHighPrice,
    kLowPrice,
    kVolumeText,
    kYieldText,
    kPerText,
    kEpsText,
    kPbrText,
    kFundCode,
    kFundName,
    kFundPriceText,
    kFundDate,
    kLeafCount
};

constexpr NodeName kLeaves[kLeafCount] = {
    {kPriceBoard, "code"},
    {kPriceBoard, "codeWithMarketExtension"},
    {kPriceBoard, "name"},
    {kPriceBoard, "price"},
    {kPriceBoard, "priceDateTime"},
    {kPriceBoard, "priceChange"},
    {kDetail, "previousPrice"},
    {kDetail, "openPrice"},
    {kDetail, "highPrice"},
    {kDetail, "lowPrice"},
    {kDetail, "volume"},
    {kReference, "shareDividendYield"},
    {kReference, "per"},
    {kReference, "eps"},
    {kReference, "pbr"},
    {kFundPrices, "code"},
    {kFundPrices, "name"},
    {kFundPrices, "price"},
    {kFundPrices, "updateDate"},
};

bool IsWithin(Node node, Node ancestor) {
    for (; node != kNoNode; node = kNodes[node].parent)
        if (node == ancestor) return true;
    return false;
}

// The string values found at the leaves; a leaf whose path is missing, or whose value is not a
// string, is empty.
struct StateFields {
    std::array<std::optional<std::string>, kLeafCount> values;
    const std::string* Get(Leaf leaf) const { return values[leaf] ? &*values[leaf] : nullptr; }
};

// ---- the document reader --------------------------------------------------------------------

const json* NodeOf(const json& root, Node node) {
    if (node == kRoot) return root.is_object() ? &root : nullptr;
    const json* parent = NodeOf(root, kNodes[node].parent);
    if (parent == nullptr) return nullptr;
    auto it = parent->find(std::string(kNodes[node].key));
    if (it == parent->end() || !it->is_object()) return nullptr;
    return &*it;
}

bool FieldsFromDocument(std::string_view text, StateFields& fields) {
    const json state = json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
    if (state.is_discarded() || !state.is_object()) return false;
    for (int leaf = 0; leaf < kLeafCount; ++leaf) {
        const json* parent = NodeOf(state, kLeaves[leaf].parent);
        if (parent == nullptr) continue;
        auto it = parent->find(std::string(kLeaves[leaf].key));
        if (it != parent->end() && it->is_string()) fields.values[leaf] = it->get<std::string>();
    }
    return true;
}

// ---- the scanning reader ---------------------------------------------------------------------
//
// Accepts exactly the texts the document reader accepts (RFC 8259 with well-formed UTF-8, a
// leading byte order mark allowed, numbers that overflow a double refused) and, where a member
// occurs twice in one object, keeps the last one as the document does.

enum ByteClass : std::uint8_t { kPlainByte, kQuoteByte, kBackslashByte, kControlByte, kHighByte, kOpenByte };

// `inPage`: the classes of the reading from the page itself, whose bytes are known to be
// well-formed UTF-8 (high bytes need no look) and in which a "<" may end the script element.
constexpr std::array<std::uint8_t, 256> MakeByteClasses(bool inPage) {
    std::array<std::uint8_t, 256> classes{};
    for (int c = 0; c < 256; ++c)
        classes[c] = c < 0x20               ? kControlByte
                     : c >= 0x80            ? (inPage ? kPlainByte : kHighByte)
                     : c == '"'             ? kQuoteByte
                     : c == '\\'            ? kBackslashByte
                     : (inPage && c == '<') ? kOpenByte
                                            : kPlainByte;
    return classes;
}
constexpr std::array<std::uint8_t, 256> kByteClass = MakeByteClasses(false);
constexpr std::array<std::uint8_t, 256> kPageByteClass = MakeByteClasses(true);

int HexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The length of the multi-byte UTF-8 character at `p` (RFC 3629: no overlong forms, no
// surrogates, nothing past U+10FFFF), 0 when there is none.
int Utf8SequenceLength(const unsigned char* p, const unsigned char* end) {
    const unsigned char c = *p;
    auto inRange = [&](std::ptrdiff_t at, unsigned char low, unsigned char high) {
        return p + at < end && p[at] >= low && p[at] <= high;
    };
    if (c >= 0xC2 && c <= 0xDF) return inRange(1, 0x80, 0xBF) ? 2 : 0;
    if (c == 0xE0) return inRange(1, 0xA0, 0xBF) && inRange(2, 0x80, 0xBF) ? 3 : 0;
    if ((c >= 0xE1 && c <= 0xEC) || c == 0xEE || c == 0xEF)
        return inRange(1, 0x80, 0xBF) && inRange(2, 0x80, 0xBF) ? 3 : 0;
    if (c == 0xED) return inRange(1, 0x80, 0x9F) && inRange(2, 0x80, 0xBF) ? 3 : 0;
    if (c == 0xF0) return inRange(1, 0x90, 0xBF) && inRange(2, 0x80, 0xBF) && inRange(3, 0x80, 0xBF) ? 4 : 0;
    if (c >= 0xF1 && c <= 0xF3)
        return inRange(1, 0x80, 0xBF) && inRange(2, 0x80, 0xBF) && inRange(3, 0x80, 0xBF) ? 4 : 0;
    if (c == 0xF4) return inRange(1, 0x80, 0x8F) && inRange(2, 0x80, 0xBF) && inRange(3, 0x80, 0xBF) ? 4 : 0;
    return 0;
}

// Whether all of [p, end) is well-formed UTF-8. Markup and JSON are mostly ASCII, looked at
// sixteen bytes at a time; Japanese text is mostly three-byte characters that need no range
// check beyond their trail bytes.
bool IsWellFormedUtf8(const unsigned char* p, const unsigned char* end) {
    while (p < end) {
#if defined(__SSE2__)
        while (end - p >= 16 && _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))) == 0) p += 16;
#endif
        if (p >= end) break;
        if (*p < 0x80) {
            ++p;
            continue;
        }
#if defined(__SSE2__)
        // Five such characters at a time: sixteen bytes whose first fifteen are lead, trail, trail
        // five times over hold five whole characters.
        while (end - p >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            // Signed: 0x80-0xBF are -128..-65, 0xE1-0xEC -31..-20, 0xEE and 0xEF -18 and -17.
            const __m128i trail = _mm_cmplt_epi8(v, _mm_set1_epi8(-64));
            const __m128i lead = _mm_or_si128(
                _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(-32)), _mm_cmplt_epi8(v, _mm_set1_epi8(-19))),
                _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(-18)), _mm_cmpeq_epi8(v, _mm_set1_epi8(-17))));
            if ((_mm_movemask_epi8(lead) & 0x7FFF) != 0x1249 || (_mm_movemask_epi8(trail) & 0x7FFF) != 0x6DB6) break;
            p += 15;
        }
#endif
        while (end - p >= 3 && ((*p >= 0xE1 && *p <= 0xEC) || *p == 0xEE || *p == 0xEF) && (p[1] & 0xC0) == 0x80 &&
               (p[2] & 0xC0) == 0x80)
            p += 3;
        if (p >= end || *p < 0x80) continue;
        const int length = Utf8SequenceLength(p, end);
        if (length == 0) return false;
        p += length;
    }
    return true;
}

// The length of the run of ASCII digits at `p`. Eight bytes at a time: a number's length is
// different at every turn, and a loop that stops at its end is mispredicted once per number.
std::size_t DigitRun(const unsigned char* p, const unsigned char* end) {
    std::size_t n = 0;
    while (end - p - static_cast<std::ptrdiff_t>(n) >= 8) {
        std::uint64_t w;
        std::memcpy(&w, p + n, 8);
        // A byte is a digit when its high half is 3 and its low half plus 6 stays below 16: the
        // byte of `other` is then zero (no carry crosses bytes: at most 0x0F + 6).
        const std::uint64_t other = ((w & 0xF0F0F0F0F0F0F0F0ull) ^ 0x3030303030303030ull) |
                                    (((w & 0x0F0F0F0F0F0F0F0Full) + 0x0606060606060606ull) & 0xF0F0F0F0F0F0F0F0ull);
        if (other != 0) {
            std::uint64_t first = other;
            if constexpr (std::endian::native == std::endian::big) first = __builtin_bswap64(first);
            return n + static_cast<std::size_t>(__builtin_ctzll(first)) / 8;
        }
        n += 8;
    }
    while (p + n < end && p[n] >= '0' && p[n] <= '9') ++n;
    return n;
}

// kInPage: the scanner reads the page itself from the state's first byte on, and finds the end
// of the text where the plain reading cuts it (the first "</script>", the blanks and ";" before
// it left out): this saves a search through the whole state. The page's bytes from there on
// must be well-formed UTF-8 (IsWellFormedUtf8), so that strings need no check of their high
// bytes. Otherwise the scanner reads the state's text as cut by StateText.
template <bool kInPage>
class StateScanner {
  public:
    explicit StateScanner(std::string_view text)
        : p_(reinterpret_cast<const unsigned char*>(text.data())), end_(p_ + text.size()) {}

    bool Run(StateFields& fields);

  private:
    struct Frame {
        bool object;
        Node node;
    };

    void SkipBlanks() {
        // The state is one line of JSON: mostly there is nothing to skip.
        if (p_<end_&& * p_> ' ') return;
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\n' || *p_ == '\r')) ++p_;
    }
    std::uint32_t FourHex() {
        if (end_ - p_ < 4) return 0xFFFFFFFF;
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = HexValue(p_[i]);
            if (digit < 0) return 0xFFFFFFFF;
            value = value << 4 | static_cast<std::uint32_t>(digit);
        }
        p_ += 4;
        return value;
    }
    bool Utf8Sequence() {
        const int length = Utf8SequenceLength(p_, end_);
        p_ += length;
        return length != 0;
    }
    // Inlined into the one loop that reads the state: a call per string (thousands of them) cost
    // more than the scanning of most strings.
    __attribute__((always_inline)) inline bool String(std::string_view& raw, bool& escaped);
    // Behind the top-level value and its blanks: whether the text ends here.
    bool AtEnd() const {
        // The document reader takes a zero byte for the end of the text, and ignores what follows.
        if (p_ == end_ || *p_ == 0) return true;
        if constexpr (!kInPage) {
            return false;
        } else {
            // Blanks and ";" up to the end of the script element (or of the page) were cut off.
            const unsigned char* q = p_;
            while (q < end_ && (IsBlank(static_cast<char>(*q)) || *q == ';')) ++q;
            return q == end_ || IsScriptEnd(q);
        }
    }
    bool IsScriptEnd(const unsigned char* q) const {
        return static_cast<std::size_t>(end_ - q) >= kScriptEnd.size() &&
               std::memcmp(q, kScriptEnd.data(), kScriptEnd.size()) == 0;
    }
    bool Number();
    bool Literal(std::string_view word) {
        if (static_cast<std::size_t>(end_ - p_) < word.size() || std::memcmp(p_, word.data(), word.size()) != 0)
            return false;
        p_ += word.size();
        return true;
    }

    const unsigned char* p_;
    const unsigned char* end_;
};

// A string at p_ (on its opening quote): `raw` receives the text between the quotes, `escaped`
// whether it holds escapes (and needs decoding).
template <bool kInPage>
inline bool StateScanner<kInPage>::String(std::string_view& raw, bool& escaped) {
    constexpr const std::array<std::uint8_t, 256>& classes = kInPage ? kPageByteClass : kByteClass;
    ++p_;
    const unsigned char* start = p_;
    escaped = false;
    for (;;) {
        // Sixteen bytes at a time while none is a quote, a backslash, a control or above 0x7F; the
        // last few one by one.
        bool found = false;
#if defined(__SSE2__)
        while (end_ - p_ >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p_));
            __m128i special =
                _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\\')));
            if constexpr (kInPage) {
                // Unsigned: controls only; and the "<" that may end the script element.
                special = _mm_or_si128(special, _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(0x1F)), v));
                special = _mm_or_si128(special, _mm_cmpeq_epi8(v, _mm_set1_epi8('<')));
            } else {
                // Signed: bytes from 0x80 on are below 0x20 as well.
                special = _mm_or_si128(special, _mm_cmplt_epi8(v, _mm_set1_epi8(0x20)));
            }
            const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(special));
            if (mask != 0) {
                p_ += __builtin_ctz(mask);
                found = true;
                break;
            }
            p_ += 16;
        }
#else
        while (end_ - p_ >= 8) {
            std::uint64_t w;
            std::memcpy(&w, p_, 8);
            constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
            auto zeroByte = [&](std::uint64_t x) { return (x - kOnes) & ~x & kHighs; };
            // High bytes stop the word loop in both readings (the byte loop below passes them
            // when they need no look).
            const std::uint64_t special = (w & kHighs) | zeroByte(w & 0xE0E0E0E0E0E0E0E0ull) |
                                          zeroByte(w ^ (kOnes * '"')) | zeroByte(w ^ (kOnes * '\\')) |
                                          (kInPage ? zeroByte(w ^ (kOnes * '<')) : 0);
            if (special != 0) break;
            p_ += 8;
        }
#endif
        if (!found)
            while (p_ < end_ && classes[*p_] == kPlainByte) ++p_;
        if (p_ >= end_) return false;
        switch (classes[*p_]) {
            case kQuoteByte:
                raw = std::string_view(reinterpret_cast<const char*>(start), static_cast<std::size_t>(p_ - start));
                ++p_;
                return true;
            case kControlByte:
                return false;
            case kOpenByte:
                // The script element ends inside the string: the text is cut short there.
                if (IsScriptEnd(p_)) return false;
                ++p_;
                break;
            case kHighByte:
                // Japanese text: three-byte characters that need no range check beyond the trails.
                while (end_ - p_ >= 3 && (((*p_ >= 0xE1 && *p_ <= 0xEC) || *p_ == 0xEE || *p_ == 0xEF)) &&
                       (p_[1] & 0xC0) == 0x80 && (p_[2] & 0xC0) == 0x80)
                    p_ += 3;
                if (p_ < end_ && kByteClass[*p_] == kHighByte && !Utf8Sequence()) return false;
                break;
            case kBackslashByte: {
                escaped = true;
                ++p_;
                if (p_ >= end_) return false;
                const unsigned char e = *p_++;
                if (e == '"' || e == '\\' || e == '/' || e == 'b' || e == 'f' || e == 'n' || e == 'r' || e == 't')
                    break;
                if (e != 'u') return false;
                const std::uint32_t unit = FourHex();
                if (unit == 0xFFFFFFFF) return false;
                if (unit >= 0xDC00 && unit <= 0xDFFF) return false;
                if (unit >= 0xD800 && unit <= 0xDBFF) {
                    if (end_ - p_ < 2 || p_[0] != '\\' || p_[1] != 'u') return false;
                    p_ += 2;
                    const std::uint32_t low = FourHex();
                    if (low < 0xDC00 || low > 0xDFFF) return false;
                }
                break;
            }
            default:
                break;
        }
    }
}

// The text of a string that String() accepted, with its escapes decoded.
std::string Unescape(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size();) {
        const char c = raw[i++];
        if (c != '\\') {
            out += c;
            continue;
        }
        const char e = raw[i++];
        switch (e) {
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                auto hex4 = [&](std::size_t at) {
                    std::uint32_t v = 0;
                    for (std::size_t k = 0; k < 4; ++k)
                        v = v << 4 | static_cast<std::uint32_t>(HexValue(static_cast<unsigned char>(raw[at + k])));
                    return v;
                };
                std::uint32_t cp = hex4(i);
                i += 4;
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    const std::uint32_t low = hex4(i + 2);
                    i += 6;
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                }
                AppendUtf8(out, cp);
                break;
            }
            default:  // '"', '\\', '/'
                out += e;
                break;
        }
    }
    return out;
}

template <bool kInPage>
bool StateScanner<kInPage>::Number() {
    const unsigned char* start = p_;
    auto digit = [&] { return p_ < end_ && *p_ >= '0' && *p_ <= '9'; };
    if (*p_ == '-') ++p_;
    if (!digit()) return false;
    if (*p_ == '0') {
        ++p_;
    } else {
        p_ += DigitRun(p_, end_);
    }
    const unsigned char* integerEnd = p_;
    if (p_ < end_ && *p_ == '.') {
        ++p_;
        if (!digit()) return false;
        p_ += DigitRun(p_, end_);
    }
    long exponent = 0;
    if (p_ < end_ && (*p_ == 'e' || *p_ == 'E')) {
        ++p_;
        bool negative = false;
        if (p_ < end_ && (*p_ == '+' || *p_ == '-')) negative = *p_++ == '-';
        if (!digit()) return false;
        for (; digit(); ++p_) exponent = std::min(exponent * 10 + (*p_ - '0'), 1000000L);
        if (negative) exponent = -exponent;
    }
    // A number too large for a 64-bit integer is read as a double; one that overflows even that
    // makes the text invalid. Below 10^300 it cannot, and only a rare one is handed to strtod.
    const unsigned char* firstDigit = start + (*start == '-');
    while (firstDigit < integerEnd && *firstDigit == '0') ++firstDigit;
    if ((integerEnd - firstDigit) + exponent > 300) {
        const std::string token(reinterpret_cast<const char*>(start), static_cast<std::size_t>(p_ - start));
        if (!std::isfinite(std::strtod(token.c_str(), nullptr))) return false;
    }
    return true;
}

template <bool kInPage>
bool StateScanner<kInPage>::Run(StateFields& fields) {
    if (p_ < end_ && *p_ == 0xEF) {
        if (end_ - p_ < 3 || p_[1] != 0xBB || p_[2] != 0xBF) return false;
        p_ += 3;
    }
    SkipBlanks();
    if (p_ >= end_ || *p_ != '{') return false;

    std::vector<Frame> stack;
    Node valueNode = kRoot;  // where the value about to be read sits on the reader's paths
    int valueLeaf = -1;
    enum { kValue, kMember, kAfterValue } step = kValue;
    for (;;) {
        if (step == kValue) {
            SkipBlanks();
            if (p_ >= end_) return false;
            const unsigned char c = *p_;
            if (c == '{' || c == '[') {
                ++p_;
                const bool object = c == '{';
                stack.push_back({object, object ? valueNode : kNoNode});
                SkipBlanks();
                if (p_ < end_ && *p_ == (object ? '}' : ']')) {
                    ++p_;
                    stack.pop_back();
                    step = kAfterValue;
                } else if (object) {
                    step = kMember;
                } else {
                    valueNode = kNoNode;
                    valueLeaf = -1;
                }
                continue;
            }
            if (c == '"') {
                std::string_view raw;
                bool escaped = false;
                if (!String(raw, escaped)) return false;
                if (valueLeaf >= 0) fields.values[valueLeaf] = escaped ? Unescape(raw) : std::string(raw);
            } else if (c == '-' || (c >= '0' && c <= '9')) {
                if (!Number()) return false;
            } else if (!(Literal("true") || Literal("false") || Literal("null"))) {
                return false;
            }
            step = kAfterValue;
            continue;
        }
        if (step == kAfterValue) {
            SkipBlanks();
            if (stack.empty()) return AtEnd();
            if (p_ >= end_) return false;
            const Frame frame = stack.back();
            if (*p_ == ',') {
                ++p_;
                if (frame.object) {
                    step = kMember;
                } else {
                    valueNode = kNoNode;
                    valueLeaf = -1;
                    step = kValue;
                }
                continue;
            }
            if (*p_ != (frame.object ? '}' : ']')) return false;
            ++p_;
            stack.pop_back();
            continue;
        }
        // kMember: a key and its colon.
        SkipBlanks();
        if (p_ >= end_ || *p_ != '"') return false;
        std::string_view raw;
        bool escaped = false;
        if (!String(raw, escaped)) return false;
        SkipBlanks();
        if (p_ >= end_ || *p_ != ':') return false;
        ++p_;
        valueNode = kNoNode;
        valueLeaf = -1;
        const Node parent = stack.back().node;
        if (parent != kNoNode) {
            std::string decoded;
            const std::string_view key = escaped ? std::string_view(decoded = Unescape(raw)) : raw;
            for (int n = 0; n < kNodeCount; ++n)
                if (kNodes[n].parent == parent && kNodes[n].key == key) valueNode = static_cast<Node>(n);
            for (int l = 0; l < kLeafCount; ++l)
                if (kLeaves[l].parent == parent && kLeaves[l].key == key) valueLeaf = l;
            // A member met again replaces what the earlier one held.
            if (valueNode != kNoNode)
                for (int l = 0; l < kLeafCount; ++l)
                    if (IsWithin(kLeaves[l].parent, valueNode)) fields.values[l].reset();
            if (valueLeaf >= 0) fields.values[valueLeaf].reset();
        }
        step = kValue;
    }
}

// ---- from the fields to the stock ------------------------------------------------------------

std::string WithoutCommas(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != ',') out += c;
    return out;
}

PriceValue PriceOf(const std::string& text) {
    // The site's texts are ASCII digits; anything else (for instance "---") reads as 0.
    std::u16string wide(text.begin(), text.end());
    for (char16_t& c : wide)
        if (c > 0x7F) c = u'?';
    return ParsePrice(wide);
}

std::uint32_t IntegerOf(const std::string& text) {
    const std::string plain = WithoutCommas(text);
    return static_cast<std::uint32_t>(std::strtoul(plain.c_str(), nullptr, 10));
}

double DoubleOf(const std::string& text) {
    const std::string plain = WithoutCommas(text);
    return std::strtod(plain.c_str(), nullptr);
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// The instrument a page names, in the form of the copy's code text: "7203" (also from
// "7203.T"), "998407", "USDJPY=X" (also from today's "USDJPY=FX").
std::string InstrumentOf(std::string_view pageCode, bool listed) {
    std::string code = Upper(pageCode);
    if (code.size() > 3 && code.ends_with("=FX")) code.erase(code.size() - 2, 1);
    if (listed) {
        const std::size_t dot = code.find('.');
        if (dot != std::string::npos) code.erase(dot);
    }
    return code;
}

// Log lines are 8-bit text: a code from the page is shown in printable ASCII only.
std::string Printable(std::string_view text) {
    std::string out;
    for (char c : text.substr(0, 32)) out += (c >= 0x20 && c < 0x7F) ? c : '?';
    return out;
}

// Another instrument's page (a redirect, a mirror, a changed site) must not lend its values to
// the stock: the state names its instrument, and that must be the copy's.
bool IsOwnPage(const StateFields& fields, const CStock& copy, ThreadLog* log) {
    const bool listed = copy.code != 0;
    char number[16];
    std::snprintf(number, sizeof number, "%04u", static_cast<unsigned>(copy.code));
    const std::string own = listed ? std::string(number) : Upper(copy.codeText);
    const std::string* pageCode = fields.Get(kBoardCode);
    if (pageCode == nullptr) pageCode = fields.Get(kBoardCodeWithMarket);
    if (pageCode == nullptr) pageCode = fields.Get(kFundCode);
    if (!own.empty() && pageCode != nullptr && InstrumentOf(*pageCode, listed) == own) return true;
    if (log != nullptr)
        log->Append(LOG_INT, "Parse: the page is of another instrument (%s, not %s)",
                    pageCode != nullptr ? Printable(*pageCode).c_str() : "none", Printable(own).c_str());
    return false;
}

bool ReadFields(const StateFields& fields, CStock& copy, std::uint32_t mask, ThreadLog* log) {
    if (!IsOwnPage(fields, copy, log)) return false;
    if (mask & kName) {
        const std::string* name = fields.Get(kBoardName);
        if (!name) name = fields.Get(kFundName);
        if (!name || name->empty()) return false;
        copy.name = Utf8ToSjis(*name);
        if (log) log->Append(LOG_INT, "Parse success / Name: %s", copy.name.c_str());
    }
    if (mask & kPrice) {
        const std::string* price = fields.Get(kBoardPrice);
        const std::string* time = fields.Get(kBoardTime);
        if (!price || !time) return false;
        copy.price = PriceOf(*price);
        copy.updateTime = *time;
    } else if (mask & kFundPrice) {
        const std::string* price = fields.Get(kFundPriceText);
        const std::string* date = fields.Get(kFundDate);
        if (!price) price = fields.Get(kBoardPrice);
        if (!date) date = fields.Get(kBoardTime);
        if (!price || !date) return false;
        copy.price = PriceOf(*price);
        copy.updateTime = *date;
    }
    if (mask & kChange) {
        const std::string* change = fields.Get(kBoardChange);
        if (!change) return false;
        copy.change = PriceOf(*change);
    }

    struct PriceField {
        std::uint32_t bit;
        Leaf leaf;
        PriceValue CBasicStock::*field;
    };
    static constexpr PriceField kRequired[] = {{kPrevClose, kPreviousPrice, &CBasicStock::prevClose},
                                               {kOpen, kOpenPrice, &CBasicStock::open},
                                               {kHigh, kHighPrice, &CBasicStock::high},
                                               {kLow, kLowPrice, &CBasicStock::low}};
    for (const auto& f : kRequired) {
        if (!(mask & f.bit)) continue;
        const std::string* text = fields.Get(f.leaf);
        if (!text) return false;
        copy.*f.field = PriceOf(*text);
    }
    if (mask & kVolume) {
        const std::string* text = fields.Get(kVolumeText);
        copy.volume = text ? IntegerOf(*text) : 0;
    }
    if (mask & kYield) {
        const std::string* text = fields.Get(kYieldText);
        copy.dividendYield = text ? DoubleOf(*text) : 0.0;
    }
    if (mask & kPer) {
        const std::string* text = fields.Get(kPerText);
        copy.per = text ? DoubleOf(*text) : 0.0;
    }
    if (mask & kEps) {
        const std::string* text = fields.Get(kEpsText);
        copy.eps = text ? PriceOf(*text) : 0;
    }
    if (mask & kPbr) {
        const std::string* text = fields.Get(kPbrText);
        copy.pbr = text ? DoubleOf(*text) : 0.0;
    }
    return true;
}

}  // namespace

bool HasPreloadedState(std::string_view body) { return FindStateMarker(body) != std::string_view::npos; }

bool ParseCurrentQuotePage(std::string_view body, CStock& copy, std::uint32_t mask, ThreadLog* log,
                           StateReader reader) {
    StateFields fields;
    bool valid;
    if (reader == StateReader::Dom) {
        const auto stateText = StateText(body);
        if (!stateText) return false;
        valid = FieldsFromDocument(*stateText, fields);
    } else {
        const auto start = StateStart(body);
        if (!start) return false;
        const std::string_view rest = body.substr(*start);
        const auto* first = reinterpret_cast<const unsigned char*>(rest.data());
        if (IsWellFormedUtf8(first, first + rest.size()))
            valid = StateScanner<true>(rest).Run(fields);
        else
            valid = StateScanner<false>(*StateText(body)).Run(fields);
    }
    if (!valid) {
        if (log)
            log->Append(LOG_DTL, "Parse: state object broken (%u bytes)",
                        static_cast<unsigned>(StateText(body)->size()));
        return false;
    }
    return ReadFields(fields, copy, mask, log);
}

}  // namespace quotrix
