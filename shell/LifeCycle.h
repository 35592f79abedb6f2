// The program's life cycle, one for every shell (the headless loop, the Qt
// window, the Win32 window). The order of the steps lives here; a shell
// supplies only its console, its event loop and its timers.
//
// RunProgram, the program entry's part:
//   the single-instance mark "Kelmoraprogram"; the stop signals relayed to
//   the shell; the shell's application object (Prepare); a second copy shows
//   its message and ends with -1; the shell starts (Start: its window and
//   the LifeCycle below, Construct then Create), or finds another copy at
//   work in its data path and ends as a second copy; its loop runs until a
//   close is confirmed; the mark is released; the shutdown sequence (Stop);
//   0.
//   An error that escapes the start-up is shown and the program ends as
//   after a close.
//
// LifeCycle, the main window's part (a shell calls it from its window's
// construction, creation, watchdog timer and destruction):
//   Construct()     LoadConfiguration, the shell fills its pages, "Start
//                   programu", OpenTerminals; only LoadConfiguration when
//                   another copy works in the data path (SecondCopy)
//   Create()        the watcher (for the request file the shell names), the
//                   watchdog timer on, the balloon "Start programu";
//                   then LifeCycleEvents::started
//   WatchdogTick()  Timer1: LifeCycleEvents::watchdogTick, then the
//                   engine's watchdog (which resets the watcher's heartbeat)
//   DisplayTick()   Timer2: LifeCycleEvents::displayTick, then the engine's
//                   display
//   Destroy()       LifeCycleEvents::stopping; the watchdog timer off; the
//                   engine's shutdown ("Stop programu")
//
// LifeCycleEvents is where something outside the shell observes the life
// cycle, e.g. the service manager's readiness and watchdog notification
// (shell/ServiceWatchdog.h). Each event comes on the main thread with the
// engine.
#pragma once

#include "engine/Engine.h"
#include "shell/ProgramIdentity.h"

#include <functional>
#include <memory>
#include <string>

namespace kelmora {

struct Configuration;

struct LifeCycleEvents {
    // Start-up is done: the terminals are open, the watcher runs, the
    // watchdog is on; the main loop runs next.
    std::function<void(Engine&)> started;
    // The watchdog timer runs on the main thread (every 10 s): the main loop
    // is alive; the watcher's heartbeat since the last tick is still there
    // to be read.
    std::function<void(Engine&)> watchdogTick;
    // The system asked the program to stop (Engine::RequestStop): called at
    // once, on the thread that asked, while a job may still be ending; only
    // thread-safe work here.
    std::function<void(Engine&)> stopRequested;
    // The display timer runs on the main thread (every second), from the
    // start on: the main loop is alive.
    std::function<void(Engine&)> displayTick;
    // The shutdown sequence begins.
    std::function<void(Engine&)> stopping;
};

// What a shell's window supplies to the life cycle besides its console.
class ShellWindow {
public:
    virtual ~ShellWindow() = default;
    // Shows the configuration as loaded in the window's controls (the
    // headless console takes its live settings from it).
    virtual void FillConfigurationPages(const Configuration& config) = 0;
    // The name of the request file the watcher looks for.
    virtual std::string RequestFileName() const = 0;
    // Switches the watchdog timer (Timer1, every 10 s) on or off.
    virtual void EnableWatchdog(bool enabled) = 0;
    // Called on the watcher's thread when it has queued a hand-over: wake
    // the main loop, which then runs Engine::RunHandOvers.
    virtual void WakeForHandOver() = 0;
};

class LifeCycle {
public:
    LifeCycle(Console& console, ShellWindow& window, EngineOptions options,
              LifeCycleEvents events = {});
    ~LifeCycle();
    LifeCycle(const LifeCycle&) = delete;
    LifeCycle& operator=(const LifeCycle&) = delete;

    Engine& GetEngine() { return *engine_; }

    // False when another copy works in the data path: nothing else was done.
    bool Construct();
    void Create();
    void WatchdogTick();
    void DisplayTick();
    // Once; also run by the destructor of a life cycle that was constructed.
    void Destroy();

    bool Created() const { return created_; }
    bool Destroyed() const { return destroyed_; }

private:
    Console& console_;
    ShellWindow& window_;
    LifeCycleEvents events_;
    std::unique_ptr<Engine> engine_;
    bool created_ = false;
    bool destroyed_ = false;
};

// The program entry as a shell runs it.
class ProgramShell {
public:
    virtual ~ProgramShell() = default;
    // The platform's application object, before anything is shown.
    virtual void Prepare() {}
    // A message box without owner window: the second copy's refusal or an
    // error that escaped the start-up.
    virtual void ShowStartMessage(const MessageBox& box) = 0;
    // The window with its LifeCycle constructed and created; false when
    // another copy works in the data path (nothing was started).
    virtual bool Start() = 0;
    // The main loop, until a confirmed close or a stop request.
    virtual void RunLoop() = 0;
    // Thread-safe, from the stop signals' thread (SIGTERM, Ctrl+C, the
    // session ends): end the main loop without asking, once no job runs.
    // Only called between Start and Stop.
    virtual void RequestStop() = 0;
    // The shutdown sequence (LifeCycle::Destroy); also after a failed Start.
    virtual void Stop() = 0;
};

// Exit code 0, or -1 when another copy already runs.
int RunProgram(ProgramShell& shell);

} // namespace kelmora
