#include "files/PathNames.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/TextCodec.h"

namespace quotrix {
namespace {

TEST(PathNames, JoinAddsOneBackslashAndIgnoresEmptyParts) {
    std::string path = "C:\\Data";
    AppendPath(path, "Quotrix");
    EXPECT_EQ(path, "C:\\Data\\Quotrix");
    path = "C:\\";
    AppendPath(path, "a.quotrix");
    EXPECT_EQ(path, "C:\\a.quotrix");
    path = "";
    AppendPath(path, "a.quotrix");
    EXPECT_EQ(path, "");
    path = "C:\\Data";
    AppendPath(path, "");
    EXPECT_EQ(path, "C:\\Data");
    // The second byte of "ソ" is 0x5C: the folder does not end with a backslash.
    path = Utf8ToSjis("C:\\ソ");
    AppendPath(path, "x");
    EXPECT_EQ(path, Utf8ToSjis("C:\\ソ\\x"));
}

TEST(PathNames, SplitGivesDriveFolderNameAndExtension) {
    PathParts p = SplitPath("C:\\My Files\\v1.2\\Mine.quotrix");
    EXPECT_EQ(p.drive, "C:");
    EXPECT_EQ(p.folder, "\\My Files\\v1.2\\");
    EXPECT_EQ(p.name, "Mine");
    EXPECT_EQ(p.extension, ".quotrix");
    p = SplitPath("noext");
    EXPECT_EQ(p.drive + p.folder + p.extension, "");
    EXPECT_EQ(p.name, "noext");
    // A dot in a folder is no extension of a file without one.
    p = SplitPath("C:\\a.b\\file");
    EXPECT_EQ(p.name, "file");
    EXPECT_EQ(p.extension, "");
    EXPECT_EQ(FileTitleOf(Utf8ToSjis("D:\\株ソ\\表.quotrix")), Utf8ToSjis("表"));
}

TEST(PathNames, FolderOfProgramNeedsABackslash) {
    std::string folder;
    EXPECT_TRUE(FolderOfProgram("C:\\Program Files\\Quotrix\\Enlistor.exe", folder));
    EXPECT_EQ(folder, "C:\\Program Files\\Quotrix");
    EXPECT_FALSE(FolderOfProgram("Enlistor.exe", folder));
    EXPECT_TRUE(FolderOfProgram(Utf8ToSjis("C:\\ソフト\\Enlistor.exe"), folder));
    EXPECT_EQ(folder, Utf8ToSjis("C:\\ソフト"));
    EXPECT_FALSE(FolderOfProgram(Utf8ToSjis("ソ.exe"), folder));
}

class UniquePath : public ::testing::Test {
  protected:
    std::set<std::string> taken;
    PathExists exists = [this](const std::string& path) { return taken.count(path) != 0; };
};

TEST_F(UniquePath, FreeNameStays) {
    std::string path = "C:\\Q\\Default.quotrix";
    EXPECT_TRUE(MakeUniquePath(path, exists));
    EXPECT_EQ(path, "C:\\Q\\Default.quotrix");
}

TEST_F(UniquePath, TakenNamesGetTheFirstFreeNumber) {
    taken.insert("C:\\Q\\Default.quotrix");
    std::string path = "C:\\Q\\Default.quotrix";
    EXPECT_TRUE(MakeUniquePath(path, exists));
    EXPECT_EQ(path, "C:\\Q\\Default001.quotrix");
    for (int i = 1; i <= 9; ++i) taken.insert("C:\\Q\\Default00" + std::to_string(i) + ".quotrix");
    path = "C:\\Q\\Default.quotrix";
    EXPECT_TRUE(MakeUniquePath(path, exists));
    EXPECT_EQ(path, "C:\\Q\\Default010.quotrix");
}

TEST_F(UniquePath, AllNumbersTakenFailsAndKeepsThePath) {
    std::string path = "C:\\Q\\Default.quotrix";
    taken.insert(path);
    char name[64];
    for (int i = 1; i <= 999; ++i) {
        std::snprintf(name, sizeof name, "C:\\Q\\Default%03d.quotrix", i);
        taken.insert(name);
    }
    EXPECT_FALSE(MakeUniquePath(path, exists));
    EXPECT_EQ(path, "C:\\Q\\Default.quotrix");
}

TEST_F(UniquePath, ShortcutNameIsNumberedBeforeItsExtension) {
    const std::string link = Utf8ToSjis("Quotrix!銘柄ファイル.lnk");
    taken.insert(link);
    std::string name = link;
    EXPECT_TRUE(MakeUniquePath(name, exists));
    EXPECT_EQ(name, Utf8ToSjis("Quotrix!銘柄ファイル001.lnk"));
}

}  // namespace
}  // namespace quotrix
