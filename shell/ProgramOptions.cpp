#include "shell/ProgramOptions.h"

namespace kelmora {

namespace {

// "--name FILE" or "--name=FILE": true when `a` is the option, with the file
// in `file` or the message in `error`.
bool FileOption(const std::vector<std::string>& arguments, std::size_t& i, std::string_view name,
                std::string_view what, std::optional<std::string>& file, std::string& error) {
    const std::string& a = arguments[i];
    if (a == name) {
        if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
            error = std::string(name) + " needs the path of " + std::string(what);
        } else {
            file = arguments[++i];
        }
        return true;
    }
    if (a.size() > name.size() + 1 && a.compare(0, name.size(), name) == 0 &&
        a[name.size()] == '=') {
        file = a.substr(name.size() + 1);
        return true;
    }
    return false;
}

} // namespace

ParsedOptions ParseProgramOptions(const std::vector<std::string>& arguments) {
    ParsedOptions parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (FileOption(arguments, i, "--config", "the configuration file",
                       parsed.options.configFile, parsed.error) ||
            FileOption(arguments, i, "--trace", "the trace file", parsed.options.traceFile,
                       parsed.error)) {
            if (!parsed.error.empty()) {
                return parsed;
            }
        } else if (a == "--headless") {
            parsed.options.headless = true;
        } else if (a == "--version") {
            parsed.options.version = true;
        } else if (a == "--help" || a == "-h") {
            parsed.options.help = true;
        } else {
            parsed.error = "unknown option: " + a;
            return parsed;
        }
    }
    return parsed;
}

std::string ProgramUsage(std::string_view defaultConfigFile) {
    return "usage: kelmora [--headless] [--config FILE] [--trace FILE]\n"
           "  --headless     run without a window; messages go to standard error\n"
           "  --config FILE  the configuration file, instead of\n"
           "                 " +
           std::string(defaultConfigFile) +
           "\n"
           "  --trace FILE   write what goes over each serial line to FILE (kept under 16 MiB,\n"
           "                 the part before in FILE.1)\n"
           "  --version      the version\n"
           "  --help         this text\n";
}

} // namespace kelmora
