#include "platform/DisplayCheck.h"

namespace kelmora {

namespace {

// ":0", ":1.0", "unix:2" are displays on this machine, served by the socket
// /tmp/.X11-unix/X<n>; "host:10.0" is a remote one.
std::optional<std::string> LocalXSocket(const std::string& display) {
    std::string rest;
    if (display.rfind(':', 0) == 0) {
        rest = display.substr(1);
    } else if (display.rfind("unix:", 0) == 0) {
        rest = display.substr(5);
    } else {
        return std::nullopt;
    }
    const std::string number = rest.substr(0, rest.find('.'));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return "/tmp/.X11-unix/X" + number;
}

} // namespace

std::optional<std::string> missing_display(const DisplayEnvironment& env) {
    if (env.variable("QT_QPA_PLATFORM")) {
        return std::nullopt;
    }
    if (const auto display = env.variable("DISPLAY")) {
        const auto socket = LocalXSocket(*display);
        if (!socket || env.exists(*socket)) {
            return std::nullopt;
        }
        if (!env.waylandPlugin || !env.variable("WAYLAND_DISPLAY")) {
            return "the X display " + *display + " is not running";
        }
    }
    if (const auto wayland = env.variable("WAYLAND_DISPLAY")) {
        if (env.waylandPlugin) {
            return std::nullopt;
        }
        return "no Qt platform plugin for the Wayland display " + *wayland;
    }
    return std::string("no display (neither DISPLAY nor WAYLAND_DISPLAY is set)");
}

} // namespace kelmora
