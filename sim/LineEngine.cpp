#include "sim/LineEngine.h"

#include <algorithm>
#include <stdexcept>

namespace kelmora::sim {

namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

constexpr char kAck = 0x06;
constexpr char kNak = 0x15;
constexpr char kPoll[] = {0x10, 0x04, 0x55, 0x69};
constexpr std::size_t kPollSize = sizeof kPoll;

// A frame that stops arriving for this long is abandoned.
constexpr milliseconds kMinFrameGap{20};

const char* kind_name(TxKind kind) {
    switch (kind) {
    case TxKind::Ack:
        return "ack";
    case TxKind::Nak:
        return "nak";
    case TxKind::Block:
        return "block";
    case TxKind::Poll:
        return "poll";
    case TxKind::Noise:
        return "noise";
    }
    return "?";
}

std::uint64_t station_seed(std::uint64_t seed, int address) {
    return seed * 0x9E3779B97F4A7C15ULL + static_cast<std::uint64_t>(address);
}

} // namespace

nanoseconds LineTiming::byte_time() const {
    if (fast || baud <= 0) {
        return nanoseconds{0};
    }
    const std::int64_t bits = mark ? 11 : 10;
    return nanoseconds{(bits * 1'000'000'000 + baud / 2) / baud};
}

LineEngine::LineEngine(const LineTiming& timing, const std::vector<StationSetup>& stations,
                       std::uint64_t seed, SteadyTime now)
    : byte_time_(timing.byte_time()), turnaround_(milliseconds{timing.turnaround_ms}),
      poll_period_(milliseconds{timing.poll_period_ms}),
      listen_(timing.listen_ms > 0 ? milliseconds{timing.listen_ms} : poll_period_),
      clear_time_(milliseconds{timing.clear_ms}),
      parser_(std::max<nanoseconds>(kMinFrameGap, byte_time_ * 3)), transmitter_(byte_time_),
      rx_clock_(now) {
    for (const StationSetup& setup : stations) {
        const int address = setup.terminal.address;
        if (address < 0 || address > 255) {
            throw std::invalid_argument("terminal address " + std::to_string(address) +
                                        " is not between 0 and 255");
        }
        if (find(address) >= 0) {
            throw std::invalid_argument("terminal address " + std::to_string(address) +
                                        " is given twice");
        }
        stations_.push_back(Station{Terminal(setup.terminal, now),
                                    FaultState(setup.faults, station_seed(seed, address))});
        stations_.back().next_poll = now;
    }
}

int LineEngine::find(int address) const {
    for (std::size_t i = 0; i < stations_.size(); ++i) {
        if (stations_[i].terminal.address() == address) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void LineEngine::receive(std::string_view bytes, SteadyTime now) {
    line_.bytes_received += bytes.size();
    std::vector<ParsedItem> items;
    for (const char c : bytes) {
        rx_clock_ = std::max(now, rx_clock_) + byte_time_;
        parser_.push(static_cast<std::uint8_t>(c), rx_clock_, items);
    }
    for (const ParsedItem& item : items) {
        on_item(item);
    }
}

void LineEngine::tick(SteadyTime now) {
    std::vector<ParsedItem> items;
    parser_.expire(now, items);
    for (const ParsedItem& item : items) {
        on_item(item);
    }
    for (std::size_t i = 0; i < stations_.size(); ++i) {
        Station& s = stations_[i];
        if (!can_poll(s) || now < std::max(s.next_poll, s.deaf_until) || line_busy()) {
            continue;
        }
        queue_poll(i, now, nanoseconds{0});
        s.next_poll += poll_period_;
        if (s.next_poll <= now) {
            s.next_poll = now + poll_period_;
        }
    }
}

void LineEngine::commit(std::size_t n, SteadyTime now) {
    line_.bytes_sent += n;
    std::vector<TxEvent> events;
    transmitter_.commit(n, now, events);
    for (const TxEvent& event : events) {
        on_tx_event(event);
    }
}

std::optional<SteadyTime> LineEngine::next_deadline(SteadyTime now) const {
    std::optional<SteadyTime> next = transmitter_.next_deadline();
    const auto consider = [&next](SteadyTime t) {
        if (!next || t < *next) {
            next = t;
        }
    };
    if (const auto expiry = parser_.next_expiry()) {
        consider(*expiry);
    }
    // A poll held by a busy line is released by one of the other deadlines
    // or by input.
    for (const Station& s : stations_) {
        if (!can_poll(s)) {
            continue;
        }
        const SteadyTime due = std::max(s.next_poll, s.deaf_until);
        if (due > now || !line_busy()) {
            consider(due);
        }
    }
    return next;
}

TerminalState LineEngine::state(std::size_t index, SteadyTime now) const {
    const Station& s = stations_.at(index);
    TerminalState state;
    state.address = s.terminal.address();
    state.role = s.terminal.role();
    state.deaf = deaf(s, now);
    state.silent = s.faults.silent();
    state.capacity = s.terminal.memory().capacity();
    state.dt = s.terminal.dt();
    state.records = s.terminal.memory().records();
    state.clock = s.terminal.clock().read(now);
    state.numbers = s.terminal.setup_numbers();
    state.counters = s.counters;
    state.faults = s.faults.faults();
    return state;
}

void LineEngine::set_faults(std::size_t index, const Faults& faults) {
    stations_.at(index).faults.reset(faults);
}

void LineEngine::on_item(const ParsedItem& item) {
    switch (item.kind) {
    case ParsedItem::Kind::Junk:
        line_.junk_bytes += item.bytes.size();
        trace(item.last, false, -1, "junk", item.bytes);
        return;
    case ParsedItem::Kind::BadChecksum:
        for (Station& s : stations_) {
            ++s.counters.bad_checksums;
        }
        trace(item.last, false, item.address(), "badsum", item.bytes);
        return;
    case ParsedItem::Kind::Frame:
        break;
    }
    for (Station& s : stations_) {
        if (s.terminal.address() == item.address()) {
            ++s.counters.frames_received;
        } else {
            ++s.counters.frames_foreign;
        }
    }
    const int index = find(item.address());
    if (index < 0) {
        trace(item.last, false, item.address(), "foreign", item.bytes);
        return;
    }
    on_own_frame(static_cast<std::size_t>(index), item);
}

void LineEngine::on_own_frame(std::size_t index, const ParsedItem& item) {
    Station& s = stations_[index];
    const int address = s.terminal.address();
    const auto ignore = [&](const char* why) {
        ++s.counters.frames_ignored;
        trace(item.last, false, address, "ignored", item.bytes, why);
    };
    if (s.faults.hear_frame()) {
        return ignore("silent");
    }
    if (deaf(s, item.first)) {
        return ignore("deaf");
    }
    if (s.in_flight > 0) {
        return ignore("busy");
    }
    if (s.terminal.role() == Role::Master) {
        if (item.first < s.listen_from || item.first >= s.listen_until) {
            return ignore("not polled");
        }
        s.listen_until = s.listen_from; // one frame per poll
    }
    trace(item.last, false, address, "frame", item.bytes);

    const SteadyTime answer_at = item.last + turnaround_;
    if (s.faults.no_ack()) {
        trace(item.last, true, address, "none", {}, "no acknowledgement (fault)");
        return;
    }
    if (s.faults.nak()) {
        send(index, TxKind::Nak, std::string(1, kNak), answer_at, nanoseconds{0});
        return;
    }
    const CommandReply reply = s.terminal.handle(item.payload(), item.last);
    if (!reply.acknowledge) {
        ++s.counters.commands_refused;
        trace(item.last, true, address, "none", {}, "refused: " + reply.refusal);
        return;
    }
    send(index, TxKind::Ack, std::string(1, kAck), answer_at, nanoseconds{0});
    s.clear_pending = reply.cleared;
    if (reply.role_changed && s.terminal.role() == Role::Master) {
        s.poll_after_ack = true;
        s.listen_until = s.listen_from;
    }
    if (!reply.block) {
        return;
    }
    std::string block = *reply.block;
    if (s.faults.cut_block()) {
        const auto cut = static_cast<std::size_t>(std::max(0, s.faults.faults().cut_bytes));
        block.erase(block.size() - std::min(cut, block.size()));
    }
    const bool empty = block.empty();
    send(index, TxKind::Block, std::move(block), answer_at, turnaround_);
    if (s.terminal.role() == Role::Master && !s.faults.silent() && s.faults.may_poll()) {
        queue_poll(index, answer_at, empty ? turnaround_ : nanoseconds{0});
    }
}

void LineEngine::on_tx_event(const TxEvent& event) {
    const Transmission& t = event.transmission;
    Station& s = stations_.at(static_cast<std::size_t>(t.owner));
    if (event.what == TxEvent::What::Started) {
        std::string note;
        if (t.kind == TxKind::Block) {
            const auto size = record_size(s.terminal.dt());
            const auto records = t.bytes.size() / size;
            note = t.bytes.size() % size == 0 && t.bytes[0] != 'S'
                       ? std::to_string(records) + (records == 1 ? " record" : " records")
                       : std::to_string(t.bytes.size()) + " bytes";
        }
        trace(event.at, true, s.terminal.address(), kind_name(t.kind), t.bytes, note);
        return;
    }
    --s.in_flight;
    const bool master = s.terminal.role() == Role::Master;
    switch (t.kind) {
    case TxKind::Ack:
        ++s.counters.acks_sent;
        if (s.clear_pending) {
            s.deaf_until = event.at + clear_time_;
            s.clear_pending = false;
        }
        if (s.poll_after_ack) {
            s.next_poll = event.at + turnaround_;
            s.poll_after_ack = false;
        } else if (master) {
            s.next_poll = std::max(s.next_poll, event.at + turnaround_);
        }
        break;
    case TxKind::Nak:
        ++s.counters.naks_sent;
        if (master) {
            s.next_poll = std::max(s.next_poll, event.at + turnaround_);
        }
        break;
    case TxKind::Block:
        ++s.counters.blocks_sent;
        break;
    case TxKind::Poll:
        ++s.counters.polls_sent;
        s.listen_from = event.at;
        s.listen_until = event.at + listen_;
        s.next_poll =
            std::max(s.next_poll,
                     event.at - byte_time_ * static_cast<std::int64_t>(kPollSize) + poll_period_);
        break;
    case TxKind::Noise:
        break;
    }
}

void LineEngine::send(std::size_t index, TxKind kind, std::string bytes, SteadyTime not_before,
                      nanoseconds gap) {
    if (bytes.empty()) {
        return;
    }
    Station& s = stations_[index];
    const int noise = s.faults.noise();
    if (noise > 0) {
        std::string junk;
        for (int i = 0; i < noise; ++i) {
            junk += static_cast<char>(s.faults.random_byte());
        }
        transmitter_.push(
            {TxKind::Noise, static_cast<int>(index), std::move(junk), not_before, gap});
        ++s.in_flight;
        gap = nanoseconds{0};
    }
    transmitter_.push({kind, static_cast<int>(index), std::move(bytes), not_before, gap});
    ++s.in_flight;
}

void LineEngine::queue_poll(std::size_t index, SteadyTime not_before, nanoseconds gap) {
    Station& s = stations_[index];
    s.faults.polled();
    std::string poll(kPoll, kPollSize);
    if (s.faults.bad_checksum()) {
        poll.back() = static_cast<char>(poll.back() + 1);
    }
    send(index, TxKind::Poll, std::move(poll), not_before, gap);
}

bool LineEngine::can_poll(const Station& s) const {
    return s.terminal.role() == Role::Master && !s.faults.silent() && s.faults.may_poll() &&
           !s.clear_pending && s.in_flight == 0;
}

bool LineEngine::line_busy() const {
    if (!transmitter_.idle()) {
        return true;
    }
    for (const Station& s : stations_) {
        if (s.in_flight > 0) {
            return true;
        }
    }
    const auto pending = parser_.pending_address();
    return pending && find(*pending) >= 0;
}

bool LineEngine::deaf(const Station& s, SteadyTime at) const {
    return s.clear_pending || at < s.deaf_until;
}

void LineEngine::trace(SteadyTime at, bool sent, int address, std::string kind, std::string bytes,
                       std::string note) {
    if (trace_) {
        trace_(TraceEntry{at, sent, address, std::move(kind), std::move(bytes), std::move(note)});
    }
}

} // namespace kelmora::sim
