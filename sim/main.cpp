// tobrin-sim: Tobrin meal terminals on a pseudo-terminal or a serial device
// (on Windows a COM port). Prints the path Kelmora should open, then serves
// the line until the system asks it to stop (SIGINT or SIGTERM; Ctrl+C or
// the console's close on Windows).
#include "Version.h"
#include "platform/Clock.h"
#include "platform/StopSignal.h"
#include "sim/Options.h"
#include "sim/Simulator.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Set by the stop-signal thread; nothing to destroy, so a late signal while
// the program ends touches nothing that has gone.
std::atomic<bool> stop_asked{false};

} // namespace

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

    // Taken before the serving thread starts, which must not see the signals.
    kelmora::on_stop_signal([] { stop_asked = true; });

    Simulator simulator(std::move(command_line.options));
    const StartResult started = simulator.start();
    if (!started.ok()) {
        std::fprintf(stderr, "tobrin-sim: %s\n", started.error.c_str());
        return 1;
    }
    std::printf("%s\n", started.path.c_str());
    std::fflush(stdout);

    // A failure of the line ends the serving thread without a signal.
    while (!stop_asked && simulator.running()) {
        kelmora::sleep_ms(50);
    }
    const std::string failure = simulator.failure();
    simulator.stop();
    kelmora::stop_signal_done();
    if (!failure.empty()) {
        std::fprintf(stderr, "tobrin-sim: %s\n", failure.c_str());
        return 1;
    }
    return 0;
}
