#include "platform/Cp1250.h"
#include "platform/InstalledLocations.h"
#include "platform/Path.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cstdlib>

namespace kelmora {

namespace {

constexpr std::string_view kProgramDirectoryName = "kelmora";

constexpr std::array<std::string_view, 7> kSystemProgramDirectories = {
    "/usr/bin", "/usr/sbin", "/usr/local/bin", "/usr/local/sbin", "/bin", "/sbin", "/usr/games"};

std::string_view DirectoryOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

// systemd names the service's directories, several separated by colons.
std::optional<std::string> ServiceDirectory(const EnvironmentLookup& env, std::string_view name) {
    const auto value = env(name);
    if (!value || value->empty()) {
        return std::nullopt;
    }
    return value->substr(0, value->find(':'));
}

// $XDG_<kind>_HOME/kelmora, or HOME + `fallback` + /kelmora. The base
// directory specification ignores a relative value.
std::string UserDirectory(const EnvironmentLookup& env, std::string_view variable,
                          std::string_view fallback) {
    if (const auto base = env(variable); base && !base->empty() && base->front() == '/') {
        return join_path(*base, kProgramDirectoryName);
    }
    std::string home = env("HOME").value_or("");
    if (home.empty()) {
        home = current_directory();
    }
    return join_path(home + std::string(fallback), kProgramDirectoryName);
}

} // namespace

EnvironmentLookup process_environment() {
    return [](std::string_view name) -> std::optional<std::string> {
        // Asked at start, before any thread runs; nothing sets the environment.
        // NOLINTNEXTLINE(concurrency-mt-unsafe)
        if (const char* value = std::getenv(std::string(name).c_str()); value != nullptr) {
            return cp1250_from_utf8(value);
        }
        if (name == "HOME") {
            // NOLINTNEXTLINE(concurrency-mt-unsafe): at start, as above
            if (const passwd* account = getpwuid(getuid()); account && account->pw_dir) {
                return cp1250_from_utf8(account->pw_dir);
            }
        }
        return std::nullopt;
    };
}

std::optional<InstalledLocations> installed_locations(std::string_view executablePath,
                                                      const EnvironmentLookup& env) {
    const std::string_view directory = DirectoryOf(executablePath);
    bool system = false;
    for (const std::string_view d : kSystemProgramDirectories) {
        system = system || directory == d;
    }
    if (!system) {
        return std::nullopt;
    }
    InstalledLocations places;
    places.configDirectory = ServiceDirectory(env, "CONFIGURATION_DIRECTORY")
                                 .value_or(UserDirectory(env, "XDG_CONFIG_HOME", "/.config"));
    places.logDirectory = ServiceDirectory(env, "LOGS_DIRECTORY")
                              .value_or(UserDirectory(env, "XDG_STATE_HOME", "/.local/state"));
    return places;
}

} // namespace kelmora
