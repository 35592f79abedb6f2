// StatusBar1: eleven panels from left to right. The label panels ("Status:",
// "Načteno:", "Opakování Tx:", "Opakování Rx:", "Příkazy") are right-aligned
// without a frame, the value panels centred in a frame; the last one is
// empty, left-aligned and frameless. Panels beyond the window's width are cut
// at its edge. A note (why a button did nothing) covers the panels from the
// third one on for a few seconds; the status pair stays readable.
#pragma once

#include "shell/win32/WinApi.h"

#include <array>
#include <string>

namespace kelmora::win32 {

class StatusBar {
public:
    static constexpr int kCount = 11;
    static constexpr std::array<int, kCount> kWidths{50, 50, 60, 60, 100, 20, 100, 20, 50, 80, 50};

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

private:
    HWND bar_ = nullptr;
    HWND note_ = nullptr;
    std::array<std::wstring, kCount> texts_;
};

} // namespace kelmora::win32
