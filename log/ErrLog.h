// The diagnostic log: numbered, rotating text files. One instance serves the whole process;
// every CStockMan carries one more for its own update log.
//
// The fields are laid out here for the classes that derive from CErrLog; the file writing,
// rotation and ThreadLog come with the settings-and-log work.
#pragma once

#include <cstdint>
#include <string>

namespace quotrix {

class CErrLog {
  public:
    CErrLog() = default;
    CErrLog(const CErrLog&) = delete;
    CErrLog& operator=(const CErrLog&) = delete;

  protected:
    std::string currentPath_;  // folder + base + four-digit number + extension now written
    std::string logPath_;      // folder + base + extension
    std::string folder_;       // ends with "\\" unless empty
    std::string baseName_ = "Quotrix";
    std::string extension_ = ".log";
    std::uint32_t maxSize_ = 512000;  // bytes
    std::uint32_t fileCount_ = 10;
    std::uint32_t currentNumber_ = 0;
    std::uint8_t writeCounter_ = 0;
    std::uint8_t threshold_ = 0;
    std::uint8_t configuredLevel_ = 0;
};

}  // namespace quotrix
