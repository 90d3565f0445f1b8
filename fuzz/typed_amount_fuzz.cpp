// What a user types into a share or amount box, and the dialogs' amount arithmetic: any bytes
// must give a value or a refusal, and every accepted amount must print back to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "dialogs/PageModel.h"
#include "dialogs/TradePage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quotrix;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (auto count = ParseUnsignedText(text)) {
        if (ParseUnsignedText(std::to_string(*count)) != count) std::abort();
    }
    if (auto amount = ParseAmountText(text)) {
        if (ParseAmountText(AmountBoxText(*amount)) != amount) std::abort();
        (void)MultiplyAmount(amount, static_cast<std::uint32_t>(size * 977));
        (void)DivideAmount(amount, static_cast<std::uint32_t>(size));
    }
    // The remove dialog fed with the same text in every box.
    SellTradeModel sell;
    sell.maxShares = 100;
    sell.shares = 100;
    sell.amount = 1000;
    sell.costBasis = 500;
    sell.average = sell.startAverage = 5;
    sell.SetSharesText(text);
    sell.SetAmountText(text);
    sell.SetUnitPrice(size & 1);
    if (size & 2) sell.PressEdit();
    sell.SetAverageText(text);
    sell.SetCostBasisText(text);
    (void)sell.ProfitText();
    (void)sell.Finish();
    return 0;
}
