// The stock list manager's sort of shown texts: any three texts must compare as a strict weak
// order in every column (the list view's sort relies on it), and reading them never fails.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "dialogs/StockListModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quotrix;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::string_view texts[3];
    for (std::string_view& text : texts) {
        const std::size_t end = rest.find('\0');
        text = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    for (int column = 0; column < kStockListColumns; ++column) {
        auto compare = [column](std::string_view a, std::string_view b) { return CompareStockListTexts(column, a, b); };
        for (std::string_view a : texts) {
            if (compare(a, a) != 0) std::abort();
            for (std::string_view b : texts) {
                const int ab = compare(a, b);
                if (ab < -1 || ab > 1 || ab != -compare(b, a)) std::abort();
                for (std::string_view c : texts)
                    if (ab <= 0 && compare(b, c) <= 0 && compare(a, c) > 0) std::abort();
            }
        }
    }
    return 0;
}
