// The faults a terminal can be told to show, and the per-terminal state that
// decides when one strikes. Each fault that happens on an occasion (a command
// to acknowledge, an answer block, a poll frame, a transmission) has a
// FaultSpec: the next `count` occasions get it, and after them each occasion
// gets it with probability `rate`. Draws come from a generator seeded per
// terminal, so a run repeats exactly.
#pragma once

#include <cstdint>
#include <random>

namespace kelmora::sim {

struct FaultSpec {
    int count = 0;     // the next `count` occasions
    double rate = 0.0; // then each occasion with this probability, 0 to 1

    static FaultSpec next(int k) { return {k, 0.0}; }
    static FaultSpec at_rate(double p) { return {0, p}; }
    bool active() const { return count > 0 || rate > 0.0; }
    bool operator==(const FaultSpec&) const = default;
};

struct Faults {
    FaultSpec nak;       // NAK (0x15) instead of ACK; the command is not carried out
    FaultSpec no_ack;    // no acknowledgement at all; the command is not carried out
    FaultSpec cut_block; // an answer block loses its last `cut_bytes` bytes
    int cut_bytes = 1;
    FaultSpec bad_checksum; // a poll frame goes out with a wrong checksum
    FaultSpec noise;        // 1 to `noise_bytes` random bytes go out before a transmission
    int noise_bytes = 3;
    int stop_polling_after = -1; // a MASTER sends this many more polls, then none; -1 never
    int silent_after = -1;       // deaf and dumb after this many more own frames; -1 never

    bool operator==(const Faults&) const = default;
};

class FaultState {
public:
    FaultState(const Faults& faults, std::uint64_t seed) : faults_(faults), rng_(seed) {}

    // Replaces the faults and starts their counts afresh; the generator runs on.
    void reset(const Faults& faults);
    const Faults& faults() const { return faults_; }

    bool nak() { return strike(faults_.nak); }
    bool no_ack() { return strike(faults_.no_ack); }
    bool cut_block() { return strike(faults_.cut_block); }
    bool bad_checksum() { return strike(faults_.bad_checksum); }
    // The number of noise bytes before a transmission, 0 for none.
    int noise();
    std::uint8_t random_byte() { return static_cast<std::uint8_t>(rng_() >> 56); }

    // One own frame heard; true once the terminal has fallen silent.
    bool hear_frame();
    bool silent() const { return faults_.silent_after == 0; }
    // One poll about to be sent; false once polling has stopped.
    bool may_poll() const { return faults_.stop_polling_after != 0; }
    void polled();

private:
    bool strike(FaultSpec& spec);

    Faults faults_;
    std::mt19937_64 rng_;
};

} // namespace kelmora::sim
