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

// The parse mask is the classic reader's.
constexpr std::uint32_t kName = PARSE_NAME, kChange = PARSE_CHANGE, kPrice = PARSE_PRICE, kFundPrice = PARSE_FUND_PRICE,
                        kPrevClose = PARSE_PREV_CLOSE, kVolume = PARSE_VOLUME, kOpen = PARSE_OPEN, kHigh = PARSE_HIGH,
                        kLow = PARSE_LOW, kYield = PARSE_YIELD, kPer = PARSE_PER, kEps = PARSE_EPS, kPbr = PARSE_PBR;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::size_t FindIn(std::string_view text, std::string_view needle, std::size_t from = 0) {
    return FindText(text, needle, from);
}

constexpr std::string_view kScriptEnd = "</script>";

// Where the state object's JSON text begins: behind the "=" that follows the marker.
std::optional<std::size_t> StateStart(std::string_view body, std::size_t marker) {
    std::size_t pos = marker;
    if (pos == std::string_view::npos) return std::nullopt;
    pos += kStateMarker.size();
    while (pos < body.size() && IsBlank(body[pos])) ++pos;
    if (pos >= body.size() || body[pos] != '=') return std::nullopt;
    return pos + 1;
}

// The JSON text of the state object: from behind "=" up to the end of its script element,
// without a closing ";".
std::optional<std::string_view> StateText(std::string_view body, std::size_t marker) {
    const auto start = StateStart(body, marker);
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

constexpr bool IsWithin(Node node, Node ancestor) {
    for (; node != kNoNode; node = kNodes[node].parent)
        if (node == ancestor) return true;
    return false;
}

// For each node, the leaves below it, bit l for leaf l.
static_assert(kLeafCount <= 32);
constexpr std::array<std::uint32_t, kNodeCount> MakeLeavesWithin() {
    std::array<std::uint32_t, kNodeCount> within{};
    for (int n = 0; n < kNodeCount; ++n)
        for (int l = 0; l < kLeafCount; ++l)
            if (IsWithin(kLeaves[l].parent, static_cast<Node>(n))) within[n] |= std::uint32_t{1} << l;
    return within;
}
constexpr std::array<std::uint32_t, kNodeCount> kLeavesWithin = MakeLeavesWithin();

// The members each object on the paths leads to, in the order of the tables above (a later
// entry with the same key wins, as in a search of both tables in turn).
struct Child {
    std::string_view key;
    bool leaf;
    int index;
};
constexpr std::size_t kMostChildren = 8;
struct Children {
    Child list[kMostChildren];
    std::size_t count = 0;
    const Child* begin() const { return list; }
    const Child* end() const { return list + count; }
};
constexpr std::array<Children, kNodeCount> MakeChildren() {
    std::array<Children, kNodeCount> children{};
    for (int n = 1; n < kNodeCount; ++n) {
        Children& c = children[kNodes[n].parent];
        c.list[c.count++] = {kNodes[n].key, false, n};
    }
    for (int l = 0; l < kLeafCount; ++l) {
        Children& c = children[kLeaves[l].parent];
        c.list[c.count++] = {kLeaves[l].key, true, l};
    }
    return children;
}
constexpr std::array<Children, kNodeCount> kChildren = MakeChildren();

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

enum ByteClass : std::uint8_t { kPlainByte, kQuoteByte, kBackslashByte, kControlByte, kHighByte };

constexpr std::array<std::uint8_t, 256> MakeByteClasses() {
    std::array<std::uint8_t, 256> classes{};
    for (int c = 0; c < 256; ++c)
        classes[c] = c < 0x20    ? kControlByte
                     : c >= 0x80 ? kHighByte
                     : c == '"'  ? kQuoteByte
                     : c == '\\' ? kBackslashByte
                                 : kPlainByte;
    return classes;
}
constexpr std::array<std::uint8_t, 256> kByteClass = MakeByteClasses();

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
__attribute__((always_inline)) inline std::size_t DigitRun(const unsigned char* p, const unsigned char* end) {
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

// ---- where the strings end ---------------------------------------------------------------------
//
// The state holds some two thousand strings, most of them short keys: a loop per string that
// looks for its end, however wide its steps, costs a mispredicted exit per string. Instead the
// text is classified 64 bytes at a time into bit masks (quotes, backslashes, controls, "<"), and
// from them follow, for each block, the places inside strings where the scanner has to look:
// the closing quotes, the backslashes that begin an escape, controls and "<". The scanner, on an
// opening quote, takes the next such place; everything outside strings it reads byte by byte.
//
// The masks assume that the text before a place is valid JSON (a quote outside a string opens
// one). The scanner checks every byte up to the place it asks for, so a text that is not valid
// is rejected at or before the first place where that assumption breaks.

struct RawMasks {
    std::uint64_t quote;      // '"'
    std::uint64_t backslash;  // '\\'
    std::uint64_t special;    // controls (below 0x20) and "<"
};

// The masks of `blocks` whole 64-byte blocks from `p`, bit i for the byte at p + 64 * block + i.
// The AVX2 one also checks the blocks' UTF-8 and returns whether it is well-formed (the three
// bytes before `p` must be readable); the others return true and leave the check to the caller.
#if !defined(__SSE2__)
bool RawMasksPortable(const unsigned char* p, std::size_t blocks, RawMasks* out) {
    for (std::size_t b = 0; b < blocks; ++b, p += 64) {
        RawMasks m{0, 0, 0};
        for (int i = 0; i < 64; ++i) {
            const std::uint64_t bit = std::uint64_t{1} << i;
            if (p[i] == '"') m.quote |= bit;
            if (p[i] == '\\') m.backslash |= bit;
            if (p[i] < 0x20 || p[i] == '<') m.special |= bit;
        }
        out[b] = m;
    }
    return true;
}
#endif

#if defined(__SSE2__)
bool RawMasksSse2(const unsigned char* p, std::size_t blocks, RawMasks* out) {
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i open = _mm_set1_epi8('<');
    const __m128i control = _mm_set1_epi8(0x1F);
    for (std::size_t b = 0; b < blocks; ++b, p += 64) {
        RawMasks m{0, 0, 0};
        for (int k = 0; k < 4; ++k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
            auto bits = [&](__m128i hits) {
                return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(hits))) << (16 * k);
            };
            m.quote |= bits(_mm_cmpeq_epi8(v, quote));
            m.backslash |= bits(_mm_cmpeq_epi8(v, backslash));
            // Unsigned: a byte is a control when the smaller of it and 0x1F is itself.
            m.special |= bits(_mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(v, control), v), _mm_cmpeq_epi8(v, open)));
        }
        out[b] = m;
    }
    return true;
}
#endif

