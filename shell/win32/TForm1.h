// TForm1, the operator's window in plain Win32: five pages on a tab control
// (the event-log page without a tab until asked for), the status bar, the
// notification-area icon with its menu and balloons, and the two timers. It
// is the operator console of the engine its life cycle owns, and it forwards
// the operator's controls to that engine. A job's serial waits pump this
// thread's messages, and the engine refuses a second job inside a running
// one. The same window as the Qt one (shell/window/TForm1.h); both tests read
// tests/data/window_controls.tsv.
//
// Life cycle (shell/LifeCycle.h), as the program drives it:
//   TForm1(...)   the window hidden with its controls, the tray icon, Timer2;
//                 LifeCycle::Construct
//   FormCreate()  LifeCycle::Create; the window shown where there is no
//                 notification area; the property "KelmoraReady" set
//   ... the message loop; a confirmed close ends it once no job runs ...
//   FormDestroy() LifeCycle::Destroy (also run by ~TForm1)
#pragma once

#include "engine/Console.h"
#include "engine/Engine.h"
#include "shell/Guarded.h"
#include "shell/LifeCycle.h"
#include "shell/win32/Controls.h"
#include "shell/win32/Hints.h"
#include "shell/win32/Layout.h"
#include "shell/win32/Metrics.h"
#include "shell/win32/StatusBar.h"
#include "shell/win32/TrayIcon.h"
#include "shell/win32/WinApi.h"
#include "shell/win32/WindowOptions.h"

#include <commctrl.h>

#include <memory>
#include <string>

namespace kelmora::win32 {

// The window class, and the messages the window posts itself.
inline constexpr const wchar_t* kFormClass = L"KelmoraForm1";
inline constexpr UINT kTrayMessage = WM_APP + 1;
inline constexpr UINT kHandOverMessage = WM_APP + 2;
inline constexpr UINT kStopMessage = WM_APP + 3;
// The window property set once FormCreate has run.
inline constexpr const wchar_t* kReadyProperty = L"KelmoraReady";

class TForm1 : public Console, public ShellWindow {
public:
    TForm1(EngineOptions engineOptions, WindowOptions options = {});
    ~TForm1() override;
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    void FormCreate();
    void FormDestroy();

    HWND Handle() const { return form_; }
    Engine& GetEngine() { return *engine_; }
    const Controls& Ui() const { return ui_; }
    const Layout& Named() const { return layout_; }
    const Hints& Hinting() const { return hints_; }
    StatusBar& StatusBar1() { return statusBar_; }
    TrayIcon& StatusIcon1() { return *tray_; }
    bool TrayAvailable() const { return trayAvailable_; }
    int Dpi() const { return dpi_; }
    // The page shown (0..4) and whether the event-log page has its tab.
    int ActivePage() const { return activePage_; }
    bool EventLogTabShown() const { return eventLogTab_; }
    bool Timer1Active() const { return timer1Active_; }
    bool QuitRequested() const { return quitRequested_; }
    // The default button once the command line has changed (BitBtn4).
    bool BitBtn4IsDefault() const { return defaultSet_; }
    // The system asks the program to stop: it ends without asking, once no
    // job runs.
    void RequestQuit();

    // The handlers, named control plus event; many carry another control's
    // name: who calls what is the table in shell/window/TForm1.h (and
    // DESIGN.md, "Names"), which holds for this window too.
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

    // Called by the message loop before a message is dispatched: true when
    // the window took it (Enter for the default button).
    bool PreTranslate(const MSG& message);

    // The window procedure's work; public for the class's static procedure.
    LRESULT OnMessage(UINT message, WPARAM w, LPARAM l);

private:
    void BuildWindow();
    void LayoutWindow();
    void SetTabs(bool eventLogTab);
    void FitTabs();
    void ShowPage(int page);
    void OnCommand(int id, int code, HWND control);
    void OnTimer(UINT_PTR id);
    void DrawQuickButton(const DRAWITEMSTRUCT& item);
    bool OnCloseRequest();

    // Runs a handler; an error that escapes it is shown and the window runs on.
    template <typename Handler>
    void Guarded(Handler&& handler);
    void ShowError(std::string_view text);
    MessageAnswer Ask(HWND owner, const MessageBox& box);
    HWND OwnerForMessages() const;

    // Says why a button did nothing: a job runs, or the watcher is busy.
    void TellIgnored(bool takenUp);
    void ShowNote(const std::wstring& text);
    void RunHandOvers();
    // A hand-over held back by the handler that just ran runs shortly.
    void RetryHandOversLater();
    void QuitWhenIdle();
    std::wstring TextOf(HWND control) const;

    EngineOptions engineOptions_;
    WindowOptions options_;
    HWND form_ = nullptr;
    Controls ui_;
    Layout layout_;
    Hints hints_;
    Fonts fonts_;
    StatusBar statusBar_;
    std::unique_ptr<TrayIcon> tray_;
    HIMAGELIST tabImages_ = nullptr;
    HFONT tabFont_ = nullptr;
    std::unique_ptr<LifeCycle> life_;
    Engine* engine_ = nullptr; // the life cycle's

    int dpi_ = 96;
    int activePage_ = 0;
    bool eventLogTab_ = false;
    bool trayAvailable_ = false;
    bool destroyed_ = false;
    bool quitRequested_ = false;
    bool backFromHidden_ = false;
    bool defaultSet_ = false;
    bool timer1Active_ = false;
    bool resultsRedraw_ = true;
    int eventDepth_ = 0;
    CursorShape cursor_ = CursorShape::Default;
    UINT taskbarCreated_ = 0;
};

template <typename Handler>
void TForm1::Guarded(Handler&& handler) {
    RunGuarded(handler, [this](std::string_view text) { ShowError(text); });
    RetryHandOversLater();
}

} // namespace kelmora::win32
