// Where this run keeps its configuration and its event log.
//
// In a directory of its own (a build tree, the portable folder) the program
// keeps the INI beside the executable (its path with ".ini") and the event
// log in the directory it was started in. Installed among the system's
// programs (/usr/bin, Program Files), where a normal user may write nothing,
// it keeps kelmora.ini and the log in the platform's places for them
// (platform/InstalledLocations.h), and starts in the log's directory, so that
// a relative data path means the same as in a folder of its own: relative to
// the start directory. --config names the INI in either case.
#pragma once

#include "platform/InstalledLocations.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora {

struct ProgramLocations {
    std::string iniPath;
    // The event log and the default data path; the program's current
    // directory from its start on.
    std::string startDirectory;
    // What an installed program creates before it starts: the user's first
    // run finds none of its directories.
    std::vector<std::string> directoriesToCreate;
};

// All texts Windows-1250. `configOption` is --config; `currentDirectory` the
// directory the program was started in.
//
// Not the same directory as `currentDirectory` only when installed: the
// program changes into it (EnterStartDirectory).
ProgramLocations ResolveProgramLocations(const std::optional<std::string>& configOption,
                                         std::string_view executablePath,
                                         const EnvironmentLookup& env,
                                         std::string_view currentDirectory);

// Creates the directories and changes into the start directory. Where that
// fails the program stays where it was started, and starts from there.
void EnterStartDirectory(ProgramLocations& locations);

} // namespace kelmora
