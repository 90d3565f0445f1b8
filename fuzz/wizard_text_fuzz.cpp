// The wizard reads typed keywords, typed paths and registry values written by any program: the
// EUC-JP lookup address, the path rules and the registration check must be safe for any bytes,
// and what they give back must keep their promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "files/PathNames.h"
#include "wizard/FileType.h"
#include "wizard/WizardRules.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quotrix;
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::string address;
    if (CodeLookupAddress("q", text, address)) {
        Check(address.rfind("http://q/l", 0) == 0);
        for (unsigned char c : address) Check(c > 0x20 && c < 0x7F && c != '#');
    }
    std::string euc;
    if (SjisToEucJp(text, euc)) Check(euc.size() >= text.size() && euc.size() <= text.size() * 2);

    const PathParts parts = SplitPath(text);
    Check(parts.drive + parts.folder + parts.name + parts.extension == text);
    std::string path = text;
    int asked = 0;
    const bool unique = MakeUniquePath(path, [&](const std::string&) { return ++asked <= 3; });
    Check(unique && (asked == 1 || path != text));
    std::string folder;
    if (FolderOfProgram(text, folder)) Check(folder.size() < text.size());
    std::string joined = text;
    AppendPath(joined, "x");
    Check(joined.size() >= text.size());

    (void)ReadEnlistorSwitch(text);
    const std::string half = text.substr(0, size / 2);
    Check(CommandStartsProgram("\"" + half + "\" /f", half) || half.find('"') != std::string::npos || half.empty() ||
          half.find_first_of(" \t\r\n") != std::string::npos);
    return 0;
}
