// The stock record as stock files and the clipboard carry it: 272 bytes, little-endian, followed
// by the name and (for a currency pair) the symbol in UTF-16LE. Also the file's header block,
// the trailer record and the reading of records out of untrusted bytes.
//
// Prices are PriceValue (ten-thousandths of a yen) in records of version 2 and later; version 1
// records hold them in whole yen and are converted when read. Main thread only (loading makes
// CStockMan objects, which register themselves).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/Price.h"
#include "model/StockMan.h"

namespace quotrix {

inline constexpr std::size_t kStockRecordSize = 272;
inline constexpr std::size_t kFileHeaderSize = 17;   // 0x97, the magic, five version digits
inline constexpr std::size_t kHeaderBlockSize = 56;  // version 7 only
inline constexpr int kStockFileVersion = 7;
inline constexpr char kStockFileMagic[] = "\x97QUOTRIXFMTV";
inline constexpr PriceValue kTrailerChange = 59630000;  // 5963 yen marks the trailer
inline constexpr std::uint32_t kTrailerMark = 93732260;

// Byte offsets inside a version-7 record.
namespace rec {
enum : std::size_t {
    Size = 0,
    Code = 8,
    Market = 12,
    Shares = 16,
    Volume = 20,
    Cost = 24,
    Change = 32,
    PrevClose = 40,
    Open = 48,
    High = 56,
    Low = 64,
    Price = 72,
    DispLower = 80,  // in the trailer: the cash balance
    DispUpper = 88,
    DesktopLeft = 96,
    DesktopTop = 100,
    CurPlusHigh = 104,
    CurPlusLow = 112,
    CurMinusLow = 120,
    CurMinusHigh = 128,
    PerPlusHigh = 136,
    PerPlusLow = 140,
    PerMinusLow = 144,
    PerMinusHigh = 148,
    DesktopTxtFlags = 152,
    BoardId = 156,
    FlagWord = 160,
    NewsId = 164,
    TradeCode = 168,
    CashSwitches = 172,  // trailer only
    TargetPrice = 176,
    WindowLeft = 184,  // trailer only
    WindowTop = 188,   // trailer only
    StatusMark = 192,
    FileFlags = 196,
    DividendYield = 200,
    Per = 208,
    Pbr = 216,
    Eps = 224,
    WindowAnchor = 242,  // trailer only, low 4 bits
    IconIndexMode = 243,
    DesktopTxtMode = 244,
    PercentFlag = 245,
    FileFlagsBit2 = 246,
    ShowMode = 247,
    UpdateTime = 248,  // 8 bytes: at most 7 characters and a NUL
    Mark = 256,        // the trailer's mark
    NameLength = 260,  // UTF-16 units
    SymbolLength = 264,
};
}  // namespace rec

// Bits of the record's flag word.
enum RecordFlagBits : std::uint32_t {
    RECFLAG_NEW_BOARD = 0x1,
    RECFLAG_NEW_NEWS = 0x2,
    RECFLAG_PORTFOLIO = 0x20,  // FileFlags bit 1
    RECFLAG_FILEFLAG0 = 0x40,  // FileFlags bit 0
};

// The file-wide display options of a version-7 file (56 bytes after the 17-byte header).
struct FileHeaderBlock {
    std::uint32_t displayOptions = 0;  // bit 0 the three flag words below apply to this file
    std::uint32_t portfolioTextFlags = 0;
    std::uint32_t tipTextFlags = 0;
    std::uint32_t otherItemFlags = 0;
    std::int32_t firstRow = 0;  // portfolio scroll position, not negative
    std::int32_t rowCount = 0;  // portfolio visible rows; 0 when not set

