// The log files: real files in a private temporary folder, real threads.
#include "log/ErrLog.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "log/ThreadLog.h"
#include "platform/LogSupport.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

namespace fs = std::filesystem;

class LogFolder : public testing::Test {
  protected:
    void SetUp() override {
        std::string temp;
        ASSERT_TRUE(GetTempFolder(temp));
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::path(temp) /
                  ("quotrix-log-" + std::string(info->name()) + "-" + std::to_string(std::random_device()() % 1000000));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    // The log path as the settings give it (Shift-JIS; the test folders are ASCII).
    std::string PathFor(const std::string& name) const { return (folder_ / name).string(); }
    std::string Read(const std::string& name) const {
        std::ifstream in(folder_ / name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void Fill(const std::string& name, std::size_t bytes) const {
        std::ofstream out(folder_ / name, std::ios::binary);
        out << std::string(bytes, 'x');
    }
    fs::path folder_;
};

const std::regex kLine(R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\.\d{3} (ERR|INT|DTL) (.*)\r\n)");

TEST_F(LogFolder, LinesCarryTimeAndLevelAndObeyTheThreshold) {
    CErrLog log;
    log.SetPath(PathFor("app.log"));
    log.SetLevel(2);  // threshold 1: errors only
    log.Log(LOG_ERR, "error %d", 1);
    log.Log(LOG_INT, "internal");
    log.Log(0, "level zero");
    log.Log(7, "level seven");
    log.SetLevel(5);
    log.Log(LOG_DTL, "%s / %s", "detail", SJIS("日本語").c_str());

    const std::string text = Read("app0000.log");
    std::vector<std::pair<std::string, std::string>> lines;
    for (std::sregex_iterator it(text.begin(), text.end(), kLine), end; it != end; ++it) {
        lines.emplace_back((*it)[1], (*it)[2]);
    }
    ASSERT_EQ(lines.size(), 4u) << text;
    EXPECT_EQ(lines[0], std::make_pair(std::string("ERR"), std::string("error 1")));
    EXPECT_EQ(lines[1].second, "level zero");
    EXPECT_EQ(lines[2].first, "ERR");
    EXPECT_EQ(lines[3], std::make_pair(std::string("DTL"), "detail / " + SJIS("日本語")));
    // Nothing but whole lines.
    EXPECT_EQ(std::regex_replace(text, kLine, ""), "");
}

TEST_F(LogFolder, LevelTable) {
    CErrLog log;
    struct Row {
        int level, threshold, threadLevel;
        bool copiesFailed, copiesAll;
    };
    for (const Row& r : {Row{0, 0, 0, false, false}, Row{1, 1, 1, true, false}, Row{2, 1, 2, true, false},
                         Row{3, 1, 3, true, false}, Row{4, 2, 2, true, true}, Row{5, 3, 3, true, true},
                         Row{6, 0, 0, false, false}, Row{-1, 0, 0, false, false}}) {
        log.SetLevel(r.level);
        EXPECT_EQ(log.Threshold(), r.threshold) << r.level;
        EXPECT_EQ(log.ThreadLogLevel(), r.threadLevel) << r.level;
        EXPECT_EQ(log.CopiesWorkerLog(true), r.copiesFailed) << r.level;
        EXPECT_EQ(log.CopiesWorkerLog(false), r.copiesAll) << r.level;
    }
    // Threshold 0 writes nothing at all.
    log.SetPath(PathFor("quiet.log"));
    log.SetLevel(0);
    log.Log(LOG_ERR, "never");
    EXPECT_FALSE(fs::exists(folder_ / "quiet0000.log"));
}

TEST_F(LogFolder, LongestMessageFitsOneMoreDoesNot) {
    CErrLog log;
    log.SetPath(PathFor("long.log"));
    log.SetLevel(5);
    // 1024 bytes: the 28-byte prefix, the message, CR LF and the terminating zero.
    const std::string fits(1021 - 28, 'a');
    log.Log(LOG_ERR, "%s", fits.c_str());
    log.Log(LOG_ERR, "%s", (fits + "b").c_str());
    const std::string text = Read("long0000.log");
    EXPECT_EQ(text.size(), 1021u + 2);
    EXPECT_EQ(text.find('b'), std::string::npos);

    ThreadLog worker(3);
    worker.Append(LOG_DTL, "%s", (fits + "b").c_str());
    EXPECT_TRUE(worker.text.empty());
}

TEST_F(LogFolder, SetPathRules) {
    CErrLog log;
    log.SetPath(PathFor("my."));
    EXPECT_EQ(log.CurrentPath(), PathFor("my0000.log"));
    EXPECT_EQ(log.LogPath(), PathFor("my.log"));
    log.SetPath(PathFor("trace.txt"));
    EXPECT_EQ(log.CurrentPath(), PathFor("trace0000.txt"));
    log.SetPath(PathFor(""));
    EXPECT_EQ(log.CurrentPath(), PathFor("Quotrix0000.log"));
    log.SetPath(PathFor(".ext"));
    EXPECT_EQ(log.CurrentPath(), PathFor("Quotrix0000.ext"));
    log.SetCurrentNumber(7);
    EXPECT_EQ(log.CurrentPath(), PathFor("Quotrix0007.ext"));

    // The trail byte of 表 is a backslash; the folder must stay whole.
    const std::string folder = PathFor("") + SJIS("表示") + kPathSeparator;
    log.SetPath(folder + "x.log");
    EXPECT_EQ(log.LogPath(), folder + "x.log");

    // A name longer than any file system allows leaves the log where it was.
    log.SetPath(PathFor(std::string(300, 'n') + ".log"));
    EXPECT_EQ(log.LogPath(), folder + "x.log");
}

TEST_F(LogFolder, RotatesOnTheTwelfthWriteAfterACheckAndWraps) {
    CErrLog log;
    log.SetPath(PathFor("Quotrix.log"));
    Fill("Quotrix0000.log", 512001);
    const std::string line = "line\r\n";
    for (int i = 0; i < 11; ++i) ASSERT_TRUE(log.WriteRaw(line.data(), line.size()));
    EXPECT_EQ(fs::file_size(folder_ / "Quotrix0000.log"), 512001u + 11 * line.size());
    EXPECT_FALSE(fs::exists(folder_ / "Quotrix0001.log"));
    ASSERT_TRUE(log.WriteRaw("12th\r\n", 6));
    EXPECT_EQ(log.CurrentNumber(), 1u);
    EXPECT_EQ(Read("Quotrix0001.log"), LogRotationBlock() + "12th\r\n");
    EXPECT_EQ(LogRotationBlock(), std::string(51, '-') + "\r\n" + SJIS("ファイルを更新しました。") + "\r\n" +
                                      std::string(51, '-') + "\r\n");

    // From the last number back to 0000, whose old lines are dropped.
    log.SetCurrentNumber(9);
    Fill("Quotrix0009.log", 600000);
    Fill("Quotrix0000.log", 10);
    for (int i = 0; i < 12; ++i) log.WriteRaw("w\r\n", 3);
    EXPECT_EQ(log.CurrentNumber(), 0u);
    EXPECT_EQ(Read("Quotrix0000.log"), LogRotationBlock() + "w\r\n");

    // A file at the limit is not over it.
    log.SetMaxSize(100);
    Fill("Quotrix0000.log", 100);
    for (int i = 0; i < 12; ++i) log.WriteRaw("", 0);
    EXPECT_EQ(log.CurrentNumber(), 0u);
}

TEST_F(LogFolder, FailuresAreSilent) {
    CErrLog empty;
    empty.SetLevel(5);
    empty.Log(LOG_ERR, "no path");
    EXPECT_FALSE(empty.WriteRaw("x", 1));

    CErrLog missing;
    missing.SetPath(PathFor("no-such-folder") + kPathSeparator + "a.log");
    missing.SetLevel(5);
    for (int i = 0; i < 30; ++i) missing.Log(LOG_ERR, "lost %d", i);
    EXPECT_FALSE(missing.WriteRaw("x", 1));
    missing.LogLastError("still nothing");

    // A file name far beyond the system's limit.
    CErrLog deep;
    std::string path = PathFor("");
    for (int i = 0; i < 40; ++i) path += std::string(200, 'd') + kPathSeparator;
    deep.SetPath(path + "a.log");
    deep.SetLevel(5);
    deep.Log(LOG_ERR, "too deep");
    EXPECT_FALSE(deep.WriteRaw("x", 1));

#if !defined(_WIN32)
    // A full disk: the file is a link to /dev/full.
    fs::create_symlink("/dev/full", folder_ / "full0000.log");
    CErrLog full;
    full.SetPath(PathFor("full.log"));
    full.SetLevel(5);
    full.Log(LOG_ERR, "disk full");
    EXPECT_FALSE(full.WriteRaw("x\r\n", 3));
#endif
}

TEST_F(LogFolder, LastErrorCarriesTheSystemText) {
    CErrLog log;
    log.SetPath(PathFor("err.log"));
    log.SetLevel(1);
    // Error 2 is "file not found" on both systems.
    std::FILE* f = std::fopen(PathFor("missing-file").c_str(), "rb");
    ASSERT_EQ(f, nullptr);
    log.LogLastError("Open %s", "missing-file");
    const std::string text = Read("err0000.log");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(text, m, kLine)) << text;
    EXPECT_EQ(m[1], "ERR");
    const std::string message = m[2];
    EXPECT_TRUE(message.starts_with("[2] Open missing-file / ")) << message;
    EXPECT_GT(message.size(), std::string("[2] Open missing-file / ").size());
}

TEST_F(LogFolder, ConcurrentWritersNeverInterleave) {
    CErrLog log;
    log.SetPath(PathFor("mt.log"));
    log.SetLevel(5);
    log.SetMaxSize(32 * 1024);
    log.SetFileCount(100);
    constexpr int kThreads = 6, kLines = 400;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&log, t] {
            for (int i = 0; i < kLines; ++i) {
                if (i % 2) {
                    log.Log(LOG_DTL, "T%d #%d %s", t, i, std::string(60 + t, 'a' + t).c_str());
                } else {
                    char raw[160];
                    const int n =
                        std::snprintf(raw, sizeof raw, "T%d #%d %s\r\n", t, i, std::string(80 + t, 'A' + t).c_str());
                    log.WriteRaw(raw, static_cast<std::size_t>(n));
                }
            }
        });
    }
    for (auto& th : threads) th.join();

    std::set<std::pair<int, int>> seen;
    const std::regex entry(R"((?:\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\.\d{3} DTL )?T(\d) #(\d+) ([a-zA-Z]+))");
    int rotations = 0;
    for (const auto& file : fs::directory_iterator(folder_)) {
        std::string text = Read(file.path().filename().string());
        if (text.starts_with(LogRotationBlock())) {
            ++rotations;
            text.erase(0, LogRotationBlock().size());
        }
        std::size_t pos = 0;
        while (pos < text.size()) {
            const std::size_t end = text.find("\r\n", pos);
            ASSERT_NE(end, std::string::npos) << "a line without its end";
            const std::string line = text.substr(pos, end - pos);
            pos = end + 2;
            std::smatch m;
            ASSERT_TRUE(std::regex_match(line, m, entry)) << line;
            const int t = std::stoi(m[1]), i = std::stoi(m[2]);
            const std::string body = m[3];
            const char fill = static_cast<char>((i % 2 ? 'a' : 'A') + t);
            EXPECT_EQ(body, std::string((i % 2 ? 60 : 80) + t, fill)) << line;
            EXPECT_TRUE(seen.emplace(t, i).second) << "twice: " << line;
        }
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kLines));
    EXPECT_GE(rotations, 4);
}

