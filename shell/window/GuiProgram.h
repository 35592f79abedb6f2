// Kelmora with its window: the whole life cycle in the system's order. Exit
// code 0, or -1 when another copy already runs.
#pragma once

#include "shell/LifeCycle.h"

#include <optional>
#include <string>

namespace kelmora {

// `engineOptions`: the INI file and the line trace main chose; the shell adds
// its start directory.
int RunWindowed(EngineOptions engineOptions, int& argc, char** argv,
                const LifeCycleEvents& events = {});

// Whether the window can be shown here; nothing when it can, else why not.
std::optional<std::string> MissingDisplayForWindow();

} // namespace kelmora
