#include "shell/win32/Hints.h"

#include <commctrl.h>

namespace kelmora::win32 {

namespace {

constexpr int kHintWidth = 320;

TTTOOLINFOW ToolOf(HWND owner, HWND control) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = owner;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    return tool;
}

HWND MakeTooltip(HWND owner, DWORD style) {
    return CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | style,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

} // namespace

Hints::~Hints() {
    for (HWND window : {tooltip_, help_}) {
        if (window != nullptr) {
            DestroyWindow(window);
        }
    }
}

void Hints::Create(HWND window) {
    owner_ = window;
    tooltip_ = MakeTooltip(window, TTS_ALWAYSTIP);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, kHintWidth);
    help_ = MakeTooltip(window, 0);
    SendMessageW(help_, TTM_SETMAXTIPWIDTH, 0, kHintWidth);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(help_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Hints::Add(HWND control, std::wstring hint) {
    auto& stored = hints_[control];
    stored = std::move(hint);
    TTTOOLINFOW tool = ToolOf(GetParent(control), control);
    tool.lpszText = stored.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::wstring Hints::HintOf(HWND control) const {
    const auto it = hints_.find(control);
    return it == hints_.end() ? std::wstring() : it->second;
}

std::wstring Hints::TooltipText(HWND control) const {
    wchar_t text[512] = L"";
    TTTOOLINFOW tool = ToolOf(GetParent(control), control);
    tool.lpszText = text;
    SendMessageW(tooltip_, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
    return text;
}

void Hints::HideHelp() {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = owner_;
    SendMessageW(help_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

void Hints::ShowHelp(HWND control, POINT point) {
    HideHelp();
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = owner_;
    helpText_ = HintOf(control);
    if (helpText_.empty()) {
        return;
    }
    tool.lpszText = helpText_.data();
    SendMessageW(help_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(help_, TTM_TRACKPOSITION, 0, MAKELPARAM(point.x + 12, point.y + 12));
    SendMessageW(help_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

} // namespace kelmora::win32
