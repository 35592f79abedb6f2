// OperatorForm: what the operator's window does, written once for every
// toolkit. It owns the window's LifeCycle (and so the engine), implements the
// handlers under the window's own names, and reaches the toolkit's controls
// only through FormView (their values by component name, a note, a question,
// the window, the dialogs, the timers). A toolkit's TForm1 builds and paints
// the controls from the control table, is the engine's operator console, and
// forwards its controls' events here: a button's press to Press, Enter to
// EnterPressed, a change of Edit1 or Delay_add, a double click on Path_data,
// the window hidden or activated, a timer's tick.
//
// Who calls what (many handlers carry another control's name; DESIGN.md,
// "Names"):
// clang-format off
//
//   control                   caption               handler            what it does
//   BitBtn4                   "Odeslat příkaz"      Button1Click       sends Edit1
//   Edit1 (changed)           -                     Edit1Change        BitBtn4 is the default
//   SpeedButton1..4           "00" "11" "S" "Y"     SpeedButtonClick   O00, O11, S, Y
//   BitBtn1                   "Příkazy ze souboru"  Button33Click      runs a command file
//   BitBtn2, menu             "Schovat program"     Hide_windowClick   hides the window
//   BitBtn3                   "Ukončení programu"   BitBtn3Click       close request
//   menu, icon double click   "Zobrazit program"    Show_windowClick   shows the window
//   menu                      "Konec"               KonecClick         close request
//   BitBtn5, BitBtn8          "Uložit CFG"          BitBtn1Click       saves the configuration
//   Delay_add (changed)       -                     Delay_addChange    sets MasterTestMs
//   Path_data (double click)  -                     Path_dataDblClick  directory selection
//   BitBtn6                   "Nastavit čas"        Button4Click       the terminal's clock
//   BitBtn7                   "Výpis error-log"     Button2Click       shows the event log
//   JvXPButton5               "   Zpět"             BitBtn2Click       leaves the event log
//   JvXPButton6               "Vymazat obsah"       BitBtn5Click       clears the event log
//   an indicator's icon       -                     TerminalIndicatorClick  "Status WDT"
//   Timer1, Timer2            -                     Timer1Timer, Timer2Timer
//
// clang-format on
// Life cycle, as the toolkit's TForm1 drives it:
//   OperatorForm(...)  the LifeCycle and its engine
//   Construct()        Timer2 on, LifeCycle::Construct (the pages filled)
//   FormCreate()       LifeCycle::Create; the window shown where there is no
//                      notification area
//   ... the main loop; a confirmed close ends it once no job runs and no
//       nested loop (a modal box, a dialog, a job's waits) is open ...
//   FormDestroy()      the form's timers off, LifeCycle::Destroy
#pragma once

#include "engine/Console.h"
#include "engine/Engine.h"
#include "shell/LifeCycle.h"
#include "shell/form/FormView.h"

#include <memory>
#include <string>
#include <string_view>

namespace kelmora::form {

// The texts of a press the busy program ignored.
inline constexpr std::string_view kIgnoredDuringJob = literals::operator""_cp<
    "Probíhá jiná úloha, tlačítko nic nespustilo. "
    "Zkuste to po jejím skončení.">();
inline constexpr std::string_view kIgnoredWhileWatching = literals::operator""_cp<
    "Program právě kontroluje soubor požadavků, tlačítko nic "
    "nespustilo. Zkuste to znovu.">();
// "Schovat program" where nothing could bring the window back.
inline constexpr std::string_view kCannotHide = literals::operator""_cp<
    "Bez oznamovací oblasti nelze program schovat, okno zůstává otevřené.">();

// What SpeedButton1..4 send.
inline constexpr std::string_view kQuickCommands[4] = {"O00", "O11", "S", "Y"};

class OperatorForm : public ShellWindow {
public:
    OperatorForm(Console& console, FormView& view, EngineOptions engineOptions,
                 LifeCycleEvents events = {});
    ~OperatorForm() override;
    OperatorForm(const OperatorForm&) = delete;
    OperatorForm& operator=(const OperatorForm&) = delete;