#if defined(__GNUC__) && defined(__x86_64__)
__attribute__((target("avx2"))) inline std::uint64_t Bits64(__m256i low, __m256i high) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(low))) |
           static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(high))) << 32;
}

// The UTF-8 errors of the 32 bytes at `p`, from them and the three bytes before them (Keiser and
// Lemire's lookup method): a nibble table each for the byte before and for the byte itself tells
// which faults the pair may show; where all three agree the pair is wrong. A byte that must be
// the second or third continuation of a character (a three- or four-byte lead two or three
// places back) must be one, and no other continuation may follow a continuation.
__attribute__((target("avx2"))) inline __m256i Utf8Errors32(const unsigned char* p) {
    constexpr char kTooShort = 1 << 0, kTooLong = 1 << 1, kOverlong3 = 1 << 2, kTooLarge = 1 << 3, kSurrogate = 1 << 4,
                   kOverlong2 = 1 << 5, kTooLarge1000 = 1 << 6, kOverlong4 = 1 << 6;
    constexpr char kTwoConts = static_cast<char>(1 << 7);
    constexpr char kCarry = kTooShort | kTooLong | kTwoConts;
    const __m256i input = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i prev1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p - 1));
    const __m256i prev2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p - 2));
    const __m256i prev3 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p - 3));
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i byte1High = _mm256_shuffle_epi8(
        _mm256_setr_epi8(kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTwoConts,
                         kTwoConts, kTwoConts, kTwoConts, kTooShort | kOverlong2, kTooShort,
                         kTooShort | kOverlong3 | kSurrogate, kTooShort | kTooLarge | kTooLarge1000 | kOverlong4,
                         kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTwoConts,
                         kTwoConts, kTwoConts, kTwoConts, kTooShort | kOverlong2, kTooShort,
                         kTooShort | kOverlong3 | kSurrogate, kTooShort | kTooLarge | kTooLarge1000 | kOverlong4),
        _mm256_and_si256(_mm256_srli_epi16(prev1, 4), nibble));
    constexpr char kLarge = kCarry | kTooLarge | kTooLarge1000;
    const __m256i byte1Low = _mm256_shuffle_epi8(
        _mm256_setr_epi8(kCarry | kOverlong3 | kOverlong2 | kOverlong4, kCarry | kOverlong2, kCarry, kCarry,
                         kCarry | kTooLarge, kLarge, kLarge, kLarge, kLarge, kLarge, kLarge, kLarge, kLarge,
                         kLarge | kSurrogate, kLarge, kLarge, kCarry | kOverlong3 | kOverlong2 | kOverlong4,
                         kCarry | kOverlong2, kCarry, kCarry, kCarry | kTooLarge, kLarge, kLarge, kLarge, kLarge,
                         kLarge, kLarge, kLarge, kLarge, kLarge | kSurrogate, kLarge, kLarge),
        _mm256_and_si256(prev1, nibble));
    constexpr char kCont8 = kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4;
    constexpr char kCont9 = kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge;
    constexpr char kContAB = kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge;
    const __m256i byte2High = _mm256_shuffle_epi8(
        _mm256_setr_epi8(kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kCont8,
                         kCont9, kContAB, kContAB, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
                         kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kCont8, kCont9, kContAB,
                         kContAB, kTooShort, kTooShort, kTooShort, kTooShort),
        _mm256_and_si256(_mm256_srli_epi16(input, 4), nibble));
    const __m256i special = _mm256_and_si256(_mm256_and_si256(byte1High, byte1Low), byte2High);
    // Only a lead of 0xE0 and up leaves 0x80 and more behind the subtraction; of 0xF0 and up, behind the second.
    const __m256i third = _mm256_subs_epu8(prev2, _mm256_set1_epi8(static_cast<char>(0xE0 - 0x80)));
    const __m256i fourth = _mm256_subs_epu8(prev3, _mm256_set1_epi8(static_cast<char>(0xF0 - 0x80)));
    const __m256i mustContinue =
        _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(static_cast<char>(0x80)));
    return _mm256_xor_si256(mustContinue, special);
}

