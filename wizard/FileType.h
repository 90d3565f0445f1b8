// The stock file type's shell registration: what is written, in which keys, and when an existing
// registration already points at this installation. The keys are reached through ClassKeyStore,
// which the Windows program backs with the registry (platform/win32/ClassesRegistry.h). Texts are
// Shift-JIS. Main thread only.
#pragma once

#include <memory>
#include <string>

namespace quotrix {

// One open key below the classes root.
class ClassKey {
  public:
    virtual ~ClassKey() = default;
    // The key's default (unnamed) string value; false when it is missing or not a string.
    virtual bool ReadDefault(std::string& value) = 0;
    virtual bool WriteDefault(const std::string& value) = 0;
};

// The classes root. Paths are relative to it ("Quotrix!銘柄ﾌｧｲﾙ\shell\open\command").
class ClassKeyStore {
  public:
    virtual ~ClassKeyStore() = default;
    // Opens `path` to read it, or with `create` to write it (made when missing); nullptr when
    // that fails. The key closes when the object goes.
    virtual std::unique_ptr<ClassKey> Open(const std::string& path, bool create) = 0;
};

// A default value read for the check is at most this long (with its terminating zero).
inline constexpr std::size_t kClassValueLimit = 512;

inline constexpr char kStockFileExtension[] = ".quotrix";

// What a registration writes.
struct FileTypeRegistration {
    std::string extension;    // with its leading "."
    std::string typeName;     // the extension key's value and the type key's name
    std::string description;  // the type key's value
    std::string icon;         // "\DefaultIcon"
    std::string command;      // "\shell\open\command"
};

// The stock file type for Quotrix.exe at `appPath`, with the document icon of the wizard
// program at `wizardProgram` (its icon resource number 4).
FileTypeRegistration StockFileType(const std::string& appPath, const std::string& wizardProgram);

// The open command: "<appPath>" /f "%1".
std::string OpenCommandFor(const std::string& appPath);

// Whether the program of `command` (its first token, quotes removed) is `appPath`, compared
// without regard to the case of ASCII letters and with two-byte characters compared whole.
bool CommandStartsProgram(const std::string& command, const std::string& appPath);

// Whether `extension` opens with the Quotrix.exe at `appPath`: the extension key names a type
// whose open command starts that program. Any missing key, unreadable value or value of 512
// bytes or more gives false.
bool IsFileTypeRegistered(ClassKeyStore& store, const std::string& extension, const std::string& appPath);

// Writes the registration unless it already points at `appPath` (then nothing is written).
// An empty type name keeps the one the extension key already names. A type key that cannot be
// opened is passed over; a failed write ends the registration with false, leaving what was
// written so far.
bool RegisterFileType(ClassKeyStore& store, const std::string& appPath, FileTypeRegistration registration);

}  // namespace quotrix
