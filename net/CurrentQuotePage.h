// The reader for the quote site's current page shape: the page's whole state is one JSON object
// assigned to window.__PRELOADED_STATE__ in a script element. It fills the same stock copy as
// the classic reader and follows the same parse mask: a value the mask asks for and the page
// lacks rejects the page or reads as 0, exactly as with the classic pages. A page whose state
// names another instrument than the copy's is rejected whatever the mask.
//
// Pure functions over the page text; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "log/ThreadLog.h"
#include "model/Stock.h"

namespace quotrix {

// Whether the body carries the state object at all (cheap; no parsing).
bool HasPreloadedState(std::string_view body);

// How the state object is read. Both accept and reject the same texts and find the same values:
// Scan checks the whole JSON text in one pass and keeps only the members the reader uses; Dom
// builds the whole document first (the plain way, kept as the reference the scan is tested
// against).
enum class StateReader { Scan, Dom };

// Reads a UTF-8 page into `copy` following `mask`. False (copy partly written, to be discarded)
// when the state object is missing or malformed, names another instrument, or lacks a value the
// mask requires.
bool ParseCurrentQuotePage(std::string_view utf8Body, CStock& copy, std::uint32_t mask, ThreadLog* log,
                           StateReader reader = StateReader::Scan);

// The same, with the place where the state marker first begins in the body already known
// (FindStateMarker's answer, npos when there is none): the page is not searched again.
bool ParseCurrentQuotePageAt(std::string_view utf8Body, std::size_t marker, CStock& copy, std::uint32_t mask,
                             ThreadLog* log, StateReader reader = StateReader::Scan);

}  // namespace quotrix
