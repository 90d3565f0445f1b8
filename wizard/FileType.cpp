#include "wizard/FileType.h"

#include <cctype>

#include "app/CodeList.h"
#include "app/DisplayTexts.h"  // IsSjisLeadByte
#include "files/PathNames.h"
#include "platform/TextCodec.h"

namespace quotrix {

namespace {

bool ReadLimited(ClassKey& key, std::string& value) {
    return key.ReadDefault(value) && value.size() < kClassValueLimit;
}

std::string WithDot(const std::string& extension) {
    return !extension.empty() && extension[0] == '.' ? extension : "." + extension;
}

}  // namespace

std::string OpenCommandFor(const std::string& appPath) { return "\"" + appPath + "\" /f \"%1\""; }

FileTypeRegistration StockFileType(const std::string& appPath, const std::string& wizardProgram) {
    FileTypeRegistration r;
    r.extension = kStockFileExtension;
    r.typeName = SJIS("Quotrix!銘柄ﾌｧｲﾙ");
    r.description = SJIS("Quotrix!銘柄ﾃﾞｰﾀ");
    r.icon = wizardProgram + ",4";
    r.command = OpenCommandFor(appPath);
    return r;
}

bool CommandStartsProgram(const std::string& command, const std::string& appPath) {
    const std::string program = GetCommandLineToken(command, 0);
    if (program.size() != appPath.size()) return false;
    for (std::size_t i = 0; i < program.size(); ++i) {
        const auto a = static_cast<unsigned char>(program[i]);
        const auto b = static_cast<unsigned char>(appPath[i]);
        if (IsSjisLeadByte(a) && i + 1 < program.size()) {
            if (a != b || program[i + 1] != appPath[i + 1]) return false;
            ++i;
        } else if (std::tolower(a) != std::tolower(b)) {
            return false;
        }
    }
    return true;
}

bool IsFileTypeRegistered(ClassKeyStore& store, const std::string& extension, const std::string& appPath) {
    std::string typeName, command;
    {
        auto key = store.Open(WithDot(extension), false);
        if (!key || !ReadLimited(*key, typeName)) return false;
    }
    auto key = store.Open(typeName + "\\shell\\open\\command", false);
    return key && ReadLimited(*key, command) && CommandStartsProgram(command, appPath);
}

bool RegisterFileType(ClassKeyStore& store, const std::string& appPath, FileTypeRegistration r) {
    r.extension = WithDot(r.extension);
    if (IsFileTypeRegistered(store, r.extension, appPath)) return true;
    {
        auto key = store.Open(r.extension, true);
        if (!key) return false;
        if (!r.typeName.empty()) {
            if (!key->WriteDefault(r.typeName)) return false;
        } else if (!ReadLimited(*key, r.typeName) || r.typeName.empty()) {
            return false;
        }
    }
    const std::pair<std::string, const std::string*> values[] = {
        {r.typeName, &r.description},
        {r.typeName + "\\DefaultIcon", &r.icon},
        {r.typeName + "\\shell", nullptr},
        {r.typeName + "\\shell\\open", nullptr},
        {r.typeName + "\\shell\\open\\command", &r.command},
    };
    static const std::string open = "open";
    for (const auto& [path, value] : values) {
        auto key = store.Open(path, true);
        if (!key) continue;
        if (!key->WriteDefault(value ? *value : open)) return false;
    }
    return true;
}

}  // namespace quotrix
