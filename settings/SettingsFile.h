// The text form of a settings store on systems without a registry: an INI-like UTF-8 file that
// a user can edit by hand.
//
//   ; comment
//   [Setting]
//   MaxThreads=3
//   LogPath="/tmp/Quotrix.log"
//
// A value that reads as a number (decimal, a leading "-" for the two's complement, or "0x" and
// up to eight hex digits) is an integer; anything else is a string. Quoted strings take the
// escapes \\ \" \n \r \t and \xHH (one byte of the Shift-JIS text, for bytes that are no valid
// Shift-JIS). In memory strings are Shift-JIS. Section and key names are kept byte for byte and
// compared without regard to ASCII case, as the registry does; the first spelling stays.
// Lines that fit none of these forms are skipped, so a damaged file loses only those lines.
//
// Threads: plain values, no shared state.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <variant>

namespace quotrix {

struct CaseInsensitiveLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

using SettingsValue = std::variant<std::uint32_t, std::string>;

struct SettingsData {
    using Section = std::map<std::string, SettingsValue, CaseInsensitiveLess>;
    std::map<std::string, Section, CaseInsensitiveLess> sections;

    const SettingsValue* Find(std::string_view section, std::string_view key) const;
    void Set(std::string_view section, std::string_view key, SettingsValue value);
    bool operator==(const SettingsData&) const = default;
};

// Whether a section or key name can be written to the file and read back as it is.
bool IsValidSettingsName(std::string_view name);

// Reads the file text. Returns the number of lines that were skipped as unreadable.
std::size_t ParseSettingsText(std::string_view text, SettingsData& data);
// The file text of `data`; ParseSettingsText gives the same data back.
std::string FormatSettingsText(const SettingsData& data);

}  // namespace quotrix
