#include "files/PathNames.h"

#include <cstdio>

namespace quotrix {

namespace {

bool IsSjisLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Positions of the path separators ("\" and "/") and of the last ".", skipping second bytes.
struct Marks {
    std::size_t lastSeparator = std::string::npos;
    std::size_t lastDot = std::string::npos;
    bool endsWithBackslash = false;
};

Marks FindMarks(const std::string& path) {
    Marks marks;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        marks.endsWithBackslash = false;
        if (IsSjisLeadByte(c) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (c == '\\' || c == '/') {
            marks.lastSeparator = i;
            marks.endsWithBackslash = c == '\\';
        } else if (c == '.') {
            marks.lastDot = i;
        }
    }
    return marks;
}

}  // namespace

void AppendPath(std::string& path, const std::string& part) {
    if (path.empty() || part.empty()) return;
    if (!FindMarks(path).endsWithBackslash) path += '\\';
    path += part;
}

PathParts SplitPath(const std::string& path) {
    PathParts parts;
    std::size_t start = 0;
    if (path.size() >= 2 && path[1] == ':' && !IsSjisLeadByte(static_cast<unsigned char>(path[0]))) {
        parts.drive = path.substr(0, 2);
        start = 2;
    }
    const std::string rest = path.substr(start);
    const Marks marks = FindMarks(rest);
    const std::size_t nameStart = marks.lastSeparator == std::string::npos ? 0 : marks.lastSeparator + 1;
    parts.folder = rest.substr(0, nameStart);
    const std::size_t dot =
        marks.lastDot != std::string::npos && marks.lastDot >= nameStart ? marks.lastDot : rest.size();
    parts.name = rest.substr(nameStart, dot - nameStart);
    parts.extension = rest.substr(dot);
    return parts;
}

std::string FileTitleOf(const std::string& path) { return SplitPath(path).name; }

bool FolderOfProgram(const std::string& program, std::string& folder) {
    std::size_t last = std::string::npos;
    for (std::size_t i = 0; i < program.size(); ++i) {
        if (IsSjisLeadByte(static_cast<unsigned char>(program[i])) && i + 1 < program.size())
            ++i;
        else if (program[i] == '\\')
            last = i;
    }
    if (last == std::string::npos) return false;
    folder = program.substr(0, last);
    return true;
}

bool MakeUniquePath(std::string& path, const PathExists& exists) {
    if (!exists(path)) return true;
    const PathParts parts = SplitPath(path);
    for (int i = 1; i <= 999; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%03d", i);
        std::string candidate = parts.drive + parts.folder + parts.name + number + parts.extension;
        if (!exists(candidate)) {
            path = std::move(candidate);
            return true;
        }
    }
    return false;
}

}  // namespace quotrix
