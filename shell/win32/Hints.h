// The controls' hints: a tooltip while the pointer rests on a control, and
// the same text when the title bar's help button is clicked and then the
// control (there is no other help content).
#pragma once

#include "shell/win32/WinApi.h"

#include <map>
#include <string>

namespace kelmora::win32 {

class Hints {
public:
    Hints() = default;
    ~Hints();
    Hints(const Hints&) = delete;
    Hints& operator=(const Hints&) = delete;

    // The tooltip window, owned by `window`.
    void Create(HWND window);
    void Add(HWND control, std::wstring hint);

    // The hint of a control, empty when it has none.
    std::wstring HintOf(HWND control) const;
    // What the tooltip shows for `control` (read back from the tooltip).
    std::wstring TooltipText(HWND control) const;

    // The context help for the control under `point` (screen coordinates):
    // its hint beside it until the pointer or the keyboard moves on.
    void ShowHelp(HWND control, POINT point);
    void HideHelp();

    HWND Tooltip() const { return tooltip_; }

private:
    HWND owner_ = nullptr;
    HWND tooltip_ = nullptr;
    HWND help_ = nullptr;
    std::wstring helpText_;
    std::map<HWND, std::wstring> hints_; // nodes keep their address: the tooltip reads them
};

} // namespace kelmora::win32