__attribute__((target("avx2"))) bool RawMasksAvx2(const unsigned char* p, std::size_t blocks, RawMasks* out) {
    const __m256i quote = _mm256_set1_epi8('"');
    const __m256i backslash = _mm256_set1_epi8('\\');
    const __m256i open = _mm256_set1_epi8('<');
    const __m256i control = _mm256_set1_epi8(0x1F);
    __m256i errors = _mm256_setzero_si256();
    for (std::size_t b = 0; b < blocks; ++b, p += 64) {
        const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
        out[b].quote = Bits64(_mm256_cmpeq_epi8(lo, quote), _mm256_cmpeq_epi8(hi, quote));
        out[b].backslash = Bits64(_mm256_cmpeq_epi8(lo, backslash), _mm256_cmpeq_epi8(hi, backslash));
        // Unsigned: a byte is a control when the smaller of it and 0x1F is itself.
        out[b].special =
            Bits64(_mm256_or_si256(_mm256_cmpeq_epi8(_mm256_min_epu8(lo, control), lo), _mm256_cmpeq_epi8(lo, open)),
                   _mm256_or_si256(_mm256_cmpeq_epi8(_mm256_min_epu8(hi, control), hi), _mm256_cmpeq_epi8(hi, open)));
        // A block whose bytes and the three before them are ASCII holds no UTF-8 fault.
        const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p - 3));
        if (_mm256_movemask_epi8(_mm256_or_si256(_mm256_or_si256(lo, hi), before)) == 0) continue;
        errors = _mm256_or_si256(errors, _mm256_or_si256(Utf8Errors32(p), Utf8Errors32(p + 32)));
    }
    return _mm256_testz_si256(errors, errors);
}
#endif

// Bit i of the result: the exclusive or of bits 0 to i of x.
inline std::uint64_t PrefixXor(std::uint64_t x) {
    x ^= x << 1;
    x ^= x << 2;
    x ^= x << 4;
    x ^= x << 8;
    x ^= x << 16;
    x ^= x << 32;
    return x;
}

// What the blocks looked at so far leave open for the next one.
struct PlacesCarry {
    std::uint64_t inString = 0;  // all ones when they end inside a string
    std::uint64_t escape = 0;    // 1 when they end in a backslash that escapes the next byte
    bool broken = false;         // set when the UTF-8 of a block is not well-formed
};

#if defined(__GNUC__) && defined(__x86_64__)
// The same by one carry-less multiplication by all ones.
__attribute__((target("pclmul"))) inline std::uint64_t PrefixXorClmul(std::uint64_t x) {
    return static_cast<std::uint64_t>(
        _mm_cvtsi128_si64(_mm_clmulepi64_si128(_mm_cvtsi64_si128(static_cast<long long>(x)), _mm_set1_epi8(-1), 0)));
}
#endif

// The places of one block: closing quotes, and inside strings the backslashes that begin an
// escape, controls and "<".
template <std::uint64_t (*kPrefixXor)(std::uint64_t)>
__attribute__((always_inline)) inline std::uint64_t BlockPlaces(const RawMasks& m, PlacesCarry& carry) {
    // The backslashes that begin an escape, and the bytes they escape (a backslash escaped is no
    // beginning). Backslashes are rare: a loop over them costs next to nothing.
    std::uint64_t escaped = carry.escape;
    std::uint64_t backslashes = m.backslash & ~carry.escape;
    std::uint64_t starts = 0;
    carry.escape = 0;
    while (backslashes != 0) {
        const int i = __builtin_ctzll(backslashes);
        starts |= std::uint64_t{1} << i;
        if (i == 63) {
            carry.escape = 1;
            break;
        }
        escaped |= std::uint64_t{2} << i;
        backslashes &= ~(std::uint64_t{3} << i);
    }
    // Inside: from an opening quote up to the byte before its closing one.
    const std::uint64_t quotes = m.quote & ~escaped;
    const std::uint64_t inside = kPrefixXor(quotes) ^ carry.inString;
    carry.inString = static_cast<std::uint64_t>(static_cast<std::int64_t>(inside) >> 63);
    return (quotes & ~inside) | (inside & (starts | m.special));
}

