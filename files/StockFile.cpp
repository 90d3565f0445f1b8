#include "files/StockFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <new>
#include <vector>

#include "log/ErrLog.h"
#include "model/StockMan.h"
#include "platform/FileIO.h"
#include "platform/TextCodec.h"
#include "platform/UserMessage.h"

namespace quotrix {

namespace {

// "%s_%03X.tmp" with 0 to 766 keeps every name within MAX_PATH (260) for a path cut to 251.
constexpr int kTempNumbers = 767;
constexpr std::size_t kTempBaseLength = 251;

bool IsSjisLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Cuts a Shift-JIS path to at most `limit` bytes without splitting a double-byte character.
std::string CutPath(const std::string& path, std::size_t limit) {
    std::size_t end = 0;
    while (end < path.size()) {
        const std::size_t next = end + (IsSjisLeadByte(static_cast<unsigned char>(path[end])) ? 2 : 1);
        if (next > limit) break;
        end = next;
    }
    return path.substr(0, std::min(end, path.size()));
}

std::string TempName(const std::string& base, int number, const char* extension) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "_%03X%s", number, extension);
    return base + suffix;
}

// Writes new content for `path` into a fresh file beside it, flushes it to the disk and puts it
// in the place of the old file in one step, so that the path never holds a half-written file.
bool WriteFileDurably(const std::string& path, const std::function<bool(fileio::File&)>& writeContent) {
    const std::string target = fileio::ResolveLinks(path);
    // An existing file that cannot be written (read-only, a folder, locked by another writer)
    // refuses the save, as truncating it would have; the handle keeps other writers out meanwhile.
    fileio::File guard;
    if (fileio::Exists(target) && !guard.Open(target, fileio::OpenMode::WriteExisting)) {
        AppLog().Log(LOG_ERR, "FILE: %s cannot be written (error %d)", path.c_str(), fileio::LastFileError());
        return false;
    }
    const std::string base = CutPath(target, kTempBaseLength);
    fileio::File out;
    std::string fresh;
    for (int n = 0; n < kTempNumbers && !out.IsOpen(); ++n) {
        fresh = TempName(base, n, ".new");
        if (!out.Open(fresh, fileio::OpenMode::CreateNew) && !fileio::Exists(fresh)) break;
    }
    if (!out.IsOpen()) {
        AppLog().Log(LOG_ERR, "FILE: %s: no new file beside it (error %d)", path.c_str(), fileio::LastFileError());
        return false;
    }
    bool ok = writeContent(out) && out.Sync();
    ok = out.Close() && ok;
    guard.Close();
    if (ok) ok = fileio::ReplaceAtomically(fresh, target);
    if (!ok) {
        AppLog().Log(LOG_ERR, "FILE: %s write failure (error %d)", path.c_str(), fileio::LastFileError());
        fileio::Remove(fresh);
    }
    return ok;
}

// Streams from one file into another.
bool CopyContent(const std::string& from, fileio::File& out) {
    fileio::File in;
    if (!in.Open(from, fileio::OpenMode::Read)) return false;
    std::vector<char> buffer(64 * 1024);
    while (true) {
        const std::size_t n = in.Read(buffer.data(), buffer.size());
        if (in.Failed()) return false;
        if (n == 0) return true;
        if (!out.Write(buffer.data(), n)) return false;
    }
}

bool SameContent(const std::string& a, const std::string& b) {
    fileio::File fa;
    fileio::File fb;
    if (!fa.Open(a, fileio::OpenMode::Read) || !fb.Open(b, fileio::OpenMode::Read)) return false;
    const auto sizeA = fa.Size();
    const auto sizeB = fb.Size();
    if (!sizeA || !sizeB || *sizeA != *sizeB) return false;
    std::vector<char> bufA(64 * 1024);
    std::vector<char> bufB(64 * 1024);
    while (true) {
        const std::size_t na = fa.Read(bufA.data(), bufA.size());
        const std::size_t nb = fb.Read(bufB.data(), bufB.size());
        if (fa.Failed() || fb.Failed() || na != nb) return false;
        if (na == 0) return true;
        if (std::memcmp(bufA.data(), bufB.data(), na) != 0) return false;
    }
}

