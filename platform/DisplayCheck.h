// Whether a window can be shown at all: started without a display, the
// program says so and runs without a window instead of aborting. Windows
// always has its desktop; POSIX needs an X or Wayland display.
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
DisplayEnvironment process_display_environment(bool waylandPlugin);

// Nothing when a display is there; otherwise why there is none. A platform
// chosen by QT_QPA_PLATFORM (offscreen, vnc...) counts as a display; an X
// display on this machine needs its socket, a remote one is trusted.
std::optional<std::string> missing_display(const DisplayEnvironment& env);

} // namespace kelmora
