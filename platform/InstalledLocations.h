// Where a program installed among the system's programs keeps its files.
// A program in a directory of its own (a build tree, an unpacked portable
// folder) keeps them beside itself; one in /usr/bin or under Program Files
// cannot, and uses the places this platform gives a program instead.
//
// POSIX: a program in /usr/bin, /usr/local/bin, /bin and their sbin
// siblings; its configuration in $XDG_CONFIG_HOME/kelmora (~/.config/kelmora)
// and its log in $XDG_STATE_HOME/kelmora (~/.local/state/kelmora), or, run as
// a service, in the directories systemd names ($CONFIGURATION_DIRECTORY,
// $LOGS_DIRECTORY).
// Windows: a program under %ProgramFiles% (either kind); both in
// %APPDATA%\Kelmora, which a normal user may write.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kelmora {

// One environment variable as Windows-1250 text; nothing when it is unset.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;

// This process's environment. On POSIX, HOME falls back to the account's
// home directory when the variable is missing.
EnvironmentLookup process_environment();

struct InstalledLocations {
    std::string configDirectory; // the INI file
    std::string logDirectory;    // the event log (the program's start directory)
};

// Nothing when `executablePath` lies outside the system's program
// directories.
std::optional<InstalledLocations> installed_locations(std::string_view executablePath,
                                                      const EnvironmentLookup& env);

} // namespace kelmora
