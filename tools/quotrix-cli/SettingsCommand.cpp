// quotrix-cli settings: the current user's settings store (the settings file on Linux, the
// registry on Windows).
//
//   settings path                     where the store is
//   settings list [SECTION]           every value (Linux only: the registry is not listed here)
//   settings get SECTION KEY          one value
//   settings set SECTION KEY VALUE    a number when VALUE reads as one (and the key holds no
//                                     text), else text
//   settings set-text SECTION KEY VALUE   always text
#include <cstdint>
#include <string>
#include <vector>

#include "Command.h"
#include "platform/SettingsStores.h"
#include "settings/SettingsFile.h"
#if !defined(_WIN32)
#include "platform/posix/FileSettingsStore.h"
#endif

namespace quotrix::cli {

namespace {

struct Found {
    bool isNumber = false;
    bool isText = false;
    std::uint32_t number = 0;
    std::string text;
};

// The store answers only with defaults, so a value is present when two different defaults
// give the same answer.
Found Lookup(SettingsStore& store, const std::string& section, const std::string& key) {
    Found found;
    const std::uint32_t a = store.GetInt(section, key, 0), b = store.GetInt(section, key, 1);
    if (a == b) {
        found.isNumber = true;
        found.number = a;
        return found;
    }
    const std::string x = store.GetString(section, key, "\x01"), y = store.GetString(section, key, "\x02");
    if (x == y) {
        found.isText = true;
        found.text = x;
    }
    return found;
}

// Control characters stay out of the terminal.
std::string Printable(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text;
}

std::string NumberText(std::uint32_t value) {
    std::string text = std::to_string(value);
    if (value >= 0x80000000u) text += " (" + std::to_string(static_cast<std::int32_t>(value)) + ")";
    return text;
}

bool ReadNumber(const std::string& text, std::uint32_t& value) {
    SettingsData data;
    ParseSettingsText("[s]\nk=" + text + "\n", data);
    const SettingsValue* v = data.Find("s", "k");
    if (!v || !std::holds_alternative<std::uint32_t>(*v)) return false;
    value = std::get<std::uint32_t>(*v);
    return true;
}

int RunSettings(const std::vector<std::string>& args) {
    if (args.empty()) return UsageError("settings");
    const std::string& verb = args[0];
    std::unique_ptr<SettingsStore> store = CreateUserSettingsStore();

    if (verb == "path" && args.size() == 1) {
        Print(UserSettingsLocation() + "\n");
        return kExitOk;
    }
    if (verb == "list" && args.size() <= 2) {
#if defined(_WIN32)
        PrintError("list: use regedit for " + UserSettingsLocation());
        return kExitFailure;
#else
        auto* file = static_cast<FileSettingsStore*>(store.get());
        for (const auto& [section, values] : file->Snapshot().sections) {
            if (args.size() == 2 && CaseInsensitiveLess()(section, args[1]) != CaseInsensitiveLess()(args[1], section))
                continue;
            for (const auto& [key, value] : values) {
                const std::string shown = std::holds_alternative<std::uint32_t>(value)
                                              ? NumberText(std::get<std::uint32_t>(value))
                                              : "\"" + Printable(std::get<std::string>(value)) + "\"";
                Print(section + "\t" + key + "\t" + shown + "\n");
            }
        }
        return kExitOk;
#endif
    }
    if (verb == "get" && args.size() == 3) {
        const Found found = Lookup(*store, args[1], args[2]);
        if (found.isNumber) {
            Print(NumberText(found.number) + "\n");
        } else if (found.isText) {
            Print(Printable(found.text) + "\n");
        } else {
            PrintError(args[1] + " " + args[2] + ": no such value");
            return kExitFailure;
        }
        return kExitOk;
    }
    if ((verb == "set" || verb == "set-text") && args.size() == 4) {
        std::uint32_t number = 0;
        const bool asNumber = verb == "set" && !Lookup(*store, args[1], args[2]).isText && ReadNumber(args[3], number);
        const bool ok =
            asNumber ? store->SetInt(args[1], args[2], number) : store->SetString(args[1], args[2], args[3]);
        if (!ok) {
            PrintError(args[1] + " " + args[2] + ": cannot be written to " + UserSettingsLocation());
            return kExitFailure;
        }
        return kExitOk;
    }
    return UsageError("settings");
}

}  // namespace

QUOTRIX_CLI_COMMAND(settings, "settings", "settings path|list [SECTION]|get S K|set S K V|set-text S K V",
                    "read and write the user's settings", RunSettings);

}  // namespace quotrix::cli
