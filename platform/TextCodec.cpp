#include "platform/TextCodec.h"

namespace quotrix {

std::u16string ToUtf16(CodePage cp, std::string_view in) {
    std::u16string out;
    ToUtf16(cp, in, out);
    return out;
}

std::string FromUtf16(CodePage cp, std::u16string_view in) {
    std::string out;
    FromUtf16(cp, in, out);
    return out;
}

std::string Utf8ToSjis(std::string_view utf8) { return FromUtf16(CodePage::Sjis, ToUtf16(CodePage::Utf8, utf8)); }

std::string SjisToUtf8(std::string_view sjis) { return FromUtf16(CodePage::Utf8, ToUtf16(CodePage::Sjis, sjis)); }

}  // namespace quotrix
