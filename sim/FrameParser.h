// Finds frames in the byte stream a terminal hears: address, length (the
// whole frame, 4 to 100), payload, and a checksum that is the sum of all
// bytes before it modulo 256.
//
// Any byte stream is survivable. A candidate whose length byte is out of
// range loses its first byte and the search goes on from the next one, so a
// frame right behind a stray byte is still found. A complete candidate with a
// wrong checksum is dropped whole and reported once. A candidate that stops
// arriving for longer than the frame gap is abandoned, so a torn frame cannot
// swallow the next one. Bytes that belong to no frame are reported as junk,
// in order, before the next frame or when the line falls quiet.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelmora::sim {

using SteadyTime = std::chrono::steady_clock::time_point;

inline constexpr std::size_t kMinFrame = 4;
inline constexpr std::size_t kMaxFrame = 100;

struct ParsedItem {
    enum class Kind { Frame, BadChecksum, Junk };
    Kind kind = Kind::Junk;
    std::string bytes;  // everything, the address and checksum of a frame included
    SteadyTime first{}; // arrival of the first byte
    SteadyTime last{};  // arrival of the last byte

    std::uint8_t address() const { return static_cast<std::uint8_t>(bytes.at(0)); }
    // A frame's payload: the bytes between the length and the checksum.
    std::string payload() const { return bytes.substr(2, bytes.size() - 3); }
};

class FrameParser {
public:
    explicit FrameParser(std::chrono::nanoseconds gap) : gap_(gap) {}

    // One byte that arrived at `at`; completed items are appended to `out`.
    void push(std::uint8_t byte, SteadyTime at, std::vector<ParsedItem>& out);
    // Abandons a candidate that has seen no byte for longer than the gap and
    // reports pending junk.
    void expire(SteadyTime now, std::vector<ParsedItem>& out);

    // The address byte of a frame that has begun to arrive.
    std::optional<std::uint8_t> pending_address() const;
    // When expire() will next have something to do.
    std::optional<SteadyTime> next_expiry() const;

private:
    void to_junk(std::size_t n);
    void flush_junk(std::vector<ParsedItem>& out);

    std::chrono::nanoseconds gap_;
    std::string frame_;
    SteadyTime frame_first_{};
    std::vector<SteadyTime> arrivals_; // of the bytes in frame_
    std::string junk_;
    SteadyTime junk_first_{};
    SteadyTime junk_last_{};
    std::optional<SteadyTime> last_byte_;
};

} // namespace kelmora::sim
