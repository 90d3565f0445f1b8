// The fetch outcome of a worker and the operations on the UpdateStatus bits of a stock's status
// word. Pure functions; any thread.
#pragma once

#include <cstdint>

namespace quotrix {

enum AcquisitionResult : std::int32_t { ACQ_NOP = 0, ACQ_SUCCESS = 1, ACQ_OFFLINE = 2, ACQ_FAILURE = 3 };

// "NOP", "success", "offline", "failure", or "error" for anything else.
const char* AcquisitionResultName(std::intptr_t result);

// A fetch starts: Checking.
constexpr std::uint32_t StatusChecking(std::uint32_t word) { return (word & ~0x2Cu) | 0x10u; }
// A failed fetch: Failed.
constexpr std::uint32_t StatusFailed(std::uint32_t word) { return (word & ~0x30u) | 0x0Cu; }
// A worker found no connection: Offline.
constexpr std::uint32_t StatusOfflineOutcome(std::uint32_t word) { return (word & ~0x34u) | 8u; }
// A check event outside the active hours: only a stock without state or Offline becomes OutOfHours.
constexpr std::uint32_t StatusOutOfHoursEvent(std::uint32_t word) {
    const std::uint32_t state = word & 0x3Cu;
    return state == 0 || state == 8 ? (word & ~0x38u) | 4u : word;
}
// A check event while offline: only a stock without state or OutOfHours becomes Offline.
constexpr std::uint32_t StatusOfflineEvent(std::uint32_t word) {
    const std::uint32_t state = word & 0x3Cu;
    return state == 0 || state == 4 ? StatusOfflineOutcome(word) : word;
}

}  // namespace quotrix
