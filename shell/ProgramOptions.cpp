#include "shell/ProgramOptions.h"

namespace kelmora {

ParsedOptions ParseProgramOptions(const std::vector<std::string>& arguments) {
    ParsedOptions parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--headless") {
            parsed.options.headless = true;
        } else if (a == "--config") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                parsed.error = "--config needs the path of the configuration file";
                return parsed;
            }
            parsed.options.configFile = arguments[++i];
        } else if (a.rfind("--config=", 0) == 0 && a.size() > 9) {
            parsed.options.configFile = a.substr(9);
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

std::string ProgramUsage() {
    return "usage: kelmora [--headless] [--config FILE]\n"
           "  --headless     run without a window; messages go to standard error\n"
           "  --config FILE  the configuration file (default: the executable's path with .ini)\n"
           "  --version      the version\n"
           "  --help         this text\n";
}

} // namespace kelmora
