#include <gtest/gtest.h>

#include <memory>

#include "FilesTestSupport.h"
#include "files/StockFile.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

namespace quotrix {
namespace {

using testing::MessageRecorder;
using testing::NativePath;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

const char* const kCaption = "エラー情報 - Quotrix!";
const char* const kRestoredText = "ファイルの更新に失敗しました。\n最新の変更は保存されません。";

std::string BackupText(const std::string& backup, const std::string& path) {
    return "ファイルの保存に失敗しました。\nバックアップファイル[" + SjisToUtf8(backup) + "]を元のファイル名[" +
           SjisToUtf8(path) + "]に修正してご使用ください。\nなお、最新の変更は保存されません。";
}

StockList SomeStocks(int count) {
    StockList stocks;
    for (int i = 0; i < count; ++i) stocks.push_back(std::make_unique<CStockMan>(1301 + i, MARKET_TOKYO));
    return stocks;
}

TEST(SafeSaveCopy, UsesTheFirstFreeNameAndCleansUp) {
    TempFolder folder;
    const std::string path = folder.File("株価.quotrix");
    WriteBytes(path, "old content");
    WriteBytes(path + "_000.tmp", "someone else's");
    {
        SafeSaveCopy copy(path);
        ASSERT_TRUE(copy.Exists());
        EXPECT_EQ(copy.CopyPath(), path + "_001.tmp");
        EXPECT_EQ(ReadBytes(copy.CopyPath()), "old content");
    }
    EXPECT_FALSE(std::filesystem::exists(NativePath(path + "_001.tmp")));
    EXPECT_EQ(ReadBytes(path + "_000.tmp"), "someone else's");

    SafeSaveCopy none(folder.File("missing.quotrix"));
    EXPECT_FALSE(none.Exists());
}

TEST(SafeSave, ATakenTemporaryNameDoesNotStopTheSave) {
    TempFolder folder;
    const std::string path = folder.File("list.quotrix");
    ASSERT_TRUE(WriteStockFile(path, SomeStocks(1), {}, 0, {}));
    WriteBytes(path + "_000.tmp", "taken");
    MessageRecorder messages;
    ASSERT_TRUE(WriteStockFile(path, SomeStocks(2), {}, 0, {}));
    EXPECT_EQ(ReadBytes(path).size(), 17u + 56 + 3 * 272);
    EXPECT_EQ(ReadBytes(path + "_000.tmp"), "taken");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"list.quotrix", "list.quotrix_000.tmp"}));
    EXPECT_TRUE(messages.texts.empty());
}

TEST(SafeSave, AFolderInThePlaceOfTheFileIsNotTouched) {
    TempFolder folder;
    const std::string path = folder.File("folder.quotrix");
    std::filesystem::create_directory(NativePath(path));
    WriteBytes(path + "/inside.txt", "kept");
    MessageRecorder messages;
    EXPECT_FALSE(WriteStockFile(path, SomeStocks(1), {}, 0, {}));
    // Nothing could be copied and nothing needs restoring, but the changes are not saved.
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], kRestoredText);
    EXPECT_TRUE(std::filesystem::is_directory(NativePath(path)));
    EXPECT_EQ(ReadBytes(path + "/inside.txt"), "kept");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"folder.quotrix"});
}

TEST(SafeSave, ANewFileInAMissingFolderFailsQuietly) {
    TempFolder folder;
    MessageRecorder messages;
    EXPECT_FALSE(WriteStockFile(folder.File("no/such/folder.quotrix"), SomeStocks(1), {}, 0, {}));
    EXPECT_TRUE(messages.texts.empty());
}

TEST(SaveFailure, ADamagedFileIsRestoredFromTheCopy) {
    TempFolder folder;
    const std::string path = folder.File("restore.quotrix");
    WriteBytes(path, "good old content");
    MessageRecorder messages;
    {
        SafeSaveCopy copy(path);
        WriteBytes(path, "half wri");
        HandleSaveFailure(path, copy);
    }
    EXPECT_EQ(ReadBytes(path), "good old content");
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.captions[0], kCaption);
    EXPECT_EQ(messages.texts[0], kRestoredText);
    EXPECT_EQ(messages.kinds[0], MessageKind::Error);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"restore.quotrix"});
}

