// The program's command line:
//   kelmora [--headless] [--config FILE] [--trace FILE] [--version] [--help]
//   kelmora request [--config FILE] [--timeout S] [--terminal N] [--file F | LINE...]
// --headless runs without a window (servers, tests); --config names the INI
// file instead of the usual one (shell/ProgramLocations.h); --trace writes the
// line trace (serial/LineTrace.h) to FILE. `request` hands a request to the
// copy that runs on the configuration's data path (shell/RequestClient.h):
// the lines, or those of the file F, optionally after a first line TERM N;
// it waits at most S seconds. An argument after "--" is a line, whatever it
// looks like.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora {

inline constexpr std::uint32_t kDefaultRequestTimeoutMs = 120'000;
inline constexpr std::uint32_t kMaxRequestTimeoutMs = 86'400'000; // a day

struct RequestOptions {
    std::uint32_t timeoutMs = kDefaultRequestTimeoutMs;
    std::optional<int> terminal;     // --terminal: the slot of a first line TERM N
    std::optional<std::string> file; // --file, as given, in the system's encoding
    std::vector<std::string> lines;  // as given, in the system's encoding
};

struct ProgramOptions {
    bool headless = false;
    std::optional<std::string> configFile; // as given, in the system's encoding
    std::optional<std::string> traceFile;  // as given, in the system's encoding
    bool help = false;
    bool version = false;
    bool request = false; // kelmora request
    RequestOptions requestOptions;
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
