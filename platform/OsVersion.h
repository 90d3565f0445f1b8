// The operating system the program runs on: its version record, the kind code the about box
// chooses its target text by, the short name for the release check's user agent, and the long
// description ("name, edition and build") of the about box's system line.
//
// Threads: every function may be called from any thread. Texts are Shift-JIS.
#pragma once

#include <cstdint>
#include <string>

namespace quotrix {

// What the system reports about its version. `readable` is false when it could not be asked.
struct OsVersionRecord {
    bool readable = false;
    std::uint32_t platformId = 0;  // 0 Win32s, 1 Windows 9x, 2 NT family
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;  // as reported; on 9x the high word carries the version again
    std::string servicePack;  // "Service Pack 3", " A", ...; may be empty
};

// The kind codes up to kOsVista are those the about box's target texts are chosen by; the later
// ones were added for the systems that came after, and all of them read "for MS Windows".
enum OsKind : int {
    kOsUnknown = 0,  // not readable, or a 9x version nobody knows
    kOsWin32s = 1,
    kOsWin95 = 2,
    kOsWinNT = 3,  // NT before 5.0
    kOsWin98 = 4,
    kOsWinMe = 5,
    kOsWin2000 = 6,  // 5.0, and the 5.x that are neither 2000 nor XP
    kOsWinXP = 7,
    kOsVista = 8,
    kOsWin7 = 9,
    kOsWin8 = 10,
    kOsWin81 = 11,
    kOsWin10 = 12,
    kOsWin11 = 13,
    kOsUnknownNT = 14,  // NT family, a version not named here
};

struct OsDescription {
    OsKind kind = kOsUnknown;
    std::string name;         // "Windows XP"; empty when unknown (the user agent then names none)
    std::string description;  // "Windows XP Service Pack 3 (Build 2600)", or "Unknown Win32 Platform "
};

OsDescription DescribeOs(const OsVersionRecord& version);

// Asks the running system. Implemented per platform; false (and an unreadable record) when the
// system does not say.
bool ReadOsVersion(OsVersionRecord& version);

// DescribeOs of ReadOsVersion, read once per process.
const OsDescription& CurrentOs();

// The about box's target text for a kind code ("for Windows XP", ... "for MS Windows").
const std::string& AboutTargetText(OsKind kind);
// "Version 2.56 for Windows XP (Build 2600)".
std::string AboutVersionLine(unsigned major, unsigned minor, unsigned build, OsKind kind);

}  // namespace quotrix
