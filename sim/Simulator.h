// The terminal simulator as a library: one line (a new pseudo-terminal or a
// given device) with its terminals, served on a thread of its own.
//
//     SimOptions options;
//     StationSetup master;
//     master.terminal.address = 1;
//     master.terminal.role = Role::Master;
//     options.terminals.push_back(master);
//     Simulator sim(options);
//     StartResult started = sim.start();   // started.path: open this as the port
//     ...
//     std::optional<TerminalState> t1 = sim.state(1); // memory, clock, role, counters
//     Faults faults;
//     faults.no_ack = FaultSpec::next(2);  // the next two commands: no acknowledgement
//     sim.set_faults(1, faults);
//     sim.stop();                          // the destructor stops it too
//
// Every accessor is safe to call from any thread while the simulator runs.
#pragma once

#include "sim/Faults.h"
#include "sim/LineEngine.h"
#include "sim/TerminalState.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kelmora {
class RawLine;
}

namespace kelmora::sim {

struct SimOptions {
    std::vector<StationSetup> terminals;
    LineTiming timing;
    std::string device;     // empty: a new pseudo-terminal
    std::string link;       // pseudo-terminal only: a symbolic link to its slave side
    std::string trace_path; // empty: no trace
    std::uint64_t seed = 1; // of the fault draws
};

struct StartResult {
    std::string path;  // what Kelmora opens
    std::string error; // why it did not start; empty on success
    bool ok() const { return error.empty(); }
};

class TraceFile;

class Simulator {
public:
    explicit Simulator(SimOptions options);
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;
    ~Simulator();

    // Opens the line and starts serving it. Starting twice is an error.
    StartResult start();
    // Ends serving and closes the line; harmless when not running.
    void stop();

    // False once stopped, or when the line failed (see failure()).
    bool running() const;
    std::string failure() const;

    std::optional<TerminalState> state(int address) const;
    LineCounters line_counters() const;
    // Replaces the terminal's faults at once; false for an unknown address.
    bool set_faults(int address, const Faults& faults);

private:
    void serve();
    void flush_output(std::chrono::steady_clock::time_point now);
    void wake(); // with the mutex held

    SimOptions options_;
    mutable std::mutex mutex_;
    std::unique_ptr<LineEngine> engine_;
    std::unique_ptr<RawLine> line_;
    std::unique_ptr<TraceFile> trace_;
    std::thread thread_;
    std::atomic<bool> stop_requested_{false};
    std::atomic<bool> running_{false};
    std::string failure_;
    bool hung_up_ = false;        // serving thread only
    bool output_blocked_ = false; // serving thread only
};

} // namespace kelmora::sim
