// Cheap looks at a quote page's raw bytes that tell, before a decoding runs, that it cannot
// parse: the quote reader tries up to six decodings and most of them are bound to fail.
//
// Each test gives a necessary condition: "false" means no decoding of the kind named can yield a
// text in which the classic reader finds what it needs; "true" means only that it might.
// Pure functions and a short-lived look over untrusted bytes; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quotrix {

// Whether a decoding that keeps every ASCII byte as the same character and turns every other
// byte (or run of them) into non-ASCII characters can hold, after the reader's normalisation
// (NormalizePageText), the main-block marker "<!--MAIN START-->" or "<DIV ID=\"CONTENTS-BODY\">".
// UTF-8, Shift-JIS (code page 932) and the EUC-JP and ISO-2022-JP conversions without escape
// sequences are such decodings; UTF-7 is one when the bytes hold no "+".
// When the answer is false every byte has been looked at, and `holdsEscape` (when given) tells
// whether any of them is ESC (0x1B); when it is true, `holdsEscape` may be left as it was.
bool MayHoldMainMarker(std::string_view bytes, bool* holdsEscape = nullptr);

// Whether the processor runs AVX2 code (x86-64 builds with GCC or clang; asked once). The scans
// over whole pages take 32 bytes at a time where it does.
bool HasAvx2();

// For tests: with false, HasAvx2 answers false whatever the processor, so that the paths of
// processors without AVX2 run here as well. Any thread; meant to be set while no page is read.
void AllowAvx2(bool allowed);

// Whether the UTF-7 decoding of `bytes` can hold every character of `wanted` (characters above
// U+007F; at most 32 distinct ones). Such characters come only from the base-64 runs behind a
// "+"; every run is read as it would be from each "+" that may start it.
bool Utf7MayHold(std::string_view bytes, std::u16string_view wanted);

// Whether the UTF-8 decoding of `bytes` can hold every character of `wanted` (characters above
// U+007F): the first and the last of them must appear in their UTF-8 form.
bool Utf8MayHold(std::string_view bytes, std::u16string_view wanted);

// The marker of the state object of today's pages ("window.__PRELOADED_STATE__ = {...}").
inline constexpr std::string_view kStateMarker = "__PRELOADED_STATE__";

// The first place at or after `from` where kStateMarker begins; npos when none.
std::size_t FindStateMarker(std::string_view bytes, std::size_t from = 0);

// The UTF-7 runs of a page read for wanted characters one "+" at a time, in the order of the
// bytes, as Utf7MayHold reads them (the same answer whoever hands over the "+").
class Utf7Runs {
  public:
    // `wanted` as for Utf7MayHold; `pageSize` sets how much reading is done before the answer is
    // "maybe".
    Utf7Runs(std::u16string_view wanted, std::size_t pageSize);

    // Reads the run behind the "+" at `plus` (each "+" once, in increasing order). Nothing to do
    // once Decided.
    void Read(std::string_view bytes, std::size_t plus);
    // Whether the run behind the "+" at `plus` has the three digits one character needs.
    static bool Yields(std::string_view bytes, std::size_t plus);
    // The same for a "+" with at least three bytes behind it.
    static bool Yields(const char* plus);
    // Whether more runs cannot change the answer: every character seen, or the reading too long.
    bool Decided() const { return decided_; }
    // Whether the runs read (all the page's, unless Decided) may yield every wanted character.
    bool MayHold() const { return decided_ || seen_ == all_; }

  private:
    char16_t distinct_[32] = {};
    std::size_t count_ = 0;
    std::uint32_t seen_ = 0;
    std::uint32_t all_ = 0;
    std::size_t budget_ = 0;
    bool decided_ = false;
};

// One pass over a page's raw bytes that answers the reader's questions together: whether a main-
// block marker may be there (MayHoldMainMarker), and on the way, for the bytes it looks at,
// whether any is ESC or "+", which "+" begin a UTF-7 run long enough to hold a character (read
// for `wanted` when asked), and where the state marker first begins. The pass ends at the first
// marker, or at the end of a page without one (as today's pages are); the questions about bytes
// further on are answered from there when asked, so that nothing is looked at twice.
// Holds a view of `bytes`, which must outlive it. One thread.
class PageLook {
  public:
    PageLook(std::string_view bytes, std::u16string_view wanted);
    // The look keeps a view of the bytes: a page that dies before it would leave it dangling.
    PageLook(std::string&& bytes, std::u16string_view wanted) = delete;

    bool MayHoldMarker() const { return marker_; }
    // Whether any byte of the page is ESC.
    bool HoldsEscape();
    // Whether any byte of the page is "+".
    bool HoldsPlus() const;
    // Utf7MayHold(bytes, wanted).
    bool Utf7MayHold();
    // FindStateMarker(bytes).
    std::size_t StateMarker();
    // Bytes before this place have been looked at (all of them when no marker was found).
    std::size_t Looked() const { return looked_; }

    // For the pass: a block of it holds a "+" (with `plus`).
    void SawPlus(bool plus) { plus_ = plus_ || plus; }
    // For the pass: handles a block of up to 64 places from `at` given, bit by bit, where a "<"
    // may open a marker, where a "+" is and where "OA" (of the state marker) is. True when a
    // marker is there: the pass ends with this block, whose length is `length`.
    bool Block(std::size_t at, std::size_t length, std::uint64_t openings, std::uint64_t pluses,
               std::uint64_t stateLetters);

  private:
    std::string_view bytes_;
    Utf7Runs utf7_;
    bool marker_ = false;
    bool escape_ = false;  // an ESC before looked_
    bool plus_ = false;    // a "+" before looked_
    bool escapeAsked_ = false;
    bool stateAsked_ = false;
    bool utf7Asked_ = false;
    // The "+" before looked_ whose runs are long enough to hold a character, in order; when
    // there are more, every "+" is read again from the start.
    static constexpr std::size_t kKeptRuns = 16;
    std::size_t runs_[kKeptRuns];
    std::size_t runCount_ = 0;
    bool runsOverflow_ = false;
    std::size_t looked_ = 0;
    std::size_t state_;  // the first state marker beginning before looked_ - 6, or npos
};

}  // namespace quotrix
