// Whether the machine is online, as the platform sees it.
//
// Windows asks WinINet (connected-state option, InternetGetConnectedState, InternetAttemptConnect).
// Linux counts itself connected when a network interface other than loopback is up, or when the
// quote host resolves; there is no dial-up, so an attempt to connect is the same question.
//
// Threads: any thread. Tests replace the platform's answers with SetConnectivityAnswers so that
// no probe leaves the machine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quotrix {

// Bits of the connected-state flags (InternetGetConnectedState).
inline constexpr std::uint32_t kConnectionModem = 0x01;
inline constexpr std::uint32_t kConnectionLan = 0x02;
inline constexpr std::uint32_t kConnectionProxy = 0x04;

struct ConnectivityAnswers {
    bool optionReadable = true;   // the connected-state option could be read
    bool optionConnected = true;  // its bit 0
    bool stateCallOk = true;      // the connected-state call succeeded
    std::uint32_t stateFlags = kConnectionLan;
    bool attemptOk = true;  // an attempt to connect succeeded
};

// Connected-state option: false when it cannot be read, else `connected` is its bit 0.
bool QueryConnectedOption(bool& connected);
// Connected-state call: false when it fails; `flags` carries the kConnection* bits.
bool GetConnectedState(std::uint32_t& flags);
// May start a dial-up connection; true on success.
bool AttemptPlatformConnect();

// The platform's own probes behind the three calls above (platform/win32, platform/posix).
bool PlatformQueryConnectedOption(bool& connected);
bool PlatformGetConnectedState(std::uint32_t& flags);
bool PlatformAttemptConnect();

// Replaces the platform's answers (nullopt: ask the platform again).
void SetConnectivityAnswers(std::optional<ConnectivityAnswers> answers);

#if !defined(_WIN32)
// The two Linux probes: is a network interface other than loopback up; does `host`
// ("name[:port]") resolve.
bool NetworkLinkUp();
bool HostResolves(const std::string& host);
#endif

}  // namespace quotrix
