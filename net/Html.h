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
