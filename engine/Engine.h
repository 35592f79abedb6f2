// The engine: everything a terminal, a file or the host application can
// observe, behind the operator console. A shell (the Qt window or the
// headless console) owns one, calls its start-up steps in order, runs its
// timers and hand-overs from its event loop and forwards the operator's
// buttons; everything here runs on that shell's main thread, but for the
// watcher.
//
// One job at a time: a job (a request file, a re-test, an operator's job)
// never starts inside another one. The serial waits keep the shell's events
// flowing, so buttons and timers do run in the middle of a job: a button then
// does nothing, and a hand-over from the watcher waits until the job ends.
#pragma once

#include "engine/CommandRunner.h"
#include "engine/Configuration.h"
#include "engine/ConfigurationSave.h"
#include "engine/DataPathGuard.h"
#include "engine/EventLog.h"
#include "engine/HandOver.h"
#include "engine/SharedFlags.h"
#include "engine/TerminalHost.h"
#include "engine/Terminals.h"
#include "engine/Zmena.h"
#include "platform/Files.h"
#include "serial/LineTrace.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kelmora {

class Console;

struct EngineOptions {
    std::string iniPath;
    std::string startDirectory;
    PortOpener opener = open_port;
    WatcherTiming watcher; // the watcher's cadence (engine/Zmena.h)
    EventLog::Clock clock = local_time_now;
    // Hears every event logged (the headless program's standard error).
    EventLog::Listener logListener;
    // The line trace's file (--trace); wins over the INI's "[Diagnostika]" Trace.
    std::string tracePath;
};

class Engine {
public:
    Engine(Console& console, EngineOptions options);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Start-up, in this order (the shell fills its pages and hides its window
    // in between): LoadConfiguration, LogStart, OpenTerminals, StartWatcher.
    //
    // LoadConfiguration also takes the mark of the data path: one copy only
    // works in a data path, whoever runs it. When another copy holds it,
    // SecondCopy() is true and the later steps do nothing (nothing is logged,
    // no port opened, no request file taken): the shell refuses to start as
    // for a second copy. The mark and the directory are looked at again
    // before every request file and at every re-test (DataPathGuard).
    void LoadConfiguration();
    bool SecondCopy() const { return secondCopy_; }
    // "Start programu", then what was wrong with the configuration file and
    // with the data path.
    void LogStart();
    // Opens the line trace first, when one is asked for; a trace file that
    // cannot be written is logged ("Nelze vytvořit soubor") and the program
    // runs without a trace.
    void OpenTerminals();
    // Creates the watcher for DataPath + the request-file name and starts it;
    // first reports a job the last run left unfinished.
    void StartWatcher(std::string_view requestFileName);

    // Thread-safe, from the system's stop request (SIGTERM, SIGINT): the job
    // in progress ends after its current command (a download at once) and
    // reports a failure; no new job starts. The shell then ends its loop and
    // runs Shutdown. The first request calls `onStopRequest` at once, on the
    // calling thread.
    void RequestStop();
    // Set before the program runs; thread-safe work only.
    void OnStopRequest(std::function<void()> hook) { onStopRequest_ = std::move(hook); }

    // The shutdown sequence: Stopping, the watcher stopped (a hand-over it is
    // waiting for is dropped, so the request file stays for the next start),
    // the terminals released, "Stop programu". The shell switches its
    // watchdog timer off first.
    void Shutdown();

    // The shell's event loop calls this when the hand-over wakes it; it runs
    // the queued work unless a job is in progress.
    void RunHandOvers();

    // What the operator asks for, each named by what it does; the window's
    // handlers (their names are the window's own) and the controls behind them:
    //   SendCommandLine         Button1Click, BitBtn4 "Odeslat příkaz"
    //   SendQuickCommand        SpeedButtonClick, SpeedButton1..4 "00" "11" "S" "Y"
    //   RunCommandFile          Button33Click, BitBtn1 "Příkazy ze souboru"
    //   SetTerminalClock        Button4Click, BitBtn6 "Nastavit čas"
    //   ShowWatchdogStatus      TerminalIndicatorClick, a slot's indicator icon
    //   SetMasterTestExtension  Delay_addChange, the list Delay_add
    //   SaveConfiguration       BitBtn1Click, BitBtn5 and BitBtn8 "Uložit CFG"
    // The job calls return false when the press was ignored because the
    // program was busy: a job in progress, or, for RunCommandFile and
    // SetTerminalClock, the watcher busy at that moment. The shell tells the
    // operator so. A press taken up may still send nothing (the slot not
    // connected, its terminal absent), silently. An empty command line
    // re-tests the terminals.
    bool SendCommandLine(std::string_view commandLine);
    bool SendQuickCommand(std::string_view text);
    // `chooseFile` shows the file dialog (events flow meanwhile) and gives
    // the chosen file, or nothing when cancelled.
    bool RunCommandFile(const std::function<std::optional<std::string>()>& chooseFile);
    bool SetTerminalClock();
    void ShowWatchdogStatus(int slot);
    // The extension of the MASTER test by the list's entry (4 ms a step).
    void SetMasterTestExtension(int index);
    // SaveConfiguration, behind both "Uložit CFG" buttons: the record built
    // from the pages as entered (a field that is no number ends it with its
    // message), the operator asked before a doubtful value is stored (see
    // DoubtsAbout; the answer is logged), MarkParity set for the ports opened
    // from now on, the file written, and the restart question. True when the
    // operator wants the restart: the shell then makes its close request.
    bool SaveConfiguration(const EnteredConfiguration& entered);

    // The timers' work: every 10 s (Timer1) the watcher is kept alive (a
    // suspended one resumed, a dead one started again, a live one's tick
    // counter reset); every second (Timer2) its state is shown.
    void CheckWatcher();
    void ShowWatcherState();

    // Whether a job or an operator's handler is in progress.
    bool Busy() const { return jobDepth_ > 0 || operatorActive_; }

    const Configuration& Config() const { return config_; }
    // The data path's mark and directory as last looked at; none before
    // LoadConfiguration and after Shutdown.
    const DataPathGuard* DataPath() const { return dataPath_.get(); }
    // What a connected slot's indicator shows; PortNotOpen before the
    // terminals are open.
    IndicatorState SlotState(int slot) const;
    // The last status pair reported ("a,b"); empty before the first.
    const std::string& LastStatus() const { return lastStatus_; }
    const EventLog& Log() const { return log_; }
    SharedFlags& Flags() { return flags_; }
    HandOver& HandOvers() { return handOver_; }

private:
    class JobScope;
    class OperatorScope;
    class ManualRunScope;
    class SuspendedWatcher;

    void OpenLineTrace();
    void WaitWatcherIdle();
    void RunManualJob(std::string_view line);

    Console& console_;
    EngineOptions options_;
    EventLog log_;
    Configuration config_;
    SharedFlags flags_;
    HandOver handOver_;
    std::unique_ptr<LineTrace> lineTrace_; // outlives the ports that write to it
    std::unique_ptr<TerminalHost> host_;
    std::unique_ptr<Terminals> terminals_;
    std::unique_ptr<CommandRunner> runner_;
    std::unique_ptr<THlidac> watcher_;
    std::unique_ptr<DataPathGuard> dataPath_;
    std::string lastStatus_;
    std::function<void()> onStopRequest_;
    bool secondCopy_ = false;
    bool started_ = false; // "Start programu" logged
    int jobDepth_ = 0;
    bool operatorActive_ = false;
};

} // namespace kelmora
