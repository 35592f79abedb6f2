#include "shell/form/OperatorForm.h"

#include "shell/Guarded.h"
#include "shell/form/ConfigurationPages.h"
#include "shell/form/ControlTable.h"

#include <algorithm>
#include <array>

namespace kelmora::form {

using namespace kelmora::literals;

namespace {

struct Pressed {
    std::string_view control;
    void (OperatorForm::*handler)();
};

// The buttons' and the menu entries' handlers (the quick buttons aside).
constexpr std::array<Pressed, 13> kPressed{{
    {"BitBtn4", &OperatorForm::Button1Click},
    {"BitBtn1", &OperatorForm::Button33Click},
    {"BitBtn2", &OperatorForm::Hide_windowClick},
    {"BitBtn3", &OperatorForm::BitBtn3Click},
    {"BitBtn5", &OperatorForm::BitBtn1Click},
    {"BitBtn8", &OperatorForm::BitBtn1Click},
    {"BitBtn6", &OperatorForm::Button4Click},
    {"BitBtn7", &OperatorForm::Button2Click},
    {"JvXPButton5", &OperatorForm::BitBtn2Click},
    {"JvXPButton6", &OperatorForm::BitBtn5Click},
    {"Show_window", &OperatorForm::Show_windowClick},
    {"Hide_window", &OperatorForm::Hide_windowClick},
    {"Konec", &OperatorForm::KonecClick},
}};

constexpr std::string_view kSpeedButton = "SpeedButton";

} // namespace

OperatorForm::OperatorForm(Console& console, FormView& view, EngineOptions engineOptions,
                           LifeCycleEvents events)
    : console_(console), view_(view),
      life_(
          std::make_unique<LifeCycle>(console, *this, std::move(engineOptions), std::move(events))),
      engine_(&life_->GetEngine()) {}

OperatorForm::~OperatorForm() {
    FormDestroy();
}

void OperatorForm::Construct() {
    view_.RunTimer(FormTimer::Timer2, true);
    life_->Construct();
}

bool OperatorForm::FormCreate() {
    if (life_->Created() || destroyed_) {
        return false;
    }
    life_->Create();
    if (!view_.TrayAvailable() && !view_.Shown()) {
        console_.ShowWindow();
    }
    return true;
}

bool OperatorForm::FormDestroy() {
    if (destroyed_) {
        return false;
    }
    destroyed_ = true;
    for (FormTimer timer : {FormTimer::Quit, FormTimer::HandOverRetry, FormTimer::BusyWatch}) {
        view_.RunTimer(timer, false);
    }
    life_->Destroy();
    view_.RunTimer(FormTimer::Timer2, false);
    return true;
}

void OperatorForm::FillConfigurationPages(const Configuration& config) {
    form::FillConfigurationPages(view_, config);
    for (int panel : {1, 3, 5, 7}) {
        console_.SetStatusPanel(panel, {});
    }
    engine_->SetMasterTestExtension(view_.Selected("Delay_add"));
}

std::string OperatorForm::RequestFileName() const {
    return view_.Text("InSoubor");
}

void OperatorForm::EnableWatchdog(bool enabled) {
    timer1Active_ = enabled;
    view_.RunTimer(FormTimer::Timer1, enabled);
}

void OperatorForm::WakeForHandOver() {
    view_.WakeForHandOver();
}

template <typename Handler>
void OperatorForm::Guarded(Handler&& handler) {
    RunGuarded(handler, [this](std::string_view text) { ShowError(text); });
    if (!destroyed_ && engine_->HandOvers().HasPending()) {
        view_.RunTimer(FormTimer::HandOverRetry, true);
    }
}

void OperatorForm::ShowError(std::string_view text) {
    Ask(view_.Shown(), {text, {}, MessageIcon::Error, MessageButtons::Ok});
}

MessageAnswer OperatorForm::Ask(bool owned, const MessageBox& box) {
    // A modal box runs its own loop.
    NestedLoop nested(*this);
    return view_.Ask(owned, box);
}

void OperatorForm::RunHandOvers() {
    if (!destroyed_) {
        Guarded([this] { engine_->RunHandOvers(); });
    }
}

void OperatorForm::RequestQuit() {
    if (!destroyed_ && !engine_->Flags().Stopping) {
        QuitWhenIdle();
    }
}

void OperatorForm::QuitWhenIdle() {
    quitRequested_ = true;
    view_.RunTimer(FormTimer::Quit, true);
}

void OperatorForm::OnTimer(FormTimer timer) {
    switch (timer) {
    case FormTimer::Timer1:
        Timer1Timer();
        break;
    case FormTimer::Timer2:
        Timer2Timer();
        break;
    case FormTimer::HandOverRetry:
        view_.RunTimer(timer, false);
        RunHandOvers();
        break;
    case FormTimer::Quit:
        if (!engine_->Busy() && eventDepth_ == 0) {
            view_.RunTimer(timer, false);
            view_.Quit();
        }
        break;
    case FormTimer::BusyWatch:
        if (!ProgramBusy()) {
            view_.RunTimer(timer, false);
            view_.ShowBusyPointer(false);
        }
        break;
    }
}

// --- the window and the notification area ---

void OperatorForm::Show_windowClick() {
    Guarded([this] {
        // Brought back from hidden, the window opens on its first page; one
        // already on the screen keeps the page the operator left it on.
        const bool fromHidden = !view_.OnScreen();
        console_.ShowWindow();
        if (fromHidden) {
            backFromHidden_ = false;
            FormActivate();
        }
    });
}

void OperatorForm::Hide_windowClick() {
    Guarded([this] {
        if (view_.TrayAvailable()) {
            view_.HideWindow();
            return;
        }
        // Nothing would bring a hidden window back, and a minimized one is
        // lost where the desktop has no task bar: the window stays.
        console_.ShowWindow();
        view_.ShowNote(kCannotHide);
    });
}

void OperatorForm::WindowHidden() {
    backFromHidden_ = true;
}

void OperatorForm::WindowActivated() {
    if (backFromHidden_) {
        backFromHidden_ = false;
        FormActivate();
    }
}

void OperatorForm::KonecClick() {
    view_.RequestClose();
}

void OperatorForm::BitBtn3Click() {
    view_.RequestClose();
}

void OperatorForm::Edit1Change() {
    if (!sendDefault_) {
        sendDefault_ = true;
        view_.ShowSendAsDefault();
    }
}

void OperatorForm::FormActivate() {
    view_.ShowPage(0);
}

bool OperatorForm::FormClose() {
    bool accept = false;
    Guarded([&] { accept = ConfirmClose(); });
    return accept;
}

bool OperatorForm::ConfirmClose() {
    if (engine_->Flags().Stopping) {
        return false;
    }
    if (quitRequested_) {
        return true;
    }
    const MessageAnswer answer =
        Ask(false, {"Opravdu si přeješ ukončit program?\nKomunikace bude ukončena!"_cp, "Pozor!",
                    MessageIcon::Question, MessageButtons::YesNo});
    if (answer != MessageAnswer::Yes) {
        return false;
    }
    QuitWhenIdle();
    return true;
}

bool OperatorForm::Press(std::string_view control) {
    for (const Pressed& pressed : kPressed) {
        if (pressed.control == control) {
            (this->*pressed.handler)();
            return true;
        }
    }
    if (control.size() == kSpeedButton.size() + 1 && control.starts_with(kSpeedButton)) {
        const int index = control.back() - '1';
        if (index >= 0 && index < 4) {
            SpeedButtonClick(index);
            return true;
        }
    }
    return false;
}

bool OperatorForm::EnterPressed(std::string_view control) {
    if (control == "Edit1") {
        if (sendDefault_) {
            Button1Click();
        }
        return true;
    }
    const auto rows = ControlTable();
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [control](const ControlRow& r) { return r.name == control; });
    if (row != rows.end() && (row->kind == Kind::Button || row->kind == Kind::Quick)) {
        return Press(control);
    }
    return false;
}

