// The console of a Kelmora without a window (servers, tests): it keeps the
// result list, answers every message box by itself (OK, and No to every
// question, since each would end the program) and writes to an output stream
// (standard error) what a window would show: the status pair, the progress,
// the terminals' states and every message box with the answer it took.
// Windows-1250 texts are written as UTF-8.
#pragma once

#include "engine/Console.h"

#include <array>
#include <optional>
#include <ostream>

namespace kelmora {

class HeadlessLoop;
struct Configuration;

class HeadlessConsole : public Console {
public:
    explicit HeadlessConsole(std::ostream& out);

    // The loop whose timers run while the serial driver waits.
    void SetLoop(HeadlessLoop* loop) { loop_ = loop; }
    // The live settings start from the configuration as loaded.
    void UseSettings(const Configuration& config);

    // Writes one line of its own.
    void Say(std::string_view text);

    void ClearResults() override;
    void AppendResult(std::string_view line) override;
    void SetResultsVisible(bool) override {}
    std::vector<std::string> Results() const override { return results_; }
    void SetStatusPanel(int index, std::string_view text) override;
    CursorShape SetCursor(CursorShape shape) override;
    void SetTrayImage(int) override {}
    void ShowBalloon(std::string_view title, std::string_view text, int timeoutMs) override;
    void PaintIndicator(int slot, IndicatorState state) override;
    void ShowIndicator(int) override {}
    void ShowWatchdog(int, bool) override {}
    void SetActivePage(Page) override {}
    void ShowWindow() override {}
    int SelectedSlot() const override { return selectedSlot_; }
    void SelectSlot(int slot) override { selectedSlot_ = slot; }
    int Attempts() const override { return attempts_; }
    bool EndJobOnFailure() const override { return endJobOnFailure_; }
    bool HighPriority() const override { return highPriority_; }
    MessageAnswer ShowMessage(const MessageBox& box) override;
    void ProcessPendingEvents() override;

private:
    std::ostream& out_;
    HeadlessLoop* loop_ = nullptr;
    std::vector<std::string> results_;
    CursorShape cursor_ = CursorShape::Default;
    std::array<std::optional<IndicatorState>, 4> indicators_{};
    int selectedSlot_ = 0;
    int attempts_ = 1;
    bool endJobOnFailure_ = true;
    bool highPriority_ = true;
};

} // namespace kelmora
