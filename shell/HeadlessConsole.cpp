#include "shell/HeadlessConsole.h"

#include "engine/Configuration.h"
#include "platform/Cp1250.h"
#include "shell/HeadlessLoop.h"
#include "shell/ProgramIdentity.h"

#include <algorithm>

namespace kelmora {

using namespace kelmora::literals;

HeadlessConsole::HeadlessConsole(std::ostream& out) : out_(out) {}

void HeadlessConsole::UseSettings(const Configuration& config) {
    attempts_ = std::clamp(config.RepWriteIndex + 1, 1, 9);
    endJobOnFailure_ = config.EndJobOnFailure;
    highPriority_ = config.HighPriority;
}

void HeadlessConsole::Say(std::string_view text) {
    out_ << "kelmora: " << utf8_from_cp1250(text) << '\n' << std::flush;
}

void HeadlessConsole::ClearResults() {
    results_.clear();
}

void HeadlessConsole::AppendResult(std::string_view line) {
    results_.emplace_back(line);
}

void HeadlessConsole::SetStatusPanel(int index, std::string_view text) {
    if (text.empty()) {
        return;
    }
    if (index == 1) {
        Say("Status: " + std::string(text));
    } else if (index == 9) {
        Say(std::string("Příkazy "_cp) + std::string(text));
    }
}

CursorShape HeadlessConsole::SetCursor(CursorShape shape) {
    return std::exchange(cursor_, shape);
}

void HeadlessConsole::ShowBalloon(std::string_view title, std::string_view text, int) {
    // Progress balloons repeat panel 9; the others are worth a line.
    if (title != "Odesílání"_cp) {
        Say(std::string(title) + ": " + std::string(text));
    }
}

void HeadlessConsole::PaintIndicator(int slot, IndicatorState state) {
    if (slot < 0 || slot >= int(indicators_.size()) || indicators_[slot] == state) {
        return;
    }
    indicators_[slot] = state;
    std::string line = "T";
    line += std::to_string(slot + 1);
    line += ": ";
    line += IndicatorWord(state);
    Say(line);
}

MessageAnswer HeadlessConsole::ShowMessage(const MessageBox& box) {
    const bool question = box.buttons == MessageButtons::YesNo;
    std::string text(box.text);
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::string line = std::string(box.caption.empty() ? kApplicationTitle : box.caption);
    line += ": " + text + (question ? " [Ne]" : " [OK]");
    Say(line);
    return question ? MessageAnswer::No : MessageAnswer::Ok;
}

void HeadlessConsole::ProcessPendingEvents() {
    if (loop_ != nullptr) {
        loop_->RunDueTimers();
    }
}

} // namespace kelmora
