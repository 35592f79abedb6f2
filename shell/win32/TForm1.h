// TForm1, the operator's window in plain Win32: five pages on a tab control
// (the event-log page without a tab until asked for), the status bar, the
// notification-area icon with its menu and balloons, and the timers. What
// the window does is the form logic's (shell/form/OperatorForm.h, the same
// for the Qt window); this class builds and paints the controls from the
// control table, is the engine's operator console, gives the form logic its
// FormView, and forwards its controls' messages there. A job's serial waits
// pump this thread's messages, and the engine refuses a second job inside a
// running one.
//
// Life cycle, as the program drives it:
//   TForm1(...)   the window hidden with its controls, the tray icon;
//                 OperatorForm::Construct
//   FormCreate()  OperatorForm::FormCreate; the property "KelmoraReady" set
//   ... the message loop; a confirmed close ends it once no job runs ...
//   FormDestroy() OperatorForm::FormDestroy (also run by ~TForm1)
#pragma once

#include "engine/Console.h"
#include "engine/Engine.h"
#include "shell/form/FormView.h"
#include "shell/form/OperatorForm.h"
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
// The timer that takes the status bar's note away.
inline constexpr UINT_PTR kNoteTimerId = 9;

class TForm1 : public Console, public form::FormView {
public:
    TForm1(EngineOptions engineOptions, WindowOptions options = {});
    ~TForm1() override;
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    void FormCreate();
    void FormDestroy();

    // The form logic: the handlers by their names.
    form::OperatorForm& Form() { return *form_; }
    HWND Handle() const { return window_; }
    Engine& GetEngine() { return form_->GetEngine(); }
    const Controls& Ui() const { return ui_; }
    const Layout& Named() const { return layout_; }
    const Hints& Hinting() const { return hints_; }
    StatusBar& StatusBar1() { return statusBar_; }
    TrayIcon& StatusIcon1() { return *tray_; }
    int Dpi() const { return dpi_; }
    bool EventLogTabShown() const { return eventLogTab_; }
    bool BusyPointer() const { return busyPointer_; }
    // The system asks the program to stop: it ends without asking, once no
    // job runs.
    void RequestQuit() { form_->RequestQuit(); }

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
    void SetActivePage(Page page) override { form_->SetActivePage(page); }
    void ShowWindow() override;
    int SelectedSlot() const override;
    void SelectSlot(int slot) override;
    int Attempts() const override { return form_->Attempts(); }
    bool EndJobOnFailure() const override { return form_->EndJobOnFailure(); }
    bool HighPriority() const override { return form_->HighPriority(); }
    MessageAnswer ShowMessage(const MessageBox& box) override { return form_->ShowMessage(box); }
    void ProcessPendingEvents() override;

    // FormView.
    std::string Text(std::string_view control) const override;
    void SetText(std::string_view control, std::string_view text) override;
    bool Checked(std::string_view control) const override;
    void SetChecked(std::string_view control, bool checked) override;
    int Selected(std::string_view control) const override;
    void Select(std::string_view control, int index) override;
    void ShowNote(std::string_view text) override;
    void ShowBusyPointer(bool busy) override;
    MessageAnswer Ask(bool owned, const MessageBox& box) override;
    bool Shown() const override;
    bool OnScreen() const override;
    void HideWindow() override;
    void RequestClose() override;
    int ActivePage() const override { return activePage_; }
    void ShowPage(int page) override;
    void ShowEventLogTab(bool shown) override;
    void ShowSendAsDefault() override;
    bool TrayAvailable() const override { return trayAvailable_; }
    std::optional<std::string> ChooseCommandFile() override;
    std::optional<std::string> ChooseDirectory(std::string_view start) override;
    void RunTimer(form::FormTimer timer, bool on) override;
    void WakeForHandOver() override;
    void Quit() override;

    // Called by the message loop before a message is dispatched: true when
    // the window took it (Enter in the command line or on a button).
    bool PreTranslate(const MSG& message);

    // The window procedure's work; public for the class's static procedure.
    LRESULT OnMessage(UINT message, WPARAM w, LPARAM l);

private:
    void BuildWindow();
    void LayoutWindow();
    void SetTabs(bool eventLogTab);
    void FitTabs();
    void OnCommand(int id, int code);
    void OnTimer(UINT_PTR id);
    void DrawQuickButton(const DRAWITEMSTRUCT& item);
    HWND Control(std::string_view name) const;

    EngineOptions engineOptions_;
    WindowOptions options_;
    HWND window_ = nullptr;
    Controls ui_;
    Layout layout_;
    Hints hints_;
    Fonts fonts_;
    StatusBar statusBar_;
    std::unique_ptr<TrayIcon> tray_;
    HIMAGELIST tabImages_ = nullptr;
    HFONT tabFont_ = nullptr;
    std::unique_ptr<form::OperatorForm> form_;

    int dpi_ = 96;
    int activePage_ = 0;
    bool eventLogTab_ = false;
    bool trayAvailable_ = false;
    bool resultsRedraw_ = true;
    bool busyPointer_ = false;
    CursorShape cursor_ = CursorShape::Default;
    UINT taskbarCreated_ = 0;
};

} // namespace kelmora::win32
