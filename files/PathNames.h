// Windows path texts (Shift-JIS, "\" separated) taken apart and put together without touching the
// disk, shared by both programs: joining, splitting, the running program's folder and the free
// numbered name of a new file. A backslash is found with multi-byte awareness, so that the
// second byte of a character such as "ソ" (0x83 0x5C) is not taken for one. Any thread.
#pragma once

#include <functional>
#include <string>

namespace quotrix {

// Appends "\" + `part` to `path`, the "\" only when `path` does not already end with one.
// Nothing happens when either side is empty.
void AppendPath(std::string& path, const std::string& part);

// The parts of a path as the C library's _splitpath gives them: "C:", "\folder\", "name", ".ext".
// Any of them may be empty; put together in this order they give the path back.
struct PathParts {
    std::string drive;
    std::string folder;
    std::string name;
    std::string extension;
};
PathParts SplitPath(const std::string& path);

// The file name without folder and extension ("C:\a\Mine.quotrix" gives "Mine").
std::string FileTitleOf(const std::string& path);

// The folder of a program path (token 0 of its command line): everything before the last "\".
// False when there is no "\" in it.
bool FolderOfProgram(const std::string& program, std::string& folder);

// Leaves `path` as it is when `exists` says nothing is there; else puts the first free numbered
// name "name001.ext" .. "name999.ext" (same drive, folder and extension) in its place. False,
// with `path` unchanged, when all 999 are taken.
using PathExists = std::function<bool(const std::string& path)>;
bool MakeUniquePath(std::string& path, const PathExists& exists);

}  // namespace quotrix
