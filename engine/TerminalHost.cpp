#include "engine/TerminalHost.h"

#include "engine/Console.h"
#include "engine/EventLog.h"
#include "engine/SharedFlags.h"

namespace kelmora {

TobrinSettings TobrinSettingsFrom(const Configuration& c) {
    TobrinSettings s;
    s.coding = {c.Coding, c.MaxBreakfasts, c.MaxDinners, c.Credit};
    s.DtUse = c.DtUse;
    s.MasterTestMs = c.MasterTestMs;
    s.WaitForDataMs = c.WaitForDataMs;
    s.BinaryOutput = c.BinaryOutput;
    s.DataPath = c.DataPath;
    return s;
}

TerminalHost::TerminalHost(TobrinSettings settings, const EventLog& log, Console& console,
                           const SharedFlags& flags)
    : settings_(std::move(settings)), log_(log), console_(console), flags_(flags) {}

void TerminalHost::LogEvent(std::string_view message) {
    log_.LogEvent(message);
}

void TerminalHost::AppendResult(std::string_view line) {
    console_.AppendResult(line);
}

void TerminalHost::SetResultsVisible(bool visible) {
    console_.SetResultsVisible(visible);
}

void TerminalHost::SetAnswerBytesPanel(std::string_view text) {
    console_.SetStatusPanel(3, text);
}

CursorShape TerminalHost::SetCursor(CursorShape shape) {
    return console_.SetCursor(shape);
}

void TerminalHost::ShowMessage(std::string_view text) {
    console_.ShowMessage({text, {}, MessageIcon::None, MessageButtons::Ok});
}

bool TerminalHost::StopRequested() const {
    return flags_.StopRequested || flags_.Stopping;
}

} // namespace kelmora
