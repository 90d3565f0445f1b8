// Prices and identities come from pages, files and the command line: any bytes must be safe.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "model/Price.h"
#include "model/Stock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quotrix;
    std::u16string wide(size / 2, u'\0');
    if (!wide.empty()) std::memcpy(wide.data(), data, wide.size() * 2);
    const PriceValue value = ParsePrice(wide.data(), wide.size());

    std::string text;
    FormatPrice(value, text, FMT_SIGN | FMT_GROUP);
    NumberText number;
    number.SetPrice(value, size & 0x1F);
    double ratio;
    if (size >= sizeof ratio) {
        std::memcpy(&ratio, data, sizeof ratio);
        number.SetRatio(ratio, FMT_GROUP);
    }

    CStock stock(std::string(reinterpret_cast<const char*>(data), size));
    stock.BuildUrls();
    (void)stock.Hash();
    (void)stock.WebPageAddress(static_cast<int>(size % 18) - 1);
    return 0;
}
