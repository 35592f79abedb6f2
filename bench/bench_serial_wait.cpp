// What a timed read costs while it waits, and how soon it sees a byte: the
// driver's read_byte_timed (which rests on the device between passes) side by
// side with a loop that runs the same passes without resting. Over a pty; the
// far side is a thread writing to the master.
//
//   bench_serial_wait [samples]
//
// Prints the processor time of a 1000 ms read that sees nothing, and the
// delay from a byte's write on the far side to its return from the read.
#include "platform/Clock.h"
#include "serial/PortDevices.h"
#include "serial/PortDriver.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace kelmora;

namespace {

constexpr std::int32_t kCom = 0;
constexpr std::int32_t kWaitMs = 1000;

// The same passes as read_byte_timed (queue test, idle hook, clock test)
// with nothing between them.
int spinning_read_byte_timed(PortRecord* port, std::int32_t timeout_ms) {
    const std::uint32_t start = tick_ms();
    for (;;) {
        if (port->rx_used(port) != 0) {
            return port->read_byte(port);
        }
        const int hook = call_idle_hook(port);
        if (hook < 0) {
            return hook;
        }
        if (timeout_ms >= 0 && elapsed_ms(start) >= static_cast<std::uint32_t>(timeout_ms)) {
            return SP_ERR_RX_EMPTY;
        }
    }
}

using ReadFn = int (*)(PortRecord*, std::int32_t);

double thread_cpu_ms() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double process_cpu_ms() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double us_between(std::int64_t from, std::int64_t to) {
    return static_cast<double>(to - from) * 1e6 / static_cast<double>(hires_frequency());
}

struct Pty {
    int master = -1;
    std::string path;
    bool open() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
            return false;
        }
        path = ptsname(master);
        termios t{};
        tcgetattr(master, &t);
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);
        return true;
    }
};

void measure_idle_cost(const char* name, ReadFn read, PortRecord* port) {
    std::vector<double> cpu;
    double process = 0;
    for (int round = 0; round < 3; ++round) {
        const double p0 = process_cpu_ms();
        const double t0 = thread_cpu_ms();
        const int result = read(port, kWaitMs);
        cpu.push_back(thread_cpu_ms() - t0);
        process += process_cpu_ms() - p0;
        if (result != SP_ERR_RX_EMPTY) {
            std::printf("  unexpected result %d\n", result);
        }
    }
    std::sort(cpu.begin(), cpu.end());
    std::printf("%-28s CPU of a %d ms wait for nothing: median %.2f ms (min %.2f, max %.2f; "
                "goal for the driver's wait: at most 5 ms); process %.2f ms per wait\n",
                name, kWaitMs, cpu[1], cpu[0], cpu[2], process / 3);
}

void measure_latency(const char* name, ReadFn read, PortRecord* port, int master, int samples) {
    std::vector<std::atomic<std::int64_t>> sent(static_cast<std::size_t>(samples));
    std::thread far([&] {
        std::mt19937 random(12345);
        std::uniform_int_distribution<int> pause(3, 20);
        for (int i = 0; i < samples; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
            const auto byte = static_cast<std::uint8_t>(i);
            sent[static_cast<std::size_t>(i)].store(hires_counter());
            if (write(master, &byte, 1) != 1) {
                std::perror("far side write");
            }
        }
    });
    std::vector<double> delays;
    for (int i = 0; i < samples; ++i) {
        const int b = read(port, kWaitMs);
        const std::int64_t got = hires_counter();
        if (b != (i & 0xFF)) {
            std::printf("  sample %d: read %d\n", i, b);
            continue;
        }
        delays.push_back(us_between(sent[static_cast<std::size_t>(i)].load(), got));
    }
    far.join();
    std::sort(delays.begin(), delays.end());
    const auto at = [&](double q) {
        return delays[std::min(delays.size() - 1, static_cast<std::size_t>(q * delays.size()))];
    };
    std::printf("%-28s delay from a byte's write to its return over %zu samples: median %.0f us, "
                "p90 %.0f us, p99 %.0f us, worst %.0f us\n",
                name, delays.size(), at(0.5), at(0.9), at(0.99), delays.back());
}

} // namespace

int main(int argc, char** argv) {
    const int samples = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    Pty pty;
    if (!pty.open()) {
        std::perror("pty");
        return 1;
    }
    set_port_device(kCom, pty.path);
    PortRecord* port = open_port(kCom, 19200, 'N', 8, 1);
    if (port == nullptr || port->status != SP_OK) {
        std::printf("open failed: %d\n", port != nullptr ? port->status : SP_ERR_NO_MEMORY);
        return 1;
    }
    std::printf("read_byte_timed over %s, default idle hook, %d samples\n", pty.path.c_str(),
                samples);
    measure_idle_cost("driver (rests on the port)", read_byte_timed, port);
    measure_idle_cost("spinning loop", spinning_read_byte_timed, port);
    measure_latency("driver (rests on the port)", read_byte_timed, port, pty.master, samples);
    measure_latency("spinning loop", spinning_read_byte_timed, port, pty.master, samples);
    return 0;
}
