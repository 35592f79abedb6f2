#include "shell/window/StatusPanels.h"

#include "shell/form/ControlTable.h"
#include "shell/window/QtText.h"

#include <QLabel>
#include <QTimer>
#include <algorithm>

namespace kelmora {

namespace {

constexpr int kHeight = 20;
constexpr int kGap = 2;         // between two panels
constexpr int kTextPadding = 8; // around a text inside its panel

bool IsValuePanel(int index) {
    return index % 2 == 1 && index < StatusPanels::kCount - 1;
}

const form::ControlRow& RowOfPanel(int index) {
    return form::RowOf("StatusPanel" + std::to_string(index));
}

} // namespace

StatusPanels::StatusPanels(QWidget* parent)
    : QFrame(parent), note_(new QLabel(this)), noteTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("StatusBar1"));
    setFixedHeight(kHeight);
    for (int i = 0; i < kCount; ++i) {
        auto* panel = new QLabel(QtFromCp(RowOfPanel(i).caption), this);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        if (IsValuePanel(i)) {
            panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            panel->setAlignment(Qt::AlignCenter);
        } else if (i == kCount - 1) {
            panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        } else {
            panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            panel->setContentsMargins(0, 0, 3, 0);
        }
        panels_[i] = panel;
    }
    Layout();

    note_->setObjectName(QStringLiteral("StatusNote"));
    note_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    note_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    note_->setContentsMargins(4, 0, 4, 0);
    note_->setAutoFillBackground(true);
    note_->hide();
    noteTimer_->setSingleShot(true);
    noteTimer_->setInterval(kNoteMs);
    connect(noteTimer_, &QTimer::timeout, note_, &QLabel::hide);
}

void StatusPanels::Layout() {
    int x = 0;
    for (int i = 0; i < kCount; ++i) {
        QLabel* panel = panels_[i];
        const int needed = panel->fontMetrics().horizontalAdvance(panel->text()) +
                           2 * panel->frameWidth() + panel->contentsMargins().left() +
                           panel->contentsMargins().right() + kTextPadding;
        const int width =
            panel->text().isEmpty() ? DesignedWidth(i) : std::max(DesignedWidth(i), needed);
        panel->setGeometry(x, 1, width - kGap, kHeight - 2);
        x += width;
    }
    PlaceNote();
}

void StatusPanels::SetText(int index, const QString& text) {
    if (index >= 0 && index < kCount && panels_[index]->text() != text) {
        panels_[index]->setText(text);
        panels_[index]->setToolTip(IsValuePanel(index) ? text : QString());
        Layout();
    }
}

int StatusPanels::DesignedWidth(int index) {
    return RowOfPanel(index).width;
}

QString StatusPanels::Text(int index) const {
    return index >= 0 && index < kCount ? panels_[index]->text() : QString();
}

void StatusPanels::ShowNote(const QString& text) {
    note_->setText(text);
    PlaceNote();
    note_->show();
    note_->raise();
    noteTimer_->start();
}

void StatusPanels::ClearNote() {
    noteTimer_->stop();
    note_->hide();
}

QString StatusPanels::Note() const {
    return note_->isHidden() ? QString() : note_->text();
}

void StatusPanels::PlaceNote() {
    // From the third panel to the bar's right edge.
    const int left = panels_[2]->x();
    note_->setGeometry(left, 1, std::max(width() - left, DesignedWidth(2)), kHeight - 2);
}

void StatusPanels::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    PlaceNote();
}

QSize StatusPanels::sizeHint() const {
    return {0, kHeight};
}

} // namespace kelmora
