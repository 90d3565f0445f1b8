// The engine's services wired to the real fetchers and probes.
#pragma once

#include "update/UpdateEngine.h"

namespace quotrix {

// The quote page reader, the board and news checks and the connectivity probes. The release
// check and the "ThreadWait" record belong to the program that owns the engine and are left
// empty here.
EngineServices DefaultEngineServices();

}  // namespace quotrix