// Lists as offsets the places of `blocks` (at most 16) whole blocks from `p`, which lies `at`
// bytes into the text; returns the end of the list. `out` has room for 64 entries per block and
// 4 more.
template <bool (*kRawMasks)(const unsigned char*, std::size_t, RawMasks*), std::uint64_t (*kPrefixXor)(std::uint64_t)>
__attribute__((always_inline)) inline std::uint32_t* ListPlaces(const unsigned char* p, std::size_t blocks,
                                                                std::uint32_t at, PlacesCarry& carry,
                                                                std::uint32_t* out) {
    RawMasks raw[16];
    if (!kRawMasks(p, blocks, raw)) carry.broken = true;
    // A copy of its own, kept in registers from block to block rather than in memory.
    PlacesCarry own = carry;
    for (std::size_t b = 0; b < blocks; ++b, at += 64) {
        std::uint64_t bits = BlockPlaces<kPrefixXor>(raw[b], own);
        // Four at a time whatever their number (the spare entries are written over): a block
        // mostly holds two or three, and a loop per place would stop at an unforeseen count.
        const int count = __builtin_popcountll(bits);
        auto next = [&] {
            // The top bit keeps the count defined once the places are used up.
            const auto place = at + static_cast<std::uint32_t>(__builtin_ctzll(bits | (std::uint64_t{1} << 63)));
            bits &= bits - 1;
            return place;
        };
        for (int k = 0; k < count; k += 4) {
            out[k] = next();
            out[k + 1] = next();
            out[k + 2] = next();
            out[k + 3] = next();
        }
        out += count;
    }
    carry = own;
    return out;
}

using ListPlacesFunction = std::uint32_t* (*)(const unsigned char*, std::size_t, std::uint32_t, PlacesCarry&,
                                              std::uint32_t*);

#if defined(__GNUC__) && defined(__x86_64__)
// Processors with AVX2 count bits in one instruction and multiply without carries.
__attribute__((target("avx2,popcnt,bmi,pclmul"))) std::uint32_t* ListPlacesAvx2(const unsigned char* p,
                                                                                std::size_t blocks, std::uint32_t at,
                                                                                PlacesCarry& carry,
                                                                                std::uint32_t* out) {
    return ListPlaces<RawMasksAvx2, PrefixXorClmul>(p, blocks, at, carry, out);
}
#endif

std::uint32_t* ListPlacesPlain(const unsigned char* p, std::size_t blocks, std::uint32_t at, PlacesCarry& carry,
                               std::uint32_t* out) {
#if defined(__SSE2__)
    return ListPlaces<RawMasksSse2, PrefixXor>(p, blocks, at, carry, out);
#else
    return ListPlaces<RawMasksPortable, PrefixXor>(p, blocks, at, carry, out);
#endif
}

ListPlacesFunction ChooseListPlaces() {
#if defined(__GNUC__) && defined(__x86_64__)
    static const bool extensions =
        __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("pclmul");
    if (HasAvx2() && extensions) return ListPlacesAvx2;
#endif
    return ListPlacesPlain;
}

// The places inside strings, in order, of a text that begins outside a string, as offsets from
// its start. They are found a kilobyte at a time and listed, so that taking the next one costs
// no unpredictable branch; the reader keeps its place in the list in its own registers.
class StringPlaces {
  public:
    void Start(const unsigned char* text, const unsigned char* end) {
        base_ = text;
        end_ = end;
    }

    // Whether a block looked at is not well-formed UTF-8 (and the places stopped there).
    bool Broken() const { return carry_.broken; }

    struct List {
        const std::uint32_t* begin;
        const std::uint32_t* end;
    };
    // Lists the places of the next batch of blocks, valid up to the next call; an empty list at
    // the end of the text, or when the blocks looked at are not well-formed UTF-8. (Returned
    // rather than written through references, so that the reader's copy need not live in memory.)
    List Find() {
        if (!FindBatch()) return {list_, list_};
        return {list_, listEnd_};
    }

  private:
    static constexpr std::size_t kBatch = 16;  // blocks of 64 bytes looked at per call

    bool FindBatch() {
        const ListPlacesFunction list = ChooseListPlaces();
        // The AVX2 lister checks the UTF-8 of the blocks as it goes.
        const bool listerChecksUtf8 = list != ListPlacesPlain;
        const auto size = static_cast<std::size_t>(end_ - base_);
        for (;;) {
            if (carry_.broken || nextBlock_ >= size) return false;
            const std::size_t left = size - nextBlock_;
            const auto at = static_cast<std::uint32_t>(nextBlock_);
            std::size_t blocks = 1;
            if (nextBlock_ > 0 && left >= 64) {
                blocks = std::min(left / 64, kBatch);
                listEnd_ = list(base_ + nextBlock_, blocks, at, carry_, list_);
            } else {
                // The first block and the last bytes go through a copy, with the three bytes before
                // it (blanks before the text) for the UTF-8 check, the last bytes padded with blanks
                // (which are nothing to look at).
                unsigned char copy[3 + 64];
                std::memset(copy, ' ', sizeof copy);
                if (nextBlock_ > 0) std::memcpy(copy, base_ + nextBlock_ - 3, 3);
                std::memcpy(copy + 3, base_ + nextBlock_, std::min<std::size_t>(left, 64));
                listEnd_ = list(copy + 3, 1, at, carry_, list_);
            }
            nextBlock_ += 64 * blocks;
            if (!listerChecksUtf8 && !CheckUtf8(std::min(nextBlock_, size))) carry_.broken = true;
            if (carry_.broken) return false;
            if (listEnd_ != list_) return true;
        }
    }