    bool operator==(const FileHeaderBlock&) const = default;
};

// The cash-balance switches of a file (kept in its trailer), set in the options.
enum CashSwitchBits : std::uint32_t {
    CASH_MANAGED = 0x1,    // "残高を管理する": trades move the balance
    CASH_IN_TOTALS = 0x2,  // "残高を合計に加算する": the balance is part of the totals
};

// The file display option bit that puts the header block's three item-flag words in force.
inline constexpr std::uint32_t kFileOwnItemFlags = 0x1;

// What a stock file says about itself besides its stocks.
struct StockFileHeader {
    bool present = false;  // the file had a header block (version 7)
    FileHeaderBlock block;
    std::uint32_t cashSwitches = 0;  // bits 0 and 1, kept in the trailer

    bool operator==(const StockFileHeader&) const = default;
};

// Where the portfolio window stands; the anchor (low 4 bits) tells which screen corner the
// position counts from.
struct PortfolioPlacement {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::uint8_t anchor = 0;

    bool operator==(const PortfolioPlacement&) const = default;
};

// One record in memory: the 272 bytes and the two UTF-16 strings that follow it.
class CExportablePackage {
  public:
    CExportablePackage() = default;
    // The record of a stock as a save writes it.
    explicit CExportablePackage(const CStockMan& stock);
    virtual ~CExportablePackage() = default;

    std::uint32_t U32(std::size_t offset) const;
    std::int64_t I64(std::size_t offset) const;
    double F64(std::size_t offset) const;
    std::uint8_t U8(std::size_t offset) const { return record[offset]; }
    void SetU32(std::size_t offset, std::uint32_t value);
    void SetI64(std::size_t offset, std::int64_t value);
    void SetF64(std::size_t offset, double value);
    void SetU8(std::size_t offset, std::uint8_t value) { record[offset] = value; }

    // Record and strings as they are written: 272 + 2 × (name + symbol) bytes.
    std::size_t ByteSize() const { return kStockRecordSize + 2 * (name.size() + symbol.size()); }
    void AppendTo(std::string& out) const;
    bool IsTrailer() const;
    // A new registered stock built from the record (throws only std::bad_alloc).
    std::unique_ptr<CStockMan> MakeStock() const;

    std::array<std::uint8_t, kStockRecordSize> record{};
    std::u16string name;
    std::u16string symbol;  // currency pairs only
};

// The record that ends the stock list and carries the values of the file as a whole.
struct TrailerRecord {
    PriceValue cashBalance = 0;
    std::uint32_t cashSwitches = 0;
    PortfolioPlacement placement;

    static bool Matches(const CExportablePackage& package) { return package.IsTrailer(); }
    static TrailerRecord From(const CExportablePackage& package);
    // The writer turns the last stock's record into the trailer; the fields the trailer does not
    // use keep what that record held.
    void WriteInto(CExportablePackage& package) const;
};

std::string SerializeHeaderBlock(const FileHeaderBlock& block);
FileHeaderBlock ParseHeaderBlock(const std::uint8_t* bytes);  // kHeaderBlockSize bytes

// Size of one record of a file version; 0 for a version that cannot be read.
std::size_t RecordSizeOfVersion(int version);

// Where records are read from: a stock file or a pasted block. Remaining() is what is left, so
// that no string is allocated beyond what the source can still deliver.
class RecordSource {
  public:
    virtual ~RecordSource() = default;
    virtual std::size_t Read(void* buffer, std::size_t size) = 0;
    virtual std::uint64_t Remaining() const = 0;
    virtual bool Failed() const { return false; }
};

class MemoryRecordSource : public RecordSource {
  public:
    MemoryRecordSource(const void* data, std::size_t size)
        : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}
    std::size_t Read(void* buffer, std::size_t size) override;
    std::uint64_t Remaining() const override { return size_ - position_; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

enum class RecordRead {
    Ok,
    End,             // nothing at all was left
    Truncated,       // the record's bytes stop early
    StringsPastEnd,  // its string lengths run past the end of the data
    ReadError,
};

// Reads one record of `version` (1 to 7) with its strings into `out`, converted to the
// version-7 layout with the defaults an older layout lacks.
RecordRead ReadRecord(RecordSource& source, int version, CExportablePackage& out);

}  // namespace quotrix
