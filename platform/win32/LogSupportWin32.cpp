#include <windows.h>
// After windows.h:
#include <share.h>
#include <sys/stat.h>

#include "platform/LogSupport.h"
#include "platform/win32/WinText.h"

namespace quotrix {

std::FILE* OpenLogForAppend(const std::string& path) {
    if (path.empty()) return nullptr;
    return _wfsopen(Wide(path).c_str(), L"ab", _SH_DENYNO);
}

std::FILE* CreateLogFile(const std::string& path) {
    if (path.empty()) return nullptr;
    return _wfsopen(Wide(path).c_str(), L"wb", _SH_DENYWR);
}

bool QueryLogFileSize(const std::string& path, std::uint64_t& size) {
    if (path.empty()) return false;
    std::FILE* f = _wfsopen(Wide(path).c_str(), L"rb", _SH_DENYWR);
    if (!f) return false;
    struct _stat64 st;
    const bool known = _fstat64(_fileno(f), &st) == 0;
    std::fclose(f);
    if (!known) return false;
    size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool GetTempFolder(std::string& folder) {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    if (n == 0 || n > MAX_PATH) return false;
    folder = Narrow(std::wstring_view(buffer, n));
    if (folder.empty()) return false;
    return true;
}

int LastSystemError() { return static_cast<int>(GetLastError()); }

std::string SystemErrorText(int error) {
    wchar_t* text = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(error), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    if (n == 0 || !text) return {};
    std::wstring_view view(text, n);
    // System texts end in CR LF, which would break the log line in two.
    while (!view.empty() && (view.back() == L'\r' || view.back() == L'\n' || view.back() == L' ')) {
        view.remove_suffix(1);
    }
    std::string result = Narrow(view);
    LocalFree(text);
    return result;
}

}  // namespace quotrix
