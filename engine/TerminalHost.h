// The engine's side of what a terminal object needs: the settings in force,
// the event log and the console.
#pragma once

#include "engine/Configuration.h"
#include "terminal/TobrinHost.h"

namespace kelmora {

class Console;
class EventLog;
struct SharedFlags;

TobrinSettings TobrinSettingsFrom(const Configuration& config);

class TerminalHost : public TobrinHost {
public:
    TerminalHost(TobrinSettings settings, const EventLog& log, Console& console,
                 const SharedFlags& flags);

    const TobrinSettings& Settings() const override { return settings_; }
    void LogEvent(std::string_view message) override;
    void AppendResult(std::string_view line) override;
    void SetResultsVisible(bool visible) override;
    void SetAnswerBytesPanel(std::string_view text) override;
    CursorShape SetCursor(CursorShape shape) override;
    void ShowMessage(std::string_view text) override;
    bool StopRequested() const override;

    // The operator's choice in "Prodloužení testu MASTER o (ms)" acts at once.
    void SetMasterTestMs(int ms) { settings_.MasterTestMs = ms; }

private:
    TobrinSettings settings_;
    const EventLog& log_;
    Console& console_;
    const SharedFlags& flags_;
};

} // namespace kelmora