    // Whether the bytes not yet checked up to `to`, and on to the end of a character there, are
    // well-formed UTF-8. The pieces end where a character begins, so that they are well-formed
    // exactly when the whole is.
    bool CheckUtf8(std::size_t to) {
        const auto size = static_cast<std::size_t>(end_ - base_);
        for (int k = 0; k < 3 && to < size && (base_[to] & 0xC0) == 0x80; ++k) ++to;
        if (to <= checked_) return true;
        const bool wellFormed = IsWellFormedUtf8(base_ + checked_, base_ + to);
        checked_ = to;
        return wellFormed;
    }

    const unsigned char* base_ = nullptr;
    const unsigned char* end_ = nullptr;
    std::size_t nextBlock_ = 0;  // the offset of the first block not yet looked at
    std::size_t checked_ = 0;    // the bytes before it are well-formed UTF-8 (without AVX2)
    PlacesCarry carry_;
    // Offsets from `base_`.
    std::uint32_t list_[kBatch * 64 + 4];
    const std::uint32_t* listEnd_ = list_;
};

// The four hexadecimal digits at `p`, 0xFFFFFFFF when there are none.
std::uint32_t FourHex(const unsigned char* p, const unsigned char* end) {
    if (end - p < 4) return 0xFFFFFFFF;
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const int digit = HexValue(p[i]);
        if (digit < 0) return 0xFFFFFFFF;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

// The escape at the backslash at `p`: where it ends, nullptr when it is none JSON allows (a
// surrogate must be a high one followed by an escaped low one).
const unsigned char* ReadEscape(const unsigned char* p, const unsigned char* end) {
    ++p;
    if (p >= end) return nullptr;
    const unsigned char e = *p++;
    if (e == '"' || e == '\\' || e == '/' || e == 'b' || e == 'f' || e == 'n' || e == 'r' || e == 't') return p;
    if (e != 'u') return nullptr;
    const std::uint32_t unit = FourHex(p, end);
    if (unit == 0xFFFFFFFF || (unit >= 0xDC00 && unit <= 0xDFFF)) return nullptr;
    p += 4;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        if (end - p < 2 || p[0] != '\\' || p[1] != 'u') return nullptr;
        p += 2;
        const std::uint32_t low = FourHex(p, end);
        if (low < 0xDC00 || low > 0xDFFF) return nullptr;
        p += 4;
    }
    return p;
}

// What a value's first byte begins, as dense numbers: the scanner's choice is then one jump
// through one table (a choice among the bytes themselves makes a chain of tests and two tables).
enum ValueStart : std::uint8_t {
    kNotAValue,
    kBlankStart,
    kStringStart,
    kObjectStart,
    kArrayStart,
    kTrueStart,
    kFalseStart,
    kNullStart,
    kNumberStart
};
constexpr std::array<std::uint8_t, 256> MakeValueStarts() {
    std::array<std::uint8_t, 256> starts{};
    for (const char c : {' ', '\t', '\n', '\r'}) starts[static_cast<unsigned char>(c)] = kBlankStart;
    for (const char c : {'-', '0', '1', '2', '3', '4', '5', '6', '7', '8', '9'})
        starts[static_cast<unsigned char>(c)] = kNumberStart;
    starts['"'] = kStringStart;
    starts['{'] = kObjectStart;
    starts['['] = kArrayStart;
    starts['t'] = kTrueStart;
    starts['f'] = kFalseStart;
    starts['n'] = kNullStart;
    return starts;
}
constexpr std::array<std::uint8_t, 256> kValueStart = MakeValueStarts();

// kInPage: the scanner reads the page itself from the state's first byte on, and finds the end
// of the text where the plain reading cuts it (the first "</script>", the blanks and ";" before
// it left out): this saves a search through the whole state. Its strings' ends are taken from
// StringPlaces, which checks that the bytes it looks at are well-formed UTF-8, so that strings
// need no check of their high bytes; where they are not, the reading stops (Broken) and is done
// again the other way. Otherwise the scanner reads the state's text as cut by StateText, its
// strings byte by byte.
template <bool kInPage>
class StateScanner {
  public:
    // kInPage: `places` (kept apart, so that the scanner's own state never leaves its registers)
    // finds the ends of the strings.
    explicit StateScanner(std::string_view text, StringPlaces* places = nullptr)
        : p_(reinterpret_cast<const unsigned char*>(text.data())), end_(p_ + text.size()), places_(places) {}

    bool Run(StateFields& fields);

  private:
    // The reading itself, on a copy of the scanner that is Run's own: its address never leaves
    // Run, so its cursor and its place in the string list stay in registers (a scanner that
    // others may see is reloaded from memory after every store of a byte).
    __attribute__((always_inline)) inline bool Scan(StateFields& fields);

    struct Frame {
        unsigned char closer;  // '}' or ']'
        Node node;
    };
    // The next byte that is not a blank; false at the end of the text.
    __attribute__((always_inline)) bool Peek(unsigned char& c) {
        if (p_ >= end_) return false;
        c = *p_;
        if (c > ' ') return true;
        SkipBlanks();
        if (p_ >= end_) return false;
        c = *p_;
        return true;
    }

