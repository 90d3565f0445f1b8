// The encoding guess and the two conversions to Shift-JIS, on any bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/JapaneseText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quotrix;
    const char* bytes = reinterpret_cast<const char*>(data);
    const int detected = DetectJapaneseEncoding(bytes, size);
    if (detected < 0 || detected > 3) __builtin_trap();
    std::string euc(bytes, size), jis(bytes, size);
    EucToSjis(euc);
    JisToSjis(jis);
    if (euc.size() > size || jis.size() > size) __builtin_trap();
    return 0;
}
