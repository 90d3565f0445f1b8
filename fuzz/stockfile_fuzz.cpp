// Stock files come from disks, mail and downloads: any bytes must read safely, and what was read
// must write back and read again the same.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "files/StockCsv.h"
#include "files/StockFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quotrix;
    // In memory where the system offers it: the disk would slow every run.
    static const std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/quotrix-stockfile-fuzz-" + std::to_string(getpid()) + ".quotrix";
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    StockList stocks;
    PortfolioPlacement placement;
    PriceValue cash = 0;
    StockFileHeader header;
    StockFileProblem problem;
    const bool complete = ReadStockFile(path, stocks, placement, cash, header, &problem);
    (void)problem.Describe();
    if (complete && problem.kind != StockFileProblem::None) std::abort();
    if (stocks.empty()) return 0;

    (void)BuildCsvText(stocks);
    // What was read is written as version 7 and reads back as the same number of stocks.
    const std::string bytes = BuildStockFileBytes(stocks, placement, cash, header);
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    StockList again;
    if (!ReadStockFile(path, again, placement, cash, header) || again.size() != stocks.size()) std::abort();
    return 0;
}