    __attribute__((always_inline)) void SkipBlanks() {
        // The state is one line of JSON: mostly there is nothing to skip.
        if (p_<end_&& * p_> ' ') return;
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\n' || *p_ == '\r')) ++p_;
    }
    __attribute__((always_inline)) bool Utf8Sequence() {
        const int length = Utf8SequenceLength(p_, end_);
        p_ += length;
        return length != 0;
    }
    // Inlined into the one loop that reads the state: a call per string (thousands of them) cost
    // more than the scanning of most strings.
    __attribute__((always_inline)) inline bool String(std::string_view& raw, bool& escaped);
    // Behind the top-level value and its blanks: whether the text ends here.
    __attribute__((always_inline)) bool AtEnd() const {
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
    __attribute__((always_inline)) bool IsScriptEnd(const unsigned char* q) const {
        return static_cast<std::size_t>(end_ - q) >= kScriptEnd.size() &&
               std::memcmp(q, kScriptEnd.data(), kScriptEnd.size()) == 0;
    }
    __attribute__((always_inline)) inline bool Number();
    __attribute__((always_inline)) bool Literal(std::string_view word) {
        if (static_cast<std::size_t>(end_ - p_) < word.size() || std::memcmp(p_, word.data(), word.size()) != 0)
            return false;
        p_ += word.size();
        return true;
    }

    // At a backslash in a string: reads the escape it begins.
    __attribute__((always_inline)) bool Escape() {
        p_ = ReadEscape(p_, end_);
        return p_ != nullptr;
    }
    __attribute__((always_inline)) inline bool PageString(std::string_view& raw, bool& escaped);

    // kInPage: the next place inside a string; when there is none, kNoPlace, a zero byte that
    // ends the string as a control does (so that the common path needs no check for it).
    static constexpr unsigned char kNoPlace = 0;
    __attribute__((always_inline)) const unsigned char* NextPlace() {
        if (next_ == listEnd_) {
            const StringPlaces::List list = places_->Find();
            if (list.begin == list.end) return &kNoPlace;
            next_ = list.begin;
            listEnd_ = list.end;
        }
        return base_ + *next_++;
    }

    const unsigned char* p_;
    const unsigned char* end_;
    // kInPage only: the string places, the text they count from and the part of their list not
    // yet taken.
    StringPlaces* places_;
    const unsigned char* base_ = nullptr;
    const std::uint32_t* next_ = nullptr;
    const std::uint32_t* listEnd_ = nullptr;
};

// A string at p_ (on its opening quote): `raw` receives the text between the quotes, `escaped`
// whether it holds escapes (and needs decoding).
template <bool kInPage>
__attribute__((always_inline)) inline bool StateScanner<kInPage>::PageString(std::string_view& raw, bool& escaped) {
    const unsigned char* start = ++p_;
    escaped = false;
    const unsigned char* at = NextPlace();
    for (;;) {
        // Most strings hold no escape, no control and no "<".
        if (*at == '"') [[likely]] {
            raw = std::string_view(reinterpret_cast<const char*>(start), static_cast<std::size_t>(at - start));
            p_ = at + 1;
            return true;
        }
        switch (*at) {
            case '\\':
                escaped = true;
                p_ = at;
                if (!Escape()) return false;
                // The backslash of a surrogate pair's second half was read with the first.
                do at = NextPlace();
                while (at != &kNoPlace && at < p_);
                break;
            case '<':
                // The script element ends inside the string: the text is cut short there.
                if (IsScriptEnd(at)) return false;
                at = NextPlace();
                break;
            default:  // a control
                return false;
        }
    }
}

template <bool kInPage>
inline bool StateScanner<kInPage>::String(std::string_view& raw, bool& escaped) {
    if constexpr (kInPage) return PageString(raw, escaped);
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
            // Signed: bytes from 0x80 on are below 0x20 as well.
            const __m128i special = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\\'))),
                _mm_cmplt_epi8(v, _mm_set1_epi8(0x20)));
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
            const std::uint64_t special = (w & kHighs) | zeroByte(w & 0xE0E0E0E0E0E0E0E0ull) |
                                          zeroByte(w ^ (kOnes * '"')) | zeroByte(w ^ (kOnes * '\\'));
            if (special != 0) break;
            p_ += 8;
        }
