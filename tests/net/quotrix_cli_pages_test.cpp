// quotrix-cli quote, search and release-check against a quote server of the test's own: the
// printed values must be the ones the server served, in each of its encodings.
#if !defined(_WIN32) && defined(QUOTRIX_CLI)

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "QuoteServer.h"
#include "model/Price.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

struct CliRun {
    int status = -1;
    std::string out;
};

CliRun Cli(const std::string& arguments) {
    CliRun run;
    FILE* pipe = popen((std::string(QUOTRIX_CLI) + " " + arguments + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::vector<std::vector<std::string>> Lines(const std::string& text) {
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string field; std::getline(cells, field, '\t');) fields.push_back(field);
        lines.push_back(fields);
    }
    return lines;
}

// A value as the server's page shows it, then as the tool prints it.
std::string Price(std::int64_t value, const quotesrv::Instrument& in, unsigned flags) {
    std::string text;
    const std::u16string shown = ToUtf16(CodePage::Utf8, quotesrv::PriceText(value, in.decimals));
    return FormatPrice(ParsePrice(shown), text, flags | FMT_GROUP);
}

class CliPages : public ::testing::Test {
  protected:
    void SetUp() override {
        quotesrv::ServerOptions options;
        options.port = 0;
        options.seed = 11;
        server_ = std::make_unique<quotesrv::QuoteServer>(options);
        ASSERT_TRUE(server_->Start());
    }
    void TearDown() override { server_->Stop(); }
    std::unique_ptr<quotesrv::QuoteServer> server_;
};

TEST_F(CliPages, QuotePrintsWhatTheServerServed) {
    auto& market = server_->Instruments();
    for (const char* encoding : {"utf8", "sjis", "euc", "jis"}) {
        SCOPED_TRACE(encoding);
        const CliRun run = Cli("quote --host " + server_->Address() + "/" + encoding + " 7203.t 6758 998407 USDJPY=X");
        ASSERT_EQ(run.status, 0) << run.out;
        const auto lines = Lines(run.out);
        ASSERT_EQ(lines.size(), 4u) << run.out;
        const char* symbols[] = {"7203", "6758", "998407", "USDJPY=X"};
        const char* shown[] = {"7203.T", "6758", "998407.O", "USDJPY=X"};
        for (int i = 0; i < 4; ++i) {
            const quotesrv::Quote q = market.Peek(*market.Find(symbols[i]));
            const auto& f = lines[i];
            ASSERT_EQ(f.size(), 6u) << run.out;
            EXPECT_EQ(f[0], shown[i]);
            EXPECT_EQ(f[1], q.instrument->name);
            EXPECT_EQ(f[2], Price(q.price, *q.instrument, 0));
            if (q.instrument->kind == quotesrv::Kind::Currency) continue;  // only the price is read
            EXPECT_EQ(f[3], Price(q.price - q.prevClose, *q.instrument, FMT_SIGN));
            std::string volume;
            FormatCount(q.instrument->kind == quotesrv::Kind::Stock ? static_cast<std::int32_t>(q.volume) : 0, volume,
                        FMT_GROUP);
            EXPECT_EQ(f[4], volume);
        }
    }
    EXPECT_EQ(Cli("quote").status, 2);
    EXPECT_EQ(Cli("quote --host 127.0.0.1:1 7203.t").status, 1);
}

// The server in today's shape: the classic addresses the tool asks for are moved to the /quote/
// pages, which carry their values as a JSON state object. The same values must come out.
TEST_F(CliPages, QuoteReadsTodaysPagesThroughTheRedirect) {
    auto& market = server_->Instruments();
    const CliRun run = Cli("quote --host " + server_->Address() + "/current 7203.t 6758 998407 USDJPY=X");
    ASSERT_EQ(run.status, 0) << run.out;
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 4u) << run.out;
    const char* symbols[] = {"7203", "6758", "998407", "USDJPY=X"};
    for (int i = 0; i < 4; ++i) {
        const quotesrv::Quote q = market.Peek(*market.Find(symbols[i]));
        ASSERT_EQ(lines[i].size(), 6u) << run.out;
        EXPECT_EQ(lines[i][1], q.instrument->name) << symbols[i];
        EXPECT_EQ(lines[i][2], Price(q.price, *q.instrument, 0)) << symbols[i];
    }
}

TEST_F(CliPages, SearchListsEveryPage) {
    const CliRun toyota = Cli("search --host " + server_->Address() + " トヨタ");
    ASSERT_EQ(toyota.status, 0);
    const auto lines = Lines(toyota.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], (std::vector<std::string>{"7203.T", "トヨタ自動車(株)"}));
    EXPECT_GT(lines.size(), 40u);  // over several result pages
    // Twenty a page, seventy pages at most.
    EXPECT_EQ(Lines(Cli("search --host " + server_->Address() + " 全銘柄").out).size(), 1400u);
    EXPECT_EQ(Cli("search --host " + server_->Address() + " 該当なしの語").status, 1);
}

TEST_F(CliPages, ReleaseCheck) {
    const std::string url = "http://" + server_->Address() + "/quotrix/release.txt";
    const CliRun newer = Cli("release-check --url '" + url + "?v=2.57' --version 2.56");
    EXPECT_EQ(newer.status, 0);
    EXPECT_EQ(newer.out.rfind("newer release 2.57 (running 2.56)\nQuotrix 2.57 ", 0), 0u) << newer.out;
    const CliRun same = Cli("release-check --url '" + url + "?v=2.56' --version 2.56");
    EXPECT_EQ(same.out, "no newer release: published 2.56, running 2.56\n");
    EXPECT_EQ(Cli("release-check --url http://127.0.0.1:1/x").status, 1);
    EXPECT_EQ(Cli("release-check --version x").status, 2);
}

}  // namespace
}  // namespace quotrix

#endif
