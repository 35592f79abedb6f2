// A whole terminal memory downloaded with P from the simulator, paced at the
// line speed: how close the download comes to the time the bytes need on the
// wire (the physical limit), and how much processor time Kelmora's side
// spends meanwhile. A SLAVE (the block ends after the quiet time) and a
// MASTER (the block ends at its next poll frame), over the local line and
// over Debian's ser2net in front of it (rfc2217:// and tcp://, 127.0.0.1).
// Before each download, the acknowledgement windows: 50 frames, each
// acknowledgement's time after the window opened against the window; after
// it, the longest silences inside a block (the first 7200 bytes of another P),
// which the block's quiet time must outlast.
//
//   bench_download [records [trace-file]] [--over local|rfc2217|tcp]
//       records: default 2500, the default capacity; with a file, the line
//       trace on; without --over, all three port kinds
#include "platform/Clock.h"
#include "serial/Customport.h"
#include "serial/LineTrace.h"
#include "serial/PortDevices.h"
#include "sim/SeedRecords.h"
#include "sim/Simulator.h"
#include "support/Ser2net.h"
#include "terminal/ExecuteCommand.h"
#include "terminal/Tobrin.h"
#include "terminal/TobrinHost.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

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

// The acknowledgement windows: 50 frames to the terminal, each
// acknowledgement timed from the moment Kelmora starts to wait for it.
void Replies(TTobrin& terminal, bool master) {
    constexpr int kFrames = 50;
    const std::uint8_t payload = 'N';
    const Frame frame = terminal.MakeFrame(&payload, 1);
    int acknowledged = 0;
    double longest = 0;
    double total = 0;
    for (int i = 0; i < kFrames; ++i) {
        if (master) {
            terminal.SendPolled(frame);
        } else {
            terminal.SendDirect(frame);
        }
        const std::int64_t t0 = hires_counter();
        const bool ack = terminal.ReadAck() == 0;
        const double ms = double(hires_counter() - t0) * 1e3 / double(hires_frequency());
        if (ack) {
            ++acknowledged;
            longest = std::max(longest, ms);
            total += ms;
        }
    }
    std::printf("       acknowledged %d of %d at once, %.1f ms on average, %.1f ms at most "
                "(window %d ms)\n",
                acknowledged, kFrames, acknowledged > 0 ? total / acknowledged : 0.0, longest,
                master ? 1000 : 80);
}

// The longest silences inside an answer block as Kelmora receives it, which
// the block's quiet time (MasterTestMs) must outlast: P once more, its first
// `bytes` bytes timed one by one.
void Gaps(TTobrin& terminal, bool master, std::size_t bytes) {
    const std::uint8_t payload = 'P';
    const Frame frame = terminal.MakeFrame(&payload, 1);
    if (master) {
        terminal.SendPolled(frame);
    } else {
        terminal.SendDirect(frame);
    }
    if (terminal.ReadAck() != 0) {
        std::printf("       gaps: P not acknowledged\n");
        return;
    }
    std::vector<double> gaps;
    std::int64_t last = 0;
    for (std::size_t i = 0; i < bytes && terminal.Line.ReadByte(2000) >= 0; ++i) {
        const std::int64_t now = hires_counter();
        if (last != 0) {
            gaps.push_back(double(now - last) * 1e3 / double(hires_frequency()));
        }
        last = now;
    }
    std::sort(gaps.rbegin(), gaps.rend());
    std::printf("       silences inside the block (%zu bytes): the longest %.1f, %.1f, %.1f ms\n",
                gaps.size() + 1, gaps.size() > 0 ? gaps[0] : 0.0, gaps.size() > 1 ? gaps[1] : 0.0,
                gaps.size() > 2 ? gaps[2] : 0.0);
}

void Download(sim::Role role, std::size_t records, LineTrace* trace, const char* over) {
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
    std::unique_ptr<testing::Ser2net> server;
    std::string device = started.path;
    char dir[] = "/tmp/bench_download.XXXXXX";
    if (std::strcmp(over, "local") != 0) {
        if (mkdtemp(dir) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        server = std::make_unique<testing::Ser2net>(started.path, dir);
        if (!server->Start()) {
            std::fprintf(stderr, "ser2net (%s) did not start\n",
                         testing::Ser2net::Program().c_str());
            std::exit(1);
        }
        device = std::strcmp(over, "tcp") == 0 ? server->TcpUrl() : server->Rfc2217Url();
    }
    set_port_device(0, device);
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
    std::printf("%-6s over %s (%s)\n", role == sim::Role::Master ? "MASTER" : "SLAVE", over,
                device.c_str());
    Replies(terminal, role == sim::Role::Master);
    const std::int64_t t0 = hires_counter();
    const double cpu0 = ThreadCpuMs();
    const CommandOutcome outcome = ExecuteCommand(terminal, "P");
    const double cpu = ThreadCpuMs() - cpu0;
    const double wall = double(hires_counter() - t0) * 1e3 / double(hires_frequency());
    // The acknowledgement, the block (and a MASTER's closing poll frame).
    const std::size_t wireBytes =
        1 + std::size_t(terminal.ReceivedCount) + (role == sim::Role::Master ? 4 : 0);
    const double wire = double(wireBytes) * 10.0 * 1e3 / kBaud;
    std::printf("       %zu records, %d bytes, %d lines (%s)\n", records, terminal.ReceivedCount,
                host.lines, outcome == CommandOutcome::Done ? "Done" : "not done");
    std::printf("       download %.0f ms, wire time %.0f ms, above the wire %.0f ms\n", wall, wire,
                wall - wire);
    std::printf("       processor time %.1f ms = %.2f %% of the download (goal: at most 1 %%)\n",
                cpu, 100.0 * cpu / wall);
    Gaps(terminal, role == sim::Role::Master, std::min<std::size_t>(terminal.ReceivedCount, 7200));
    clear_port_devices();
    if (server) {
        server.reset();
        std::filesystem::remove_all(dir);
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<const char*> kinds = {"local", "rfc2217", "tcp"};
    std::vector<const char*> positional;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--over") == 0 && i + 1 < argc) {
            kinds = {argv[++i]};
        } else {
            positional.push_back(argv[i]);
        }
    }
    const std::size_t records =
        !positional.empty() ? std::strtoul(positional[0], nullptr, 10) : 2500;
    LineTrace trace;
    if (positional.size() > 1) {
        std::string error;
        if (!trace.Open(positional[1], LineTrace::kDefaultLimit, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    for (const char* over : kinds) {
        for (const sim::Role role : {sim::Role::Slave, sim::Role::Master}) {
            Download(role, records, positional.size() > 1 ? &trace : nullptr, over);
        }
    }
    return 0;
}
