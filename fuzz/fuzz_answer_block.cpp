// Arbitrary bytes on the line after a data command: the answer block is read
// (poll frame, overflow, the line failing at the end) and decoded. Nothing
// may crash, read out of bounds or hang, whatever the terminal sends.
#include "serial/Customport.h"
#include "serial/PortDriver.h"
#include "terminal/AnswerDecoding.h"
#include "terminal/CodingError.h"
#include "terminal/ExecuteCommand.h"
#include "terminal/Tobrin.h"
#include "terminal/TobrinHost.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

using namespace kelmora;

namespace {

// The bytes the terminal sends; once they are used up the line reports a
// hang-up, which ends the block at once instead of after the quiet time.
std::deque<std::uint8_t> g_line;

int RxUsed(PortRecord*) {
    return g_line.empty() ? -14 : static_cast<int>(g_line.size());
}

int ReadByte(PortRecord*) {
    if (g_line.empty()) {
        return -14;
    }
    const int b = g_line.front();
    g_line.pop_front();
    return b;
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
    std::size_t lines = 0;

private:
    TobrinSettings settings_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    TobrinSettings settings;
    settings.DtUse = (data[0] & 1) != 0;
    settings.coding.Coding = (data[0] & 2) != 0;
    settings.coding.MaxBreakfasts = static_cast<int>(data[1] % 8) - 1; // -1..6, 0 included
    settings.coding.MaxDinners = static_cast<int>(data[2] % 10) - 1;
    settings.MasterTestMs = 50;
    settings.WaitForDataMs = 0;
    settings.BinaryOutput = false;
    const std::size_t memory = static_cast<std::size_t>(data[3]) * 4; // 0..1020 bytes
    g_line.assign(data + 4, data + size);

    SilentHost host(settings);
    TSer_Port line(0, 19200, OpenScripted);
    TTobrin terminal(line, 1, memory, host);
    if (ReadAnswerBlock(terminal)) {
        const auto n = static_cast<std::size_t>(terminal.ReceivedCount);
        if (n > memory) {
            __builtin_trap();
        }
        std::vector<std::string> lines;
        try {
            DecodeAnswer({terminal.DataBuffer.data(), n}, settings.Decoding(), lines);
        } catch (const CodingError&) {
        }
    }
    return 0;
}
