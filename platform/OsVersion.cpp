#include "platform/OsVersion.h"

#include <cstdio>

#include "platform/TextCodec.h"

namespace quotrix {

namespace {

constexpr std::uint32_t kPlatformWin32s = 0;
constexpr std::uint32_t kPlatformWindows = 1;
constexpr std::uint32_t kPlatformNT = 2;
// Windows 11 kept the version 10.0; only the build tells it apart.
constexpr std::uint32_t kFirstWindows11Build = 22000;

OsKind KindOf(const OsVersionRecord& v) {
    switch (v.platformId) {
        case kPlatformWin32s:
            return kOsWin32s;
        case kPlatformWindows:
            if (v.major != 4) return kOsUnknown;
            if (v.minor == 0) return kOsWin95;
            if (v.minor == 10) return kOsWin98;
            if (v.minor == 90) return kOsWinMe;
            return kOsUnknown;
        case kPlatformNT:
            if (v.major < 5) return kOsWinNT;
            if (v.major == 5) return v.minor == 1 ? kOsWinXP : kOsWin2000;
            if (v.major == 6) {
                if (v.minor == 0) return kOsVista;
                if (v.minor == 1) return kOsWin7;
                if (v.minor == 2) return kOsWin8;
                if (v.minor == 3) return kOsWin81;
                return kOsUnknownNT;
            }
            if (v.major == 10 && v.minor == 0) return v.build < kFirstWindows11Build ? kOsWin10 : kOsWin11;
            return kOsUnknownNT;
        default:
            return kOsUnknown;
    }
}

const char* NameOf(OsKind kind, const OsVersionRecord& v) {
    switch (kind) {
        case kOsWin32s:
            return "Microsoft Win32s";
        case kOsWin95:
            return "Windows 95";
        case kOsWin98:
            return "Windows 98";
        case kOsWinMe:
            return "Windows Me";
        case kOsWinNT:
            return "Windows NT";
        case kOsWin2000:
            // 5.2 (Server 2003, XP x64) shares the 2000 target text but is not called 2000.
            return v.minor == 0 ? "Windows 2000" : "Unknown Windows";
        case kOsWinXP:
            return "Windows XP";
        case kOsVista:
            return "Windows Vista";
        case kOsWin7:
            return "Windows 7";
        case kOsWin8:
            return "Windows 8";
        case kOsWin81:
            return "Windows 8.1";
        case kOsWin10:
            return "Windows 10";
        case kOsWin11:
            return "Windows 11";
        case kOsUnknownNT:
            return "Unknown Windows";
        case kOsUnknown:
            break;
    }
    return "";
}

// The edition text as the system gives it, without the blanks 9x puts around its letter ("
// C") and without control characters that would break the line.
std::string Edition(const std::string& text) {
    std::string clean;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) clean += c;
    const std::size_t first = clean.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return clean.substr(first, clean.find_last_not_of(' ') - first + 1);
}

}  // namespace

OsDescription DescribeOs(const OsVersionRecord& version) {
    OsDescription out;
    out.kind = version.readable ? KindOf(version) : kOsUnknown;
    if (out.kind == kOsUnknown) {
        out.description = "Unknown Win32 Platform ";
        return out;
    }
    out.name = NameOf(out.kind, version);
    // 9x repeats major and minor in the high word of the build number.
    const std::uint32_t build = version.platformId == kPlatformWindows ? version.build & 0xFFFF : version.build;
    out.description = out.name;
    const std::string edition = Edition(version.servicePack);
    if (!edition.empty()) out.description += " " + edition;
    out.description += " (Build " + std::to_string(build) + ")";
    return out;
}

const OsDescription& CurrentOs() {
    static const OsDescription current = [] {
        OsVersionRecord version;
        if (!ReadOsVersion(version)) version = OsVersionRecord{};
        return DescribeOs(version);
    }();
    return current;
}

const std::string& AboutTargetText(OsKind kind) {
    static const std::string win95 = SJIS("for Windows 95(IE4.0以降)");
    static const std::string nt = "for Windows NT";
    static const std::string win98 = "for Windows 98";
    static const std::string me = "for Windows ME";
    static const std::string win2000 = "for Windows 2000";
    static const std::string xp = "for Windows XP";
    static const std::string vista = "Windows Vista (not supported)";
    static const std::string other = "for MS Windows";
    switch (kind) {
        case kOsWin95:
            return win95;
        case kOsWinNT:
            return nt;
        case kOsWin98:
            return win98;
        case kOsWinMe:
            return me;
        case kOsWin2000:
            return win2000;
        case kOsWinXP:
            return xp;
        case kOsVista:
            return vista;
        default:
            return other;
    }
}

std::string AboutVersionLine(unsigned major, unsigned minor, unsigned build, OsKind kind) {
    // The numbers come from 16-bit words of the version resource; the buffer holds the widest.
    const std::string& target = AboutTargetText(kind);
    char line[160];
    std::snprintf(line, sizeof line, "Version %u.%02u %s (Build %04u)", major, minor, target.c_str(), build);
    return line;
}

}  // namespace quotrix
