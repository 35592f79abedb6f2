// How close the simulator's pacing comes to the line speed, seen from the
// port: a P answer block read from the pty, its bytes time-stamped as they
// arrive, against the schedule of an ideal line (10 bits a byte).
//
// Reported per line speed:
//   pace_ratio     measured span first..last block byte / ideal span (1.0 is exact)
//   max_late_us    the latest any byte arrived behind the ideal schedule
//   max_early_us   the earliest any byte arrived ahead of it
//   mean_dev_us    the mean distance of a byte from its ideal time
//   answer_ms      frame written -> ACK read (ideal: 4 byte times + 10 ms + 1 byte time)
#include "sim/Simulator.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

using namespace kelmora::sim;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRecords = 100; // 2400 bytes

std::vector<PersonRecord> persons() {
    std::vector<PersonRecord> out;
    for (int n = 1; n <= kRecords; ++n) {
        PersonRecord r;
        r.letter = 'R';
        r.number = static_cast<std::uint16_t>(n);
        out.push_back(r);
    }
    return out;
}

int open_port(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    return fd;
}

// Arrival time of each of `n` bytes; fewer when the line stops for 2 s.
std::vector<Clock::time_point> read_bytes(int fd, std::size_t n) {
    std::vector<Clock::time_point> at;
    char buffer[256];
    while (at.size() < n) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 2000) <= 0) {
            break;
        }
        const ssize_t got = read(fd, buffer, sizeof buffer);
        const auto now = Clock::now();
        for (ssize_t i = 0; i < got; ++i) {
            at.push_back(now);
        }
    }
    return at;
}

void BM_SimPacing(benchmark::State& state) {
    const int baud = static_cast<int>(state.range(0));
    SimOptions options;
    options.terminals.resize(1);
    options.terminals[0].terminal.records = persons();
    options.timing.baud = baud;
    Simulator sim(options);
    const StartResult started = sim.start();
    if (!started.ok()) {
        state.SkipWithError(started.error.c_str());
        return;
    }
    const int fd = open_port(started.path);
    const double byte_us = 10.0 * 1e6 / baud;
    const std::size_t block = kRecords * kRecordSize;
    const char p_frame[] = {0x01, 0x04, 0x50, 0x55};

    double ratio_sum = 0;
    double answer_sum = 0;
    double max_late = 0;
    double max_early = 0;
    double dev_sum = 0;
    double dev_count = 0;
    for (auto _ : state) {
        tcflush(fd, TCIFLUSH);
        const auto sent = Clock::now();
        if (write(fd, p_frame, sizeof p_frame) != 4) {
            state.SkipWithError("cannot write the frame");
            break;
        }
        const auto at = read_bytes(fd, 1 + block);
        if (at.size() != 1 + block) {
            state.SkipWithError("the answer was incomplete");
            break;
        }
        const double span_us = std::chrono::duration<double, std::micro>(at.back() - at[1]).count();
        ratio_sum += span_us / (byte_us * static_cast<double>(block - 1));
        answer_sum += std::chrono::duration<double, std::milli>(at[0] - sent).count();
        for (std::size_t i = 1; i < at.size(); ++i) {
            const double ideal = byte_us * static_cast<double>(i - 1);
            const double off =
                std::chrono::duration<double, std::micro>(at[i] - at[1]).count() - ideal;
            max_late = std::max(max_late, off);
            max_early = std::max(max_early, -off);
            dev_sum += std::abs(off);
            dev_count += 1;
        }
        state.SetIterationTime(span_us / 1e6);
    }
    close(fd);
    const double n = static_cast<double>(state.iterations());
    state.counters["pace_ratio"] = ratio_sum / n;
    state.counters["answer_ms"] = answer_sum / n;
    state.counters["max_late_us"] = max_late;
    state.counters["max_early_us"] = max_early;
    state.counters["mean_dev_us"] = dev_count > 0 ? dev_sum / dev_count : 0;
    state.counters["ideal_answer_ms"] = (5 * byte_us) / 1000 + 10;
}

BENCHMARK(BM_SimPacing)
    ->Arg(9600)
    ->Arg(19200)
    ->Arg(115200)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
