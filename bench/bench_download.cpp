// A whole terminal memory downloaded with P from the simulator, paced at the
// line speed: how close the download comes to the time the bytes need on the
// wire (the physical limit), and how much processor time Kelmora's side
// spends meanwhile. A SLAVE (the block ends after the quiet time) and a
// MASTER (the block ends at its next poll frame).
//
//   bench_download [records [trace-file]]  (default 2500, the default capacity;
//                                           with a file, the line trace on)
#include "platform/Clock.h"
#include "serial/Customport.h"
#include "serial/LineTrace.h"
#include "serial/PortDevices.h"
#include "sim/SeedRecords.h"
#include "sim/Simulator.h"
#include "terminal/ExecuteCommand.h"
#include "terminal/Tobrin.h"
#include "terminal/TobrinHost.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

using namespace kelmora;

namespace {

class QuietHost : public TobrinHost {
public:
    QuietHost() { settings_.BinaryOutput = false; }
    const TobrinSettings& Settings() const override { return settings_; }
    void LogEvent(std::string_view message) override {
        std::fprintf(stderr, "log: %.*s\n", int(message.size()), message.data());
    }
    void AppendResult(std::string_view) override { ++lines; }
    void SetResultsVisible(bool) override {}
    void SetAnswerBytesPanel(std::string_view) override {}
    CursorShape SetCursor(CursorShape) override { return CursorShape::Default; }
    void ShowMessage(std::string_view text) override {
        std::fprintf(stderr, "message: %.*s\n", int(text.size()), text.data());
    }
    bool StopRequested() const override { return false; }
    int lines = 0;

private:
    TobrinSettings settings_;
};

double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

void Download(sim::Role role, std::size_t records, LineTrace* trace) {
    constexpr int kBaud = 19200;
    sim::SimOptions options;
    sim::StationSetup station;
    station.terminal.address = 1;
    station.terminal.role = role;
    station.terminal.records = sim::random_records(records, 7, {}, {});
    options.terminals.push_back(station);
    options.timing.baud = kBaud;
    sim::Simulator simulator(options);
    const auto started = simulator.start();
    if (!started.ok()) {
        std::fprintf(stderr, "simulator: %s\n", started.error.c_str());
        std::exit(1);
    }
    set_port_device(0, started.path);
    MarkParity = false;
    LineLeadUs = 50;
    LineTailUs = 6700;
    TSer_Port line(0, kBaud);
    line.Trace = trace;
    QuietHost host;
    TTobrin terminal(line, 1, records * 24, host);
    if (!terminal.Detect(true)) {
        std::fprintf(stderr, "the simulated terminal is not there\n");
        std::exit(1);
    }
    const std::int64_t t0 = hires_counter();
    const double cpu0 = ThreadCpuMs();
    const CommandOutcome outcome = ExecuteCommand(terminal, "P");
    const double cpu = ThreadCpuMs() - cpu0;
    const double wall = double(hires_counter() - t0) * 1e3 / double(hires_frequency());
    // The acknowledgement, the block (and a MASTER's closing poll frame).
    const std::size_t wireBytes =
        1 + std::size_t(terminal.ReceivedCount) + (role == sim::Role::Master ? 4 : 0);
    const double wire = double(wireBytes) * 10.0 * 1e3 / kBaud;
    std::printf("%-6s %zu records, %d bytes, %d lines (%s)\n",
                role == sim::Role::Master ? "MASTER" : "SLAVE", records, terminal.ReceivedCount,
                host.lines, outcome == CommandOutcome::Done ? "Done" : "not done");
    std::printf("       download %.0f ms, wire time %.0f ms, above the wire %.0f ms\n", wall, wire,
                wall - wire);
    std::printf("       processor time %.1f ms = %.2f %% of the download (goal: at most 1 %%)\n",
                cpu, 100.0 * cpu / wall);
    clear_port_devices();
}

} // namespace

int main(int argc, char** argv) {
    const std::size_t records = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 2500;
    LineTrace trace;
    if (argc > 2) {
        std::string error;
        if (!trace.Open(argv[2], LineTrace::kDefaultLimit, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    Download(sim::Role::Slave, records, argc > 2 ? &trace : nullptr);
    Download(sim::Role::Master, records, argc > 2 ? &trace : nullptr);
    return 0;
}
