// shellapi.h needs the declarations of windows.h first.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>

#include "platform/Console.h"
#include "platform/TextCodec.h"
#include "platform/win32/WinText.h"

namespace quotrix {

namespace {

HANDLE Handle(ConsoleStream stream) {
    return GetStdHandle(stream == ConsoleStream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool WriteAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

bool WriteConsoleBytes(ConsoleStream stream, std::string_view bytes) {
    HANDLE handle = Handle(stream);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    return WriteAll(handle, bytes);
}

bool WriteConsoleText(ConsoleStream stream, std::string_view sjis) {
    HANDLE handle = Handle(stream);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    DWORD mode = 0;
    if (!GetConsoleMode(handle, &mode)) return WriteAll(handle, SjisToUtf8(sjis));
    const std::wstring wide = Wide(sjis);
    std::wstring_view rest = wide;
    while (!rest.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 8192));
        if (!WriteConsoleW(handle, rest.data(), chunk, &written, nullptr) || written == 0) return false;
        rest.remove_prefix(written);
    }
    return true;
}

std::vector<std::string> ConsoleArguments(int, char**) {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return args;
    for (int i = 1; i < count; ++i) args.push_back(Narrow(wide[i]));
    LocalFree(wide);
    return args;
}

}  // namespace quotrix
