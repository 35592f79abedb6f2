// A terminal host that records what the terminal code reports, for tests of
// the link layer and the answers without the engine.
#pragma once

#include "terminal/TobrinHost.h"

#include <atomic>
#include <string>
#include <vector>

namespace kelmora::testing {

class RecordingHost : public TobrinHost {
public:
    RecordingHost() { settings.BinaryOutput = false; }

    const TobrinSettings& Settings() const override { return settings; }
    void LogEvent(std::string_view message) override { log.emplace_back(message); }
    void AppendResult(std::string_view line) override { results.emplace_back(line); }
    void SetResultsVisible(bool visible) override { resultsVisible = visible; }
    void SetAnswerBytesPanel(std::string_view text) override { panel3 = std::string(text); }
    CursorShape SetCursor(CursorShape shape) override {
        const CursorShape before = cursor;
        cursor = shape;
        return before;
    }
    void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
    bool StopRequested() const override { return stopRequested; }

    TobrinSettings settings;
    std::vector<std::string> log;
    std::vector<std::string> results;
    std::vector<std::string> messages;
    bool resultsVisible = true;
    std::string panel3 = "-";
    CursorShape cursor = CursorShape::Default;
    std::atomic<bool> stopRequested{false}; // set from another thread
};

} // namespace kelmora::testing
