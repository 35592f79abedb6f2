// What a terminal object needs from the program above it: the settings in
// force at the moment of use, the event log, the result list, status-bar
// panel 3, the mouse cursor, the overflow message and whether a stop is asked. The engine
// implements it; the terminal code never reaches the window or the files by itself.
#pragma once

#include "terminal/AnswerDecoding.h"
#include "terminal/EncodeCommand.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace kelmora {

// The wait for the first byte of an answer block stays within these limits,
// whatever the configuration says: a wait without end would hold the program.
inline constexpr int kMinWaitForDataMs = 0;
inline constexpr int kMaxWaitForDataMs = 10000;

struct TobrinSettings {
    CodingSettings coding;
    bool DtUse = false;
    int MasterTestMs = 120;  // silence that ends listening for the poll frame
    int WaitForDataMs = 200; // wait for the first byte of an answer block (kept to the limits)
    bool BinaryOutput = true;
    std::string DataPath; // where "binarni.bin" goes

    DecodeSettings Decoding() const {
        return {coding.Coding, coding.MaxBreakfasts, coding.MaxDinners, DtUse};
    }
};

enum class CursorShape { Default, AppStarting, HourGlass };

class TobrinHost {
public:
    virtual ~TobrinHost() = default;

    // Read at every use: MasterTestMs follows the operator's choice at once.
    virtual const TobrinSettings& Settings() const = 0;

    virtual void LogEvent(std::string_view message) = 0;

    // The result list: lines are appended while it is hidden, and it is
    // shown again once the block is done.
    virtual void AppendResult(std::string_view line) = 0;
    virtual void SetResultsVisible(bool visible) = 0;

    // Status-bar panel 3: the bytes of the last answer block.
    virtual void SetAnswerBytesPanel(std::string_view text) = 0;

    // Shows `shape` and returns the shape that was showing before.
    virtual CursorShape SetCursor(CursorShape shape) = 0;

    // A modal message with an OK button; returns once the operator has seen it.
    virtual void ShowMessage(std::string_view text) = 0;

    // The system asked the program to stop. Reading an answer changes
    // nothing on the terminal, so a download in progress ends at once.
    virtual bool StopRequested() const = 0;
};

} // namespace kelmora
