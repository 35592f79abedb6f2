#include "shell/LifeCycle.h"

#include "platform/Cp1250.h"
#include "platform/SingleInstance.h"
#include "platform/StopSignal.h"
#include "shell/Guarded.h"

#include <memory>
#include <mutex>

namespace kelmora {

namespace {

void Notify(const std::function<void(Engine&)>& event, Engine& engine) {
    if (event) {
        event(engine);
    }
}

// Carries a stop request from the signals' thread to the shell, once the
// shell can take it; one made before that is kept and passed on then.
class StopRelay {
public:
    void Request() {
        std::lock_guard lock(mutex_);
        requested_ = true;
        if (shell_ != nullptr) {
            shell_->RequestStop();
        }
    }

    void Attach(ProgramShell* shell) {
        std::lock_guard lock(mutex_);
        shell_ = shell;
        if (shell_ != nullptr && requested_) {
            shell_->RequestStop();
        }
    }

private:
    std::mutex mutex_;
    ProgramShell* shell_ = nullptr;
    bool requested_ = false;
};

} // namespace

LifeCycle::LifeCycle(Console& console, ShellWindow& window, EngineOptions options,
                     LifeCycleEvents events)
    : console_(console), window_(window), events_(std::move(events)),
      engine_(std::make_unique<Engine>(console, std::move(options))) {
    engine_->HandOvers().SetWake([this] { window_.WakeForHandOver(); });
    engine_->OnStopRequest([this] { Notify(events_.stopRequested, *engine_); });
}

LifeCycle::~LifeCycle() {
    Destroy();
}

bool LifeCycle::Construct() {
    engine_->LoadConfiguration();
    if (engine_->SecondCopy()) {
        return false;
    }
    window_.FillConfigurationPages(engine_->Config());
    engine_->LogStart();
    engine_->OpenTerminals();
    return true;
}

void LifeCycle::Create() {
    if (created_ || destroyed_ || engine_->SecondCopy()) {
        return;
    }
    created_ = true;
    engine_->StartWatcher(window_.RequestFileName());
    window_.EnableWatchdog(true);
    console_.ShowBalloon(kApplicationTitle, kStartBalloonText, kStartBalloonMs);
    Notify(events_.started, *engine_);
}

void LifeCycle::WatchdogTick() {
    Notify(events_.watchdogTick, *engine_);
    engine_->CheckWatcher();
}

void LifeCycle::DisplayTick() {
    Notify(events_.displayTick, *engine_);
    engine_->ShowWatcherState();
}

void LifeCycle::Destroy() {
    if (destroyed_) {
        return;
    }
    destroyed_ = true;
    if (created_) {
        Notify(events_.stopping, *engine_);
    }
    // The watchdog could resume the watcher while it is being stopped.
    window_.EnableWatchdog(false);
    engine_->Shutdown();
}

int RunProgram(ProgramShell& shell) {
    SingleInstance mark(kInstanceMarkName);
    // Before any other thread exists (the toolkit's, the watcher): the
    // signals are blocked here and taken by a thread of their own.
    // The relay outlives this function: a signal may come while the process ends.
    const auto relay = std::make_shared<StopRelay>();
    on_stop_signal([relay] { relay->Request(); });
    shell.Prepare();
    if (!mark.Held()) {
        shell.ShowStartMessage(kSecondCopyMessage);
        return -1;
    }
    bool started = false;
    bool secondCopy = false;
    RunGuarded(
        [&] {
            secondCopy = !shell.Start();
            started = !secondCopy;
        },
        [&shell](std::string_view text) {
            shell.ShowStartMessage({text, {}, MessageIcon::Error, MessageButtons::Ok});
        });
    if (secondCopy) {
        // Another copy (another user's, a service) works in this data path.
        shell.Stop();
        shell.ShowStartMessage(kSecondCopyMessage);
        return -1;
    }
    if (started) {
        relay->Attach(&shell);
        shell.RunLoop();
        relay->Attach(nullptr);
    }
    mark.Release();
    shell.Stop();
    stop_signal_done();
    return 0;
}

} // namespace kelmora
