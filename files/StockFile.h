// Stock files (".quotrix"): reading versions 1 to 7, writing version 7, and the save protocol
// that never leaves the user without a usable file.
//
// Both programs share this code. Main thread only: loading makes registered CStockMan objects.
// Paths are Shift-JIS. Prices are PriceValue (ten-thousandths of a yen). Failures are reported
// as false plus a log line; the two save failures the user must know about are shown through
// ShowUserMessage (platform/UserMessage.h).
#pragma once

#include <string>

#include "files/StockRecord.h"

namespace quotrix {

// Why a file could not be read completely, for tools that tell the user what is wrong.
struct StockFileProblem {
    enum Kind {
        None,
        CannotOpen,
        TooShort,        // shorter than the 17-byte header
        BadMagic,        // not a stock file
        BadVersionText,  // the version field holds something other than five digits
        UnknownVersion,  // five digits, but not a version 1 to 7
        TruncatedHeaderBlock,
        TruncatedRecord,  // `record` (1-based) stops early or never starts: no trailer
        StringsPastEnd,   // `record`'s name or symbol length runs past the end of the file
        ReadError,
        OutOfMemory,
    };
    Kind kind = None;
    int record = 0;   // the record concerned, counted from 1
    int version = 0;  // as read from the header
    std::string versionText;

    // An English sentence for diagnostics ("truncated at record 3").
    std::string Describe() const;
};

// Writes the stocks, the trailer values and the header block as a version-7 file. An empty list
// is refused (nothing written). The previous file stays intact whatever fails: the new content is
// written beside it and put in its place in one step.
bool WriteStockFile(const std::string& path, const StockList& stocks, const PortfolioPlacement& placement,
                    PriceValue cashBalance, const StockFileHeader& header);

// Appends the file's stocks to `stocks` and returns the trailer's values and the header. False for
// anything but a complete file; the stocks read before the problem stay in the list.
bool ReadStockFile(const std::string& path, StockList& stocks, PortfolioPlacement& placement, PriceValue& cashBalance,
                   StockFileHeader& header, StockFileProblem* problem = nullptr);

// Rewrite the file with a new header block and cash-balance switches / a new portfolio placement
// and row values. A file that cannot be read completely is left alone.
bool UpdateStockFileHeader(const std::string& path, const StockFileHeader& header);
bool UpdateStockFilePosition(const std::string& path, const PortfolioPlacement& placement, std::int32_t firstRow,
                             std::int32_t rowCount);

// The complete bytes of a version-7 file (what WriteStockFile puts on the disk).
std::string BuildStockFileBytes(const StockList& stocks, const PortfolioPlacement& placement, PriceValue cashBalance,
                                const StockFileHeader& header);

// A copy of a file under a free temporary name ("%s_%03X.tmp", numbers 0 to 0x2FE), taken before
// the file is rewritten. The copy is deleted when the object ends unless it was kept.
class SafeSaveCopy {
  public:
    explicit SafeSaveCopy(const std::string& path);
    SafeSaveCopy(const SafeSaveCopy&) = delete;
    SafeSaveCopy& operator=(const SafeSaveCopy&) = delete;
    ~SafeSaveCopy();

    bool Exists() const { return !copyPath_.empty(); }
    const std::string& CopyPath() const { return copyPath_; }
    // Makes the file hold the copied content again.
    bool Restore();
    void Keep() { kept_ = true; }

  private:
    std::string path_;
    std::string copyPath_;
    bool kept_ = false;
};

// What a failed save does: restore the old file (or leave a backup) and tell the user.
void HandleSaveFailure(const std::string& path, SafeSaveCopy& copy);

}  // namespace quotrix
