#include "terminal/Tobrin.h"

#include "platform/Clock.h"
#include "serial/Customport.h"
#include "terminal/CommandLetters.h"
#include "terminal/TobrinHost.h"

#include <algorithm>
#include <string>
#include <vector>

namespace kelmora {

namespace {

constexpr int kPollListenByteMs = 100; // byte timeout of the presence test
constexpr int kPollSendByteMs = 200;   // byte timeout before a polled send
constexpr int kMasterAckMs = 1000;
constexpr int kSlaveAckMs = 80;
constexpr std::uint32_t kAfterDetectMs = 50;

// The last three bytes received while listening for the poll frame.
class PollWindow {
public:
    // True when `b` completes the poll frame after the three bytes before it.
    bool Completes(int b) const {
        return filled_ == 3 && bytes_[0] == kPollFrame[0] && bytes_[1] == kPollFrame[1] &&
               bytes_[2] == kPollFrame[2] && b == kPollFrame[3];
    }
    void Push(int b) {
        bytes_[0] = bytes_[1];
        bytes_[1] = bytes_[2];
        bytes_[2] = b;
        filled_ = std::min(filled_ + 1, 3);
    }

private:
    std::array<int, 3> bytes_{};
    int filled_ = 0;
};

// ReadByte's "nothing arrived"; anything more negative is a failed line.
constexpr int kNoByte = -1;

// The frame as it goes out, for the trace.
void TraceSent(const TSer_Port& line, const Frame& frame, std::chrono::steady_clock::time_point at,
               std::string note = {}) {
    line.Trace->Record({.port = line.PortIndex,
                        .direction = LineDirection::Sent,
                        .address = frame[0],
                        .kind = "frame",
                        .bytes = std::span(frame.data(), frame[1]),
                        .note = std::move(note),
                        .at = at});
}

} // namespace

TTobrin::TTobrin(TSer_Port& line, int address, std::size_t memoryLength, TobrinHost& host)
    : Line(line), Address(address), MemoryLength(memoryLength),
      DataBuffer(memoryLength + kPollFrame.size() - 1, 0), Host(host) {}

Frame TTobrin::MakeFrame(const std::uint8_t* payload, std::size_t n) const {
    Frame frame{};
    n = std::min<std::size_t>(n, kFrameSize - 3);
    frame[0] = static_cast<std::uint8_t>(Address);
    frame[1] = static_cast<std::uint8_t>(n + 3);
    std::copy_n(payload, n, frame.begin() + 2);
    unsigned sum = 0;
    for (std::size_t i = 0; i < n + 2; ++i) {
        sum += frame[i];
    }
    frame[n + 2] = static_cast<std::uint8_t>(sum);
    return frame;
}

void TTobrin::TraceReceived(std::string_view kind, std::span<const std::uint8_t> bytes,
                            std::string note, std::chrono::steady_clock::time_point at) const {
    Line.Trace->Record({.port = Line.PortIndex,
                        .direction = LineDirection::Received,
                        .address = Address,
                        .kind = kind,
                        .bytes = bytes,
                        .note = std::move(note),
                        .at = at});
}

bool TTobrin::Detect(bool probeSlave) {
    if (Line.Status() != 0 || !Line.IsOpen) {
        MasterFlag = false;
        SlaveFlag = false;
    } else if (ListenForPoll()) {
        MasterFlag = true;
        SlaveFlag = false;
    } else if (probeSlave) {
        // The probe's acknowledgement wait still follows the previous role.
        SlaveFlag = ProbeSlave();
        MasterFlag = false;
    } else {
        MasterFlag = false;
        SlaveFlag = true;
    }
    return IsPresent();
}

bool TTobrin::AwaitPollFrame(int byteTimeoutMs, std::uint32_t start) {
    PollWindow window;
    std::uint32_t silence = start;
    std::size_t lateBytes = 0;       // read after the clock said to give up
    std::vector<std::uint8_t> heard; // only when traced
    for (;;) {
        const auto limit = static_cast<std::uint32_t>(Host.Settings().MasterTestMs);
        const bool silent = elapsed_ms(silence) > limit;
        const bool tooLong = elapsed_ms(start) > kListenLimitMs;
        int b = kNoByte;
        if (silent || tooLong) {
            // The clock is this process's, silence is the line's: what came
            // while the process was held up is heard before giving up, but
            // no more than a held-up line can have gathered.
            if (!tooLong || ++lateBytes <= kListenLateBytes) {
                b = Line.ReadByte(0);
            }
            if (b == kNoByte) {
                if (Line.Trace != nullptr) {
                    TraceListening(heard,
                                   silent ? std::to_string(limit) + " ms of silence"
                                          : "noise for " + std::to_string(kListenLimitMs) + " ms");
                }
                return false;
            }
        } else {
            b = Line.ReadByte(byteTimeoutMs);
            if (b == kNoByte) {
                continue;
            }
        }
        if (b < 0) {
            if (Line.Trace != nullptr) {
                TraceListening(heard, {});
                TraceReceived("failed", {}, "line error " + std::to_string(b));
            }
            return false;
        }
        if (Line.Trace != nullptr) {
            heard.push_back(static_cast<std::uint8_t>(b));
        }
        // A poll frame with more bytes behind it is an old one (the process
        // was held up while the terminal went on): the terminal no longer
        // listens after it. Only the newest counts.
        if (window.Completes(b) && !Line.InputWaiting()) {
            if (Line.Trace != nullptr) {
                heard.resize(heard.size() - kPollFrame.size());
                TraceListening(heard, {});
                TraceReceived("poll", kPollFrame);
            }
            return true;
        }
        window.Push(b);
        silence = tick_ms();
    }
}

void TTobrin::TraceListening(std::span<const std::uint8_t> noise,
                             const std::string& timedOut) const {
    if (!noise.empty()) {
        TraceReceived("noise", noise);
    }
    if (!timedOut.empty()) {
        TraceReceived("timeout", {}, "no poll frame: " + timedOut);
    }
}

bool TTobrin::ListenForPoll() {
    Line.FlushInput();
    Line.ToReceive();
    return AwaitPollFrame(kPollListenByteMs, tick_ms());
}

bool TTobrin::ProbeSlave() {
    const std::uint8_t probe = 'A';
    SendDirect(MakeFrame(&probe, 1), "probe");
    return ReadAck() == 0;
}

bool TTobrin::SendPolled(const Frame& frame) {
    // The silence clock starts before the line is turned to receive.
    const std::uint32_t start = tick_ms();
    Line.FlushInput();
    Line.ToReceive();
    if (!AwaitPollFrame(kPollSendByteMs, start)) {
        return false;
    }
    Line.ClearTransmit();
    Line.ToTransmit();
    const auto at = std::chrono::steady_clock::now();
    Line.Write(frame.data(), frame[1]);
    if (Line.Trace != nullptr) {
        TraceSent(Line, frame, at);
    }
    Line.ToReceive();
    return true;
}

void TTobrin::SendDirect(const Frame& frame, std::string_view traceNote) {
    // Stale input goes before the frame, never after it: a quick terminal's
    // acknowledgement may already be waiting by the time the frame is queued.
    Line.FlushInput();
    Line.ToTransmit();
    const auto at = std::chrono::steady_clock::now();
    Line.Write(frame.data(), frame[1]);
    if (Line.Trace != nullptr) {
        TraceSent(Line, frame, at, std::string(traceNote));
    }
    Line.ToReceive();
}

int TTobrin::ReadAck() {
    const int waitMs = MasterFlag ? kMasterAckMs : kSlaveAckMs;
    const int b = Line.ReadByte(waitMs);
    if (Line.Trace != nullptr) {
        const auto byte = static_cast<std::uint8_t>(b);
        if (b == kAck) {
            TraceReceived("ack", std::span(&byte, 1));
        } else if (b >= 0) {
            TraceReceived("nak", std::span(&byte, 1), "not acknowledged");
        } else if (b == kNoByte) {
            TraceReceived("timeout", {}, "no acknowledgement in " + std::to_string(waitMs) + " ms");
        } else {
            TraceReceived("failed", {}, "line error " + std::to_string(b));
        }
    }
    return b == kAck ? 0 : 1;
}

int TTobrin::SendCommand(CommandBuffer& text) {
    const CommandLetter& letter = LookUpLetter(text[0]);
    const int n = EncodeCommand(text, Host.Settings().coding,
                                [this](std::string_view message) { Host.LogEvent(message); });
    if (n < 0) {
        return 1; // fits no frame: nothing is sent
    }
    const Frame frame =
        MakeFrame(reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<std::size_t>(n));
    if (!IsPresent()) {
        Detect(true);
        sleep_ms(kAfterDetectMs);
    }
    if (MasterFlag) {
        SendPolled(frame);
    } else if (SlaveFlag) {
        SendDirect(frame);
    } else {
        return 1;
    }
    const int acknowledged = ReadAck();
    switch (letter.after) {
    case AfterSend::ClearPause:
        sleep_ms(kClearPauseMs);
        break;
    case AfterSend::Retest:
        Detect(false);
        break;
    case AfterSend::Nothing:
        break;
    }
    return acknowledged;
}

} // namespace kelmora
