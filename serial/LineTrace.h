// The line trace: one line per thing Kelmora puts on or takes off a serial
// line and what it made of it, for a technician chasing a terminal that
// misbehaves. The columns are tobrin-sim --trace's with the port after the
// time (platform/TraceLine.h), so the two read side by side:
//
//     # Kelmora line trace, opened 2026-12-10 14:03:07
//          0.412 COM1 -- -- rts-up
//         10.120 COM1 TX 01 frame    01 04 53 58
//         12.260 COM1 -- -- rts-down
//         13.902 COM1 RX 01 ack      06
//         20.388 COM1 RX 01 block    54 4F 42 ... 20 # 58 bytes, ended by silence
//
// Kinds: TX frame (# probe for the presence test's 'A'); RX ack, nak (any
// other byte where the acknowledgement was awaited), poll (the poll frame),
// noise (bytes that formed no poll frame), block (an answer block, # how it
// ended), timeout (nothing came, # what was awaited), failed (the line
// failed, # its code); -- rts-up and rts-down. The address is the frame's for
// TX, the awaited terminal's for RX. Times are milliseconds since the trace
// opened: for what was sent, when the write began; for what was received,
// when its last byte was read.
//
// Off unless a port has one (TSer_Port::Trace): the line code then only tests
// a pointer. A file never grows without bound: when a line would take it past
// its limit it becomes FILE.1 (replacing the one before) and a new FILE
// starts, so the trace keeps at most twice the limit on disk; where that
// rename is refused, FILE starts again empty. Used by the main thread only, as
// the ports are.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace kelmora {

enum class LineDirection { Sent, Received, Neither };

struct LineEvent {
    int port = 0; // 0 is COM1
    LineDirection direction = LineDirection::Received;
    int address = -1; // -1: none
    std::string_view kind{};
    std::span<const std::uint8_t> bytes{};
    std::string note{};
    std::chrono::steady_clock::time_point at = std::chrono::steady_clock::now();
};

class LineTrace {
public:
    // 16 MiB: the largest answer block a terminal can send fits one line of it.
    static constexpr std::uintmax_t kDefaultLimit = std::uintmax_t{16} << 20;

    LineTrace() = default;
    LineTrace(const LineTrace&) = delete;
    LineTrace& operator=(const LineTrace&) = delete;
    ~LineTrace();

    // Opens the file (Windows-1250 path) for appending and writes the opening
    // line; false with the message when it cannot be written.
    bool Open(std::string path, std::uintmax_t limit, std::string& error);

    // Writes one line and flushes it, so that it survives a crash.
    void Record(const LineEvent& event);

    const std::string& Path() const { return path_; }

private:
    void Write(std::string_view text);
    void Rotate();

    std::FILE* file_ = nullptr;
    std::string path_;
    std::uintmax_t limit_ = kDefaultLimit;
    std::uintmax_t written_ = 0; // bytes in the current file
    std::chrono::steady_clock::time_point origin_{};
};

} // namespace kelmora
