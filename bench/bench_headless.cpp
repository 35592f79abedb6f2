// The headless program as the host application sees it, against a SLAVE of
// the simulator at 19200 baud:
//   - the time from the moment the host's writer closes a request file to
//     the status file, for a one-line job, 20 times: median, least and most
//     (goal: a median of at most 300 ms);
//   - the processor time the idle process spends over 60 seconds, with its
//     terminal connected and re-tested every ten seconds (goal: at most
//     0.1 % of a core).
//
//   bench_headless KELMORA_PROGRAM [samples] [idle seconds]
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "sim/Simulator.h"
#include "support/ChildProcess.h"
#include "support/TestIni.h"
#include "support/WaitUntil.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
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

double NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Writes the request as a host does, straight under its name; the moment
// its writer has closed it.
double WriteRequest(const std::string& path, const std::string& content) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return -1;
    }
    const bool written =
        write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    close(fd);
    return written ? NowMs() : -1;
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
        const double closed = WriteRequest(request, "N\r\n");
        if (closed < 0 || !waitFor([&] { return file_exists(status); }, 20000)) {
            std::fprintf(stderr, "request %d was not answered\n", i);
            return 1;
        }
        latencies.push_back(StampMs(status) - closed);
        sleep_ms(static_cast<std::uint32_t>(137 * (i % 8))); // spread over the poll period
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("request file closed by its writer to rexcom.sta, one-line job on a SLAVE, %d "
                "samples:\n",
                samples);
    std::printf("  median %.0f ms (goal: at most 300 ms), least %.0f ms, most %.0f ms\n",
                latencies[latencies.size() / 2], latencies.front(), latencies.back());

    const long cpu0 = kelmora.CpuMs();
    const long rss0 = kelmora.ResidentKb();
    sleep_ms(static_cast<std::uint32_t>(idleSeconds) * 1000);
    const long cpu = kelmora.CpuMs() - cpu0;
    std::printf("idle for %d s: %ld ms of processor time (%.3f %%; goal: at most 0.1 %%), "
                "resident %ld kB -> %ld kB\n",
                idleSeconds, cpu, 100.0 * double(cpu) / (idleSeconds * 1000.0), rss0,
                kelmora.ResidentKb());
    kelmora.Signal(SIGTERM);
    return kelmora.Wait(20000) == 0 ? 0 : 1;
}
