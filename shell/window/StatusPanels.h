// StatusBar1: eleven panels from left to right. The label panels ("Status:",
// "Načteno:", "Opakování Tx:", "Opakování Rx:", "Příkazy") are right-aligned
// without a frame, the value panels centred in a sunken frame; the last one
// is empty, left-aligned and frameless. Panels that do not fit the window's
// width are cut at its edge.
#pragma once

#include <QFrame>
#include <QString>
#include <array>

class QLabel;

namespace kelmora {

class StatusPanels : public QFrame {
public:
    static constexpr int kCount = 11;
    static constexpr std::array<int, kCount> kWidths{50, 50, 60, 60, 100, 20, 100, 20, 50, 80, 50};

    explicit StatusPanels(QWidget* parent = nullptr);

    void SetText(int index, const QString& text);
    QString Text(int index) const;
    QLabel* Panel(int index) const { return panels_[index]; }

    QSize sizeHint() const override;

private:
    std::array<QLabel*, kCount> panels_{};
};

} // namespace kelmora
