// Program entry: the options, then the life cycle with a window or without.
#include "Version.h"
#include "platform/ExecutablePath.h"
#include "platform/Path.h"
#include "platform/ProcessSetup.h"
#include "shell/HeadlessProgram.h"
#include "shell/ProgramLocations.h"
#include "shell/ProgramOptions.h"
#include "shell/RequestClient.h"
#include "shell/ServiceStart.h"
#include "shell/ServiceWatchdog.h"
#ifdef KELMORA_WITH_WINDOW
#include "shell/window/GuiProgram.h"
#endif
#ifdef KELMORA_WITH_WIN32_WINDOW
#include "platform/ParentConsole.h"
#include "shell/win32/Win32Program.h"
#endif

#include <iostream>
#include <optional>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace kelmora;
    prepare_process();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const ParsedOptions parsed = ParseProgramOptions(arguments);
#ifdef KELMORA_WITH_WIN32_WINDOW
    // A windowed program: what it only says goes to the console it was
    // started from (a request's answers too); without its window it works in
    // a console.
    const bool saysAndEnds = !parsed.error.empty() || parsed.options.help ||
                             parsed.options.version || parsed.options.request;
    const bool windowed = !saysAndEnds && !parsed.options.headless;
    const auto missingDesktop = windowed ? MissingDesktopForWindow() : std::nullopt;
    if (saysAndEnds) {
        attach_parent_console();
    } else if (!windowed || missingDesktop) {
        use_console();
    }
#endif
    const EnvironmentLookup environment = process_environment();
    // Where this run would read its INI without --config.
    const auto usage = [&] {
        return ProgramUsage(system_path(ResolveProgramLocations(std::nullopt, executable_path(),
                                                                environment, current_directory())
                                            .iniPath));
    };
    if (!parsed.error.empty()) {
        std::cerr << "kelmora: " << parsed.error << '\n' << usage();
        return 2;
    }
    if (parsed.options.help) {
        std::cout << usage();
        return 0;
    }
    if (parsed.options.version) {
        std::cout << "kelmora " << kVersion << '\n';
        return 0;
    }
    std::optional<std::string> configFile = parsed.options.configFile;
    if (configFile) {
        configFile = path_from_system(*configFile);
    }
    // A relative trace file is where the command line was given.
    std::string traceFile = path_from_system(parsed.options.traceFile.value_or(""));
    if (!traceFile.empty() && !is_absolute_path(traceFile)) {
        traceFile = join_path(current_directory(), traceFile);
    }
    ProgramLocations locations =
        ResolveProgramLocations(configFile, executable_path(), environment, current_directory());
    if (parsed.options.request) {
        // A client of the copy that runs: it creates and enters nothing.
        return RunRequest(parsed.options.requestOptions, locations.iniPath,
                          locations.startDirectory);
    }
    EnterStartDirectory(locations);
    EngineOptions files;
    files.iniPath = locations.iniPath;
    files.tracePath = traceFile;
#ifdef KELMORA_WITH_WINDOW
    if (!parsed.options.headless) {
        if (const auto missing = MissingDisplayForWindow()) {
            std::cerr << "kelmora: " << *missing << "; running without a window (--headless)\n";
        } else {
            return RunWindowed(files, argc, argv, ServiceNotifications());
        }
    }
#endif
#ifdef KELMORA_WITH_WIN32_WINDOW
    if (windowed) {
        if (missingDesktop) {
            std::cerr << "kelmora: " << *missingDesktop
                      << "; running without a window (--headless)\n";
        } else {
            return RunWin32Window(files, ServiceNotifications());
        }
    }
#endif
    // Nobody sees a service's defaults: it runs on its configuration or not.
    if (RunsAsService(environment)) {
        if (const auto problem = MissingServiceConfiguration(locations.iniPath)) {
            return RefuseToServeWithout(locations.startDirectory, *problem);
        }
    }
    return RunHeadless(files, ServiceNotifications());
}
