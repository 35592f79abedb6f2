// The record of what crossed the line: one line per frame or byte run
// received and per transmission sent, for tests and for people.
//
//     12.345 RX 01 frame    01 04 53 58
//     22.871 TX 01 ack      06
//     33.402 TX 01 block    5A 00 01 ... # 2 records
//
// Columns: milliseconds since the simulator started (for what was received,
// when its last byte arrived at the line speed; for what was sent, when its
// first byte began), RX or TX, the address (two hex digits: the frame's for
// RX, the sending terminal's for TX, "--" for bytes that belong to no frame),
// what it was, the bytes in hexadecimal, and an optional note after '#'.
//
// RX kinds: frame (taken), ignored (# not polled, busy, deaf, silent),
// foreign, badsum, junk. TX kinds: ack, nak, block, poll, noise, and none for
// a command that gets no answer (# why).
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

namespace kelmora::sim {

using SteadyTime = std::chrono::steady_clock::time_point;

struct TraceEntry {
    SteadyTime at{};
    bool sent = false;
    int address = -1; // -1: no address
    std::string kind;
    std::string bytes;
    std::string note;
};

// One trace line, without its line end.
std::string format_trace_line(const TraceEntry& entry, SteadyTime origin);

class TraceFile {
public:
    TraceFile() = default;
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;
    ~TraceFile();

    // Creates or truncates the file; false with a message when it cannot.
    bool open(const std::string& path, SteadyTime origin, std::string& error);
    // Writes one line and flushes it, so a reader sees it at once.
    void write(const TraceEntry& entry);

private:
    std::FILE* file_ = nullptr;
    SteadyTime origin_{};
};

} // namespace kelmora::sim