// A stock file read in blocks, counting what is left so that no string outgrows the file.
class FileRecordSource : public RecordSource {
  public:
    // Small files get a buffer of their own size; large ones are read in 64 KiB blocks.
    FileRecordSource(fileio::File& file, std::uint64_t size)
        : file_(file), size_(size), buffer_(static_cast<std::size_t>(std::clamp<std::uint64_t>(size, 1, 64 * 1024))) {}

    std::size_t Read(void* out, std::size_t size) override {
        auto* dst = static_cast<std::uint8_t*>(out);
        std::size_t done = 0;
        while (done < size) {
            if (begin_ == end_) {
                if (failed_ || eof_) break;
                end_ = file_.Read(buffer_.data(), buffer_.size());
                begin_ = 0;
                failed_ = file_.Failed();
                eof_ = end_ < buffer_.size();
                if (end_ == 0) break;
            }
            const std::size_t n = std::min(size - done, end_ - begin_);
            std::memcpy(dst + done, buffer_.data() + begin_, n);
            begin_ += n;
            done += n;
        }
        position_ += done;
        return done;
    }
    std::uint64_t Remaining() const override { return position_ < size_ ? size_ - position_ : 0; }
    bool Failed() const override { return failed_; }

  private:
    fileio::File& file_;
    std::uint64_t size_;
    std::uint64_t position_ = 0;
    std::vector<std::uint8_t> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool failed_ = false;
    bool eof_ = false;
};

bool Fail(StockFileProblem* problem, StockFileProblem::Kind kind, int record = 0) {
    if (problem) {
        problem->kind = kind;
        problem->record = record;
    }
    return false;
}

bool ReadStockFileUnchecked(const std::string& path, StockList& stocks, PortfolioPlacement& placement,
                            PriceValue& cashBalance, StockFileHeader& header, StockFileProblem* problem) {
    fileio::File file;
    if (!file.Open(path, fileio::OpenMode::Read)) return Fail(problem, StockFileProblem::CannotOpen);
    const auto size = file.Size();
    if (!size) return Fail(problem, StockFileProblem::ReadError);
    FileRecordSource source(file, *size);

    char head[kFileHeaderSize];
    const std::size_t got = source.Read(head, kFileHeaderSize);
    if (source.Failed()) return Fail(problem, StockFileProblem::ReadError);
    if (got >= 12 && std::memcmp(head, kStockFileMagic, 12) != 0) return Fail(problem, StockFileProblem::BadMagic);
    if (got < kFileHeaderSize) return Fail(problem, StockFileProblem::TooShort);
    int version = 0;
    for (std::size_t i = 12; i < kFileHeaderSize; ++i) {
        if (head[i] < '0' || head[i] > '9') {
            if (problem) problem->versionText.assign(head + 12, 5);
            return Fail(problem, StockFileProblem::BadVersionText);
        }
        version = version * 10 + (head[i] - '0');
    }
    if (problem) problem->version = version;

    header = StockFileHeader{};
    if (version == kStockFileVersion) {
        std::uint8_t block[kHeaderBlockSize];
        if (source.Read(block, kHeaderBlockSize) != kHeaderBlockSize)
            return Fail(problem,
                        source.Failed() ? StockFileProblem::ReadError : StockFileProblem::TruncatedHeaderBlock);
        header.block = ParseHeaderBlock(block);
        header.present = true;
    }
    if (RecordSizeOfVersion(version) == 0) return Fail(problem, StockFileProblem::UnknownVersion);

    CExportablePackage package;
    for (int index = 1;; ++index) {
        switch (ReadRecord(source, version, package)) {
            case RecordRead::Ok:
                break;
            case RecordRead::End:
            case RecordRead::Truncated:
                return Fail(problem, StockFileProblem::TruncatedRecord, index);
            case RecordRead::StringsPastEnd:
                return Fail(problem, StockFileProblem::StringsPastEnd, index);
            case RecordRead::ReadError:
                return Fail(problem, StockFileProblem::ReadError, index);
        }
        if (package.IsTrailer()) {
            const TrailerRecord trailer = TrailerRecord::From(package);
            placement = trailer.placement;
            cashBalance = trailer.cashBalance;
            header.cashSwitches = trailer.cashSwitches;
            return true;
        }
        if (problem) problem->record = index;
        stocks.push_back(package.MakeStock());
    }
}

