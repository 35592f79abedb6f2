// The headless program as the host application sees it, against a SLAVE of
// the simulator at 19200 baud:
//   - the time from a request file's settling (its last change plus the
//     settle time) to the status file, for a one-line job, 20 times: median,
//     least and most;
//   - the processor time the idle process spends over 60 seconds.
//
//   bench_headless KELMORA_PROGRAM [samples] [idle seconds]
#include "engine/Engine.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "sim/Simulator.h"
#include "support/ChildProcess.h"
#include "support/TestIni.h"
#include "support/WaitUntil.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

using namespace kelmora;
using namespace kelmora::testing;

namespace {

// Modification time in milliseconds of the real-time clock.
double StampMs(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        return -1;
    }
    return st.st_mtim.tv_sec * 1e3 + st.st_mtim.tv_nsec / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_headless KELMORA_PROGRAM [samples] [idle seconds]\n");
        return 2;
    }
    const std::string program = std::filesystem::absolute(argv[1]).string();
    const int samples = argc > 2 ? std::atoi(argv[2]) : 20;
    const int idleSeconds = argc > 3 ? std::atoi(argv[3]) : 60;

    const auto dir = std::filesystem::temp_directory_path() / "kelmora-bench-headless";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "data");
    const std::string base = dir.string();
    const std::string data = join_path(base, "data");

    sim::SimOptions options;
    options.terminals.push_back({});
    sim::Simulator simulator(options);
    const auto started = simulator.start();
    if (!started.ok() ||
        !WriteIni(join_path(base, "kelmora.ini"), data, {{0, 1, 0}}, {{0, started.path}})) {
        std::fprintf(stderr, "cannot set up: %s\n", started.error.c_str());
        return 1;
    }
    ChildProcess kelmora(program, {"--headless", "--config", join_path(base, "kelmora.ini")}, base,
                         {"XDG_RUNTIME_DIR=" + base}, join_path(base, "stderr.txt"));
    auto waitFor = [](auto done, std::uint32_t limitMs) { return WaitUntil(done, limitMs); };
    const std::string log = join_path(base, "errorlog.txt");
    if (!kelmora.Started() ||
        !waitFor([&] { return read_file(log).value_or("").find("TERM 1") != std::string::npos; },
                 20000)) {
        std::fprintf(stderr, "kelmora did not start\n");
        return 1;
    }

    const std::string request = join_path(data, "request.cfg");
    const std::string status = join_path(data, "rexcom.sta");
    std::vector<double> latencies;
    for (int i = 0; i < samples; ++i) {
        remove_file(status);
        write_file(request + ".part", "N\r\n");
        std::filesystem::rename(request + ".part", request);
        const double settled = StampMs(request) + kRequestSettleMs;
        if (!waitFor([&] { return file_exists(status); }, 20000)) {
            std::fprintf(stderr, "request %d was not answered\n", i);
            return 1;
        }
        latencies.push_back(StampMs(status) - settled);
        sleep_ms(static_cast<std::uint32_t>(137 * (i % 8))); // spread over the poll period
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("settled request file to rexcom.sta, one-line job on a SLAVE, %d samples:\n",
                samples);
    std::printf("  median %.0f ms, least %.0f ms, most %.0f ms\n", latencies[latencies.size() / 2],
                latencies.front(), latencies.back());

    const long cpu0 = kelmora.CpuMs();
    const long rss0 = kelmora.ResidentKb();
    sleep_ms(static_cast<std::uint32_t>(idleSeconds) * 1000);
    const long cpu = kelmora.CpuMs() - cpu0;
    std::printf("idle for %d s: %ld ms of processor time (%.3f %%), resident %ld kB -> %ld kB\n",
                idleSeconds, cpu, 100.0 * double(cpu) / (idleSeconds * 1000.0), rss0,
                kelmora.ResidentKb());
    kelmora.Signal(SIGTERM);
    return kelmora.Wait(20000) == 0 ? 0 : 1;
}
