#include "wizard/WizardRules.h"

#include <cstdio>

#include "app/CodeList.h"
#include "app/DisplayTexts.h"  // IsSjisLeadByte
#include "model/StockMan.h"
#include "platform/TextCodec.h"

namespace quotrix {

namespace {

constexpr char kDefaultFileName[] = "Default.quotrix";

bool IsAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Bytes of the keyword that would end the value or change its meaning in the query.
bool NeedsEscape(unsigned char c) {
    return c >= 0x80 || c < 0x20 || c == 0x7F || c == ' ' || c == '&' || c == '#' || c == '%' || c == '+' || c == '=';
}

}  // namespace

EnlistorMode ReadEnlistorSwitch(const std::string& firstToken) {
    if (firstToken.size() != 2 || (firstToken[0] != '/' && firstToken[0] != '-')) return EnlistorMode::Wizard;
    if (firstToken[1] == 'A') return EnlistorMode::RegisterInteractive;
    if (firstToken[1] == 'S') return EnlistorMode::RegisterSilent;
    return EnlistorMode::Wizard;
}

StockList CollectCodes(const std::string& codeText) {
    std::size_t first = 0, last = codeText.size();
    while (first < last && IsAsciiSpace(codeText[first])) ++first;
    while (last > first && IsAsciiSpace(codeText[last - 1])) --last;
    StockList stocks;
    if (first < last) ParseCodeList(stocks, codeText.substr(first, last - first), nullptr);
    return stocks;
}

bool SjisToEucJp(const std::string& sjis, std::string& euc) {
    euc.clear();
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        const auto c = static_cast<unsigned char>(sjis[i]);
        if (c < 0x80) {
            euc += static_cast<char>(c);
        } else if (c >= 0xA1 && c <= 0xDF) {
            euc += '\x8E';
            euc += static_cast<char>(c);
        } else if (IsSjisLeadByte(c) && c <= 0xEF && i + 1 < sjis.size()) {
            const auto t = static_cast<unsigned char>(sjis[++i]);
            if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
            int row = ((c >= 0xE0 ? c - 0x40 : c) - 0x81) * 2 + 0x21;
            int cell;
            if (t >= 0x9F) {
                ++row;
                cell = t - 0x9F + 0x21;
            } else {
                cell = (t >= 0x80 ? t - 1 : t) - 0x40 + 0x21;
            }
            euc += static_cast<char>(row | 0x80);
            euc += static_cast<char>(cell | 0x80);
        } else {
            return false;  // 0x80, 0xA0, the user-defined rows 0xF0-0xFC, a lone first byte
        }
    }
    return true;
}

bool CodeLookupAddress(const std::string& host, const std::string& keyword, std::string& address) {
    address = "http://" + host + "/l";
    if (keyword.empty()) return true;
    std::string euc;
    if (!SjisToEucJp(keyword, euc)) return false;
    address += "?s=";
    for (char ch : euc) {
        const auto c = static_cast<unsigned char>(ch);
        if (NeedsEscape(c)) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            address += hex;
        } else {
            address += ch;
        }
    }
    return true;
}

std::string OpenFileArguments(const std::string& path) { return "/f \"" + path + "\""; }

std::string ShortcutDescription(int year, int month, int day, int hour, int minute, int second) {
    char text[160];
    std::snprintf(text, sizeof text, SJIS("%02d/%02d/%02d %02d:%02d:%02dに作成した銘柄データファイルです。").c_str(),
                  year, month, day, hour, minute, second);
    return text;
}

std::string ShortcutFileName() { return SJIS("Quotrix!銘柄ファイル.lnk"); }

void SaveLocation::Initialise(const std::string& folder, const PathExists& exists) {
    mode_ = APP_DATA;
    appDataAllowed_ = true;
    path_ = folder;
    if (path_.empty())
        path_ = kDefaultFileName;
    else
        AppendPath(path_, kDefaultFileName);
    if (!MakeUniquePath(path_, exists)) {
        mode_ = USER_PATH;
        appDataAllowed_ = false;
    }
    title_ = FileTitleOf(path_);
}

void SaveLocation::SetMode(int mode) {
    if (mode == APP_DATA && !appDataAllowed_) return;
    mode_ = mode == APP_DATA ? APP_DATA : USER_PATH;
}

void SaveLocation::EditTitle(const std::string& title) {
    title_ = title;
    if (title.empty()) return;
    const PathParts parts = SplitPath(path_);
    path_ = parts.drive + parts.folder + title + parts.extension;
}

void SaveLocation::EditPath(const std::string& path) {
    path_ = path;
    title_ = FileTitleOf(path);
}

}  // namespace quotrix
