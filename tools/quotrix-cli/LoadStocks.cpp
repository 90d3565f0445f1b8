#include "LoadStocks.h"

#include "Command.h"
#include "model/StockMan.h"

namespace quotrix::cli {

LoadedFile LoadStocks(const std::string& path) {
    LoadedFile file;
    StockFileProblem problem;
    file.complete = ReadStockFile(path, file.stocks, file.placement, file.cashBalance, file.header, &problem);
    if (!file.complete) {
        std::string text = path + ": " + problem.Describe();
        if (problem.kind == StockFileProblem::TruncatedRecord || problem.kind == StockFileProblem::StringsPastEnd ||
            problem.kind == StockFileProblem::ReadError || problem.kind == StockFileProblem::OutOfMemory)
            text += " (" + std::to_string(file.stocks.size()) + " stocks read before it)";
        PrintError(text);
    }
    return file;
}

}  // namespace quotrix::cli
