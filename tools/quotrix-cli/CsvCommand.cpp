// quotrix-cli csv FILE [OUT]: the stock list as the CSV export writes it.
#include <string>
#include <vector>

#include "Command.h"
#include "LoadStocks.h"
#include "files/StockCsv.h"
#include "platform/Console.h"
#include "platform/FileIO.h"

namespace quotrix::cli {

namespace {

bool WriteFile(const std::string& path, const std::string& bytes) {
    if (fileio::Exists(path) && !fileio::Remove(path)) return false;
    fileio::File out;
    return out.Open(path, fileio::OpenMode::CreateNew) && out.Write(bytes.data(), bytes.size()) && out.Close();
}

int RunCsv(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2) return UsageError("csv");
    LoadedFile file = LoadStocks(args[0]);
    const std::string csv = BuildCsvText(file.stocks);
    if (args.size() == 2) {
        // The file gets the export's bytes: Shift-JIS with CR LF.
        if (!WriteFile(args[1], csv)) {
            PrintError(args[1] + ": cannot be written");
            return kExitFailure;
        }
    } else {
        Print(csv);
    }
    return file.complete ? kExitOk : kExitFailure;
}

}  // namespace

QUOTRIX_CLI_COMMAND(csv, "csv", "csv FILE [OUT]",
                    "the stocks of a stock file as CSV (OUT gets Shift-JIS, the console the text)", RunCsv);

}  // namespace quotrix::cli
