#include "sim/Simulator.h"

#include "platform/RawLine.h"
#include "sim/Trace.h"

#include <algorithm>
#include <stdexcept>

namespace kelmora::sim {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

// While nobody holds the pseudo-terminal's other side, its hangup would wake
// the loop at once; it is looked at again this often instead.
constexpr milliseconds kHangupRecheck{20};
// While the reader takes no more bytes, the transmit deadline has passed; the
// loop then waits for room (or this long) instead of spinning.
constexpr milliseconds kBlockedWait{10};

std::string check_options(const SimOptions& options) {
    if (options.terminals.empty()) {
        return "no terminal on the line";
    }
    const LineTiming& t = options.timing;
    if (!RawLine::supported_baud(t.baud)) {
        return "line speed " + std::to_string(t.baud) + " is not supported";
    }
    if (t.turnaround_ms < 0 || t.poll_period_ms <= 0 || t.listen_ms < 0 || t.clear_ms < 0) {
        return "a time is negative, or the poll period is not positive";
    }
    if (!options.device.empty() && !options.link.empty()) {
        return "a link can only be made to a pseudo-terminal, not to a device";
    }
    return {};
}

} // namespace

Simulator::Simulator(SimOptions options) : options_(std::move(options)) {}

Simulator::~Simulator() {
    stop();
}

StartResult Simulator::start() {
    std::lock_guard lock(mutex_);
    if (engine_) {
        return {{}, "the simulator has been started already"};
    }
    if (std::string error = check_options(options_); !error.empty()) {
        return {{}, error};
    }
    const auto now = Clock::now();
    std::unique_ptr<LineEngine> engine;
    try {
        engine =
            std::make_unique<LineEngine>(options_.timing, options_.terminals, options_.seed, now);
    } catch (const std::invalid_argument& e) {
        return {{}, e.what()};
    }
    std::string error;
    std::unique_ptr<TraceFile> trace;
    if (!options_.trace_path.empty()) {
        trace = std::make_unique<TraceFile>();
        if (!trace->open(options_.trace_path, now, error)) {
            return {{}, error};
        }
        engine->set_trace([file = trace.get()](const TraceEntry& entry) { file->write(entry); });
    }
    std::unique_ptr<RawLine> line =
        options_.device.empty() ? RawLine::open_pty(options_.link, error)
                                : RawLine::open_device(options_.device, options_.timing.baud,
                                                       options_.timing.mark, error);
    if (!line) {
        return {{}, error};
    }
    engine_ = std::move(engine);
    trace_ = std::move(trace);
    line_ = std::move(line);
    stop_requested_ = false;
    running_ = true;
    thread_ = std::thread(&Simulator::serve, this);
    return {line_->path(), {}};
}

void Simulator::stop() {
    stop_requested_ = true;
    {
        std::lock_guard lock(mutex_);
        wake();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    std::lock_guard lock(mutex_);
    line_.reset();
    trace_.reset();
    running_ = false;
}

bool Simulator::running() const {
    return running_;
}

std::string Simulator::failure() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

std::optional<TerminalState> Simulator::state(int address) const {
    std::lock_guard lock(mutex_);
    if (!engine_) {
        return std::nullopt;
    }
    const int index = engine_->find(address);
    if (index < 0) {
        return std::nullopt;
    }
    return engine_->state(static_cast<std::size_t>(index), Clock::now());
}

LineCounters Simulator::line_counters() const {
    std::lock_guard lock(mutex_);
    return engine_ ? engine_->line_counters() : LineCounters{};
}

bool Simulator::set_faults(int address, const Faults& faults) {
    std::lock_guard lock(mutex_);
    if (!engine_) {
        return false;
    }
    const int index = engine_->find(address);
    if (index < 0) {
        return false;
    }
    engine_->set_faults(static_cast<std::size_t>(index), faults);
    wake();
    return true;
}

// Called with the mutex held.
void Simulator::wake() {
    if (line_) {
        line_->wake();
    }
}

// Called with the mutex held.
void Simulator::flush_output(Clock::time_point now) {
    for (;;) {
        const std::string_view due = engine_->due(now);
        if (due.empty()) {
            return;
        }
        if (hung_up_) {
            // Nobody is listening: the bytes are lost on the line.
            engine_->commit(due.size(), now);
            continue;
        }
        const std::size_t size = due.size();
        std::size_t written = 0;
        const RawLine::Status status = line_->write_some(due, written);
        engine_->commit(written, now);
        if (status == RawLine::Status::Hangup) {
            hung_up_ = true;
            continue;
        }
        if (status == RawLine::Status::Failed) {
            failure_ = "writing to the line failed: " + line_->error();
            stop_requested_ = true;
            return;
        }
        if (written < size) {
            output_blocked_ = true;
            return;
        }
    }
}

void Simulator::serve() {
    while (!stop_requested_) {
        std::optional<Clock::time_point> deadline;
        {
            std::lock_guard lock(mutex_);
            const auto now = Clock::now();
            engine_->tick(now);
            if (!output_blocked_) {
                flush_output(now);
            }
            deadline = engine_->next_deadline(now);
        }
        if (stop_requested_) {
            break;
        }

        std::optional<nanoseconds> wait;
        if (deadline) {
            wait = std::max<nanoseconds>(nanoseconds{0}, *deadline - Clock::now());
        }
        if (output_blocked_) {
            wait = std::max<nanoseconds>(wait.value_or(kBlockedWait), kBlockedWait);
        }
        if (hung_up_) {
            wait = std::min<nanoseconds>(wait.value_or(kHangupRecheck), kHangupRecheck);
        }
        RawLine::Ready ready;
        if (line_->wait(wait, output_blocked_, !hung_up_, ready) == RawLine::Status::Failed) {
            std::lock_guard lock(mutex_);
            failure_ = "waiting for the line failed: " + line_->error();
            break;
        }
        if (hung_up_) {
            // Has someone opened the other side again?
            if (line_->hung_up()) {
                continue;
            }
            hung_up_ = false;
            ready.input = true;
        }
        if (ready.room) {
            output_blocked_ = false;
        }
        if (ready.input) {
            std::string data;
            const RawLine::Status status = line_->read_available(data);
            std::lock_guard lock(mutex_);
            if (!data.empty()) {
                engine_->receive(data, Clock::now());
            }
            if (status == RawLine::Status::Hangup) {
                hung_up_ = true;
                output_blocked_ = false;
            } else if (status == RawLine::Status::Failed) {
                failure_ = "reading from the line failed: " + line_->error();
                break;
            }
        }
    }
    running_ = false;
}

} // namespace kelmora::sim
