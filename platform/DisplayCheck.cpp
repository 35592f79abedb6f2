#include "platform/DisplayCheck.h"

#include <cstdlib>
#include <filesystem>

namespace kelmora {

DisplayEnvironment process_display_environment(bool waylandPlugin) {
    DisplayEnvironment env;
    env.variable = [](const char* name) -> std::optional<std::string> {
        // Asked at start, before any thread runs; nothing sets the environment.
        const char* value = std::getenv(name); // NOLINT(concurrency-mt-unsafe)
        if (value == nullptr || *value == '\0') {
            return std::nullopt;
        }
        return std::string(value);
    };
    env.exists = [](const std::string& path) {
        std::error_code ignored;
        return std::filesystem::exists(path, ignored);
    };
    env.waylandPlugin = waylandPlugin;
    return env;
}

} // namespace kelmora