std::string FormatTwo(const std::string& format, const std::string& first, const std::string& second) {
    std::string text;
    std::size_t from = 0;
    int used = 0;
    for (std::size_t at = format.find("%s"); at != std::string::npos; at = format.find("%s", from)) {
        text += format.substr(from, at - from);
        text += used++ == 0 ? first : second;
        from = at + 2;
    }
    return text + format.substr(from);
}

}  // namespace

std::string StockFileProblem::Describe() const {
    char text[160];
    switch (kind) {
        case None:
            return "no problem";
        case CannotOpen:
            return "cannot be opened";
        case TooShort:
            return "too short for a stock file header";
        case BadMagic:
            return "bad magic: not a stock file";
        case BadVersionText: {
            std::string shown;
            for (char c : versionText) {
                if (c >= 0x20 && c < 0x7F) {
                    shown += c;
                } else {
                    std::snprintf(text, sizeof text, "\\x%02X", static_cast<unsigned char>(c));
                    shown += text;
                }
            }
            return "bad version field \"" + shown + "\"";
        }
        case UnknownVersion:
            std::snprintf(text, sizeof text, "unknown version %d", version);
            return text;
        case TruncatedHeaderBlock:
            return "truncated in the header block";
        case TruncatedRecord:
            std::snprintf(text, sizeof text, "truncated at record %d", record);
            return text;
        case StringsPastEnd:
            std::snprintf(text, sizeof text, "truncated at record %d: its name or symbol runs past the end of the file",
                          record);
            return text;
        case ReadError:
            std::snprintf(text, sizeof text, "read error at record %d", record);
            return text;
        case OutOfMemory:
            std::snprintf(text, sizeof text, "out of memory at record %d", record);
            return text;
    }
    return "unknown problem";
}

std::string BuildStockFileBytes(const StockList& stocks, const PortfolioPlacement& placement, PriceValue cashBalance,
                                const StockFileHeader& header) {
    std::string bytes;
    bytes.reserve(kFileHeaderSize + kHeaderBlockSize + (stocks.size() + 1) * (kStockRecordSize + 32));
    char version[8];
    std::snprintf(version, sizeof version, "%05d", kStockFileVersion);
    bytes.append(kStockFileMagic, 12);
    bytes.append(version, 5);
    bytes += SerializeHeaderBlock(header.block);
    CExportablePackage last;
    for (const auto& stock : stocks) {
        last = CExportablePackage(*stock);
        last.AppendTo(bytes);
    }
    TrailerRecord trailer;
    trailer.cashBalance = cashBalance;
    trailer.cashSwitches = header.cashSwitches;
    trailer.placement = placement;
    trailer.WriteInto(last);
    last.AppendTo(bytes);
    return bytes;
}

bool WriteStockFile(const std::string& path, const StockList& stocks, const PortfolioPlacement& placement,
                    PriceValue cashBalance, const StockFileHeader& header) {
    if (stocks.empty()) {
        AppLog().Log(LOG_ERR, "FILE: %s not written: no stocks", path.c_str());
        return false;
    }
    try {
        SafeSaveCopy copy(path);
        const std::string bytes = BuildStockFileBytes(stocks, placement, cashBalance, header);
        if (WriteFileDurably(path, [&](fileio::File& out) { return out.Write(bytes.data(), bytes.size()); }))
            return true;
        HandleSaveFailure(path, copy);
    } catch (const std::bad_alloc&) {
        AppLog().Log(LOG_ERR, "FILE: %s not written: out of memory", path.c_str());
    }
    return false;
}

bool ReadStockFile(const std::string& path, StockList& stocks, PortfolioPlacement& placement, PriceValue& cashBalance,
                   StockFileHeader& header, StockFileProblem* problem) {
    StockFileProblem local;
    StockFileProblem& report = problem ? *problem : local;
    report = StockFileProblem{};
    bool ok = false;
    try {
        ok = ReadStockFileUnchecked(path, stocks, placement, cashBalance, header, &report);
    } catch (const std::bad_alloc&) {
        report.kind = StockFileProblem::OutOfMemory;
        ++report.record;
    }
    if (!ok) AppLog().Log(LOG_ERR, "FILE: %s: %s", path.c_str(), report.Describe().c_str());
    return ok;
}

