#include "terminal/ExecuteCommand.h"

#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "serial/Customport.h"
#include "terminal/AnswerDecoding.h"
#include "terminal/CommandLetters.h"
#include "terminal/Tobrin.h"
#include "terminal/TobrinHost.h"

#include <algorithm>
#include <chrono>
#include <span>
#include <string>
#include <vector>

namespace kelmora {

using namespace kelmora::literals;

namespace {

constexpr std::string_view kOverflowMessage =
    "Překročena kapacita paměti!!!\nNutno zvýšit kapacitu paměti v konfiguraci a restartovat."_cp;
constexpr std::string_view kBinaryFile = "binarni.bin";
// Named here, not in the line that uses it: a local initialised straight from
// a `_cp` literal inside std::string crashes clang 14 (the fuzz and lint builds).
constexpr std::string_view kRecordWord = ", záznam "_cp;
constexpr int kAnswerByteMs = 200; // the longest single wait inside a block
// ReadByte's "nothing arrived"; anything more negative is a failed line.
constexpr int kNoByte = -1;
constexpr std::uint32_t kMasterPauseMs = 300;

// The last four bytes read inside a block, to spot the poll frame that ends it.
class BlockWindow {
public:
    bool PushAndMatch(std::uint8_t b) {
        std::copy(bytes_.begin() + 1, bytes_.end(), bytes_.begin());
        bytes_[3] = b;
        filled_ = std::min(filled_ + 1, 4);
        return filled_ == 4 && bytes_ == kPollFrame;
    }

private:
    std::array<std::uint8_t, 4> bytes_{};
    int filled_ = 0;
};

// Restores the cursor and shows the result list on every way out, also when
// decoding raises its error.
class ShowAgain {
public:
    ShowAgain(TobrinHost& host, CursorShape before) : host_(host), before_(before) {}
    ~ShowAgain() {
        if (hidden_) {
            host_.SetResultsVisible(true);
        }
        host_.SetCursor(before_);
    }
    ShowAgain(const ShowAgain&) = delete;
    ShowAgain& operator=(const ShowAgain&) = delete;

