// The terminals' side of the line transmitter: a queue of transmissions sent
// one after another, each byte at the line speed. Byte i of a transmission is
// due at start + (i + 1) * byte time, measured from absolute deadlines so the
// pace does not drift; a transmission starts no earlier than its own
// not-before time and no earlier than `gap` after the previous one ended.
// With a byte time of 0 everything is due at once.
//
// The transmitter does no I/O: the server asks what is due, writes it, and
// commits what was written; commit reports the transmissions that began and
// ended.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora::sim {

using SteadyTime = std::chrono::steady_clock::time_point;

enum class TxKind { Ack, Nak, Block, Poll, Noise };

struct Transmission {
    TxKind kind = TxKind::Ack;
    int owner = -1; // index of the terminal that sends it
    std::string bytes;
    SteadyTime not_before{};
    std::chrono::nanoseconds gap{0}; // pause after the previous transmission
};

struct TxEvent {
    enum class What { Started, Finished };
    What what = What::Started;
    Transmission transmission;
    SteadyTime at{};
};

class Transmitter {
public:
    explicit Transmitter(std::chrono::nanoseconds byte_time) : byte_time_(byte_time) {}

    void push(Transmission transmission);

    // The bytes of the current transmission that are due at `now`.
    std::string_view due(SteadyTime now);
    // `n` of the due bytes left the terminal at `now`.
    void commit(std::size_t n, SteadyTime now, std::vector<TxEvent>& events);

    bool idle() const { return queue_.empty(); }
    // When the next byte falls due; nothing when the queue is empty.
    std::optional<SteadyTime> next_deadline() const;
    std::chrono::nanoseconds byte_time() const { return byte_time_; }

private:
    SteadyTime start_of_front() const;

    std::chrono::nanoseconds byte_time_;
    std::deque<Transmission> queue_;
    bool front_started_ = false;
    SteadyTime front_start_{};
    std::size_t sent_ = 0;
    SteadyTime previous_end_{};
};

} // namespace kelmora::sim
