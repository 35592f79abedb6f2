// A console that records what the core shows, and answers message boxes with
// a preset answer, for assertions.
#pragma once

#include "engine/Console.h"

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kelmora::testing {

struct RecordedMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
    MessageButtons buttons;
};

struct RecordedBalloon {
    std::string title;
    std::string text;
    int timeoutMs;
};

class RecordingConsole : public Console {
public:
    void ClearResults() override { results.clear(); }
    void AppendResult(std::string_view line) override { results.emplace_back(line); }
    void SetResultsVisible(bool visible) override {
        resultsVisible = visible;
        ++visibilityChanges;
    }
    std::vector<std::string> Results() const override { return results; }

    void SetStatusPanel(int index, std::string_view text) override {
        panels[index] = std::string(text);
        panelHistory.emplace_back(index, std::string(text));
    }

    CursorShape SetCursor(CursorShape shape) override {
        const CursorShape before = cursor;
        cursor = shape;
        return before;
    }

    void SetTrayImage(int image) override { trayImages.push_back(image); }
    void ShowBalloon(std::string_view title, std::string_view text, int timeoutMs) override {
        balloons.push_back({std::string(title), std::string(text), timeoutMs});
    }

    void PaintIndicator(int slot, IndicatorState state) override { indicators[slot] = state; }
    void ShowIndicator(int slot) override { indicatorShown[slot] = true; }

    void ShowWatchdog(int ticks, bool ledLit) override {
        watchdogTicks = ticks;
        ledOn = ledLit;
    }

    void SetActivePage(Page page) override { activePage = page; }
    void ShowWindow() override { windowShown = true; }

    int SelectedSlot() const override { return selectedSlot; }
    void SelectSlot(int slot) override { selectedSlot = slot; }

    int Attempts() const override { return attempts; }
    bool EndJobOnFailure() const override { return endJobOnFailure; }
    bool HighPriority() const override { return highPriority; }

    MessageAnswer ShowMessage(const MessageBox& box) override {
        messages.push_back(
            {std::string(box.text), std::string(box.caption), box.icon, box.buttons});
        return box.buttons == MessageButtons::Ok ? MessageAnswer::Ok : answer;
    }

    void ProcessPendingEvents() override {
        ++eventPasses;
        if (onEvents) {
            onEvents();
        }
    }

    // What was shown.
    std::vector<std::string> results;
    bool resultsVisible = true;
    int visibilityChanges = 0;
    std::map<int, std::string> panels;
    std::vector<std::pair<int, std::string>> panelHistory;
    CursorShape cursor = CursorShape::Default;
    std::vector<int> trayImages;
    std::vector<RecordedBalloon> balloons;
    std::array<std::optional<IndicatorState>, 4> indicators{};
    std::array<bool, 4> indicatorShown{};
    int watchdogTicks = -1;
    bool ledOn = false;
    std::optional<Page> activePage;
    bool windowShown = false;
    std::vector<RecordedMessage> messages;
    int eventPasses = 0;
    // Runs at every pass of the shell's events, also inside a job's waits.
    std::function<void()> onEvents;

    // The operator's side.
    int selectedSlot = 0;
    int attempts = 1;
    bool endJobOnFailure = true;
    bool highPriority = false;
    MessageAnswer answer = MessageAnswer::No;
};

} // namespace kelmora::testing
