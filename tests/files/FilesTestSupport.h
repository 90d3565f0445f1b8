// Helpers of the stock file tests: a private folder, byte-level file access and a recorder of
// the messages the user would see.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/StockRecord.h"
#include "model/StockMan.h"
#include "platform/TextCodec.h"
#include "platform/UserMessage.h"

namespace quotrix::testing {

inline std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder() {
        static std::atomic<int> counter{0};
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = "quotrix-files-" + std::to_string(counter++) + "-";
        if (info) name += std::string(info->test_suite_name()) + "-" + info->name();
        path_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    // A path inside the folder as the program holds paths (Shift-JIS); `utf8Name` may be Japanese.
    std::string File(const std::string& utf8Name) const { return Utf8ToSjis(Utf8FromPath(Native(utf8Name))); }
    std::filesystem::path Native(const std::string& utf8Name) const { return path_ / PathFromUtf8(utf8Name); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            names.push_back(Utf8FromPath(entry.path().filename()));
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    std::filesystem::path path_;
};

inline std::filesystem::path NativePath(const std::string& sjisPath) { return PathFromUtf8(SjisToUtf8(sjisPath)); }

inline std::string ReadBytes(const std::string& sjisPath) {
    std::ifstream in(NativePath(sjisPath), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& sjisPath, const std::string& bytes) {
    std::ofstream out(NativePath(sjisPath), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Records what would have gone into a message box, for the life of the object.
class MessageRecorder : public UserMessageSink {
  public:
    MessageRecorder() : previous_(SetUserMessageSink(this)) {}
    ~MessageRecorder() override { SetUserMessageSink(previous_); }
    void Show(const std::string& caption, const std::string& text, MessageKind kind) override {
        captions.push_back(SjisToUtf8(caption));
        texts.push_back(SjisToUtf8(text));
        kinds.push_back(kind);
    }
    std::vector<std::string> captions;
    std::vector<std::string> texts;  // UTF-8
    std::vector<MessageKind> kinds;

  private:
    UserMessageSink* previous_;
};

// Little-endian byte building for hand-made files of the old versions.
class Bytes {
  public:
    explicit Bytes(std::size_t size = 0) : data_(size, '\0') {}
    Bytes& U8(std::size_t at, std::uint8_t v) {
        data_.at(at) = static_cast<char>(v);
        return *this;
    }
    Bytes& U32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) data_.at(at + i) = static_cast<char>(v >> (8 * i));
        return *this;
    }
    Bytes& I64(std::size_t at, std::int64_t v) {
        for (int i = 0; i < 8; ++i) data_.at(at + i) = static_cast<char>(static_cast<std::uint64_t>(v) >> (8 * i));
        return *this;
    }
    Bytes& Text(std::size_t at, const std::string& text) {
        data_.replace(at, text.size(), text);
        return *this;
    }
    Bytes& Append(const std::string& more) {
        data_ += more;
        return *this;
    }
    Bytes& AppendUtf16(const std::string& utf8) {
        const std::u16string text = ToUtf16(CodePage::Utf8, utf8);
        data_.append(reinterpret_cast<const char*>(text.data()), text.size() * 2);
        return *this;
    }
    const std::string& str() const { return data_; }

  private:
    std::string data_;
};

inline std::string FileHeader(const char* version) { return std::string("\x97QUOTRIXFMTV", 12) + version; }

// Every field a save keeps.
inline void ExpectSameStock(const CStockMan& a, const CStockMan& b) {
    EXPECT_EQ(a.code, b.code);
    EXPECT_EQ(a.market, b.market);
    EXPECT_EQ(a.shares, b.shares);
    EXPECT_EQ(a.volume, b.volume);
    EXPECT_EQ(a.cost, b.cost);
    EXPECT_EQ(a.change, b.change);
    EXPECT_EQ(a.prevClose, b.prevClose);
    EXPECT_EQ(a.open, b.open);
    EXPECT_EQ(a.high, b.high);
    EXPECT_EQ(a.low, b.low);
    EXPECT_EQ(a.price, b.price);
    EXPECT_EQ(a.dividendYield, b.dividendYield);
    EXPECT_EQ(a.per, b.per);
    EXPECT_EQ(a.eps, b.eps);
    EXPECT_EQ(a.pbr, b.pbr);
    EXPECT_EQ(a.status, b.status);
    EXPECT_EQ(a.updateTime, b.updateTime);
    EXPECT_EQ(a.codeText, b.codeText);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.quoteUrl, b.quoteUrl);
    EXPECT_EQ(a.boardUrl, b.boardUrl);
    EXPECT_EQ(a.newsUrl, b.newsUrl);
    EXPECT_TRUE(static_cast<const CStockParams&>(a) == static_cast<const CStockParams&>(b)) << a.codeText;
    EXPECT_EQ(a.lastBoardId, b.lastBoardId);
    EXPECT_EQ(a.lastNewsId, b.lastNewsId);
    EXPECT_EQ(a.newMarks, b.newMarks);
    EXPECT_EQ(a.desktopLeft, b.desktopLeft);
    EXPECT_EQ(a.desktopTop, b.desktopTop);
    EXPECT_EQ(a.desktopTxtMode, b.desktopTxtMode);
}

}  // namespace quotrix::testing
