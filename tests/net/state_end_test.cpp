// Where the state object's text ends. The scanning reader reads the page itself from the state's
// first byte and finds the end on the way; the document reader is handed the text cut at the
// first "</script>" with the blanks and ";" before it left out. Both must take the same pages.
#include <gtest/gtest.h>

#include <string>

#include "net/CurrentQuotePage.h"
#include "net/QuotePage.h"
#include "tests/net/StateReading.h"

namespace quotrix {
namespace {

const std::string kState =
    R"j({"mainStocksPriceBoard":{"priceBoard":{"code":"7203","name":"トヨタ自動車(株)","price":"2,975",)j"
    R"j("priceDateTime":"15:00","priceChange":"+25"}},"mainStocksDetail":{"detail":{"previousPrice":"2,950",)j"
    R"j("openPrice":"2,960","highPrice":"2,990","lowPrice":"2,940.5","volume":"12,345,600"},)j"
    R"j("referenceIndex":{"shareDividendYield":"2.52","per":"9.78","pbr":"1.08","eps":"304.14"}}})j";

TEST(StateEnd, BothReadersTakeTheSamePages) {
    const std::string head = "<html><script>window.__PRELOADED_STATE__ = ";
    // The state's own "{"..."}" with something in place of its last string value's text.
    auto withText = [](const std::string& text) {
        std::string state = kState;
        state.replace(state.find("304.14"), 6, text);
        return state;
    };
    const struct {
        const char* what;
        std::string body;
        bool ok;
    } cases[] = {
        {"the script element ends behind it", head + kState + "</script></html>", true},
        {"blanks and semicolons before the end", head + kState + " ;\n ;\t</script>", true},
        {"no end of the script element", head + kState + ";\r\n", true},
        {"something else before the end", head + kState + "; x</script>", false},
        {"a zero byte behind the object", head + kState + std::string("\0junk</script>", 14), true},
        {"a zero byte behind a semicolon", head + kState + std::string(";\0</script>", 11), false},
        {"a tag inside a string", head + withText("<b>1</b>") + "</script>", true},
        {"the script element ends inside a string", head + withText("1</script>") + "\"}}}</script>", false},
        {"an upper-case end is no end", head + kState + "</SCRIPT></script>", false},
        {"the end cuts a number", head + R"j({"a":12</script>)j", false},
        {"the end before the object", head + "</script>" + kState, false},
        {"a broken character after the end", head + kState + "</script>\xFF\xFE<p>", true},
        {"a broken character inside a string", head + withText("1\xC3(") + "</script>", false},
        {"an overlong form inside a string", head + withText("\xE0\x80\xAF") + "</script>", false},
        {"Japanese text inside a string", head + withText("値上がり率ランキング銘柄、輸出関連株に買い") + "</script>",
         true},
        {"a broken character in a long run of Japanese",
         head + withText("値上がり率ランキング\xE3\x81銘柄、輸出関連株に買い") + "</script>", false},
        {"a surrogate in a long run of Japanese",
         head + withText("値上がり率ランキング\xED\xA0\x80銘柄、輸出関連株に買い") + "</script>", false},
    };
    for (const auto& c : cases) {
        const Reading scan = Read(c.body, StateReader::Scan);
        const Reading dom = Read(c.body, StateReader::Dom);
        EXPECT_EQ(dom.ok, c.ok) << c.what;
        EXPECT_EQ(scan.ok, c.ok) << c.what;
        if (!scan.ok || !dom.ok) continue;
        EXPECT_EQ(scan.stock.price, dom.stock.price) << c.what;
        EXPECT_EQ(scan.stock.name, dom.stock.name) << c.what;
        EXPECT_EQ(scan.stock.low, dom.stock.low) << c.what;
        EXPECT_EQ(scan.stock.volume, dom.stock.volume) << c.what;
        EXPECT_EQ(scan.stock.eps, dom.stock.eps) << c.what;
    }
}

}  // namespace
}  // namespace quotrix
