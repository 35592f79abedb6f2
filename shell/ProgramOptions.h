// The program's command line:
//   kelmora [--headless] [--config FILE] [--trace FILE] [--version] [--help]
// --headless runs without a window (servers, tests); --config names the INI
// file instead of the usual one (shell/ProgramLocations.h); --trace writes the
// line trace (serial/LineTrace.h) to FILE.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora {

struct ProgramOptions {
    bool headless = false;
    std::optional<std::string> configFile; // as given, in the system's encoding
    std::optional<std::string> traceFile;  // as given, in the system's encoding
    bool help = false;
    bool version = false;
};

// The options, or the message for a command line that is not understood.
struct ParsedOptions {
    ProgramOptions options;
    std::string error;
};

ParsedOptions ParseProgramOptions(const std::vector<std::string>& arguments);

// `defaultConfigFile`: where the INI is without --config in this run (beside
// the executable, or the installed program's place), in the system's encoding.
std::string ProgramUsage(std::string_view defaultConfigFile);

} // namespace kelmora
