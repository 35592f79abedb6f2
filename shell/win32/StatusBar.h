// StatusBar1: eleven panels from left to right, their texts and widths the
// control table's (StatusPanel0..10). The label panels ("Status:",
// "Načteno:", "Opakování Tx:", "Opakování Rx:", "Příkazy") are right-aligned
// without a frame, the value panels centred in a frame; the last one is
// empty, left-aligned and frameless. Each panel keeps its designed width
// while its text fits; a longer text (a status pair such as "2500,2500" in a
// wide font) widens its panel and moves the ones right of it. Panels beyond
// the window's width are cut at its edge. A note (why a button did nothing) covers the panels from
// the third one on for a few seconds; the status pair stays readable.
#pragma once

#include "shell/win32/WinApi.h"

#include <array>
#include <string>

namespace kelmora::win32 {

class StatusBar {
public:
    static constexpr int kCount = 11;
    // A panel's designed width at 96 DPI.
    static int DesignedWidth(int index);

    void Create(HWND window, int id);
    // The panels' right edges at `dpi`, and the bar's place at the bottom.
    void Layout(int dpi);

    void SetText(int index, const std::wstring& text);
    std::wstring Text(int index) const;

    // The note for kNoteMs; the window's timer `timerId` takes it away
    // (HideNote).
    void ShowNote(const std::wstring& text, UINT_PTR timerId);
    void HideNote();
    std::wstring Note() const;
    static constexpr UINT kNoteMs = 4000;

    HWND Handle() const { return bar_; }
    int Height() const;
    // The panels' right edges as laid out now.
    std::array<int, kCount> Edges() const { return edges_; }

private:
    // Sets the panels' edges for the texts they show; true when one moved.
    bool FitPanels();

    HWND bar_ = nullptr;
    int dpi_ = 96;
    std::array<int, kCount> edges_{};
    HWND note_ = nullptr;
    std::array<std::wstring, kCount> texts_;
};

} // namespace kelmora::win32
