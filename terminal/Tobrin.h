// TTobrin: one configured terminal, an address on one half-duplex line.
//
// The link layer: a frame is address, length (payload + 3), payload and the
// sum of the bytes before it modulo 256; a terminal acknowledges with the
// single byte 0x06. A MASTER terminal runs the line and sends the poll frame
// 10 04 55 69; Kelmora transmits to it only right after one and waits up to
// 1000 ms for the acknowledgement. A SLAVE only answers; Kelmora transmits
// whenever it likes and waits 80 ms. The role is learnt on the line by
// Detect, never taken from the configuration.
#pragma once

#include "terminal/EncodeCommand.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora {

class TSer_Port;
class TobrinHost;

inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::array<std::uint8_t, 4> kPollFrame = {0x10, 0x04, 0x55, 0x69};
inline constexpr std::size_t kFrameSize = 100;

using Frame = std::array<std::uint8_t, kFrameSize>;

// Listening for the poll frame ends after MasterTestMs of silence; bytes that
// keep arriving without ever forming a poll frame (noise, a foreign talker)
// end it after this long in all, so a noisy line cannot hang the program.
inline constexpr std::uint32_t kListenLimitMs = 2000;
// Past that limit, what waits already is still read (the line may have
// gathered it while the process was held up), up to this many bytes.
inline constexpr std::size_t kListenLateBytes = 4096;

class TTobrin {
public:
    // `memoryLength` is the size of the answer buffer: the terminal's whole
    // person memory in bytes.
    TTobrin(TSer_Port& line, int address, std::size_t memoryLength, TobrinHost& host);

    // The presence test: MASTER when a poll frame is heard, else (with the
    // probe) SLAVE when the probe 'A' is acknowledged, else absent; without
    // the probe a terminal that does not poll counts as SLAVE. A line that did
    // not open or whose status is not 0 makes the terminal absent at once.
    bool Detect(bool probeSlave);

    // Encodes, frames and sends one command and waits for its acknowledgement:
    // 0 acknowledged, 1 otherwise (also when the terminal is absent and
    // nothing was sent). `text` is overwritten with the payload. What
    // follows the acknowledgement is the command letter's (AfterSend in
    // terminal/CommandLetters.h): after C a 3000 ms pause (the terminal is
    // deaf while it clears its memory), after O the role tested again,
    // without probe. Throws CodingError from encoding.
    int SendCommand(CommandBuffer& text);

    bool IsMaster() const { return MasterFlag; }
    bool IsSlave() const { return SlaveFlag; }
    bool IsPresent() const { return MasterFlag || SlaveFlag; }

    // Inner steps of the transactions.
    bool ListenForPoll();
    bool ProbeSlave();
    bool SendPolled(const Frame& frame);
    void SendDirect(const Frame& frame, std::string_view traceNote = {});
    int ReadAck();

    // Reads until a poll frame completes with nothing behind it (true), or
    // until MasterTestMs of silence, kListenLimitMs since `start` or a failed
    // line (false). Silence is judged on the line: when the time is up, a
    // byte already waiting still counts.
    bool AwaitPollFrame(int byteTimeoutMs, std::uint32_t start);

    // Builds the frame of an n-byte payload to this terminal's address.
    Frame MakeFrame(const std::uint8_t* payload, std::size_t n) const;

    // What the line trace is told (serial/LineTrace.h); call only when
    // Line.Trace is set. What this terminal sent or was expected to send:
    void TraceReceived(
        std::string_view kind, std::span<const std::uint8_t> bytes = {}, std::string note = {},
        std::chrono::steady_clock::time_point at = std::chrono::steady_clock::now()) const;
    // The bytes heard while listening for the poll frame that formed none,
    // and, unless empty, why listening ended without one.
    void TraceListening(std::span<const std::uint8_t> noise, const std::string& timedOut) const;

    TSer_Port& Line;
    int Address;
    std::size_t MemoryLength; // the most an answer block may hold
    // The answer block of a data command: MemoryLength bytes, and room for
    // the first three bytes of a MASTER's closing poll frame, which are only
    // known not to belong to the block when its fourth byte arrives.
    std::vector<std::uint8_t> DataBuffer;
    bool MasterFlag = false;
    bool SlaveFlag = false;
    int ReceivedCount = 0; // bytes of the last answer block
    int RecordCount = 0;   // records decoded from the last answer
    int AckCount = 0;      // acknowledged commands of the current job
    TobrinHost& Host;
};

} // namespace kelmora
