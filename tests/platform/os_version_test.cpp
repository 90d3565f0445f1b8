#include <gtest/gtest.h>

#include "net/Release.h"
#include "platform/OsVersion.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

OsVersionRecord Version(std::uint32_t platform, std::uint32_t major, std::uint32_t minor, std::uint32_t build,
                        std::string servicePack = {}) {
    OsVersionRecord v;
    v.readable = true;
    v.platformId = platform;
    v.major = major;
    v.minor = minor;
    v.build = build;
    v.servicePack = std::move(servicePack);
    return v;
}

// "kind|name|description" for compact expectations.
std::string Show(const OsVersionRecord& v) {
    const OsDescription d = DescribeOs(v);
    return std::to_string(d.kind) + "|" + d.name + "|" + d.description;
}

TEST(OsVersion, NinetyFiveFamilyAndWin32sTakeTheBuildFromTheLowWord) {
    EXPECT_EQ(Show(Version(0, 3, 11, 0)), "1|Microsoft Win32s|Microsoft Win32s (Build 0)");
    EXPECT_EQ(Show(Version(1, 4, 0, 0x040003B6, " C")), "2|Windows 95|Windows 95 C (Build 950)");
    EXPECT_EQ(Show(Version(1, 4, 10, 0x040A08AE, " A ")), "4|Windows 98|Windows 98 A (Build 2222)");
    EXPECT_EQ(Show(Version(1, 4, 90, 0x045A0BB8)), "5|Windows Me|Windows Me (Build 3000)");
}

TEST(OsVersion, NtFamilyUpToVistaWithServicePacks) {
    EXPECT_EQ(Show(Version(2, 3, 51, 1057)), "3|Windows NT|Windows NT (Build 1057)");
    EXPECT_EQ(Show(Version(2, 4, 0, 1381, "Service Pack 6")), "3|Windows NT|Windows NT Service Pack 6 (Build 1381)");
    EXPECT_EQ(Show(Version(2, 5, 0, 2195, "Service Pack 4")),
              "6|Windows 2000|Windows 2000 Service Pack 4 (Build 2195)");
    EXPECT_EQ(Show(Version(2, 5, 1, 2600, "Service Pack 3")), "7|Windows XP|Windows XP Service Pack 3 (Build 2600)");
    // Server 2003 is a 5.x that is neither: named unknown, yet built for like 2000.
    EXPECT_EQ(Show(Version(2, 5, 2, 3790)), "6|Unknown Windows|Unknown Windows (Build 3790)");
    EXPECT_EQ(Show(Version(2, 6, 0, 6002, "Service Pack 2")),
              "8|Windows Vista|Windows Vista Service Pack 2 (Build 6002)");
    // Control characters in the edition do not reach the line.
    EXPECT_EQ(Show(Version(2, 5, 1, 2600, "Service\r\nPack\t2")), "7|Windows XP|Windows XP ServicePack2 (Build 2600)");
}

TEST(OsVersion, SystemsAfterVistaAreNamedAndElevenIsToldByItsBuild) {
    EXPECT_EQ(Show(Version(2, 6, 1, 7601, "Service Pack 1")), "9|Windows 7|Windows 7 Service Pack 1 (Build 7601)");
    EXPECT_EQ(Show(Version(2, 6, 2, 9200)), "10|Windows 8|Windows 8 (Build 9200)");
    EXPECT_EQ(Show(Version(2, 6, 3, 9600)), "11|Windows 8.1|Windows 8.1 (Build 9600)");
    EXPECT_EQ(Show(Version(2, 10, 0, 19045)), "12|Windows 10|Windows 10 (Build 19045)");
    EXPECT_EQ(Show(Version(2, 10, 0, 21999)), "12|Windows 10|Windows 10 (Build 21999)");
    EXPECT_EQ(Show(Version(2, 10, 0, 22000)), "13|Windows 11|Windows 11 (Build 22000)");
    EXPECT_EQ(Show(Version(2, 10, 0, 26100)), "13|Windows 11|Windows 11 (Build 26100)");
    // NT versions nobody has named yet.
    EXPECT_EQ(Show(Version(2, 6, 4, 9841)), "14|Unknown Windows|Unknown Windows (Build 9841)");
    EXPECT_EQ(Show(Version(2, 10, 1, 30000)), "14|Unknown Windows|Unknown Windows (Build 30000)");
    EXPECT_EQ(Show(Version(2, 11, 0, 1)), "14|Unknown Windows|Unknown Windows (Build 1)");
}

