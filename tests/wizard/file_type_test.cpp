#include "wizard/FileType.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "platform/TextCodec.h"

namespace quotrix {
namespace {

// Classes keys in memory: each key has an optional default value. Keys named in `locked` cannot
// be created; with `failWrites` every write is refused.
class MemoryClasses : public ClassKeyStore {
  public:
    std::map<std::string, std::optional<std::string>> keys;
    std::vector<std::string> locked;
    bool failWrites = false;
    int writes = 0;

    std::unique_ptr<ClassKey> Open(const std::string& path, bool create) override {
        if (!keys.count(path)) {
            if (!create || std::find(locked.begin(), locked.end(), path) != locked.end()) return nullptr;
            keys[path];
        }
        return std::make_unique<Key>(*this, path);
    }

  private:
    struct Key : ClassKey {
        Key(MemoryClasses& s, std::string p) : store(s), path(std::move(p)) {}
        bool ReadDefault(std::string& value) override {
            const auto& v = store.keys[path];
            if (!v) return false;
            value = *v;
            return true;
        }
        bool WriteDefault(const std::string& value) override {
            if (store.failWrites) return false;
            ++store.writes;
            store.keys[path] = value;
            return true;
        }
        MemoryClasses& store;
        std::string path;
    };
};

const std::string kApp = "C:\\Program Files\\Quotrix\\Quotrix.EXE";

std::string TypeName() { return Utf8ToSjis("Quotrix!銘柄ﾌｧｲﾙ"); }
std::string CommandKey() { return TypeName() + "\\shell\\open\\command"; }

TEST(FileTypeCheck, ComparesOnlyTheProgramOfTheCommand) {
    EXPECT_TRUE(CommandStartsProgram("\"" + kApp + "\" /f \"%1\"", kApp));
    EXPECT_TRUE(CommandStartsProgram("\"c:\\program files\\QUOTRIX\\quotrix.exe\" /x", kApp));
    EXPECT_FALSE(CommandStartsProgram("\"D:\\Quotrix\\Quotrix.EXE\" /f \"%1\"", kApp));
    // Unquoted: the program ends at the first blank, so a path without blanks still compares.
    EXPECT_TRUE(CommandStartsProgram("C:\\Q\\quotrix.exe /f \"%1\"", "C:\\Q\\Quotrix.EXE"));
    EXPECT_FALSE(CommandStartsProgram(kApp + " /f", kApp));
    // Two-byte characters compare whole: the second byte 0x83 of "ソ" must not fold.
    const std::string japanese = Utf8ToSjis("C:\\ソフト\\Quotrix.EXE");
    EXPECT_TRUE(CommandStartsProgram("\"" + japanese + "\"", japanese));
    EXPECT_FALSE(CommandStartsProgram("\"" + Utf8ToSjis("C:\\ゾフト\\Quotrix.EXE") + "\"", japanese));
}

TEST(FileTypeCheck, RegisteredOnlyWhenEveryKeyReadsAndNamesThisProgram) {
    MemoryClasses classes;
    EXPECT_FALSE(IsFileTypeRegistered(classes, ".quotrix", kApp));
    classes.keys[".quotrix"] = TypeName();
    EXPECT_FALSE(IsFileTypeRegistered(classes, ".quotrix", kApp));
    classes.keys[CommandKey()] = std::nullopt;
    EXPECT_FALSE(IsFileTypeRegistered(classes, ".quotrix", kApp));
    classes.keys[CommandKey()] = OpenCommandFor("D:\\Other\\Quotrix.EXE");
    EXPECT_FALSE(IsFileTypeRegistered(classes, ".quotrix", kApp));
    classes.keys[CommandKey()] = OpenCommandFor("C:\\PROGRAM FILES\\quotrix\\QUOTRIX.exe");
    EXPECT_TRUE(IsFileTypeRegistered(classes, "quotrix", kApp));
    // A value of 512 bytes or more does not read.
    classes.keys[".quotrix"] = std::string(511, 'x');
    classes.keys[std::string(511, 'x') + "\\shell\\open\\command"] = OpenCommandFor(kApp);
    EXPECT_TRUE(IsFileTypeRegistered(classes, ".quotrix", kApp));
    classes.keys[".quotrix"] = std::string(512, 'x');
    classes.keys[std::string(512, 'x') + "\\shell\\open\\command"] = OpenCommandFor(kApp);
    EXPECT_FALSE(IsFileTypeRegistered(classes, ".quotrix", kApp));
}

TEST(FileTypeRegister, WritesEveryKeyThenNothingOnceRegistered) {
    MemoryClasses classes;
    const FileTypeRegistration r = StockFileType(kApp, "C:\\Program Files\\Quotrix\\Enlistor.exe");
    ASSERT_TRUE(RegisterFileType(classes, kApp, r));
    EXPECT_EQ(*classes.keys[".quotrix"], TypeName());
    EXPECT_EQ(*classes.keys[TypeName()], Utf8ToSjis("Quotrix!銘柄ﾃﾞｰﾀ"));
    EXPECT_EQ(*classes.keys[TypeName() + "\\DefaultIcon"], "C:\\Program Files\\Quotrix\\Enlistor.exe,4");
    EXPECT_EQ(*classes.keys[TypeName() + "\\shell"], "open");
    EXPECT_EQ(*classes.keys[TypeName() + "\\shell\\open"], "open");
    EXPECT_EQ(*classes.keys[CommandKey()], "\"" + kApp + "\" /f \"%1\"");
    EXPECT_EQ(classes.writes, 6);
    EXPECT_TRUE(IsFileTypeRegistered(classes, ".quotrix", kApp));
    ASSERT_TRUE(RegisterFileType(classes, kApp, r));
    EXPECT_EQ(classes.writes, 6);
    // Another copy of the program takes the type over.
    const std::string other = "D:\\Quotrix\\Quotrix.EXE";
    ASSERT_TRUE(RegisterFileType(classes, other, StockFileType(other, "D:\\Quotrix\\Enlistor.exe")));
    EXPECT_EQ(*classes.keys[CommandKey()], OpenCommandFor(other));
}

TEST(FileTypeRegister, KeysThatCannotBeMadeArePassedOverButFailedWritesFail) {
    MemoryClasses classes;
    FileTypeRegistration r = StockFileType(kApp, "E.exe");
    classes.locked = {TypeName() + "\\DefaultIcon"};
    ASSERT_TRUE(RegisterFileType(classes, kApp, r));
    EXPECT_FALSE(classes.keys.count(TypeName() + "\\DefaultIcon"));
    EXPECT_EQ(*classes.keys[CommandKey()], OpenCommandFor(kApp));

    MemoryClasses noExtension;
    noExtension.locked = {".quotrix"};
    EXPECT_FALSE(RegisterFileType(noExtension, kApp, r));

    MemoryClasses readOnly;
    readOnly.failWrites = true;
    EXPECT_FALSE(RegisterFileType(readOnly, kApp, r));
}

TEST(FileTypeRegister, EmptyTypeNameKeepsTheExistingOne) {
    MemoryClasses classes;
    FileTypeRegistration r = StockFileType(kApp, "E.exe");
    r.typeName.clear();
    // No type named yet: nothing to write under.
    EXPECT_FALSE(RegisterFileType(classes, kApp, r));
    classes.keys[".quotrix"] = std::string("OldType");
    ASSERT_TRUE(RegisterFileType(classes, kApp, r));
    EXPECT_EQ(*classes.keys["OldType\\shell\\open\\command"], OpenCommandFor(kApp));
    EXPECT_EQ(*classes.keys[".quotrix"], "OldType");
}

}  // namespace
}  // namespace quotrix