    void Construct();
    // True when it ran (once, and not after FormDestroy).
    bool FormCreate();
    bool FormDestroy();

    Engine& GetEngine() { return *engine_; }
    const Engine& GetEngine() const { return *engine_; }
    // A close has been confirmed; the main loop ends once no job runs.
    bool QuitRequested() const { return quitRequested_; }
    bool Destroyed() const { return destroyed_; }
    bool Timer1Active() const { return timer1Active_; }
    // BitBtn4 is the default button: the command line has changed.
    bool SendIsDefault() const { return sendDefault_; }
    // The system asks the program to stop (SIGTERM, the session ends): it
    // ends without asking, once no job runs.
    void RequestQuit();

    // The handlers.
    void Show_windowClick();
    void Hide_windowClick();
    void KonecClick();
    void BitBtn3Click();
    void Edit1Change();
    void FormActivate();
    // The window's close (the title bar, BitBtn3, "Konec", a save's
    // restart): true when it may go. The operator is asked first, unless the
    // system stops the program.
    bool FormClose();
    void Button1Click();
    void Button33Click();
    void SpeedButtonClick(int index); // SpeedButton1Click..SpeedButton4Click
    void BitBtn1Click();              // the save
    void Delay_addChange();
    void Path_dataDblClick();
    void Button4Click();
    void Button2Click();
    void BitBtn2Click();
    void BitBtn5Click();
    void Timer1Timer();
    void Timer2Timer();
    void TerminalIndicatorClick(int slot);

    // A button, a quick button or a menu entry pressed: its handler. False
    // for a control without one.
    bool Press(std::string_view control);
    // Enter with the focus on `control`: in the command line it sends (once
    // the line has changed), on a button it presses that button; true when
    // the key was taken. Anywhere else Enter does nothing here.
    bool EnterPressed(std::string_view control);
    // The window was hidden or minimized; the window became active.
    void WindowHidden();
    void WindowActivated();
    void OnTimer(FormTimer timer);
    void RunHandOvers();

    // The console's part that is the form's: the live settings read from
    // the pages, message boxes, the page on show.
    int Attempts() const;
    bool EndJobOnFailure() const;
    bool HighPriority() const;
    MessageAnswer ShowMessage(const MessageBox& box);
    void SetActivePage(Page page);

    // While one lives, a loop of its own runs inside a handler (a modal box,
    // a dialog, a job's waits): a confirmed close waits until it is over.
    class NestedLoop {
    public:
        explicit NestedLoop(OperatorForm& form) : form_(form) { ++form_.eventDepth_; }
        ~NestedLoop() { --form_.eventDepth_; }
        NestedLoop(const NestedLoop&) = delete;
        NestedLoop& operator=(const NestedLoop&) = delete;

    private:
        OperatorForm& form_;
    };

    // ShellWindow.
    void FillConfigurationPages(const Configuration& config) override;
    std::string RequestFileName() const override;
    void EnableWatchdog(bool enabled) override;
    void WakeForHandOver() override;

private:
    // Runs a handler; an error that escapes it is shown and the window runs on.
    template <typename Handler>
    void Guarded(Handler&& handler);
    void ShowError(std::string_view text);
    MessageAnswer Ask(bool owned, const MessageBox& box);
    // A job button's press that the busy program ignored: a note and the
    // busy pointer until it is free.
    void TellIgnored(bool takenUp);
    bool ProgramBusy() const;
    bool ConfirmClose();
    void QuitWhenIdle();

    Console& console_;
    FormView& view_;
    std::unique_ptr<LifeCycle> life_;
    Engine* engine_; // the life cycle's

    bool destroyed_ = false;
    bool quitRequested_ = false;
    bool backFromHidden_ = false;
    bool sendDefault_ = false;
    bool timer1Active_ = false;
    int eventDepth_ = 0;
};

} // namespace kelmora::form
