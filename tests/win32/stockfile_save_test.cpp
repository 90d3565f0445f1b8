// The save protocol against the real Win32 file calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "../files/FilesTestSupport.h"
#include "files/StockFile.h"
#include "platform/win32/WinText.h"

namespace quotrix {
namespace {

using testing::MessageRecorder;
using testing::ReadBytes;
using testing::TempFolder;

const char* const kRestoredText = "ファイルの更新に失敗しました。\n最新の変更は保存されません。";

StockList SomeStocks(int count) {
    StockList stocks;
    for (int i = 0; i < count; ++i) stocks.push_back(std::make_unique<CStockMan>(1301 + i, MARKET_TOKYO));
    return stocks;
}

// Another program writing the file makes it unwritable for us (Wine run as root ignores the
// read-only attribute, so a file held open is the unwritable target that tests for real).
TEST(SafeSaveWin32, AFileAnotherWriterHoldsIsNotReplaced) {
    TempFolder folder;
    const std::string path = folder.File("使用中.quotrix");
    ASSERT_TRUE(WriteStockFile(path, SomeStocks(1), {}, 0, {}));
    const std::string old = ReadBytes(path);
    HANDLE writer = CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);

    MessageRecorder messages;
    EXPECT_FALSE(WriteStockFile(path, SomeStocks(3), {}, 0, {}));
    CloseHandle(writer);
    EXPECT_EQ(ReadBytes(path), old);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.captions[0], "エラー情報 - Quotrix!");
    EXPECT_EQ(messages.texts[0], kRestoredText);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"使用中.quotrix"});

    // Once the other writer is gone the save goes through.
    EXPECT_TRUE(WriteStockFile(path, SomeStocks(3), {}, 0, {}));
    EXPECT_EQ(ReadBytes(path).size(), 17u + 56 + 4 * 272);
}

// The temporary copy of a read-only file is read-only too unless the copy clears it; such a copy
// could never be removed and every save would leave one behind.
TEST(SafeSaveWin32, AReadOnlyFileLeavesNoCopiesBehind) {
    TempFolder folder;
    const std::string path = folder.File("readonly.quotrix");
    ASSERT_TRUE(WriteStockFile(path, SomeStocks(1), {}, 0, {}));
    const std::wstring wide = Wide(path);
    ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
    MessageRecorder messages;
    const bool saved = WriteStockFile(path, SomeStocks(2), {}, 0, {});
    const bool saved2 = WriteStockFile(path, SomeStocks(3), {}, 0, {});
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    // Windows refuses to replace it and says so; Wine run as root replaces it.
    EXPECT_EQ(messages.texts.size(), (saved ? 0u : 1u) + (saved2 ? 0u : 1u));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"readonly.quotrix"});
}

}  // namespace
}  // namespace quotrix
