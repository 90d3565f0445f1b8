// What the options dialog reads from outside: the proxy list of the settings store, the typed
// brokerage address, ranged numbers and the total icon's steps. Any bytes must give a value or a
// refusal, a proxy read back after storing must keep its address and port, and the unit switch
// must stay within its caps.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "dialogs/OptionsModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quotrix;
    const std::string text(reinterpret_cast<const char*>(data), size);

    AppSettings settings;
    settings.proxyServer = text;
    OptProxyModel proxy;
    proxy.Load(settings);
    if (proxy.port > 65535) std::abort();
    if (proxy.address.find_first_of(":; ") == std::string::npos && !proxy.address.empty() &&
        proxy.address.find("http=") == std::string::npos && proxy.address.find("://") == std::string::npos) {
        proxy.Store(settings);
        OptProxyModel again;
        again.Load(settings);
        if (again.address != proxy.address || again.port != proxy.port) std::abort();
    }
    (void)proxy.SetPortText(text);

    const std::string url = NormalizeBrokerageUrl(text);
    if (!url.empty() && url.size() < text.size()) std::abort();

    std::uint32_t value = 0;
    if (!ReadRangedNumber(text, 30, 10000, 1, value) && (value < 30 || value > 10000)) std::abort();

    OptionsState state;
    state.totalAmount = static_cast<PriceValue>(size) * 123457 * kYen;
    OptIconModel icon;
    icon.Load(state);
    icon.SetPercent(size & 1);
    if (!icon.SetStepTexts({text, text, text, text})) {
        icon.SetPercent(!(size & 1));
        icon.SetPercent(size & 1);
        const ArrowThresholds& t = icon.work.settings.totalThresholds;
        // Converted back: percent steps are capped at 100 %, yen steps are never negative.
        if ((size & 1) && (t.perPlusHigh > 10000 || t.perMinusHigh > 10000)) std::abort();
        if (!(size & 1) && (t.curPlusHigh < 0 || t.curMinusHigh < 0)) std::abort();
    }
    return 0;
}
