// The command line of tobrin-sim, turned into simulator options.
#pragma once

#include "sim/Simulator.h"

#include <string>
#include <vector>

namespace kelmora::sim {

struct CommandLine {
    SimOptions options;
    bool help = false;
    bool version = false;
    std::string error; // a message for the user; empty when the line was good
};

// `args` without the program name. Record files are read here, so their
// errors come back as errors of the command line.
CommandLine parse_command_line(const std::vector<std::string>& args);

// The --help text, every option with its default.
std::string usage_text();

// The names of all options, "--help" included.
std::vector<std::string> option_names();

// "0.2" and "20%" are rates, "3" is a count; false for anything else.
bool parse_fault_spec(const std::string& text, FaultSpec& spec);

} // namespace kelmora::sim
