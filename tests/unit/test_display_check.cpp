// Whether the program can show its window, from the environment alone.
#include "platform/DisplayCheck.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace kelmora;

namespace {

struct Case {
    const char* name;
    std::map<std::string, std::string> variables;
    std::set<std::string> files;
    bool waylandPlugin;
    bool display;
};

DisplayEnvironment EnvironmentOf(const Case& c) {
    DisplayEnvironment env;
    env.variable = [&c](const char* name) -> std::optional<std::string> {
        const auto it = c.variables.find(name);
        if (it == c.variables.end()) {
            return std::nullopt;
        }
        return it->second;
    };
    env.exists = [&c](const std::string& path) { return c.files.count(path) > 0; };
    env.waylandPlugin = c.waylandPlugin;
    return env;
}

} // namespace

TEST(DisplayCheck, TellsWhetherAWindowCanBeShown) {
    const Case cases[] = {
        {"nothing set", {}, {}, true, false},
        {"local X running", {{"DISPLAY", ":0"}}, {"/tmp/.X11-unix/X0"}, false, true},
        {"local X with screen", {{"DISPLAY", ":1.0"}}, {"/tmp/.X11-unix/X1"}, false, true},
        {"unix form", {{"DISPLAY", "unix:2"}}, {"/tmp/.X11-unix/X2"}, false, true},
        {"local X gone", {{"DISPLAY", ":3"}}, {"/tmp/.X11-unix/X0"}, false, false},
        {"remote X trusted", {{"DISPLAY", "host:10.0"}}, {}, false, true},
        {"offscreen asked for", {{"QT_QPA_PLATFORM", "offscreen"}}, {}, false, true},
        {"wayland with plugin", {{"WAYLAND_DISPLAY", "wayland-0"}}, {}, true, true},
        {"wayland without plugin", {{"WAYLAND_DISPLAY", "wayland-0"}}, {}, false, false},
        {"dead X, live wayland",
         {{"DISPLAY", ":5"}, {"WAYLAND_DISPLAY", "wayland-0"}},
         {},
         true,
         true},
        {"empty DISPLAY", {{"DISPLAY", ""}}, {}, false, false},
    };
    for (const Case& c : cases) {
        Case adjusted = c;
        // An empty variable counts as unset, as getenv's caller treats it.
        for (auto it = adjusted.variables.begin(); it != adjusted.variables.end();) {
            it = it->second.empty() ? adjusted.variables.erase(it) : std::next(it);
        }
        const auto missing = missing_display(EnvironmentOf(adjusted));
#ifdef _WIN32
        // Windows has its desktop whatever these variables say.
        EXPECT_FALSE(missing.has_value()) << c.name;
#else
        EXPECT_EQ(!missing.has_value(), c.display) << c.name;
        if (missing) {
            EXPECT_FALSE(missing->empty()) << c.name;
        }
#endif
    }
}
