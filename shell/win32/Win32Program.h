// Kelmora with its Win32 window: the whole life cycle in the system's order
// (shell/LifeCycle.h). Exit code 0, or -1 when another copy already runs.
#pragma once

#include "shell/LifeCycle.h"

#include <optional>
#include <string>

namespace kelmora {

// `engineOptions`: the INI file and the line trace main chose; the shell adds
// its start directory.
int RunWin32Window(EngineOptions engineOptions, const LifeCycleEvents& events = {});

// Whether the window can be shown here: nothing when it can, else why not
// (a service or a remote shell has no visible window station).
std::optional<std::string> MissingDesktopForWindow();

} // namespace kelmora
