// Reading a stock file for a command: what cannot be read is reported on standard error, naming
// the file and the problem, and the stocks before the damage are still handed back.
#pragma once

#include <string>

#include "files/StockFile.h"

namespace quotrix::cli {

struct LoadedFile {
    StockList stocks;
    PortfolioPlacement placement;
    PriceValue cashBalance = 0;
    StockFileHeader header;
    bool complete = false;
};

LoadedFile LoadStocks(const std::string& path);

}  // namespace quotrix::cli
