#include "platform/InstalledLocations.h"
#include "platform/Path.h"

#include <windows.h>

#include <cstdlib>

namespace kelmora {

namespace {

constexpr std::string_view kProgramDirectoryName = "Kelmora";

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `path` lies inside `directory`, as Windows compares names (case
// aside, '/' as good as '\').
bool Inside(std::string_view path, std::string_view directory) {
    while (!directory.empty() && (directory.back() == '\\' || directory.back() == '/')) {
        directory.remove_suffix(1);
    }
    if (directory.empty() || path.size() <= directory.size() + 1) {
        return false;
    }
    for (std::size_t i = 0; i < directory.size(); ++i) {
        const char a = path[i] == '/' ? '\\' : path[i];
        const char b = directory[i] == '/' ? '\\' : directory[i];
        if (Lower(a) != Lower(b)) {
            return false;
        }
    }
    return path[directory.size()] == '\\' || path[directory.size()] == '/';
}

} // namespace

EnvironmentLookup process_environment() {
    return [](std::string_view name) -> std::optional<std::string> {
        // The ANSI environment: Windows-1250 text, as every path inside.
        const std::string key(name);
        const DWORD size = GetEnvironmentVariableA(key.c_str(), nullptr, 0);
        if (size == 0) {
            return std::nullopt;
        }
        std::string value(size, '\0');
        const DWORD n = GetEnvironmentVariableA(key.c_str(), value.data(), size);
        if (n == 0 || n >= size) {
            return std::nullopt;
        }
        value.resize(n);
        return value;
    };
}

std::optional<InstalledLocations> installed_locations(std::string_view executablePath,
                                                      const EnvironmentLookup& env) {
    bool system = false;
    for (const char* variable : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"}) {
        const auto directory = env(variable);
        system = system || (directory && Inside(executablePath, *directory));
    }
    if (!system) {
        return std::nullopt;
    }
    std::string base = env("APPDATA").value_or("");
    if (base.empty()) {
        const std::string profile = env("USERPROFILE").value_or(current_directory());
        base = join_path(join_path(profile, "AppData"), "Roaming");
    }
    const std::string directory = join_path(base, kProgramDirectoryName);
    return InstalledLocations{directory, directory};
}

} // namespace kelmora
