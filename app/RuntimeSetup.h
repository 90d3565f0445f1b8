// Hands the application settings to the process-wide objects that the update engine relies on:
// the Internet session, the offline switch, the quote-site hosts, and the engine's own settings.
// Main thread, at start-up and whenever the options change.
#pragma once

#include "settings/AppSettings.h"
#include "update/UpdateEngine.h"

namespace quotrix {

void ApplyNetworkSettings(const AppSettings& settings);
CheckSettings CheckSettingsFrom(const AppSettings& settings);

}  // namespace quotrix