TEST(OsVersion, UnknownPlatformsLeaveTheNameEmptyAndTheUserAgentBare) {
    for (const OsVersionRecord& v : {OsVersionRecord{}, Version(1, 4, 5, 0), Version(1, 5, 0, 0), Version(1, 3, 95, 0),
                                     Version(3, 5, 0, 0), Version(0xFFFFFFFF, 10, 0, 1)}) {
        const OsDescription d = DescribeOs(v);
        EXPECT_EQ(d.kind, kOsUnknown) << v.platformId << " " << v.major << "." << v.minor;
        EXPECT_EQ(d.name, "");
        EXPECT_EQ(d.description, "Unknown Win32 Platform ");
        EXPECT_EQ(ReleaseCheckUserAgent(d.name), "Mozilla/4.0 (compatible;)");
    }
    // A record that was not read says nothing, whatever its fields hold.
    OsVersionRecord unread = Version(2, 5, 1, 2600);
    unread.readable = false;
    EXPECT_EQ(Show(unread), "0||Unknown Win32 Platform ");
    EXPECT_EQ(ReleaseCheckUserAgent(DescribeOs(Version(2, 5, 1, 2600)).name), "Mozilla/4.0 (compatible; Windows XP)");
}

TEST(OsVersion, VersionLineCarriesTheTargetOfTheKind) {
    EXPECT_EQ(AboutVersionLine(2, 56, 2600, kOsWinXP), "Version 2.56 for Windows XP (Build 2600)");
    EXPECT_EQ(AboutVersionLine(2, 5, 1, kOsWin2000), "Version 2.05 for Windows 2000 (Build 0001)");
    EXPECT_EQ(AboutVersionLine(2, 56, 6002, kOsVista), "Version 2.56 Windows Vista (not supported) (Build 6002)");
    EXPECT_EQ(AboutVersionLine(1, 0, 0, kOsUnknown), "Version 1.00 for MS Windows (Build 0000)");
    EXPECT_EQ(AboutVersionLine(65535, 65535, 65535, kOsWinNT), "Version 65535.65535 for Windows NT (Build 65535)");
    EXPECT_EQ(AboutVersionLine(2, 56, 2600, kOsWin95),
              Utf8ToSjis("Version 2.56 for Windows 95(IE4.0以降) (Build 2600)"));
    EXPECT_EQ(AboutTargetText(kOsWin98), "for Windows 98");
    EXPECT_EQ(AboutTargetText(kOsWinMe), "for Windows ME");
    // Everything after Vista, and Win32s, was never a build target.
    for (OsKind kind : {kOsWin32s, kOsWin7, kOsWin8, kOsWin81, kOsWin10, kOsWin11, kOsUnknownNT})
        EXPECT_EQ(AboutTargetText(kind), "for MS Windows") << kind;
}

TEST(OsVersion, TheRunningSystemIsAskedOnce) {
    const OsDescription& current = CurrentOs();
    EXPECT_EQ(&current, &CurrentOs());
#if defined(_WIN32)
    // Wine and every Windows this runs on are NT systems with a name.
    OsVersionRecord read;
    ASSERT_TRUE(ReadOsVersion(read));
    EXPECT_EQ(read.platformId, 2u);
    EXPECT_GE(read.major, 5u);
    EXPECT_EQ(current.name.rfind("Windows ", 0), 0u) << current.description;
    EXPECT_EQ(current.description.rfind(current.name, 0), 0u) << current.description;
    EXPECT_NE(current.description.find("(Build " + std::to_string(read.build) + ")"), std::string::npos);
#else
    OsVersionRecord read = Version(2, 5, 1, 2600);
    EXPECT_FALSE(ReadOsVersion(read));
    EXPECT_FALSE(read.readable);
    EXPECT_EQ(current.description, "Unknown Win32 Platform ");
#endif
}

}  // namespace
}  // namespace quotrix