    void HideResults() {
        host_.SetResultsVisible(false);
        hidden_ = true;
    }

private:
    TobrinHost& host_;
    CursorShape before_;
    bool hidden_ = false;
};

// Whether the block is in "binarni.bin" (or none is asked for): the host
// must never read an earlier answer as this one's.
bool WriteBinaryOutput(TobrinHost& host, std::span<const std::uint8_t> block) {
    const TobrinSettings& s = host.Settings();
    if (!s.BinaryOutput) {
        return true;
    }
    const std::string path = join_path(s.DataPath, kBinaryFile);
    const std::string_view bytes(reinterpret_cast<const char*>(block.data()), block.size());
    if (replace_file(path, bytes)) {
        return true;
    }
    host.LogEvent(std::string("Nelze vytvořit soubor "_cp) + path);
    return false;
}

// The event log's line for a block that holds something that is no record
// (`record` counts from 0).
constexpr std::string_view kWithoutS = " nezačíná písmenem S"_cp;
constexpr std::string_view kWithoutPersonLetter = " nezačíná písmenem R, Z, q ani r"_cp;
constexpr std::string_view kUnknownAnswer = "Neznámá odpověď terminálu: "_cp;

std::string NotRecordsMessage(std::span<const std::uint8_t> block, std::size_t record) {
    const std::string bytes = std::to_string(block.size()) + " byte";
    const std::string which = std::string(kRecordWord) + std::to_string(record + 1);
    switch (LookUpLetter(static_cast<char>(block[0])).record) {
    case RecordType::S:
        return "S chybne nacteno: " + bytes + which + std::string(kWithoutS);
    case RecordType::Person:
        return "R,Z chybne nacteno: " + bytes + which + std::string(kWithoutPersonLetter);
    case RecordType::None:
        break;
    }
    return std::string(kUnknownAnswer) + bytes;
}

// An answer block as it came, or the timeout when nothing came.
void TraceBlock(const TTobrin& t, std::span<const std::uint8_t> block, const std::string& how,
                std::chrono::steady_clock::time_point lastByteAt) {
    if (block.empty()) {
        t.TraceReceived("timeout", {}, "no answer block");
        return;
    }
    t.TraceReceived("block", block, std::to_string(block.size()) + " bytes, " + how, lastByteAt);
}

} // namespace

AnswerBlock ReadAnswerBlock(TTobrin& t) {
    std::vector<std::uint8_t>& buffer = t.DataBuffer;
    std::fill(buffer.begin(), buffer.end(), std::uint8_t{0});
    std::size_t stored = 0;
    BlockWindow window;
    const TobrinSettings& s = t.Host.Settings();
    const auto quietLimit = static_cast<std::uint32_t>(std::max(s.MasterTestMs, 0));
    const bool traced = t.Line.Trace != nullptr;
    std::chrono::steady_clock::time_point lastByteAt{}; // kept only when traced
    auto traceBlock = [&](const std::string& how) {
        TraceBlock(t, std::span(buffer.data(), stored), how, lastByteAt);
    };
    auto taken = [&] { return static_cast<int>(std::min(stored, t.MemoryLength)); };
    auto overflow = [&] {
        t.ReceivedCount = taken();
        if (traced) {
            traceBlock("overflow: more than the " + std::to_string(t.MemoryLength) +
                       " bytes of memory");
        }
        t.Host.ShowMessage(kOverflowMessage);
        return AnswerBlock::Overflow;
    };
    auto cutShort = [&](AnswerBlock why, int code) {
        // What came so far may end on a record boundary and still be only
        // part of the answer.
        t.ReceivedCount = taken();
        if (traced) {
            if (stored > 0) {
                traceBlock("cut off");
            }
            t.TraceReceived("failed", {},
                            why == AnswerBlock::Stopped ? std::string("stop requested")
                                                        : "line error " + std::to_string(code));
        }
        return why;
    };

    // The first byte: WaitForDataMs, read in slices so that a stop ends it.
    const auto firstWait = static_cast<std::uint32_t>(
        std::clamp(s.WaitForDataMs, kMinWaitForDataMs, kMaxWaitForDataMs));
    const std::uint32_t asked = tick_ms();
    int b = kNoByte;
    for (;;) {
        if (t.Host.StopRequested()) {
            return cutShort(AnswerBlock::Stopped, 0);
        }
        const std::uint32_t waited = elapsed_ms(asked);
        b = t.Line.ReadByte(static_cast<std::int32_t>(
            std::min<std::uint32_t>(firstWait - std::min(waited, firstWait), kAnswerByteMs)));
        if (b != kNoByte || elapsed_ms(asked) >= firstWait) {
            break;
        }
    }
    if (b < kNoByte) {
        return cutShort(AnswerBlock::LineFailed, b);
    }
    bool inHand = b >= 0;
    bool pollSeen = false;
    std::uint32_t quiet = tick_ms();
    while (!pollSeen) {
        if (inHand) {
            // Past a full memory only the start of a poll frame may still
            // come; a byte beyond that can only mean the block is too large.
            if (stored == buffer.size()) {
                return overflow();
            }
            buffer[stored++] = static_cast<std::uint8_t>(b);
            quiet = tick_ms();
            inHand = false;
            if (traced) {
                lastByteAt = std::chrono::steady_clock::now();
            }
        }
        if (t.Host.StopRequested()) {
            return cutShort(AnswerBlock::Stopped, 0);
        }
        // Wait out what is left of the quiet time (at most one slice); once
        // it is up, only a byte already waiting keeps the block going.
        const std::uint32_t waited = elapsed_ms(quiet);
        b = t.Line.ReadByte(static_cast<std::int32_t>(
            std::min<std::uint32_t>(quietLimit - std::min(waited, quietLimit), kAnswerByteMs)));
        if (b == kNoByte) {
            if (elapsed_ms(quiet) >= quietLimit) {
                break; // the line has been quiet for the whole quiet time
            }
            continue;
        }
        if (b < 0) {
            return cutShort(AnswerBlock::LineFailed, b);
        }
        if (window.PushAndMatch(static_cast<std::uint8_t>(b))) {
            // The poll frame closes the block; its first three bytes were
            // stored in the rounds before.
            pollSeen = true;
            stored -= std::min<std::size_t>(stored, 3);
        } else {
            inHand = true;
        }
    }
    if (stored > t.MemoryLength) {
        return overflow();
    }
    t.ReceivedCount = static_cast<int>(stored);
    if (traced) {
        traceBlock(pollSeen ? "ended by the poll frame" : "ended by silence");
        if (pollSeen) {
            t.TraceReceived("poll", kPollFrame);
        }
    }
    return AnswerBlock::Complete;
}

CommandOutcome ExecuteCommand(TTobrin& t, std::string_view text) {
    TobrinHost& host = t.Host;
    t.RecordCount = 0;
    host.SetAnswerBytesPanel("");
    const bool dataCommand = !text.empty() && LookUpLetter(text[0]).dataAnswer;
    auto buffer = MakeCommandBuffer(text);
    if (!buffer) {
        return CommandOutcome::Failed;
    }

    const CursorShape before = host.SetCursor(CursorShape::AppStarting);
    ShowAgain restore(host, before);
    const int acknowledged = t.SendCommand(*buffer);
    host.SetCursor(before);
    if (acknowledged != 0) {
        return CommandOutcome::Failed;
    }
    ++t.AckCount;
    if (!dataCommand) {
        if (t.MasterFlag) {
            sleep_ms(kMasterPauseMs);
        }
        return CommandOutcome::Done;
    }

    host.SetCursor(CursorShape::HourGlass);
    const AnswerBlock read = ReadAnswerBlock(t);
    const auto n = static_cast<std::size_t>(t.ReceivedCount);
    host.SetAnswerBytesPanel(std::to_string(n));
    // The buffer is left zero-filled on every way out.
    struct ZeroFill {
        std::vector<std::uint8_t>& buffer;
        std::size_t n;
        ~ZeroFill() { std::fill_n(buffer.begin(), n, std::uint8_t{0}); }
    } zeroFill{t.DataBuffer, n};
    const std::span<const std::uint8_t> block(t.DataBuffer.data(),
                                              read == AnswerBlock::Complete ? n : 0);
    const bool written = WriteBinaryOutput(host, block);
    if (read != AnswerBlock::Complete || !written) {
        --t.AckCount; // the answer did not get through after all
        if (read == AnswerBlock::Overflow) {
            host.LogEvent(std::string("Překročena kapacita paměti!!! Odpověď delší než "_cp) +
                          std::to_string(t.MemoryLength) + " byte");
            return CommandOutcome::Overflow;
        }
        return CommandOutcome::Failed;
    }

    host.SetCursor(CursorShape::AppStarting);
    restore.HideResults();
    std::vector<std::string> lines;
    const DecodeResult result = DecodeAnswer(block, host.Settings().Decoding(), lines);
    for (const auto& line : lines) {
        host.AppendResult(line);
    }
    switch (result.status) {
    case DecodeStatus::Decoded:
        t.RecordCount = result.records;
        return CommandOutcome::Done;
    case DecodeStatus::WrongSizeRZ:
        host.LogEvent("R,Z chybne nacteno: " + std::to_string(n) + " byte");
        break;
    case DecodeStatus::WrongSizeS:
        break;
    case DecodeStatus::NotRecords:
        host.LogEvent(NotRecordsMessage(block, result.badRecord));
        break;
    }
    return CommandOutcome::Repeat;
}

} // namespace kelmora
