// The Linux settings file: the shared suite against real files, and what only a file has
// (its place, its mode, atomic replacement, other processes' changes, hand edits).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/SettingsStores.h"
#include "platform/TextCodec.h"
#include "platform/posix/FileSettingsStore.h"
#include "settings/AppSettings.h"
#include "tests/settings/SettingsSuite.h"

namespace quotrix {
namespace {

namespace fs = std::filesystem;

fs::path MakeTempFolder() {
    char pattern[] = "/tmp/quotrix-settings-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? fs::path(made) : fs::path();
}

class FilePlace : public TestStorePlace {
  public:
    FilePlace() : folder_(MakeTempFolder()) {}
    ~FilePlace() override { fs::remove_all(folder_); }
    std::unique_ptr<SettingsStore> Open() override {
        return std::make_unique<FileSettingsStore>((folder_ / "Quotrix" / "settings.ini").string());
    }

  private:
    fs::path folder_;
};

INSTANTIATE_TEST_SUITE_P(File, SettingsStoreSuite,
                         testing::Values(StoreKind{"File", [] { return std::make_unique<FilePlace>(); }}),
                         StoreKindName);

// Sets an environment variable for one scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = getenv(name)) old_ = old, had_ = true;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { had_ ? setenv(name_, old_.c_str(), 1) : unsetenv(name_); }

