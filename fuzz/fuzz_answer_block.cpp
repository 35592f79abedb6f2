// Arbitrary bytes on the line after a data command, arriving in bursts with
// silences between them, under arbitrary waiting and memory settings: the
// answer block is read (the wait for its first byte, the quiet time, the poll
// frame, an overflow, the line failing) and decoded. Nothing may crash, read
// out of bounds or wait without end, whatever the terminal sends and
// whatever the configuration says.
//
// Input: a 10-byte head, then bursts.
//   0     bit 0 DtUse, bit 1 Coding, bit 2 the line fails after the last
//         burst (else it falls silent)
//   1, 2  B and V, -1 to 6 and -1 to 8 (0 included)
//   3, 4  capacity, 0 to 4095 persons (12 bits; the default is 2500): the
//         answer buffer as the configuration sizes it
//   5     the MASTER-test extension's list index: the quiet time
//   6-9   WaitForDataMs, any 32-bit value
//   then  bursts: a silence (the byte times 4 ms), a length, that many bytes
//
// Time is the target's own: the waits cost nothing but the fuzzer's
// patience, and a wait without end shows as a time-out.
#include "engine/Configuration.h"
#include "engine/Terminals.h"
#include "serial/Customport.h"
#include "serial/PortDriver.h"
#include "terminal/AnswerDecoding.h"
#include "terminal/CodingError.h"
#include "terminal/ExecuteCommand.h"
#include "terminal/Tobrin.h"
#include "terminal/TobrinHost.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace kelmora {

// The clock, replacing the platform's for this target: it moves only when
// something waits.
namespace {
std::uint64_t g_nowUs = 0;
} // namespace

std::uint32_t tick_ms() {
    return static_cast<std::uint32_t>(g_nowUs / 1000);
}
void sleep_ms(std::uint32_t ms) {
    g_nowUs += std::uint64_t{ms} * 1000;
}
std::int64_t hires_counter() {
    return static_cast<std::int64_t>(++g_nowUs);
}
std::int64_t hires_frequency() {
    return 1'000'000;
}
void exact_wait_us(std::int64_t us) {
    g_nowUs += static_cast<std::uint64_t>(us > 0 ? us : 0);
}

} // namespace kelmora

using namespace kelmora;

namespace {

struct Arrival {
    std::uint64_t atUs;
    std::uint8_t byte;
};

// What the terminal sends, each byte from its moment on; once everything is
// read the line either stays silent or reports a hang-up.
struct ScriptedLine {
    std::deque<Arrival> bytes;
    bool failsAtEnd = false;
};
ScriptedLine g_line;

int RxUsed(PortRecord*) {
    if (g_line.bytes.empty()) {
        return g_line.failsAtEnd ? SP_ERR_NO_HARDWARE : 0;
    }
    // Only whether something waits matters to the reader.
    return g_line.bytes.front().atUs <= g_nowUs ? 1 : 0;
}

int ReadByte(PortRecord*) {
    if (g_line.bytes.empty()) {
        return g_line.failsAtEnd ? SP_ERR_NO_HARDWARE : SP_ERR_RX_EMPTY;
    }
    if (g_line.bytes.front().atUs > g_nowUs) {
        return SP_ERR_RX_EMPTY;
    }
    const int b = g_line.bytes.front().byte;
    g_line.bytes.pop_front();
    return b;
}

void WaitInput(PortRecord*, std::uint32_t maxMs) {
    g_nowUs += std::uint64_t{maxMs} * 1000;
}

int Close(PortRecord* port) {
    free_port_record(port);
    return 0;
}

PortRecord* OpenScripted(std::int32_t index, std::int32_t, char, int, int) {
    PortRecord* port = allocate_port_record(index);
    port->driver_data = &g_line;
    port->rx_used = RxUsed;
    port->read_byte = ReadByte;
    port->wait_input = WaitInput;
    port->close = Close;
    return port;
}

class SilentHost : public TobrinHost {
public:
    explicit SilentHost(TobrinSettings s) : settings_(std::move(s)) {}
    const TobrinSettings& Settings() const override { return settings_; }
    void LogEvent(std::string_view) override {}
    void AppendResult(std::string_view line) override { lines += line.size(); }
    void SetResultsVisible(bool) override {}
    void SetAnswerBytesPanel(std::string_view) override {}
    CursorShape SetCursor(CursorShape) override { return CursorShape::Default; }
    void ShowMessage(std::string_view) override {}
    bool StopRequested() const override { return false; }
    std::size_t lines = 0;

private:
    TobrinSettings settings_;
};

constexpr std::size_t kHead = 10;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kHead) {
        return 0;
    }
    TobrinSettings settings;
    settings.DtUse = (data[0] & 1) != 0;
    settings.coding.Coding = (data[0] & 2) != 0;
    settings.coding.MaxBreakfasts = static_cast<int>(data[1] % 8) - 1;
    settings.coding.MaxDinners = static_cast<int>(data[2] % 10) - 1;
    const std::int32_t capacity = data[3] | ((data[4] & 0x0F) << 8);
    settings.MasterTestMs = MasterTestMsFor(data[5]);
    std::uint32_t wait = 0;
    std::memcpy(&wait, data + 6, sizeof wait);
    settings.WaitForDataMs = static_cast<std::int32_t>(wait);
    settings.BinaryOutput = false;
    const auto memory = static_cast<std::size_t>(
        std::min(MemoryLengthFor(capacity, settings.DtUse), kMaxMemoryLength));

    g_nowUs = 1'000'000;
    g_line = {};
    g_line.failsAtEnd = (data[0] & 4) != 0;
    std::uint64_t at = g_nowUs;
    for (std::size_t i = kHead; i + 2 <= size;) {
        at += std::uint64_t{data[i]} * 4000;
        const std::size_t n = std::min<std::size_t>(data[i + 1], size - i - 2);
        for (std::size_t k = 0; k < n; ++k) {
            g_line.bytes.push_back({at, data[i + 2 + k]});
        }
        i += 2 + n;
    }
    const std::uint64_t lastArrival = at;

    SilentHost host(settings);
    TSer_Port line(0, 19200, OpenScripted);
    TTobrin terminal(line, 1, memory, host);
    const std::uint64_t start = g_nowUs;
    const AnswerBlock read = ReadAnswerBlock(terminal);
    // Every wait is finite: the first byte's (kept to its limit), then a
    // quiet time and one last read after the line's last byte.
    const std::uint64_t bound =
        std::max(lastArrival, start) + std::uint64_t{kMaxWaitForDataMs + 1000} * 1000;
    if (g_nowUs > bound) {
        __builtin_trap();
    }
    const auto n = static_cast<std::size_t>(terminal.ReceivedCount);
    if (n > memory) {
        __builtin_trap();
    }
    if (read == AnswerBlock::Complete) {
        std::vector<std::string> lines;
        try {
            DecodeAnswer({terminal.DataBuffer.data(), n}, settings.Decoding(), lines);
        } catch (const CodingError&) {
        }
    }
    return 0;
}
