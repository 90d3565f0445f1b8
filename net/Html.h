// Plain-text scanning of HTML pages: the normal form the quote and search readers search in,
// tag stripping for the board and news checks, and a cached substring search.
//
// All functions work in place on the caller's buffer and are safe for any input (pages are
// untrusted). Any thread.
#pragma once

#include <cstddef>
#include <string_view>

#include "net/TextFind.h"

namespace quotrix {

// Removes CR and LF, collapses each run of space, tab and vertical tab into one space,
// replaces "&nbsp" (lower case, with an optional ";") by a space, and upper-cases ASCII
// letters. Returns the new length in characters.
std::size_t NormalizePageText(char16_t* text, std::size_t length);

// Drops every tag whose name does not begin with `keepUpper` or `keepLower`; a kept tag keeps
// its "<", "/", name and ">", loses the blank behind its name, and keeps its attributes when
// `keepAttributes`. Outside tags each run of blanks and line ends becomes one space. A zero
// byte ends the text. Returns the new length in bytes.
std::size_t StripTags(char* bytes, std::size_t length, char keepUpper, char keepLower, bool keepAttributes);

// StripTags in steps, from a page into a buffer of the caller's (room for the page's length):
// a reader that finds what it looks for early need not strip the rest. The bytes written are
// never changed by a later step, and all the steps together write what StripTags writes. The
// output may also be the page itself (in place). Holds pointers only: the page and the buffer
// must outlive it.
class TagStripper {
  public:
    TagStripper(const char* page, std::size_t length, char* out, char keepUpper, char keepLower, bool keepAttributes)
        : page_(page),
          length_(page != nullptr && out != nullptr ? length : 0),
          out_(out),
          keepUpper_(keepUpper),
          keepLower_(keepLower),
          keepAttributes_(keepAttributes) {}

    // Strips on until at least `upTo` page bytes are done (a tag under way is finished) or the
    // text has ended; returns the bytes written so far.
    std::size_t StripTo(std::size_t upTo);
    std::size_t Written() const { return written_; }
    // The text has ended (its length or a zero byte reached).
    bool Done() const { return done_ || at_ >= length_; }

  private:
    const char* page_;
    std::size_t length_;
    char* out_;
    char keepUpper_;
    char keepLower_;
    bool keepAttributes_;
    std::size_t at_ = 0;
    std::size_t written_ = 0;
    bool inBlank_ = false;
    bool done_ = false;
};

// Repeated searches for one needle at rising start positions. A hit found earlier is reused
// while the start has not passed it, and a miss is final; so a page full of half markers costs
// one pass per needle instead of one per marker.
template <typename CharT>
class ForwardFinder {
  public:
    ForwardFinder(std::basic_string_view<CharT> text, std::basic_string_view<CharT> needle)
        : text_(text), needle_(needle) {}

    std::size_t Find(std::size_t from) {
        if (searched_ && from >= from_ && (hit_ == npos || from <= hit_)) return hit_;
        searched_ = true;
        from_ = from;
        hit_ = FindText<CharT>(text_, needle_, from);
        return hit_;
    }

    static constexpr std::size_t npos = std::basic_string_view<CharT>::npos;

  private:
    std::basic_string_view<CharT> text_;
    std::basic_string_view<CharT> needle_;
    bool searched_ = false;
    std::size_t from_ = 0;
    std::size_t hit_ = npos;
};

}  // namespace quotrix
