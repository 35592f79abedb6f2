// tobrin-sim: Tobrin meal terminals on a pseudo-terminal or a serial device.
// Prints the path Kelmora should open, then serves the line until SIGINT or
// SIGTERM.
#include "Version.h"
#include "sim/Options.h"
#include "sim/Simulator.h"

#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace kelmora::sim;

    const std::vector<std::string> args(argv + 1, argv + argc);
    CommandLine command_line = parse_command_line(args);
    if (!command_line.error.empty()) {
        std::fprintf(stderr, "tobrin-sim: %s\nTry 'tobrin-sim --help'.\n",
                     command_line.error.c_str());
        return 2;
    }
    if (command_line.help) {
        std::fputs(usage_text().c_str(), stdout);
        return 0;
    }
    if (command_line.version) {
        std::printf("tobrin-sim %s\n", kelmora::kVersion);
        return 0;
    }

    // The signals are taken here with sigtimedwait; blocking them first keeps
    // them away from the serving thread, which inherits this mask.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    Simulator simulator(std::move(command_line.options));
    const StartResult started = simulator.start();
    if (!started.ok()) {
        std::fprintf(stderr, "tobrin-sim: %s\n", started.error.c_str());
        return 1;
    }
    std::printf("%s\n", started.path.c_str());
    std::fflush(stdout);

    const timespec check{0, 200'000'000};
    while (simulator.running()) {
        if (sigtimedwait(&stop_signals, nullptr, &check) > 0) {
            break;
        }
    }
    const std::string failure = simulator.failure();
    simulator.stop();
    if (!failure.empty()) {
        std::fprintf(stderr, "tobrin-sim: %s\n", failure.c_str());
        return 1;
    }
    return 0;
}
