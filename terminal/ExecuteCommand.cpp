#include "terminal/ExecuteCommand.h"

#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "serial/Customport.h"
#include "terminal/AnswerDecoding.h"
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
constexpr int kAnswerByteMs = 200;
constexpr std::uint32_t kMasterPauseMs = 300;

bool IsDataCommand(std::string_view text) {
    return !text.empty() && (text[0] == 'P' || text[0] == 'S' || text[0] == 'Y');
}

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

void WriteBinaryOutput(TobrinHost& host, std::span<const std::uint8_t> block) {
    const TobrinSettings& s = host.Settings();
    if (!s.BinaryOutput) {
        return;
    }
    const std::string path = join_path(s.DataPath, kBinaryFile);
    const std::string_view bytes(reinterpret_cast<const char*>(block.data()), block.size());
    if (!replace_file(path, bytes)) {
        host.LogEvent(std::string("Nelze vytvořit soubor "_cp) + path);
    }
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
    auto overflow = [&] {
        t.ReceivedCount = static_cast<int>(std::min(stored, t.MemoryLength));
        if (traced) {
            traceBlock("overflow: more than the " + std::to_string(t.MemoryLength) +
                       " bytes of memory");
        }
        t.Host.ShowMessage(kOverflowMessage);
        return AnswerBlock::Overflow;
    };
    auto lineFailed = [&](int code) {
        if (traced) {
            if (stored > 0) {
                traceBlock("cut off");
            }
            t.TraceReceived("failed", {}, "line error " + std::to_string(code));
        }
        return AnswerBlock::LineFailed;
    };

    int b = t.Line.ReadByte(std::clamp(s.WaitForDataMs, kMinWaitForDataMs, kMaxWaitForDataMs));
    if (b < -1) {
        t.ReceivedCount = 0;
        return lineFailed(b);
    }
    bool inHand = b >= 0;
    bool pollSeen = false;
    std::uint32_t quiet = tick_ms();
    for (;;) {
        if (elapsed_ms(quiet) >= quietLimit || pollSeen) {
            break;
        }
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
        b = t.Line.ReadByte(kAnswerByteMs);
        if (b < 0) {
            if (b != -1) {
                // What came so far may end on a record boundary and still be
                // only part of the answer.
                t.ReceivedCount = static_cast<int>(std::min(stored, t.MemoryLength));
                return lineFailed(b);
            }
            continue;
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
    const bool dataCommand = IsDataCommand(text);
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
    const std::span<const std::uint8_t> block(t.DataBuffer.data(),
                                              read == AnswerBlock::Complete ? n : 0);
    WriteBinaryOutput(host, block);
    if (read == AnswerBlock::LineFailed) {
        std::fill_n(t.DataBuffer.begin(), n, std::uint8_t{0});
        --t.AckCount; // the command did not get through after all
        return CommandOutcome::Failed;
    }

    host.SetCursor(CursorShape::AppStarting);
    restore.HideResults();
    DecodeResult result;
    std::vector<std::string> lines;
    try {
        result = DecodeAnswer(block, host.Settings().Decoding(), lines);
    } catch (...) {
        std::fill_n(t.DataBuffer.begin(), n, std::uint8_t{0});
        throw;
    }
    for (const auto& line : lines) {
        host.AppendResult(line);
    }
    if (result.status == DecodeStatus::WrongSizeRZ) {
        host.LogEvent("R,Z chybne nacteno: " + std::to_string(n) + " byte");
    } else {
        t.RecordCount = result.records;
    }
    std::fill_n(t.DataBuffer.begin(), n, std::uint8_t{0});
    return result.status == DecodeStatus::Decoded ? CommandOutcome::Done : CommandOutcome::Repeat;
}

} // namespace kelmora