TEST(SaveFailure, AFileThatCouldNotBeCopiedIsReportedUnchanged) {
    TempFolder folder;
    const std::string path = folder.File("held.quotrix");
    MessageRecorder messages;
    {
        // The copy found nothing to copy; the file is there when the save fails (another
        // program held it while the copy was tried).
        SafeSaveCopy copy(path);
        WriteBytes(path, "good old content");
        HandleSaveFailure(path, copy);
    }
    EXPECT_EQ(ReadBytes(path), "good old content");
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], kRestoredText);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"held.quotrix"});
}

TEST(SaveFailure, WhenTheFileCannotBeRestoredABackupIsLeft) {
    TempFolder folder;
    const std::string path = folder.File("backup.quotrix");
    WriteBytes(path, "good old content");
    MessageRecorder messages;
    {
        SafeSaveCopy copy(path);
        // Something that cannot be written over now stands where the file was.
        std::filesystem::remove(NativePath(path));
        std::filesystem::create_directory(NativePath(path));
        HandleSaveFailure(path, copy);
    }
    const std::string backup = path + "_backup.quotrix";
    EXPECT_EQ(ReadBytes(backup), "good old content");
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.captions[0], kCaption);
    EXPECT_EQ(messages.texts[0], BackupText(backup, path));
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"backup.quotrix", "backup.quotrix_backup.quotrix"}));
}

TEST(SaveFailure, WithoutABackupNameTheTemporaryCopyIsKept) {
    TempFolder folder;
    const std::string path = folder.File("keep.quotrix");
    WriteBytes(path, "good old content");
    WriteBytes(path + "_backup.quotrix", "an older backup");
    MessageRecorder messages;
    std::string kept;
    {
        SafeSaveCopy copy(path);
        kept = copy.CopyPath();
        std::filesystem::remove(NativePath(path));
        std::filesystem::create_directory(NativePath(path));
        HandleSaveFailure(path, copy);
    }
    EXPECT_EQ(ReadBytes(kept), "good old content");
    EXPECT_EQ(ReadBytes(path + "_backup.quotrix"), "an older backup");
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], BackupText(kept, path));
}

#ifndef _WIN32
// A disk that fills up during the save: the file-size limit makes the write fail for real.
TEST(SafeSave, AWriteThatFailsLeavesTheOldFile) {
    TempFolder folder;
    const std::string path = folder.File("full.quotrix");
    ASSERT_TRUE(WriteStockFile(path, SomeStocks(1), {}, 0, {}));
    const std::string old = ReadBytes(path);
    WriteBytes(path + "_000.tmp", "taken");

    MessageRecorder messages;
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    void (*previous)(int) = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = WriteStockFile(path, SomeStocks(40), {}, 0, {});
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadBytes(path), old);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], kRestoredText);
    EXPECT_EQ(ReadBytes(path + "_000.tmp"), "taken");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"full.quotrix", "full.quotrix_000.tmp"}));
}

TEST(SafeSave, ALinkedFileIsWrittenWhereItReallyIs) {
    TempFolder folder;
    const std::string real = folder.File("real.quotrix");
    const std::string link = folder.File("link.quotrix");
    ASSERT_TRUE(WriteStockFile(real, SomeStocks(1), {}, 0, {}));
    std::filesystem::create_symlink(NativePath(real), NativePath(link));
    ASSERT_TRUE(WriteStockFile(link, SomeStocks(2), {}, 0, {}));
    EXPECT_TRUE(std::filesystem::is_symlink(NativePath(link)));
    EXPECT_EQ(ReadBytes(real).size(), 17u + 56 + 3 * 272);
}
#endif

}  // namespace
}  // namespace quotrix
