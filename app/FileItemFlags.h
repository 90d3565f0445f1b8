// A stock file's own display items. A version-7 file may carry the three item-flag words
// ("PortfolioTextFlags", "TipTextFlags", "OtherItemFlags") in its header block, marked by file
// display option bit 0; while such a file is open its words are in force instead of the common
// settings, and they are saved into the file, not into the settings store.
//
// Main thread, when a file is adopted and before it is written.
#pragma once

#include "files/StockRecord.h"
#include "settings/AppSettings.h"

namespace quotrix {

// Puts the file's words in force when its header says they are its own, and marks the settings
// so that saving them leaves the common words in the store alone. False (nothing changed) when
// the file has no words of its own.
bool AdoptFileItemFlags(const StockFileHeader& header, AppSettings& settings);
// Before the file is written: the words in force go back into its header block when the file
// carries its own; otherwise the header is left as it was read.
void StoreFileItemFlags(const AppSettings& settings, StockFileHeader& header);

}  // namespace quotrix