TEST_F(LogFolder, ThreadLogKeepsTheLastLinesAndFlushes) {
    ThreadLog worker(2);
    worker.Append(LOG_DTL, "detail");
    EXPECT_TRUE(worker.text.empty());
    worker.Append(LOG_INT, "internal %d", 5);
    worker.Append(0, "as error");
    ASSERT_TRUE(std::regex_match(worker.text.substr(0, worker.text.find("\r\n") + 2), kLine));

    // 71 lines of 100 bytes: the last 70 stay.
    std::string text;
    for (int i = 0; i < 71; ++i) {
        char line[101];
        std::snprintf(line, sizeof line, "%03d%s\r\n", i, std::string(95, '.').c_str());
        text += line;
    }
    ASSERT_EQ(text.size(), 7100u);
    TrimLogText(text);
    EXPECT_EQ(text.size(), 7000u);
    EXPECT_TRUE(text.starts_with("001."));
    TrimLogText(text);
    EXPECT_EQ(text.size(), 7000u);

    std::string noBreak(7500, 'z');
    TrimLogText(noBreak);
    EXPECT_EQ(noBreak.size(), 7500u);

    ThreadLog full(3);
    for (int i = 0; i < 200; ++i) full.Append(LOG_DTL, "request %03d %s", i, std::string(40, 'r').c_str());
    EXPECT_LE(full.text.size(), kThreadLogLimit);
    EXPECT_GT(full.text.size(), kThreadLogLimit - 100);
    EXPECT_NE(full.text.find("request 199"), std::string::npos);
    EXPECT_TRUE(full.text.ends_with("\r\n"));

    CErrLog file;
    file.SetPath(PathFor("flush.log"));
    std::string updateLog(6990, '-');
    updateLog += "\r\n";
    worker.Flush(updateLog, file);
    EXPECT_EQ(updateLog, worker.text);  // the old lines went to make room
    EXPECT_EQ(Read("flush0000.log"), worker.text);
}

}  // namespace
}  // namespace quotrix
