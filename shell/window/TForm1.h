// TForm1, the operator's window: five pages (the event-log page hidden until
// asked for), the status bar, the notification-area icon with its menu and
// balloons, and the two timers. It is the operator console of the engine it
// owns, and it forwards the operator's controls to that engine. The window
// never blocks: a job's serial waits keep its events flowing, and the engine
// refuses a second job inside a running one.
//
// Life cycle (shell/LifeCycle.h), as the program drives it:
//   TForm1(...)   controls, tray icon, Timer2; LifeCycle::Construct
//   FormCreate()  LifeCycle::Create; the window shown where there is no
//                 notification area
//   ... the main loop; a confirmed close ends it once no job runs ...
//   FormDestroy() LifeCycle::Destroy (also run by ~TForm1)
#pragma once

#include "engine/Console.h"
#include "engine/Engine.h"
#include "shell/LifeCycle.h"
#include "shell/window/Controls.h"
#include "shell/window/WindowOptions.h"

#include <QWidget>
#include <array>
#include <memory>

class QTimer;

namespace kelmora {

class Indicator;
class StatusPanels;
class TrayIcon;

class TForm1 : public QWidget, public Console, public ShellWindow {
public:
    TForm1(EngineOptions engineOptions, WindowOptions options = {});
    ~TForm1() override;

    void FormCreate();
    void FormDestroy();

    Engine& GetEngine() { return *engine_; }
    const Controls& Ui() const { return ui_; }
    StatusPanels* StatusBar1() const { return statusBar_; }
    TrayIcon& StatusIcon1() const { return *tray_; }
    Indicator& IndicatorOf(int slot) const { return *indicators_[slot]; }
    QTimer* Timer1() const { return timer1_; }
    QTimer* Timer2() const { return timer2_; }
    // A close has been confirmed; the main loop ends once no job runs.
    bool QuitRequested() const { return quitRequested_; }
    // The system asks the program to stop (SIGTERM, the session ends): it
    // ends without asking, once no job runs.
    void RequestQuit();

    // The handlers, named control plus event; many carry another control's
    // name (see DESIGN.md, "Names"). Who calls what:
    // clang-format off
    //
    //   control                   caption               handler            what it does
    //   BitBtn4                   "Odeslat příkaz"      Button1Click       sends Edit1
    //   Edit1 (changed)           -                     Edit1Change        BitBtn4 is the default
    //   SpeedButton1..4           "00" "11" "S" "Y"     SpeedButtonClick   O00, O11, S, Y
    //   BitBtn1                   "Příkazy ze souboru"  Button33Click      runs a command file
    //   BitBtn2, menu             "Schovat program"     Hide_windowClick   hides the window
    //   BitBtn3                   "Ukončení programu"   BitBtn3Click       close request
    //   menu, icon double click   "Zobrazit program"    Show_windowClick   shows the control page
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
    // The job buttons, the save, Delay_addChange, the indicators and the
    // timers forward to the engine (the save to Engine::SaveConfiguration,
    // the quick buttons to Engine::SendQuickCommand).
    void Show_windowClick();
    void Hide_windowClick();
    void KonecClick();
    void BitBtn3Click();
    void Edit1Change();
    void FormActivate();
    bool FormClose();
    void Button1Click();
    void Button33Click();
    void SpeedButtonClick(int index); // SpeedButton1Click..SpeedButton4Click
    void BitBtn1Click();              // SaveConfiguration
    void Delay_addChange();
    void Path_dataDblClick();
    void Button4Click();
    void Button2Click();
    void BitBtn2Click();
    void BitBtn5Click();
    void Timer1Timer();
    void Timer2Timer();
    void TerminalIndicatorClick(int slot);
    void FillConfigurationPages();

    // Console.
    void ClearResults() override;
    void AppendResult(std::string_view line) override;
    void SetResultsVisible(bool visible) override;
    std::vector<std::string> Results() const override;
    void SetStatusPanel(int index, std::string_view text) override;
    CursorShape SetCursor(CursorShape shape) override;
    void SetTrayImage(int image) override;
    void ShowBalloon(std::string_view title, std::string_view text, int timeoutMs) override;
    void PaintIndicator(int slot, IndicatorState state) override;
    void ShowIndicator(int slot) override;
    void ShowWatchdog(int ticks, bool ledLit) override;
    void SetActivePage(Page page) override;
    void ShowWindow() override;
    int SelectedSlot() const override;
    void SelectSlot(int slot) override;
    int Attempts() const override;
    bool EndJobOnFailure() const override;
    bool HighPriority() const override;
    MessageAnswer ShowMessage(const MessageBox& box) override;
    void ProcessPendingEvents() override;

    // ShellWindow.
    void FillConfigurationPages(const Configuration& config) override;
    std::string RequestFileName() const override;
    void EnableWatchdog(bool enabled) override;
    void WakeForHandOver() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWindow();
    void ConnectHandlers();
    void StartEngine();

    // Runs a handler; an error that escapes it is shown and the window runs on.
    template <typename Handler>
    void Guarded(Handler&& handler);
    void ShowError(std::string_view text);
    MessageAnswer Ask(QWidget* owner, const MessageBox& box);

    void RunHandOvers();
    void QuitWhenIdle();
    // A job in progress, or the watcher busy at this moment.
    bool ProgramBusy() const;
    // Whether the desktop has a notification area now.
    bool TrayAvailable() const;
    // A job button's press that the busy program ignored: a note in the
    // status bar and the busy cursor over the window until it is free.
    void TellIgnored(bool takenUp);

    EngineOptions engineOptions_;
    WindowOptions options_;
    Controls ui_;
    StatusPanels* statusBar_ = nullptr;
    std::unique_ptr<TrayIcon> tray_;
    std::array<std::unique_ptr<Indicator>, 4> indicators_;
    QTimer* timer1_ = nullptr;
    QTimer* timer2_ = nullptr;
    QTimer* handOverRetry_ = nullptr;
    QTimer* quitTimer_ = nullptr;
    QTimer* busyWatch_ = nullptr;
    std::unique_ptr<LifeCycle> life_;
    Engine* engine_ = nullptr; // the life cycle's

    bool destroyed_ = false;
    bool quitRequested_ = false;
    bool backFromHidden_ = false;
    int eventDepth_ = 0;
    CursorShape cursor_ = CursorShape::Default;
};

} // namespace kelmora
