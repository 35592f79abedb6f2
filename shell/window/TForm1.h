// TForm1, the operator's window in Qt: five pages (the event-log page hidden
// until asked for), the status bar, the notification-area icon with its menu
// and balloons, and the timers. What the window does is the form logic's
// (shell/form/OperatorForm.h, the same for the Win32 window); this class
// builds and paints the controls from the control table, is the engine's
// operator console, gives the form logic its FormView, and forwards its
// controls' events there. The window never blocks: a job's serial waits keep
// its events flowing, and the engine refuses a second job inside a running
// one.
//
// Life cycle, as the program drives it:
//   TForm1(...)   controls, tray icon; OperatorForm::Construct
//   FormCreate()  OperatorForm::FormCreate; a missing Czech catalogue logged
//   ... the main loop; a confirmed close ends it once no job runs ...
//   FormDestroy() OperatorForm::FormDestroy (also run by ~TForm1)
#pragma once

#include "engine/Console.h"
#include "engine/Engine.h"
#include "shell/form/FormView.h"
#include "shell/form/OperatorForm.h"
#include "shell/window/Controls.h"
#include "shell/window/WindowOptions.h"

#include <QWidget>
#include <array>
#include <map>
#include <memory>

class QTimer;

namespace kelmora {

class Indicator;
class StatusPanels;
class TrayIcon;

class TForm1 : public QWidget, public Console, public form::FormView {
public:
    TForm1(EngineOptions engineOptions, WindowOptions options = {});
    ~TForm1() override;

    void FormCreate();
    void FormDestroy();

    // The form logic: the handlers by their names.
    form::OperatorForm& Form() { return *form_; }
    Engine& GetEngine() { return form_->GetEngine(); }
    const Controls& Ui() const { return ui_; }
    StatusPanels* StatusBar1() const { return statusBar_; }
    TrayIcon& StatusIcon1() const { return *tray_; }
    Indicator& IndicatorOf(int slot) const { return *indicators_[slot]; }
    QTimer* Timer1() const { return timers_[0]; }
    QTimer* Timer2() const { return timers_[1]; }
    bool QuitRequested() const { return form_->QuitRequested(); }
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
    int ActivePage() const override;
    void ShowPage(int page) override;
    void ShowEventLogTab(bool shown) override;
    void ShowSendAsDefault() override;
    bool TrayAvailable() const override;
    std::optional<std::string> ChooseCommandFile() override;
    std::optional<std::string> ChooseDirectory(std::string_view start) override;
    void RunTimer(form::FormTimer timer, bool on) override;
    void WakeForHandOver() override;
    void Quit() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWindow();
    void ConnectHandlers();
    QWidget* Control(std::string_view name) const;

    EngineOptions engineOptions_;
    WindowOptions options_;
    Controls ui_;
    std::map<std::string, QWidget*, std::less<>> named_;
    StatusPanels* statusBar_ = nullptr;
    std::unique_ptr<TrayIcon> tray_;
    std::array<std::unique_ptr<Indicator>, 4> indicators_;
    std::array<QTimer*, form::kFormTimerCount> timers_{};
    std::unique_ptr<form::OperatorForm> form_;
    CursorShape cursor_ = CursorShape::Default;
};

} // namespace kelmora