#endif
        if (!found)
            while (p_ < end_ && kByteClass[*p_] == kPlainByte) ++p_;
        if (p_ >= end_) return false;
        switch (kByteClass[*p_]) {
            case kQuoteByte:
                raw = std::string_view(reinterpret_cast<const char*>(start), static_cast<std::size_t>(p_ - start));
                ++p_;
                return true;
            case kControlByte:
                return false;
            case kHighByte:
                // Japanese text: three-byte characters that need no range check beyond the trails.
                while (end_ - p_ >= 3 && (((*p_ >= 0xE1 && *p_ <= 0xEC) || *p_ == 0xEE || *p_ == 0xEF)) &&
                       (p_[1] & 0xC0) == 0x80 && (p_[2] & 0xC0) == 0x80)
                    p_ += 3;
                if (p_ < end_ && kByteClass[*p_] == kHighByte && !Utf8Sequence()) return false;
                break;
            case kBackslashByte:
                escaped = true;
                if (!Escape()) return false;
                break;
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

// The length of the number of the common form at `p` (an integer part, maybe a fraction, no
// exponent; all within 15 bytes), from masks of the 16 bytes at `p`: no loop or branch per
// digit, no branch on whether there is a fraction (numbers of both forms alternate in no
// foreseeable order), and no load that waits for the length of a part. 0 when the number is
// not JSON, kOtherNumber when it has another form (an exponent, or too long for the masks):
// the byte-by-byte reading decides. Reads 16 bytes.
constexpr std::size_t kOtherNumber = ~std::size_t{0};
#if defined(__SSE2__)
__attribute__((always_inline)) inline std::size_t CommonNumberLength(const unsigned char* p) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    auto mask = [](__m128i hits) { return static_cast<std::uint32_t>(_mm_movemask_epi8(hits)); };
    // Digits become -128..-119 (signed), everything else lies above.
    const std::uint32_t digits = mask(_mm_cmplt_epi8(_mm_add_epi8(v, _mm_set1_epi8(static_cast<char>(0x80 - '0'))),
                                                     _mm_set1_epi8(static_cast<char>(-128 + 10))));
    const std::uint32_t points = mask(_mm_cmpeq_epi8(v, _mm_set1_epi8('.')));
    // "e" and "E".
    const std::uint32_t exponents = mask(_mm_cmpeq_epi8(_mm_or_si128(v, _mm_set1_epi8(0x20)), _mm_set1_epi8('e')));
    const auto sign = static_cast<std::uint32_t>(p[0] == '-');
    const auto integer = static_cast<std::uint32_t>(__builtin_ctz(~(digits >> sign)));  // at most 16
    // A leading zero stands alone: "01" is the number 0 and then a digit no JSON text allows.
    if (integer == 0 || (p[sign] == '0' && integer > 1)) return 0;
    const std::uint32_t afterInteger = sign + integer;
    const std::uint32_t point = (points >> afterInteger) & 1;
    const auto fraction = static_cast<std::uint32_t>(__builtin_ctz(~(digits >> (afterInteger + 1))));
    // A point needs a digit behind it. Multiplied rather than chosen: a choice becomes a branch.
    // A point in the last byte has its digits beyond the masks; the length of 16 below hands the
    // number to the byte-by-byte reading.
    if (point & (fraction == 0) & (afterInteger < 15)) return 0;
    const std::uint32_t length = afterInteger + point * (fraction + 1);
    if (length >= 16 || ((exponents >> length) & 1)) return kOtherNumber;
    return length;
}
#endif

template <bool kInPage>
inline bool StateScanner<kInPage>::Number() {
#if defined(__SSE2__)
    if (end_ - p_ >= 16) {
        const std::size_t length = CommonNumberLength(p_);
        if (length == 0) return false;
        if (length != kOtherNumber) {
            p_ += length;
            return true;
        }
    }
#endif
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
    // makes the text invalid. Below 10^300 it cannot, and only a rare one is handed to strtod:
    // without an exponent, one of more than 300 integer digits.
    if (exponent <= 0 && integerEnd - start <= 300) return true;
    const unsigned char* firstDigit = start + (*start == '-');
    while (firstDigit < integerEnd && *firstDigit == '0') ++firstDigit;
    if ((integerEnd - firstDigit) + exponent > 300) {
        const std::string token(reinterpret_cast<const char*>(start), static_cast<std::size_t>(p_ - start));
        if (!std::isfinite(std::strtod(token.c_str(), nullptr))) return false;
    }
    return true;
}

// Where a key of an object on the reader's paths leads.
void MatchKey(Node parent, std::string_view key, Node& node, int& leaf) {
    node = kNoNode;
    leaf = -1;
    for (const Child& child : kChildren[parent])
        // The first bytes tell most keys apart without a call to compare them whole.
        if (child.key.size() == key.size() && child.key[0] == key[0] &&
            std::memcmp(child.key.data(), key.data(), key.size()) == 0) {
            if (child.leaf)
                leaf = child.index;
            else
                node = static_cast<Node>(child.index);
        }
}

template <bool kInPage>
__attribute__((noinline)) bool StateScanner<kInPage>::Run(StateFields& fields) {
    StateScanner own(*this);
    return own.Scan(fields);
}

