// Win32 implementation of the text conversions.
#include <windows.h>

#include "platform/TextCodec.h"

namespace quotrix {

bool ToUtf16(CodePage cp, std::string_view in, std::u16string& out, bool strict) {
    out.clear();
    if (in.empty()) return true;
    const UINT page = static_cast<UINT>(cp);
    // UTF-7 takes no flags.
    const DWORD checkFlag = cp == CodePage::Utf7 ? 0 : MB_ERR_INVALID_CHARS;
    const int inLen = static_cast<int>(in.size());
    // No code page here makes more UTF-16 units than it reads bytes: a clean text converts in one
    // call into room for that many (a page is read on every check, and measuring it first doubled
    // the cost). Anything else takes the measured way below.
    out.resize(in.size());
    int n = MultiByteToWideChar(page, checkFlag, in.data(), inLen, reinterpret_cast<wchar_t*>(out.data()), inLen);
    if (n > 0) {
        out.resize(static_cast<std::size_t>(n));
        return true;
    }
    out.clear();
    n = MultiByteToWideChar(page, checkFlag, in.data(), inLen, nullptr, 0);
    const bool clean = n > 0;
    if (!clean) {
        if (strict) return false;
        n = MultiByteToWideChar(page, 0, in.data(), inLen, nullptr, 0);
        if (n <= 0) return false;
    }
    out.resize(n);
    MultiByteToWideChar(page, clean ? checkFlag : 0, in.data(), inLen, reinterpret_cast<wchar_t*>(out.data()), n);
    return clean;
}

bool FromUtf16(CodePage cp, std::u16string_view in, std::string& out) {
    out.clear();
    if (in.empty()) return true;
    const UINT page = static_cast<UINT>(cp);
    const wchar_t* src = reinterpret_cast<const wchar_t*>(in.data());
    const int inLen = static_cast<int>(in.size());
    // No best-fit mapping: "é" must not silently become "e" in a stock name.
    const bool ansi = cp == CodePage::Sjis;
    const DWORD flags = ansi ? WC_NO_BEST_FIT_CHARS : 0;
    int n = WideCharToMultiByte(page, flags, src, inLen, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return false;
    out.resize(n);
    BOOL usedDefault = FALSE;
    // The default-character arguments must be null for UTF-7 and UTF-8.
    WideCharToMultiByte(page, flags, src, inLen, out.data(), n, ansi ? "?" : nullptr, ansi ? &usedDefault : nullptr);
    return !usedDefault;
}

}  // namespace quotrix