// --- jobs ---

bool OperatorForm::ProgramBusy() const {
    return engine_->Busy() || engine_->Flags().WatcherBusy;
}

void OperatorForm::TellIgnored(bool takenUp) {
    if (takenUp) {
        return;
    }
    view_.ShowNote(engine_->Busy() ? kIgnoredDuringJob : kIgnoredWhileWatching);
    view_.ShowBusyPointer(true);
    view_.RunTimer(FormTimer::BusyWatch, true);
}

void OperatorForm::Button1Click() {
    Guarded([this] { TellIgnored(engine_->SendCommandLine(view_.Text("Edit1"))); });
}

void OperatorForm::SpeedButtonClick(int index) {
    Guarded([this, index] {
        if (index >= 0 && index < 4) {
            TellIgnored(engine_->SendQuickCommand(kQuickCommands[index]));
        }
    });
}

void OperatorForm::Button33Click() {
    Guarded([this] {
        TellIgnored(engine_->RunCommandFile([this] {
            NestedLoop dialog(*this);
            return view_.ChooseCommandFile();
        }));
    });
}

void OperatorForm::Button4Click() {
    Guarded([this] { TellIgnored(engine_->SetTerminalClock()); });
}

void OperatorForm::TerminalIndicatorClick(int slot) {
    Guarded([this, slot] { engine_->ShowWatchdogStatus(slot); });
}

