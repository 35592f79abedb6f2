#include "shell/window/StatusPanels.h"

#include <QLabel>

namespace kelmora {

namespace {

constexpr int kHeight = 20;

bool IsValuePanel(int index) {
    return index % 2 == 1 && index < StatusPanels::kCount - 1;
}

} // namespace

StatusPanels::StatusPanels(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("StatusBar1"));
    setFixedHeight(kHeight);
    const std::array<QString, kCount> texts{QStringLiteral("Status:"),
                                            QString(),
                                            QStringLiteral("Načteno:"),
                                            QString(),
                                            QStringLiteral("Opakování Tx:"),
                                            QString(),
                                            QStringLiteral("Opakování Rx:"),
                                            QString(),
                                            QStringLiteral("Příkazy"),
                                            QStringLiteral("0/0"),
                                            QString()};
    int x = 0;
    for (int i = 0; i < kCount; ++i) {
        auto* panel = new QLabel(texts[i], this);
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
        panel->setGeometry(x, 1, kWidths[i] - 2, kHeight - 2);
        x += kWidths[i];
        panels_[i] = panel;
    }
}

void StatusPanels::SetText(int index, const QString& text) {
    if (index >= 0 && index < kCount) {
        panels_[index]->setText(text);
    }
}

QString StatusPanels::Text(int index) const {
    return index >= 0 && index < kCount ? panels_[index]->text() : QString();
}

QSize StatusPanels::sizeHint() const {
    return {0, kHeight};
}

} // namespace kelmora
