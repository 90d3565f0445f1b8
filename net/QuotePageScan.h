// Cheap looks at a quote page's raw bytes that tell, before a decoding runs, that it cannot
// parse: the quote reader tries up to six decodings and most of them are bound to fail.
//
// Each test gives a necessary condition: "false" means no decoding of the kind named can yield a
// text in which the classic reader finds what it needs; "true" means only that it might.
// Pure functions over untrusted bytes; any thread.
#pragma once

#include <cstddef>
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

}  // namespace quotrix
