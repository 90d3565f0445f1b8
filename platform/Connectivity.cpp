#include "platform/Connectivity.h"

#include <mutex>

namespace quotrix {

namespace {
std::mutex g_answersLock;
std::optional<ConnectivityAnswers> g_answers;

std::optional<ConnectivityAnswers> Answers() {
    std::lock_guard lock(g_answersLock);
    return g_answers;
}
}  // namespace

void SetConnectivityAnswers(std::optional<ConnectivityAnswers> answers) {
    std::lock_guard lock(g_answersLock);
    g_answers = answers;
}

bool QueryConnectedOption(bool& connected) {
    if (const auto answers = Answers()) {
        connected = answers->optionConnected;
        return answers->optionReadable;
    }
    return PlatformQueryConnectedOption(connected);
}

bool GetConnectedState(std::uint32_t& flags) {
    if (const auto answers = Answers()) {
        flags = answers->stateFlags;
        return answers->stateCallOk;
    }
    return PlatformGetConnectedState(flags);
}

bool AttemptPlatformConnect() {
    if (const auto answers = Answers()) return answers->attemptOk;
    return PlatformAttemptConnect();
}

}  // namespace quotrix
