#include "engine/Engine.h"

#include "engine/ClockCommand.h"
#include "engine/Console.h"
#include "engine/StatusFile.h"
#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/Path.h"
#include "platform/TextLines.h"
#include "serial/Customport.h"
#include "serial/PortDevices.h"

namespace kelmora {

using namespace kelmora::literals;

namespace {

constexpr std::uint32_t kWatcherIdleCheckMs = 100;
constexpr std::uint32_t kShutdownCheckMs = 10;

// The serial driver's idle hook keeps the shell's events flowing while a
// wait lasts. There is one hook per process, so one console behind it.
Console* g_idleConsole = nullptr;

int ProcessShellEvents(PortRecord*) {
    if (g_idleConsole != nullptr) {
        g_idleConsole->ProcessPendingEvents();
    }
    return 0;
}

// Sets the serial layer's process-wide values from the configuration.
void ApplyToSerialLayer(const Configuration& config) {
    MarkParity = config.MarkParity;
    LineLeadUs = config.LineLeadUs;
    LineTailUs = config.LineTailUs;
    clear_port_devices();
    for (std::size_t i = 0; i < config.PortDevices.size(); ++i) {
        if (!config.PortDevices[i].empty()) {
            set_port_device(static_cast<std::int32_t>(i), config.PortDevices[i]);
        }
    }
}

} // namespace

// Marks a job in progress for its whole length, on every way out.
class Engine::JobScope {
public:
    explicit JobScope(Engine& engine) : engine_(engine) { ++engine_.jobDepth_; }
    ~JobScope() { --engine_.jobDepth_; }
    JobScope(const JobScope&) = delete;
    JobScope& operator=(const JobScope&) = delete;

private:
    Engine& engine_;
};

// Marks an operator's handler in progress, on every way out.
class Engine::OperatorScope {
public:
    explicit OperatorScope(Engine& engine) : engine_(engine) { engine_.operatorActive_ = true; }
    ~OperatorScope() { engine_.operatorActive_ = false; }
    OperatorScope(const OperatorScope&) = delete;
    OperatorScope& operator=(const OperatorScope&) = delete;

private:
    Engine& engine_;
};

// An operator's run of the command list: ManualRun holds the watcher's
// hand-overs off meanwhile, cleared again on every way out.
class Engine::ManualRunScope {
public:
    ManualRunScope(SharedFlags& flags, THlidac* watcher) : flags_(flags), watcher_(watcher) {
        flags_.ManualRun = true;
    }
    ~ManualRunScope() {
        flags_.ManualRun = false;
        // A request that came meanwhile is taken now, not at the next look.
        if (watcher_ != nullptr) {
            watcher_->LookNow();
        }
    }
    ManualRunScope(const ManualRunScope&) = delete;
    ManualRunScope& operator=(const ManualRunScope&) = delete;

private:
    SharedFlags& flags_;
    THlidac* watcher_;
};

// The watcher suspended for the length of a job, resumed on every way out.
class Engine::SuspendedWatcher {
public:
    explicit SuspendedWatcher(THlidac* watcher) : watcher_(watcher) {
        if (watcher_ != nullptr) {
            watcher_->Suspend();
        }
    }
    ~SuspendedWatcher() {
        if (watcher_ != nullptr) {
            watcher_->Resume();
        }
    }
    SuspendedWatcher(const SuspendedWatcher&) = delete;
    SuspendedWatcher& operator=(const SuspendedWatcher&) = delete;

private:
    THlidac* watcher_;
};

Engine::Engine(Console& console, EngineOptions options)
    : console_(console), options_(std::move(options)),
      log_(options_.startDirectory, options_.clock, [this](std::string_view message) {
          if (IsStatusPair(message)) {
              lastStatus_ = message;
          }
          if (options_.logListener) {
              options_.logListener(message);
          }
      }) {
    g_idleConsole = &console_;
    set_idle_hook(ProcessShellEvents);
}

Engine::~Engine() {
    if (watcher_) {
        Shutdown();
    }
    set_idle_hook(nullptr);
    if (g_idleConsole == &console_) {
        g_idleConsole = nullptr;
    }
}

void Engine::LoadConfiguration() {
    config_ = kelmora::LoadConfiguration(options_.iniPath, options_.startDirectory);
    // Two copies on one data path would both take its request files.
    dataPath_.reset();
    dataPath_ = std::make_unique<DataPathGuard>(config_.DataPath, log_);
    secondCopy_ = dataPath_->SecondCopy();
    ApplyToSerialLayer(config_);
    host_ = std::make_unique<TerminalHost>(TobrinSettingsFrom(config_), log_, console_, flags_);
    terminals_ =
        std::make_unique<Terminals>(config_, *host_, console_, log_, flags_, options_.opener);
    runner_ = std::make_unique<CommandRunner>(config_, log_, console_, *terminals_, flags_);
}

void Engine::LogStart() {
    if (secondCopy_) {
        return;
    }
    started_ = true;
    log_.LogEvent("Start programu");
    for (const std::string& problem : config_.LoadProblems) {
        log_.LogEvent(problem);
    }
    dataPath_->Check();
}

void Engine::OpenTerminals() {
    if (secondCopy_) {
        return;
    }
    OpenLineTrace();
    terminals_->OpenTerminals();
}

void Engine::OpenLineTrace() {
    const std::string& path = options_.tracePath.empty() ? config_.TraceFile : options_.tracePath;
    if (path.empty()) {
        return;
    }
    auto trace = std::make_unique<LineTrace>();
    std::string error;
    if (!trace->Open(path, LineTrace::kDefaultLimit, error)) {
        log_.LogEvent(std::string("Nelze vytvořit soubor "_cp) + path);
        return;
    }
    lineTrace_ = std::move(trace);
    terminals_->TraceLines(lineTrace_.get());
}

void Engine::StartWatcher(std::string_view requestFileName) {
    if (secondCopy_) {
        return;
    }
    const std::string requestPath = join_path(config_.DataPath, requestFileName);
    {
        JobScope job(*this);
        runner_->ReportUnfinishedJob(requestPath);
    }
    // After a stop request nothing new starts: a request file stays for the
    // next start.
    WatcherWork work;
    work.processRequestFile = [this](const std::string& path) {
        if (!flags_.StopRequested && dataPath_->Check()) {
            JobScope job(*this);
            runner_->ProcessRequestFile(path);
        }
    };
    work.retestTerminals = [this, requestPath] {
        if (!flags_.StopRequested) {
            dataPath_->Check();
            JobScope job(*this);
            runner_->ReportPendingStatus(requestPath);
            terminals_->RetestTerminals();
        }
    };
    watcher_ = std::make_unique<THlidac>(requestPath, flags_, handOver_, std::move(work),
                                         options_.watcher);
    watcher_->Resume();
}

void Engine::RequestStop() {
    if (!flags_.StopRequested.exchange(true) && onStopRequest_) {
        onStopRequest_();
    }
}

void Engine::Shutdown() {
    flags_.Stopping = true;
    if (watcher_) {
        watcher_->Terminate();
        // The watcher may be waiting for a hand-over that this thread would
        // run; drop it instead, so the request file stays for the next start.
        while (watcher_->ExitCode() == kStillActive) {
            handOver_.DropPending();
            sleep_ms(kShutdownCheckMs);
        }
        watcher_->Join();
        watcher_.reset();
    }
    if (terminals_) {
        terminals_->Release();
    }
    if (started_) {
        log_.LogEvent("Stop programu");
        started_ = false;
    }
    // No request file is taken any more: another copy may work here now.
    dataPath_.reset();
    if (runner_) {
        runner_->CommandList.clear();
    }
}

void Engine::RunHandOvers() {
    if (jobDepth_ > 0) {
        return; // runs when the job in progress has ended
    }
    handOver_.RunPending();
}

void Engine::WaitWatcherIdle() {
    while (flags_.WatcherBusy) {
        // The watcher may be busy handing work over: run it, or it never ends.
        RunHandOvers();
        console_.ProcessPendingEvents();
        sleep_ms(kWatcherIdleCheckMs);
    }
}

void Engine::RunManualJob(std::string_view line) {
    OperatorScope operatorHandler(*this);
    WaitWatcherIdle();
    SuspendedWatcher suspended(watcher_.get());
    JobScope job(*this);
    const int slot = console_.SelectedSlot();
    const TTobrin* t = runner_->SelectedTerminal();
    if (t == nullptr || !t->IsPresent()) {
        return;
    }
    console_.ClearResults();
    runner_->ClearStatusPanels();
    runner_->CommandList = {std::string(line)};
    {
        ManualRunScope manual(flags_, watcher_.get());
        runner_->RunCommandList();
    }
    if (runner_->SaveResults()) {
        runner_->ReportJobStatus();
        terminals_->ShowTerminalState(slot);
    }
}

bool Engine::SendCommandLine(std::string_view commandLine) {
    if (Busy()) {
        return false;
    }
    if (commandLine.empty()) {
        JobScope job(*this);
        terminals_->RetestTerminals();
        return true;
    }
    RunManualJob(commandLine);
    return true;
}

bool Engine::SendQuickCommand(std::string_view text) {
    if (Busy()) {
        return false;
    }
    RunManualJob(text);
    return true;
}

bool Engine::RunCommandFile(const std::function<std::optional<std::string>()>& chooseFile) {
    if (Busy() || flags_.WatcherBusy) {
        return false;
    }
    OperatorScope operatorHandler(*this);
    const std::string directory = current_directory();
    // Events flow while the dialog is open: a request file may be handed over
    // and run before the chosen file is read.
    const std::optional<std::string> file = chooseFile();
    if (file) {
        JobScope job(*this);
        runner_->CommandList.clear();
        console_.ClearResults();
        runner_->ClearStatusPanels();
        if (auto lines = read_text_lines(*file)) {
            runner_->CommandList = std::move(*lines);
        }
        if (runner_->CommandList.empty()) {
            runner_->ReportStatus(0, 0);
        } else {
            {
                ManualRunScope manual(flags_, watcher_.get());
                runner_->RunCommandList();
            }
            if (runner_->SaveResults()) {
                runner_->ReportJobStatus();
                terminals_->ShowTerminalState(console_.SelectedSlot());
            } else {
                console_.ShowMessage({"Nelze zapsat výstupní soubor."_cp,
                                      {},
                                      MessageIcon::Error,
                                      MessageButtons::Ok});
            }
        }
    }
    change_directory(directory);
    return true;
}

bool Engine::SetTerminalClock() {
    if (Busy() || flags_.WatcherBusy) {
        return false;
    }
    const std::string line = ClockCommandLine(options_.clock());
    const TTobrin* t = runner_->SelectedTerminal();
    if (t == nullptr || !t->IsPresent()) {
        return true;
    }
    JobScope job(*this);
    runner_->CommandList = {line};
    {
        ManualRunScope manual(flags_, watcher_.get());
        runner_->RunCommandList();
    }
    runner_->ReportStatus(t->AckCount, t->RecordCount);
    return true;
}

void Engine::ShowWatchdogStatus(int slot) {
    terminals_->ShowWatchdogStatus(slot);
}

void Engine::SetMasterTestExtension(int index) {
    host_->SetMasterTestMs(MasterTestMsFor(index));
}

bool Engine::SaveConfiguration(const EnteredConfiguration& entered) {
    const BuiltRecord built = BuildCfgRecord(entered);
    if (!built.Record) {
        console_.ShowMessage({built.Message, {}, MessageIcon::Error, MessageButtons::Ok});
        return false;
    }
    StoredSettings settings;
    settings.Record = *built.Record;
    settings.LineLeadUs = config_.LineLeadUs;
    settings.LineTailUs = config_.LineTailUs;
    settings.MarkParity = entered.MarkParity;
    settings.EndJobOnFailure = entered.EndJobOnFailure;
    settings.DataPath = entered.DataPath;
    settings.BinaryOutput = entered.BinaryOutput;
    settings.WaitForDataMs = config_.WaitForDataMs;
    for (const SaveDoubt& doubt : DoubtsAbout(settings)) {
        const bool agreed =
            console_.ShowMessage({doubt.Question, "Varování"_cp, MessageIcon::Warning,
                                  MessageButtons::YesNo}) == MessageAnswer::Yes;
        log_.LogEvent(doubt.LogLine +
                      std::string(agreed ? " - uloženo na přání obsluhy"_cp : " - neuloženo"_cp));
        if (!agreed) {
            return false;
        }
    }
    // The value in force and the serial layer's together: ports opened from
    // now on use it (those open since the start keep theirs).
    config_.MarkParity = entered.MarkParity;
    MarkParity = config_.MarkParity;
    if (const auto failure = WriteConfigurationFile(options_.iniPath, settings)) {
        console_.ShowMessage({*failure, {}, MessageIcon::Error, MessageButtons::Ok});
        return false;
    }
    return console_.ShowMessage({"Nastavená konfigurace bude použita až po restartu programu!\n"
                                 "Provést restart programu ihned?"_cp,
                                 "Varování"_cp, MessageIcon::Warning, MessageButtons::YesNo}) ==
           MessageAnswer::Yes;
}

void Engine::CheckWatcher() {
    if (!watcher_) {
        return;
    }
    if (watcher_->Suspended()) {
        watcher_->Resume();
    } else if (watcher_->ExitCode() == kStillActive) {
        flags_.WatchdogTicks = 0;
    } else {
        watcher_->Suspend();
        watcher_->Resume();
    }
}

IndicatorState Engine::SlotState(int slot) const {
    return terminals_ ? terminals_->StateOf(slot) : IndicatorState::PortNotOpen;
}

void Engine::ShowWatcherState() {
    console_.ShowWatchdog(flags_.WatchdogTicks, !flags_.WatcherBusy);
}

} // namespace kelmora