void OperatorForm::Timer1Timer() {
    Guarded([this] { life_->WatchdogTick(); });
}

void OperatorForm::Timer2Timer() {
    Guarded([this] { life_->DisplayTick(); });
}

// --- the configuration ---

void OperatorForm::BitBtn1Click() {
    Guarded([this] {
        if (engine_->SaveConfiguration(ReadConfigurationPages(view_))) {
            view_.RequestClose(); // the restart: a close request, confirmed as any other
        }
    });
}

void OperatorForm::Delay_addChange() {
    Guarded([this] { engine_->SetMasterTestExtension(view_.Selected("Delay_add")); });
}

void OperatorForm::Path_dataDblClick() {
    Guarded([this] {
        std::optional<std::string> chosen;
        {
            NestedLoop dialog(*this);
            chosen = view_.ChooseDirectory(view_.Text("Path_data"));
        }
        if (chosen) {
            view_.SetText("Path_data", *chosen);
        }
    });
}

int OperatorForm::Attempts() const {
    return std::clamp(view_.Selected("Rep_write") + 1, 1, 9);
}

bool OperatorForm::EndJobOnFailure() const {
    return view_.Checked("Write_error_repeat");
}

bool OperatorForm::HighPriority() const {
    return view_.Checked("Priority_set");
}

MessageAnswer OperatorForm::ShowMessage(const MessageBox& box) {
    return Ask(view_.Shown(), box);
}

void OperatorForm::SetActivePage(Page page) {
    if (page == Page::EventLog) {
        view_.ShowEventLogTab(true);
    }
    view_.ShowPage(static_cast<int>(page));
}

// --- the event-log page ---

void OperatorForm::Button2Click() {
    Guarded([this] {
        view_.SetText("Memo2", {});
        const std::optional<std::string> log = engine_->Log().Read();
        if (!log) {
            ShowError("Cannot open file \"" + engine_->Log().Path() + "\".");
            return;
        }
        view_.SetText("Memo2", *log);
        view_.ShowEventLogTab(true);
        view_.ShowPage(4);
    });
}

void OperatorForm::BitBtn2Click() {
    Guarded([this] {
        view_.ShowPage(2);
        view_.ShowEventLogTab(false);
    });
}

void OperatorForm::BitBtn5Click() {
    Guarded([this] {
        view_.SetText("Memo2", {});
        if (!engine_->Log().Clear()) {
            ShowError("Cannot create file \"" + engine_->Log().Path() + "\".");
        }
    });
}

} // namespace kelmora::form