template <bool kInPage>
inline bool StateScanner<kInPage>::Scan(StateFields& fields) {
    if (p_ < end_ && *p_ == 0xEF) {
        if (end_ - p_ < 3 || p_[1] != 0xBB || p_[2] != 0xBF) return false;
        p_ += 3;
    }
    SkipBlanks();
    if (p_ >= end_ || *p_ != '{') return false;
    if constexpr (kInPage) {
        places_->Start(p_, end_);
        base_ = p_;
    }

    // The containers open around the value being read: the innermost in `top`, the ones around
    // it below (a state is seldom deeper than a dozen: the first levels need no allocation).
    Frame top{'}', kNoNode};
    std::size_t depth = 0;
    constexpr std::size_t kFixed = 64;
    Frame below[kFixed];
    std::vector<Frame> deeper;
    auto push = [&](Frame frame) __attribute__((always_inline)) {
        if (depth > 0) {
            if (depth - 1 < kFixed) {
                below[depth - 1] = top;
            } else {
                // A copy: `top` itself, its address never taken, stays in registers.
                const Frame saved = top;
                deeper.push_back(saved);
            }
        }
        top = frame;
        ++depth;
    };
    // Only below the outermost container.
    auto pop = [&]() __attribute__((always_inline)) {
        --depth;
        if (depth - 1 < kFixed) {
            top = below[depth - 1];
        } else {
            top = deeper.back();
            deeper.pop_back();
        }
    };
    Node valueNode = kRoot;  // where the value about to be read sits on the reader's paths
    int valueLeaf = -1;
    unsigned char c;

    // The steps are places in the code rather than a variable: which step follows which is then
    // mostly plain from where the reading is (a colon behind a key, a value behind a colon). The
    // state is one line without blanks: they are looked for only where the expected byte is not.
value:
    if (p_ >= end_) return false;
    const auto start = static_cast<ValueStart>(kValueStart[*p_]);
    // No bounds check before the jump: the table holds nothing else.
    if (start > kNumberStart) __builtin_unreachable();
    switch (start) {
        case kBlankStart:
            SkipBlanks();
            goto value;
        case kStringStart: {
            std::string_view raw;
            bool escaped = false;
            if (!String(raw, escaped)) return false;
            if (valueLeaf >= 0) fields.values[valueLeaf] = escaped ? Unescape(raw) : std::string(raw);
            goto afterValue;
        }
        case kObjectStart:
            ++p_;
            if (!Peek(c)) return false;
            if (c == '}') {
                ++p_;
                // The outermost object is empty.
                if (depth == 0) goto done;
                goto afterValue;
            }
            push({'}', valueNode});
            goto member;
        case kArrayStart:
            ++p_;
            if (!Peek(c)) return false;
            if (c == ']') {
                ++p_;
                goto afterValue;
            }
            push({']', kNoNode});
            valueNode = kNoNode;
            valueLeaf = -1;
            goto value;
        case kTrueStart:
            if (!Literal("true")) return false;
            goto afterValue;
        case kFalseStart:
            if (!Literal("false")) return false;
            goto afterValue;
        case kNullStart:
            if (!Literal("null")) return false;
            goto afterValue;
        case kNumberStart:
            if (!Number()) return false;
            goto afterValue;
        case kNotAValue:
            return false;
    }
    return false;

afterValue:
    // Inside a container: the outermost one's end leads to `done`.
    if (p_ >= end_) return false;
    c = *p_;
    if (c == ',') [[likely]] {
        ++p_;
        if (top.closer == '}') goto member;
        valueNode = kNoNode;
        valueLeaf = -1;
        goto value;
    }
    if (c == top.closer) {
        ++p_;
        if (depth == 1) goto done;
        pop();
        goto afterValue;
    }
    if (!IsBlank(static_cast<char>(c))) return false;
    SkipBlanks();
    goto afterValue;

member : {
    // A key and its colon.
    if (p_ >= end_ || *p_ != '"') {
        if (!Peek(c) || c != '"') return false;
    }
    std::string_view raw;
    bool escaped = false;
    if (!String(raw, escaped)) return false;
    if (p_ >= end_ || *p_ != ':') {
        if (!Peek(c) || c != ':') return false;
    }
    ++p_;
    valueNode = kNoNode;
    valueLeaf = -1;
    const Node parent = top.node;
    if (parent != kNoNode) {
        std::string decoded;
        MatchKey(parent, escaped ? std::string_view(decoded = Unescape(raw)) : raw, valueNode, valueLeaf);
        // A member met again replaces what the earlier one held.
        if (valueNode != kNoNode)
            for (std::uint32_t within = kLeavesWithin[valueNode]; within != 0; within &= within - 1)
                fields.values[__builtin_ctz(within)].reset();
        if (valueLeaf >= 0) fields.values[valueLeaf].reset();
    }
    goto value;
}

done:
    SkipBlanks();
    return AtEnd();
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
    return ParseCurrentQuotePageAt(body, FindStateMarker(body), copy, mask, log, reader);
}

bool ParseCurrentQuotePageAt(std::string_view body, std::size_t marker, CStock& copy, std::uint32_t mask,
                             ThreadLog* log, StateReader reader) {
    StateFields fields;
    bool valid;
    if (reader == StateReader::Dom) {
        const auto stateText = StateText(body, marker);
        if (!stateText) return false;
        valid = FieldsFromDocument(*stateText, fields);
    } else {
        const auto start = StateStart(body, marker);
        if (!start) return false;
        const std::string_view rest = body.substr(*start);
        // The string places are offsets of 32 bits.
        bool plain = rest.size() >= 0xFFFFFF00u;
        if (!plain) {
            StringPlaces places;
            valid = StateScanner<true>(rest, &places).Run(fields);
            // A byte that is not UTF-8 where the reading went: the strings need their bytes checked.
            plain = places.Broken();
        }
        if (plain) {
            fields = StateFields{};
            valid = StateScanner<false>(*StateText(body, marker)).Run(fields);
        }
    }
    if (!valid) {
        if (log)
            log->Append(LOG_DTL, "Parse: state object broken (%u bytes)",
                        static_cast<unsigned>(StateText(body, marker)->size()));
        return false;
    }
    return ReadFields(fields, copy, mask, log);
}

}  // namespace quotrix
