// Reads a page of today's site as a worker does, into a stock of 7203, with either reader of the
// state object, so that tests can hold the two readers' answers side by side.
#pragma once

#include <string>

#include "model/Stock.h"
#include "net/CurrentQuotePage.h"
#include "net/QuotePage.h"

namespace quotrix {

struct Reading {
    bool ok;
    CStock stock;
};

inline Reading Read(const std::string& body, StateReader reader) {
    Reading r{false, CStock("7203.t")};
    r.stock.BuildUrls();
    r.ok = ParseCurrentQuotePage(body, r.stock, ParseMaskFor(r.stock) | PARSE_NAME, nullptr, reader);
    return r;
}

}  // namespace quotrix