  private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

class FileStore : public testing::Test {
  protected:
    void SetUp() override { folder_ = MakeTempFolder(); }
    void TearDown() override { fs::remove_all(folder_); }
    std::string File() const { return (folder_ / "Quotrix" / "settings.ini").string(); }
    std::string Text() const {
        std::ifstream in(File(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Write(const std::string& text) const {
        fs::create_directories(folder_ / "Quotrix");
        std::ofstream(File(), std::ios::binary) << text;
    }
    fs::path folder_;
};

TEST_F(FileStore, LivesInTheUsersConfigFolderAndIsPrivate) {
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", folder_.c_str());
        EXPECT_EQ(UserSettingsFilePath("Quotrix"), File());
        auto store = CreateUserSettingsStore();
        ASSERT_TRUE(store->SetString(kSectionSetting, "IndexData", "secret"));
        EXPECT_EQ(UserSettingsLocation(), File());
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "relative/path");  // not absolute: ignored
        ScopedEnv home("HOME", "/home/someone");
        EXPECT_EQ(UserSettingsFilePath("Quotrix"), "/home/someone/.config/Quotrix/settings.ini");
    }
    struct stat st;
    ASSERT_EQ(stat(File().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(stat((folder_ / "Quotrix").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A file the user made readable for others is replaced by a private one on the next write.
    chmod(File().c_str(), 0644);
    FileSettingsStore store(File());
    ASSERT_TRUE(store.SetInt("Setting", "MaxThreads", 4));
    ASSERT_EQ(stat(File().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(FileStore, ReadsHandEditedFiles) {
    Write(
        "\xEF\xBB\xBF; edited by hand\r\n"
        "stray=1\r\n"
        "[Setting]\r\n"
        "  MaxThreads = 5  \r\n"
        "BoolFlags1=0x373D3D\n"
        "StartHour=-1\n"
        "LogPath=/var/log/ログ.log\n"
        "SecUrl=\"https://x.example/?a=\\\"b\\\"\"  \n"
        "LoginUser=\"\\x95\\x5C\"\n"
        "Broken=\"no end\n"
        "garbage line\n"
        "[]\n"
        "Orphan=1\n"
        "[stdstock]\n"
        "showmode=21\n");
    FileSettingsStore store(File());
    EXPECT_EQ(store.GetInt("Setting", "MaxThreads", 0), 5u);
    EXPECT_EQ(store.GetInt("Setting", "BoolFlags1", 0), 0x373D3Du);
    EXPECT_EQ(store.GetInt("Setting", "StartHour", 0), 0xFFFFFFFFu);
    EXPECT_EQ(store.GetString("Setting", "LogPath", ""), Utf8ToSjis("/var/log/ログ.log"));
    EXPECT_EQ(store.GetString("Setting", "SecUrl", ""), "https://x.example/?a=\"b\"");
    EXPECT_EQ(store.GetString("Setting", "LoginUser", ""), "\x95\x5C");  // 表
    EXPECT_EQ(store.GetString("Setting", "Broken", "skipped"), "skipped");
    EXPECT_EQ(store.GetInt("StdStock", "ShowMode", 0), 21u);  // names ignore case, as the registry's
    EXPECT_EQ(store.GetInt("Setting", "stray", 9), 9u);
    EXPECT_EQ(store.GetInt("", "Orphan", 9), 9u);

    // Writing keeps every readable value of the file and the first spelling of names.
    ASSERT_TRUE(store.SetInt("STDSTOCK", "ShowMode", 1));
    FileSettingsStore again(File());
    EXPECT_EQ(again.GetInt("Setting", "MaxThreads", 0), 5u);
    EXPECT_EQ(again.GetString("Setting", "LoginUser", ""), "\x95\x5C");
    EXPECT_NE(Text().find("[stdstock]\nshowmode=1\n"), std::string::npos) << Text();
    EXPECT_NE(Text().find("LogPath=\"/var/log/ログ.log\""), std::string::npos) << Text();
}

TEST_F(FileStore, TwoWritersKeepEachOthersValues) {
    FileSettingsStore program(File());
    FileSettingsStore wizard(File());
    ASSERT_TRUE(program.SetInt("Setting", "MaxThreads", 4));
    EXPECT_EQ(wizard.GetInt("Setting", "MaxThreads", 0), 4u);
    ASSERT_TRUE(wizard.SetString("Setting", "Lastest", "/home/u/a.quotrix"));
    // The program's next save starts from the file as the wizard left it.
    program.BeginBatch();
    ASSERT_TRUE(program.SetInt("Setting", "Interval", 30000));
    EXPECT_EQ(program.GetString("Setting", "Lastest", ""), "/home/u/a.quotrix");
    EXPECT_EQ(FileSettingsStore(File()).GetInt("Setting", "Interval", 0), 0u);  // not yet written
    ASSERT_TRUE(program.EndBatch());
    FileSettingsStore reader(File());
    EXPECT_EQ(reader.GetString("Setting", "Lastest", ""), "/home/u/a.quotrix");
    EXPECT_EQ(reader.GetInt("Setting", "Interval", 0), 30000u);
    EXPECT_EQ(reader.GetInt("Setting", "MaxThreads", 0), 4u);
}

TEST_F(FileStore, RefusesWhatItCannotKeep) {
    FileSettingsStore store(File());
    EXPECT_FALSE(store.SetInt("Setting", "a=b", 1));
    EXPECT_FALSE(store.SetInt("Set]ting", "a", 1));
    EXPECT_FALSE(store.SetInt("Setting", " padded", 1));
    EXPECT_FALSE(store.SetInt("", "a", 1));
    EXPECT_FALSE(fs::exists(File()));

    // A file that exists but cannot be read is never overwritten with only the new values.
    Write("[Setting]\nMaxThreads=5\n");
    const std::uintmax_t tooLarge = 17u << 20;
    fs::resize_file(File(), tooLarge);  // larger than any settings file: not read
    EXPECT_FALSE(store.SetInt("Setting", "Interval", 30000));
    EXPECT_EQ(fs::file_size(File()), tooLarge);
    EXPECT_TRUE(Text().starts_with("[Setting]\nMaxThreads=5\n"));
    fs::remove(File());

    // A folder that cannot be made.
    Write("");
    FileSettingsStore blocked(File() + "/below-a-file/settings.ini");
    EXPECT_FALSE(blocked.SetInt("Setting", "MaxThreads", 1));
    EXPECT_EQ(blocked.GetInt("Setting", "MaxThreads", 3), 3u);
    FileSettingsStore nowhere("");
    EXPECT_FALSE(nowhere.SetInt("Setting", "MaxThreads", 1));
}

TEST_F(FileStore, AKilledWriterLeavesAWholeFile) {
    // A child rewrites the file as fast as it can, with values that always agree with each
    // other; it is killed at random moments. The file must always read whole and consistent.
    FileSettingsStore(File()).SetInt("Setting", "Seed", 0);
    for (int round = 0; round < 20; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            FileSettingsStore store(File());
            for (std::uint32_t i = 1;; ++i) {
                store.BeginBatch();
                for (int k = 0; k < 50; ++k) store.SetInt("Setting", "Key" + std::to_string(k), i);
                store.SetString("Setting", "Text", std::string(i % 300, 'x') + "end");
                store.EndBatch();
            }
        }
        usleep(2000 + (round * 7919) % 20000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        SettingsData data;
        std::ifstream in(File(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        EXPECT_EQ(ParseSettingsText(text.str(), data), 0u) << "round " << round;
        const SettingsValue* first = data.Find("Setting", "Key0");
        if (!first) continue;  // killed before its first write
        const std::uint32_t value = std::get<std::uint32_t>(*first);
        for (int k = 1; k < 50; ++k) {
            const SettingsValue* v = data.Find("Setting", "Key" + std::to_string(k));
            ASSERT_NE(v, nullptr) << "round " << round << " key " << k;
            EXPECT_EQ(std::get<std::uint32_t>(*v), value);
        }
        const SettingsValue* t = data.Find("Setting", "Text");
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(std::get<std::string>(*t), std::string(value % 300, 'x') + "end");
    }
}

TEST(SettingsText, FormatReadsBackAsItWas) {
    SettingsData data;
    data.Set("Setting", "Number", 0xFFFFFFFFu);
    data.Set("Setting", "Zero", 0u);
    data.Set("Setting", "Japanese", Utf8ToSjis("ｶﾀｶﾅ と 漢字 ①"));
    data.Set("Setting", "Controls", std::string("a\tb\r\nc\x01\x7F\"\\", 11));
    data.Set("Setting", "NotSjis", std::string("\x81\x20\xFF\xA0\x80", 5));
    data.Set("Setting", "LooksLikeNumber", "123");
    data.Set("Other", "Empty", "");
    const std::string text = FormatSettingsText(data);
    SettingsData back;
    EXPECT_EQ(ParseSettingsText(text, back), 0u);
    EXPECT_EQ(back, data) << text;
    EXPECT_NE(text.find("Japanese=\"ｶﾀｶﾅ と 漢字 ①\""), std::string::npos) << text;
    EXPECT_NE(text.find("Number=4294967295"), std::string::npos);
}

}  // namespace
}  // namespace quotrix
