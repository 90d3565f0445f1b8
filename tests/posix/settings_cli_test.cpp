// quotrix-cli settings against a private settings file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/TextCodec.h"
#include "platform/posix/FileSettingsStore.h"

#if defined(QUOTRIX_CLI)
namespace quotrix {
namespace {

namespace fs = std::filesystem;

class SettingsCli : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quotrix-cli-settings-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }
    // Runs the tool; returns its exit status and its standard output.
    int Run(const std::string& arguments, std::string& out) {
        const std::string command =
            "XDG_CONFIG_HOME='" + folder_.string() + "' '" QUOTRIX_CLI "' settings " + arguments + " 2>/dev/null";
        out.clear();
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return -1;
        char buffer[512];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
        const int status = pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    FileSettingsStore Store() const { return FileSettingsStore((folder_ / "Quotrix" / "settings.ini").string()); }
    fs::path folder_;
};

TEST_F(SettingsCli, SetsGetsAndListsTheUsersFile) {
    std::string out;
    EXPECT_EQ(Run("set Setting MaxThreads 5", out), 0);
    EXPECT_EQ(Run("set Setting StartHour -1", out), 0);
    EXPECT_EQ(Run("set Setting LogPath '/tmp/ログ/q.log'", out), 0);
    EXPECT_EQ(Run("set-text Setting SecUrl 12345", out), 0);
    EXPECT_EQ(Run("set Setting SecUrl 678", out), 0);  // stays text: the key holds text
    EXPECT_EQ(Store().GetInt("Setting", "MaxThreads", 0), 5u);
    EXPECT_EQ(Store().GetInt("Setting", "StartHour", 0), 0xFFFFFFFFu);
    EXPECT_EQ(Store().GetString("Setting", "LogPath", ""), Utf8ToSjis("/tmp/ログ/q.log"));
    EXPECT_EQ(Store().GetString("Setting", "SecUrl", ""), "678");

    EXPECT_EQ(Run("get Setting maxthreads", out), 0);
    EXPECT_EQ(out, "5\n");
    EXPECT_EQ(Run("get Setting StartHour", out), 0);
    EXPECT_EQ(out, "4294967295 (-1)\n");
    EXPECT_EQ(Run("get Setting LogPath", out), 0);
    EXPECT_EQ(out, "/tmp/ログ/q.log\n");
    EXPECT_EQ(Run("get Setting Missing", out), 1);
    EXPECT_EQ(Run("list Setting", out), 0);
    EXPECT_NE(out.find("Setting\tMaxThreads\t5\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Setting\tSecUrl\t\"678\"\n"), std::string::npos) << out;
    EXPECT_EQ(Run("path", out), 0);
    EXPECT_EQ(out, (folder_ / "Quotrix" / "settings.ini").string() + "\n");
    EXPECT_EQ(Run("set Setting", out), 2);
    EXPECT_EQ(Run("set 'Bad=Section' Key 1", out), 1);
}

}  // namespace
}  // namespace quotrix
#endif
