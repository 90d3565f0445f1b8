#include <windows.h>
#include <wininet.h>

#include "platform/Connectivity.h"

namespace quotrix {

bool PlatformQueryConnectedOption(bool& connected) {
    DWORD state = 0;
    DWORD size = sizeof state;
    if (!InternetQueryOptionW(nullptr, INTERNET_OPTION_CONNECTED_STATE, &state, &size)) return false;
    connected = (state & INTERNET_STATE_CONNECTED) != 0;
    return true;
}

bool PlatformGetConnectedState(std::uint32_t& flags) {
    DWORD state = 0;
    const BOOL ok = InternetGetConnectedState(&state, 0);
    flags = state;
    return ok != FALSE;
}

bool PlatformAttemptConnect() { return InternetAttemptConnect(0) == ERROR_SUCCESS; }

}  // namespace quotrix
