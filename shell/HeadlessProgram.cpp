#include "shell/HeadlessProgram.h"

#include "engine/EventLog.h"
#include "shell/HeadlessConsole.h"
#include "shell/HeadlessLoop.h"

#include <iostream>
#include <memory>

namespace kelmora {

namespace {

// The headless console on standard error, its loop and its two timers.
class HeadlessShell : public ProgramShell, public ShellWindow {
public:
    HeadlessShell(EngineOptions engineOptions, LifeCycleEvents events)
        : engineOptions_(std::move(engineOptions)), events_(std::move(events)) {}

    void ShowStartMessage(const MessageBox& box) override { console_.ShowMessage(box); }

    bool Start() override {
        EngineOptions options = engineOptions_;
        options.startDirectory = CaptureStartDirectory();
        // What a window's event log page would show goes where the console
        // goes: the journal of a service.
        options.logListener = [this](std::string_view message) { console_.Say(message); };
        life_ = std::make_unique<LifeCycle>(console_, *this, std::move(options), events_);
        loop_ = std::make_unique<HeadlessLoop>(
            life_->GetEngine(), [this] { life_->WatchdogTick(); },
            [this] { life_->DisplayTick(); });
        console_.SetLoop(loop_.get());
        if (!life_->Construct()) {
            return false;
        }
        life_->Create();
        return true;
    }

    void RunLoop() override { loop_->Run(); }
    void RequestStop() override { loop_->RequestStop(); }

    void Stop() override {
        if (life_) {
            life_->Destroy();
        }
    }

    void FillConfigurationPages(const Configuration& config) override {
        console_.UseSettings(config);
    }
    std::string RequestFileName() const override { return life_->GetEngine().Config().RequestFile; }
    void EnableWatchdog(bool enabled) override {
        if (loop_) {
            loop_->EnableWatchdog(enabled);
        }
    }
    void WakeForHandOver() override { loop_->Wake(); }

private:
    EngineOptions engineOptions_; // the files main chose
    LifeCycleEvents events_;
    HeadlessConsole console_{std::cerr};
    std::unique_ptr<LifeCycle> life_;
    std::unique_ptr<HeadlessLoop> loop_;
};

} // namespace

int RunHeadless(EngineOptions engineOptions, const LifeCycleEvents& events) {
    HeadlessShell shell(std::move(engineOptions), events);
    return RunProgram(shell);
}

} // namespace kelmora
