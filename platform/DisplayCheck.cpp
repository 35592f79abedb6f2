#include "platform/DisplayCheck.h"

#include <cstdlib>
#include <filesystem>

namespace kelmora {

DisplayEnvironment process_display_environment(bool waylandPlugin) {
    DisplayEnvironment env;
    env.variable = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
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