bool UpdateStockFileHeader(const std::string& path, const StockFileHeader& header) {
    StockList stocks;
    PortfolioPlacement placement;
    PriceValue cash = 0;
    StockFileHeader current;
    // Rewriting what could only partly be read would cut the rest of the file off.
    if (!ReadStockFile(path, stocks, placement, cash, current)) return false;
    current.block = header.block;
    current.cashSwitches = header.cashSwitches;
    if (!WriteStockFile(path, stocks, placement, cash, current)) return false;
    AppLog().Log(LOG_INT, "FILE: Header updated");
    return true;
}

bool UpdateStockFilePosition(const std::string& path, const PortfolioPlacement& placement, std::int32_t firstRow,
                             std::int32_t rowCount) {
    StockList stocks;
    PortfolioPlacement oldPlacement;
    PriceValue cash = 0;
    StockFileHeader header;
    if (!ReadStockFile(path, stocks, oldPlacement, cash, header)) return false;
    header.block.firstRow = std::max(firstRow, 0);
    header.block.rowCount = std::max(rowCount, 0);
    if (!WriteStockFile(path, stocks, placement, cash, header)) return false;
    AppLog().Log(LOG_INT, "FILE: Position updated");
    return true;
}

SafeSaveCopy::SafeSaveCopy(const std::string& path) : path_(path) {
    if (!fileio::Exists(path)) return;
    const std::string base = CutPath(path, kTempBaseLength);
    for (int n = 0; n < kTempNumbers; ++n) {
        const std::string name = TempName(base, n, ".tmp");
        if (fileio::Exists(name)) continue;
        if (fileio::Copy(path, name, false)) {
            copyPath_ = name;
            return;
        }
        // A free name that still cannot be copied to: the file itself is the problem.
        if (!fileio::Exists(name)) break;
    }
    AppLog().Log(LOG_ERR, "FILE: %s: no temporary copy (error %d)", path.c_str(), fileio::LastFileError());
}

SafeSaveCopy::~SafeSaveCopy() {
    if (Exists() && !kept_) fileio::Remove(copyPath_);
}

bool SafeSaveCopy::Restore() {
    if (!Exists()) return false;
    // A failed save leaves the file as it was; only a file that differs needs the copy back.
    if (SameContent(copyPath_, fileio::ResolveLinks(path_))) return true;
    return WriteFileDurably(path_, [&](fileio::File& out) { return CopyContent(copyPath_, out); });
}

void HandleSaveFailure(const std::string& path, SafeSaveCopy& copy) {
    const std::string& caption = SJIS("エラー情報 - Quotrix!");
    const std::string& notUpdated = SJIS("ファイルの更新に失敗しました。\n最新の変更は保存されません。");
    if (copy.Restore()) {
        ShowUserMessage(caption, notUpdated, MessageKind::Error);
        return;
    }
    if (!copy.Exists()) {
        // No copy of a file that exists: it could not be copied (held open by another program,
        // say). The new content is written beside it and put in place in one step, so the file
        // is still the old one, and the user must hear that the changes are not in it. A new
        // file: nothing to restore and nothing to tell.
        if (fileio::Exists(path)) ShowUserMessage(caption, notUpdated, MessageKind::Error);
        return;
    }
    std::string backup = path + "_backup.quotrix";
    // An older backup may be the only good copy of an earlier failure: never overwritten.
    if (!fileio::Copy(copy.CopyPath(), backup, false)) {
        backup = copy.CopyPath();
        copy.Keep();
    }
    AppLog().Log(LOG_ERR, "FILE: %s not restored, backup %s", path.c_str(), backup.c_str());
    ShowUserMessage(caption,
                    FormatTwo(SJIS("ファイルの保存に失敗しました。\nバックアップファイル[%s]を元のファイル名[%s]に"
                                   "修正してご使用ください。\nなお、最新の変更は保存されません。"),
                              backup, path),
                    MessageKind::Error);
}

}  // namespace quotrix
