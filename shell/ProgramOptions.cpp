#include "shell/ProgramOptions.h"

#include <cstddef>

namespace kelmora {

namespace {

// "--name VALUE" or "--name=VALUE": true when `a` is the option, with the
// value in `value` or the message in `error`.
bool ValueOption(const std::vector<std::string>& arguments, std::size_t& i, std::string_view name,
                 std::string_view what, std::optional<std::string>& value, std::string& error) {
    const std::string& a = arguments[i];
    if (a == name) {
        if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
            error = std::string(name) + " needs " + std::string(what);
        } else {
            value = arguments[++i];
        }
        return true;
    }
    if (a.size() > name.size() + 1 && a.compare(0, name.size(), name) == 0 &&
        a[name.size()] == '=') {
        value = a.substr(name.size() + 1);
        return true;
    }
    return false;
}

// Seconds with at most three decimals, more than 0 and at most a day.
std::optional<std::uint32_t> Milliseconds(std::string_view text) {
    std::uint64_t ms = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        ms = ms * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (ms > kMaxRequestTimeoutMs) {
            return std::nullopt;
        }
    }
    if (i == 0) {
        return std::nullopt;
    }
    ms *= 1000;
    if (i < text.size() && text[i] == '.') {
        std::uint64_t scale = 100;
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9' && scale > 0; ++i) {
            ms += static_cast<std::uint64_t>(text[i] - '0') * scale;
            scale /= 10;
        }
    }
    if (i != text.size() || ms == 0 || ms > kMaxRequestTimeoutMs) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(ms);
}

// One argument of `kelmora request`; false when it is not understood.
bool RequestArgument(const std::vector<std::string>& arguments, std::size_t& i,
                     ParsedOptions& parsed) {
    RequestOptions& request = parsed.options.requestOptions;
    const std::string& a = arguments[i];
    std::optional<std::string> value;
    if (ValueOption(arguments, i, "--timeout", "a number of seconds", value, parsed.error)) {
        const auto ms = value ? Milliseconds(*value) : std::nullopt;
        if (value && !ms) {
            parsed.error = "--timeout needs a number of seconds above 0, at most 86400: " + *value;
        }
        request.timeoutMs = ms.value_or(request.timeoutMs);
        return true;
    }
    if (ValueOption(arguments, i, "--terminal", "1, 2, 3 or 4", value, parsed.error)) {
        if (value && (value->size() != 1 || (*value)[0] < '1' || (*value)[0] > '4')) {
            parsed.error = "--terminal needs 1, 2, 3 or 4: " + *value;
        } else if (value) {
            request.terminal = (*value)[0] - '0';
        }
        return true;
    }
    if (ValueOption(arguments, i, "--file", "the path of the command file", request.file,
                    parsed.error)) {
        return true;
    }
    if (a == "--") {
        request.lines.insert(request.lines.end(), arguments.begin() + static_cast<long>(i) + 1,
                             arguments.end());
        i = arguments.size();
        return true;
    }
    if (a.rfind("--", 0) == 0) {
        return false;
    }
    request.lines.push_back(a);
    return true;
}

} // namespace

ParsedOptions ParseProgramOptions(const std::vector<std::string>& arguments) {
    ParsedOptions parsed;
    ProgramOptions& options = parsed.options;
    for (std::size_t i = 0; i < arguments.size() && parsed.error.empty(); ++i) {
        const std::string& a = arguments[i];
        if (ValueOption(arguments, i, "--config", "the path of the configuration file",
                        options.configFile, parsed.error)) {
            continue;
        }
        if (a == "--help" || a == "-h") {
            options.help = true;
        } else if (a == "--version") {
            options.version = true;
        } else if (!options.request && a == "request") {
            options.request = true;
        } else if (options.request) {
            if (!RequestArgument(arguments, i, parsed) && parsed.error.empty()) {
                parsed.error = a == "--headless" || a.rfind("--trace", 0) == 0
                                   ? a.substr(0, a.find('=')) + " has no meaning with request"
                                   : "unknown option: " + a;
            }
        } else if (a == "--headless") {
            options.headless = true;
        } else if (!ValueOption(arguments, i, "--trace", "the path of the trace file",
                                options.traceFile, parsed.error)) {
            parsed.error = "unknown option: " + a;
        }
    }
    const RequestOptions& request = options.requestOptions;
    if (parsed.error.empty() && request.file && !request.lines.empty()) {
        parsed.error = "request takes --file or command lines, not both";
    }
    return parsed;
}

std::string ProgramUsage(std::string_view defaultConfigFile) {
    return "usage: kelmora [--headless] [--config FILE] [--trace FILE]\n"
           "       kelmora request [--config FILE] [--timeout S] [--terminal N]\n"
           "                       [--file F | LINE...]\n"
           "  --headless     run without a window; messages go to standard error\n"
           "  --config FILE  the configuration file, instead of\n"
           "                 " +
           std::string(defaultConfigFile) +
           "\n"
           "  --trace FILE   write what goes over each serial line to FILE (kept under 16 MiB,\n"
           "                 the part before in FILE.1)\n"
           "  --version      the version\n"
           "  --help         this text\n"
           "request: hand the lines (or those of the file F) as one request file to the\n"
           "Kelmora that runs on the configuration's data path, wait for the job, and\n"
           "print its answer lines and its status pair.\n"
           "  --terminal N   select slot N (1 to 4) first: the line TERM N\n"
           "  --timeout S    give up after S seconds (default 120)\n"
           "  exit status: 0 every command acknowledged, 1 a command failed, 2 a wrong\n"
           "  command line, 3 a failure pair (-1,...), 4 time-out, 5 no Kelmora running,\n"
           "  6 the request file cannot be written, 130 interrupted; see kelmora(1)\n";
}

} // namespace kelmora
