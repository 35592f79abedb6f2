// TForm1 as the engine's operator console.
#include "shell/window/Indicator.h"
#include "shell/window/Led.h"
#include "shell/window/QtText.h"
#include "shell/window/StatusPanels.h"
#include "shell/window/TForm1.h"
#include "shell/window/TrayIcon.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QProgressBar>
#include <algorithm>

namespace kelmora {

namespace {

bool ValidSlot(int slot) {
    return slot >= 0 && slot < 4;
}

} // namespace

void TForm1::ClearResults() {
    ui_.Memo1->clear();
}

void TForm1::AppendResult(std::string_view line) {
    ui_.Memo1->addItem(QtFromCp(line));
}

void TForm1::SetResultsVisible(bool visible) {
    // Drawing is held back while a block's lines come in, and done once.
    ui_.Memo1->setUpdatesEnabled(visible);
}

std::vector<std::string> TForm1::Results() const {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(ui_.Memo1->count()));
    for (int i = 0; i < ui_.Memo1->count(); ++i) {
        lines.push_back(CpFromQt(ui_.Memo1->item(i)->text()));
    }
    return lines;
}

void TForm1::SetStatusPanel(int index, std::string_view text) {
    statusBar_->SetText(index, QtFromCp(text));
}

CursorShape TForm1::SetCursor(CursorShape shape) {
    const CursorShape before = cursor_;
    cursor_ = shape;
    if (shape == CursorShape::Default) {
        if (before != CursorShape::Default) {
            QGuiApplication::restoreOverrideCursor();
        }
    } else {
        const QCursor cursor(shape == CursorShape::HourGlass ? Qt::WaitCursor : Qt::BusyCursor);
        if (before == CursorShape::Default) {
            QGuiApplication::setOverrideCursor(cursor);
        } else {
            QGuiApplication::changeOverrideCursor(cursor);
        }
    }
    return before;
}

void TForm1::SetTrayImage(int image) {
    tray_->SetImage(image);
}

void TForm1::ShowBalloon(std::string_view title, std::string_view text, int timeoutMs) {
    tray_->ShowBalloon(QtFromCp(title), QtFromCp(text), timeoutMs);
}

void TForm1::PaintIndicator(int slot, IndicatorState state) {
    if (ValidSlot(slot)) {
        indicators_[slot]->Paint(state);
    }
}

void TForm1::ShowIndicator(int slot) {
    if (ValidSlot(slot)) {
        indicators_[slot]->Show();
    }
}

void TForm1::ShowWatchdog(int ticks, bool ledLit) {
    ui_.ProgressBar1->setValue(std::clamp(ticks, 0, 100));
    ui_.JvLED1->SetLit(ledLit);
}

void TForm1::ShowWindow() {
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
}

int TForm1::SelectedSlot() const {
    return std::max(ui_.SelektItems->checkedId(), 0);
}

void TForm1::SelectSlot(int slot) {
    if (!ValidSlot(slot)) {
        return;
    }
    QAbstractButton* item = ui_.SelektItems->button(slot);
    item->setChecked(true);
    ui_.Selekt->repaint();
    if (isVisible() && isActiveWindow()) {
        item->setFocus();
    }
}

void TForm1::ProcessPendingEvents() {
    // A confirmed close must not end the main loop from in here: the job
    // below runs to its end first.
    const form::OperatorForm::NestedLoop nested(*form_);
    QCoreApplication::processEvents();
}

} // namespace kelmora
