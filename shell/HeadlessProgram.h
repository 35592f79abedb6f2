// Kelmora without a window: the whole life cycle in the system's order, on
// the main thread, until SIGTERM, SIGINT or SIGHUP. Exit code 0,
// or -1 when another copy already runs.
#pragma once

#include "shell/LifeCycle.h"

#include <string>

namespace kelmora {

// `engineOptions`: the INI file and the line trace main chose; the shell adds
// its start directory.
int RunHeadless(EngineOptions engineOptions, const LifeCycleEvents& events = {});

} // namespace kelmora
