// Whether a window can be shown at all: started without a display, the
// program says so and runs without a window instead of aborting.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace kelmora {

struct DisplayEnvironment {
    std::function<std::optional<std::string>(const char* name)> variable;
    std::function<bool(const std::string& path)> exists;
    bool waylandPlugin = false; // Qt can talk to a Wayland compositor
};

// The environment of this process.
DisplayEnvironment ProcessDisplayEnvironment(bool waylandPlugin);

// Nothing when a display is there; otherwise why there is none. A platform
// chosen by QT_QPA_PLATFORM (offscreen, vnc...) counts as a display; an X
// display on this machine needs its socket, a remote one is trusted.
std::optional<std::string> MissingDisplay(const DisplayEnvironment& env);

} // namespace kelmora
