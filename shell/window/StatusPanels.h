// StatusBar1: eleven panels from left to right. The label panels ("Status:",
// "Načteno:", "Opakování Tx:", "Opakování Rx:", "Příkazy") are right-aligned
// without a frame, the value panels centred in a sunken frame; the last one
// is empty, left-aligned and frameless. Each panel keeps its designed width
// while its text fits; a longer text (a status pair such as "2501,2500")
// widens its panel and moves the ones right of it, and what no longer fits
// the window's width is cut at its edge. A panel's hint is its whole text.
//
// A short note (a press ignored while the program is busy, say) covers the
// panels right of the status pair for a few seconds.
#pragma once

#include <QFrame>
#include <QString>
#include <array>

class QLabel;
class QTimer;

namespace kelmora {

class StatusPanels : public QFrame {
public:
    static constexpr int kCount = 11;
    static constexpr int kNoteMs = 4000;

    explicit StatusPanels(QWidget* parent = nullptr);

    // A panel's designed width (the control table's StatusPanel0..10).
    static int DesignedWidth(int index);

    void SetText(int index, const QString& text);
    QString Text(int index) const;
    QLabel* Panel(int index) const { return panels_[index]; }

    // Shows `text` over panels 2 to 10 for kNoteMs.
    void ShowNote(const QString& text);
    void ClearNote();
    // The note on show, or an empty text.
    QString Note() const;

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Layout();
    void PlaceNote();

    std::array<QLabel*, kCount> panels_{};
    QLabel* note_;
    QTimer* noteTimer_;
};

} // namespace kelmora
