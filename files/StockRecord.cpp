#include "files/StockRecord.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "model/StockMan.h"
#include "platform/TextCodec.h"

namespace quotrix {

namespace {

std::uint32_t LoadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint64_t LoadU64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(LoadU32(p)) | static_cast<std::uint64_t>(LoadU32(p + 4)) << 32;
}

void StoreU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void StoreU64(std::uint8_t* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Stock files are little-endian; so are the machines this runs on, which lets strings be read
// and written as they stand.
static_assert(std::endian::native == std::endian::little);

// A stock as a stock file or a pasted block describes it. The record is applied before the stock
// registers, so that the registry's hash sees the real identity.
class CRecordStock final : public CStockMan {
  public:
    explicit CRecordStock(const CExportablePackage& p) : CStockMan(FromRecord{}) {
        code = p.U32(rec::Code);
        market = p.U32(rec::Market);
        shares = p.U32(rec::Shares);
        volume = p.U32(rec::Volume);
        cost = p.I64(rec::Cost);
        change = p.I64(rec::Change);
        prevClose = p.I64(rec::PrevClose);
        open = p.I64(rec::Open);
        high = p.I64(rec::High);
        low = p.I64(rec::Low);
        price = p.I64(rec::Price);
        dividendYield = p.F64(rec::DividendYield);
        per = p.F64(rec::Per);
        pbr = p.F64(rec::Pbr);
        eps = p.I64(rec::Eps);

        // At most 7 characters; a damaged record may lack the NUL.
        const char* time = reinterpret_cast<const char*>(&p.record[rec::UpdateTime]);
        updateTime.assign(time, strnlen(time, 7));
        name = FromUtf16(CodePage::Sjis, p.name);
        codeText = FromUtf16(CodePage::Sjis, p.symbol);

        desktopLeft = static_cast<std::int32_t>(p.U32(rec::DesktopLeft));
        desktopTop = static_cast<std::int32_t>(p.U32(rec::DesktopTop));
        if (p.U8(rec::DesktopTxtMode) < 3) desktopTxtMode = p.U8(rec::DesktopTxtMode);

        curPlusHigh = p.I64(rec::CurPlusHigh);
        curPlusLow = p.I64(rec::CurPlusLow);
        curMinusLow = p.I64(rec::CurMinusLow);
        curMinusHigh = p.I64(rec::CurMinusHigh);
        perPlusHigh = p.U32(rec::PerPlusHigh);
        perPlusLow = p.U32(rec::PerPlusLow);
        perMinusLow = p.U32(rec::PerMinusLow);
        perMinusHigh = p.U32(rec::PerMinusHigh);
        percentFlag = p.U8(rec::PercentFlag) != 0;
        dispLower = p.I64(rec::DispLower);
        dispUpper = p.I64(rec::DispUpper);
        targetPrice = p.I64(rec::TargetPrice);
        desktopTxtFlags = p.U32(rec::DesktopTxtFlags);
        const std::uint32_t flagWord = p.U32(rec::FlagWord);
        fileFlags = p.U32(rec::FileFlags);
        if (flagWord & RECFLAG_FILEFLAG0) fileFlags |= 0x1;
        if (flagWord & RECFLAG_PORTFOLIO) fileFlags |= FILEFLAG_PORTFOLIO;
        if (p.U8(rec::FileFlagsBit2)) fileFlags |= FILEFLAG_BALLOON;
        const std::uint32_t trade = p.U32(rec::TradeCode);
        tradeMode = trade == 0 ? 0 : static_cast<std::uint8_t>((trade | 2) & 3);
        iconIndexMode = p.U8(rec::IconIndexMode);
        showMode = p.U8(rec::ShowMode);
        // The file is outside input like any other: the icon and window code index tables with
        // these values, so they get the same checks as the settings.
        Normalize();

        lastBoardId = p.U32(rec::BoardId);
        lastNewsId = p.U32(rec::NewsId);
        newMarks = static_cast<std::uint8_t>(flagWord & (RECFLAG_NEW_BOARD | RECFLAG_NEW_NEWS));
        const std::uint32_t mark = p.U32(rec::StatusMark);
        status = (mark & 1) ? (mark & kNamePending) : kNamePending;

        FinishSetup(nullptr);
        if (name.empty()) status |= kNamePending;
    }
};

// Version 1 records: prices in whole yen, no settings beyond the bounds and the show mode.
void UpgradeVersion1(const std::uint8_t* raw, CExportablePackage& out) {
    auto yen = [&](std::size_t offset) { return PriceFromYen(static_cast<std::int32_t>(LoadU32(raw + offset))); };
    out.SetU32(rec::Size, LoadU32(raw + 0));
    out.SetU32(rec::Code, LoadU32(raw + 4));
    out.SetU32(rec::Market, LoadU32(raw + 8));
    out.SetU32(rec::Shares, LoadU32(raw + 12));
    out.SetI64(rec::Cost, yen(16));
    out.SetI64(rec::Change, yen(20));
    out.SetI64(rec::PrevClose, yen(24));
    out.SetU32(rec::Volume, LoadU32(raw + 28));
    out.SetI64(rec::Open, yen(32));
    out.SetI64(rec::High, yen(36));
    out.SetI64(rec::Low, yen(40));
    out.SetI64(rec::Price, yen(44));
    std::memcpy(&out.record[rec::DispLower], raw + 48, 16);
    std::memcpy(&out.record[rec::DesktopLeft], raw + 64, 8);
    out.SetU8(rec::FileFlagsBit2, raw[78]);
    out.SetU8(rec::ShowMode, raw[79]);
    std::memcpy(&out.record[rec::UpdateTime], raw + 80, 8);
    std::memcpy(&out.record[rec::Mark], raw + 88, 16);
}

// Versions 2 and 3: the version-7 run up to the price, then bounds, position and show mode.
void UpgradeVersion2(const std::uint8_t* raw, int version, CExportablePackage& out) {
    std::memcpy(out.record.data(), raw, 80);
    std::memcpy(&out.record[rec::DispLower], raw + 80, 16);
    std::memcpy(&out.record[rec::DesktopLeft], raw + 96, 8);
    out.SetU8(rec::FileFlagsBit2, raw[110]);
    out.SetU8(rec::ShowMode, version == 2 ? 1 : raw[111]);
    std::memcpy(&out.record[rec::UpdateTime], raw + 112, 8);
    std::memcpy(&out.record[rec::Mark], raw + 120, 16);
}

// What versions 1 to 3 lack takes the defaults of a new stock.
void SetOldDefaults(CExportablePackage& out) {
    out.SetI64(rec::CurPlusHigh, 10 * kYen);
    out.SetI64(rec::CurPlusLow, 5 * kYen);
    out.SetI64(rec::CurMinusLow, 5 * kYen);
    out.SetI64(rec::CurMinusHigh, 10 * kYen);
    out.SetU32(rec::PerPlusHigh, 1000);
    out.SetU32(rec::PerPlusLow, 500);
    out.SetU32(rec::PerMinusLow, 500);
    out.SetU32(rec::PerMinusHigh, 1000);
    out.SetU32(rec::DesktopTxtFlags, 13);
}

bool ReadString(RecordSource& source, std::u16string& text, std::uint32_t length) {
    text.resize(length);
    const std::size_t bytes = static_cast<std::size_t>(length) * 2;
    return source.Read(text.data(), bytes) == bytes;
}

}  // namespace

std::uint32_t CExportablePackage::U32(std::size_t offset) const { return LoadU32(&record[offset]); }
std::int64_t CExportablePackage::I64(std::size_t offset) const {
    return static_cast<std::int64_t>(LoadU64(&record[offset]));
}
double CExportablePackage::F64(std::size_t offset) const { return std::bit_cast<double>(LoadU64(&record[offset])); }
void CExportablePackage::SetU32(std::size_t offset, std::uint32_t value) { StoreU32(&record[offset], value); }
void CExportablePackage::SetI64(std::size_t offset, std::int64_t value) {
    StoreU64(&record[offset], static_cast<std::uint64_t>(value));
}
void CExportablePackage::SetF64(std::size_t offset, double value) {
    StoreU64(&record[offset], std::bit_cast<std::uint64_t>(value));
}

CExportablePackage::CExportablePackage(const CStockMan& stock) {
    SetU32(rec::Size, kStockRecordSize);
    SetU32(rec::Code, stock.IsCurrency() ? 0 : stock.code);
    SetU32(rec::Market, stock.market);
    SetU32(rec::Shares, stock.shares);
    SetU32(rec::Volume, stock.volume);
    SetI64(rec::Cost, stock.cost);
    SetI64(rec::Change, stock.change);
    SetI64(rec::PrevClose, stock.prevClose);
    SetI64(rec::Open, stock.open);
    SetI64(rec::High, stock.high);
    SetI64(rec::Low, stock.low);
    SetI64(rec::Price, stock.price);
    SetI64(rec::DispLower, stock.dispLower);
    SetI64(rec::DispUpper, stock.dispUpper);
    SetU32(rec::DesktopLeft, static_cast<std::uint32_t>(stock.desktopLeft));
    SetU32(rec::DesktopTop, static_cast<std::uint32_t>(stock.desktopTop));
    SetI64(rec::CurPlusHigh, stock.curPlusHigh);
    SetI64(rec::CurPlusLow, stock.curPlusLow);
    SetI64(rec::CurMinusLow, stock.curMinusLow);
    SetI64(rec::CurMinusHigh, stock.curMinusHigh);
    SetU32(rec::PerPlusHigh, stock.perPlusHigh);
    SetU32(rec::PerPlusLow, stock.perPlusLow);
    SetU32(rec::PerMinusLow, stock.perMinusLow);
    SetU32(rec::PerMinusHigh, stock.perMinusHigh);
    SetU32(rec::DesktopTxtFlags, stock.desktopTxtFlags);
    SetU32(rec::BoardId, stock.lastBoardId);
    std::uint32_t flagWord = stock.newMarks & (RECFLAG_NEW_BOARD | RECFLAG_NEW_NEWS);
    if (stock.fileFlags & FILEFLAG_PORTFOLIO) flagWord |= RECFLAG_PORTFOLIO;
    if (stock.fileFlags & 0x1) flagWord |= RECFLAG_FILEFLAG0;
    SetU32(rec::FlagWord, flagWord);
    SetU32(rec::NewsId, stock.lastNewsId);
    // Only margin positions are recorded; a spot sell is saved as a spot holding.
    SetU32(rec::TradeCode, (stock.tradeMode & TRADE_MARGIN_BUY) ? (stock.tradeMode & 3u) : 0u);
    SetI64(rec::TargetPrice, stock.targetPrice);
    SetU32(rec::StatusMark, (stock.status & kNamePending) | 1);
    SetU32(rec::FileFlags, stock.fileFlags);
    SetF64(rec::DividendYield, stock.dividendYield);
    SetF64(rec::Per, stock.per);
    SetF64(rec::Pbr, stock.pbr);
    SetI64(rec::Eps, stock.eps);
    SetU8(rec::IconIndexMode, stock.iconIndexMode);
    SetU8(rec::DesktopTxtMode, stock.desktopTxtMode);
    SetU8(rec::PercentFlag, stock.percentFlag ? 1 : 0);
    SetU8(rec::FileFlagsBit2, (stock.fileFlags & FILEFLAG_BALLOON) ? 1 : 0);
    SetU8(rec::ShowMode, stock.showMode);
    std::memcpy(&record[rec::UpdateTime], stock.updateTime.data(), std::min<std::size_t>(stock.updateTime.size(), 7));
    name = ToUtf16(CodePage::Sjis, stock.name);
    if (stock.IsCurrency()) symbol = ToUtf16(CodePage::Sjis, stock.codeText);
    SetU32(rec::NameLength, static_cast<std::uint32_t>(name.size()));
    SetU32(rec::SymbolLength, static_cast<std::uint32_t>(symbol.size()));
}

void CExportablePackage::AppendTo(std::string& out) const {
    const std::size_t start = out.size();
    out.append(reinterpret_cast<const char*>(record.data()), record.size());
    // The lengths always describe the strings that really follow.
    StoreU32(reinterpret_cast<std::uint8_t*>(&out[start + rec::NameLength]), static_cast<std::uint32_t>(name.size()));
    StoreU32(reinterpret_cast<std::uint8_t*>(&out[start + rec::SymbolLength]),
             static_cast<std::uint32_t>(symbol.size()));
    out.append(reinterpret_cast<const char*>(name.data()), name.size() * 2);
    out.append(reinterpret_cast<const char*>(symbol.data()), symbol.size() * 2);
}

bool CExportablePackage::IsTrailer() const {
    return U32(rec::Code) == 0 && I64(rec::Change) == kTrailerChange && U32(rec::Mark) == kTrailerMark &&
           U32(rec::NameLength) == 0 && U32(rec::SymbolLength) == 0;
}

std::unique_ptr<CStockMan> CExportablePackage::MakeStock() const { return std::make_unique<CRecordStock>(*this); }

TrailerRecord TrailerRecord::From(const CExportablePackage& package) {
    TrailerRecord trailer;
    trailer.cashBalance = package.I64(rec::DispLower);
    trailer.cashSwitches = package.U32(rec::CashSwitches) & 3;
    trailer.placement.left = static_cast<std::int32_t>(package.U32(rec::WindowLeft));
    trailer.placement.top = static_cast<std::int32_t>(package.U32(rec::WindowTop));
    trailer.placement.anchor = package.U8(rec::WindowAnchor) & 0x0F;
    return trailer;
}

void TrailerRecord::WriteInto(CExportablePackage& package) const {
    package.SetU32(rec::Code, 0);
    package.SetI64(rec::Change, kTrailerChange);
    package.SetU32(rec::Mark, kTrailerMark);
    package.SetU32(rec::NameLength, 0);
    package.SetU32(rec::SymbolLength, 0);
    package.name.clear();
    package.symbol.clear();
    package.SetI64(rec::DispLower, cashBalance);
    package.SetU32(rec::CashSwitches, cashSwitches & 3);
    package.SetU32(rec::WindowLeft, static_cast<std::uint32_t>(placement.left));
    package.SetU32(rec::WindowTop, static_cast<std::uint32_t>(placement.top));
    package.SetU8(rec::WindowAnchor, placement.anchor & 0x0F);
}

std::string SerializeHeaderBlock(const FileHeaderBlock& block) {
    std::string bytes(kHeaderBlockSize, '\0');
    auto* p = reinterpret_cast<std::uint8_t*>(bytes.data());
    StoreU32(p + 0, block.displayOptions);
    StoreU32(p + 4, block.portfolioTextFlags);
    StoreU32(p + 8, block.tipTextFlags);
    StoreU32(p + 12, block.otherItemFlags);
    StoreU32(p + 16, static_cast<std::uint32_t>(std::max(block.firstRow, 0)));
    StoreU32(p + 20, static_cast<std::uint32_t>(std::max(block.rowCount, 0)));
    return bytes;
}

FileHeaderBlock ParseHeaderBlock(const std::uint8_t* bytes) {
    FileHeaderBlock block;
    block.displayOptions = LoadU32(bytes + 0);
    block.portfolioTextFlags = LoadU32(bytes + 4);
    block.tipTextFlags = LoadU32(bytes + 8);
    block.otherItemFlags = LoadU32(bytes + 12);
    block.firstRow = std::max(static_cast<std::int32_t>(LoadU32(bytes + 16)), 0);
    block.rowCount = std::max(static_cast<std::int32_t>(LoadU32(bytes + 20)), 0);
    return block;
}

std::size_t RecordSizeOfVersion(int version) {
    if (version == 1) return 104;
    if (version == 2 || version == 3) return 136;
    if (version >= 4 && version <= 7) return kStockRecordSize;
    return 0;
}

std::size_t MemoryRecordSource::Read(void* buffer, std::size_t size) {
    const std::size_t n = std::min(size, size_ - position_);
    if (n > 0) std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return n;
}

RecordRead ReadRecord(RecordSource& source, int version, CExportablePackage& out) {
    const std::size_t size = RecordSizeOfVersion(version);
    if (size == 0) return RecordRead::End;
    std::uint8_t raw[kStockRecordSize];
    const std::size_t got = source.Read(raw, size);
    if (source.Failed()) return RecordRead::ReadError;
    if (got == 0) return RecordRead::End;
    if (got < size) return RecordRead::Truncated;

    out.record.fill(0);
    out.name.clear();
    out.symbol.clear();
    if (version == 1) {
        UpgradeVersion1(raw, out);
        SetOldDefaults(out);
    } else if (version <= 3) {
        UpgradeVersion2(raw, version, out);
        SetOldDefaults(out);
    } else {
        std::memcpy(out.record.data(), raw, kStockRecordSize);
        if (version == 4) out.SetU32(rec::DesktopTxtFlags, 13);
        if (version <= 5) {
            std::uint32_t flagWord = out.U32(rec::FlagWord);
            if (out.U32(rec::Shares) != 0) flagWord |= RECFLAG_PORTFOLIO;
            out.SetU32(rec::FlagWord, flagWord);
        }
    }

    const std::uint32_t nameLength = out.U32(rec::NameLength);
    const std::uint32_t symbolLength = out.U32(rec::SymbolLength);
    // Checked before anything is allocated: a damaged length must not ask for gigabytes.
    if (2 * (static_cast<std::uint64_t>(nameLength) + symbolLength) > source.Remaining())
        return RecordRead::StringsPastEnd;
    if (!ReadString(source, out.name, nameLength) || !ReadString(source, out.symbol, symbolLength))
        return source.Failed() ? RecordRead::ReadError : RecordRead::Truncated;
    return RecordRead::Ok;
}

}  // namespace quotrix
