// The quote server the network tests talk to.
//
// Linux: one server in this process on a free port of 127.0.0.1, started on first use. Windows
// (under Wine): the server the Linux side started, named by QUOTRIX_QUOTE_SERVER
// ("127.0.0.1:PORT") or by the file QUOTRIX_QUOTE_SERVER_FILE holds it in; tests skip without one.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace quotrix::testing {

// "127.0.0.1:PORT", or empty when there is no server.
std::string QuoteServerAddress();

// "http://127.0.0.1:PORT" + path.
std::string QuoteServerUrl(const std::string& path);

}  // namespace quotrix::testing

// Declares `address` and skips the test when there is no quote server.
#define QUOTRIX_NEED_QUOTE_SERVER(address)                                \
    const std::string address = ::quotrix::testing::QuoteServerAddress(); \
    if (address.empty()) GTEST_SKIP() << "no quote server (QUOTRIX_QUOTE_SERVER unset)"
