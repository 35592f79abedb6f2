// The Win32 window under Wine's null display driver, driven in-process
// through its messages: every control of the control table
// (shell/form/ControlTable.h), the frame, tabs, status bar and menu, the
// start without a port, the notification area (recorded: the null driver has
// none) with and without a tray, the close confirmation, the save's round
// trip and its restart question, the event-log page, Enter, the indicators'
// pixels, the directory dialog's buttons, and a download against tobrin-sim
// on COM3 (run by with-sim.sh) into the result list, output.txt and the
// status bar.
#include "engine/CfgRecord.h"
#include "engine/IniFile.h"
#include "platform/Files.h"
#include "shell/form/ControlTable.h"
#include "shell/win32/Dialogs.h"
#include "shell/win32/Panels.h"
#include "shell/win32/TForm1.h"
#include "shell/win32/WinText.h"
#include "support/ConfigurationEdits.h"
#include "support/LogMessages.h"
#include "support/ScriptedAnswers.h"
#include "support/TempDir.h"
#include "support/TestIni.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <thread>

using namespace kelmora;
using namespace kelmora::literals;
using namespace kelmora::testing;
using kelmora::form::ControlRow;
using kelmora::form::Kind;
using kelmora::win32::TForm1;

namespace {

constexpr int kJobMs = 30000; // a bound that only stops a hang

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string TextOf(HWND control) {
    wchar_t text[1024] = L"";
    GetWindowTextW(control, text, 1024);
    return Utf8(text);
}

std::string ClassOf(HWND control) {
    wchar_t name[64] = L"";
    GetClassNameW(control, name, 64);
    std::string out = Utf8(name);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string ComboEntries(HWND combo) {
    std::string out;
    const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t entry[64] = L"";
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
        out += (i == 0 ? "" : "|") + Utf8(entry);
    }
    return out;
}

// The kind of a control as the table names it.
std::string KindOf(HWND control) {
    const std::string name = ClassOf(control);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE));
    if (name == "button") {
        switch (style & BS_TYPEMASK) {
        case BS_GROUPBOX:
            return "group";
        case BS_AUTORADIOBUTTON:
            return "radio";
        case BS_AUTOCHECKBOX:
            return "check";
        case BS_OWNERDRAW:
            return "quick";
        default:
            return "button";
        }
    }
    if (name == "edit") {
        return (style & ES_MULTILINE) != 0 ? "text" : "edit";
    }
    const std::pair<const char*, const char*> kinds[] = {
        {"static", "label"},          {"combobox", "combo"},
        {"listbox", "list"},          {"msctls_progress32", "progress"},
        {"kelmorapanel", "panel"},    {"kelmoraled", "led"},
        {"kelmorapicture", "picture"}};
    for (const auto& [windowClass, kind] : kinds) {
        if (name == windowClass) {
            return kind;
        }
    }
    return name;
}

// Runs the thread's messages until `done` or the bound.
bool PumpUntil(const std::function<bool()>& done, int ms = kJobMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void Click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
}

std::string KindName(Kind kind) {
    static const std::map<Kind, const char*> names = {
        {Kind::Panel, "panel"}, {Kind::Group, "group"},       {Kind::Radio, "radio"},
        {Kind::Label, "label"}, {Kind::Edit, "edit"},         {Kind::Button, "button"},
        {Kind::Quick, "quick"}, {Kind::Progress, "progress"}, {Kind::Led, "led"},
        {Kind::Check, "check"}, {Kind::Combo, "combo"},       {Kind::List, "list"},
        {Kind::Text, "text"},   {Kind::Picture, "picture"}};
    const auto it = names.find(kind);
    return it == names.end() ? "?" : it->second;
}

// A caption of the table as the screen shows it (UTF-8); a list's entries
// with '|' between them.
std::string Shown(const ControlRow& row) {
    if (row.kind != Kind::Combo) {
        return utf8_from_cp1250(row.caption);
    }
    std::string out;
    for (const std::string& entry : form::ListEntries(row.caption)) {
        out += (out.empty() ? "" : "|") + utf8_from_cp1250(entry);
    }
    return out;
}

bool IsBold(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    return font.lfWeight >= FW_BOLD;
}

struct TrayCall {
    DWORD message;
    UINT flags;
    HICON icon;
    std::wstring title;
    std::wstring text;
};

// One window in a fresh directory: T1 at address 1 on COM3 (where
// with-sim.sh keeps a terminal) or on a COM port nobody answers on, message
// boxes answered here and recorded, the notification area recorded.
class Win32Window : public ::testing::Test, public ScriptedAnswers {
protected:
    enum class Terminal { None, OnCom3 };

    void Configure(Terminal terminal) {
        std::filesystem::create_directories(dir.path() / "data");
        const int com = terminal == Terminal::OnCom3 ? 2 : 9; // COM10 leads nowhere
        ASSERT_TRUE(WriteIni(Ini(), Data(), {{0, 1, com}}, {}));
    }

    TForm1& Start(Terminal terminal = Terminal::None, bool tray = true) {
        Configure(terminal);
        win32::WindowOptions options;
        options.dialogs.message = [this](HWND owner, const MessageBox& box) {
            return Answer(box, owner != nullptr);
        };
        options.dialogs.openCommandFile = [](HWND) { return std::optional<std::string>(); };
        options.dialogs.chooseDirectory = [](HWND, const std::wstring&) {
            return std::optional<std::wstring>();
        };
        options.notifyIcon = [this, tray](DWORD message, const NOTIFYICONDATAW& data) {
            tray_calls.push_back({message, data.uFlags, data.hIcon, data.szInfoTitle, data.szInfo});
            return tray;
        };
        options.quit = [this] {
            ++quits;
            busyAtQuit = form->GetEngine().Busy();
        };
        EngineOptions engine;
        engine.iniPath = Ini();
        engine.startDirectory = dir.str();
        form = std::make_unique<TForm1>(std::move(engine), std::move(options));
        form->FormCreate();
        return *form;
    }

    void TearDown() override { form.reset(); }

    std::string Ini() const { return dir.file("kelmora.ini"); }
    std::string Data() const { return dir.file("data"); }
    std::vector<std::string> Log() const {
        return LogMessages(read_file(dir.file("errorlog.txt")).value_or(""));
    }
    HWND Control(const std::string& name) const { return form->Named().Find(name); }
    std::string Panel(int index) const { return Utf8(form->StatusBar1().Text(index)); }
    int Count(DWORD message) const {
        return static_cast<int>(
            std::count_if(tray_calls.begin(), tray_calls.end(),
                          [message](const TrayCall& c) { return c.message == message; }));
    }
    std::vector<std::string> BalloonTitles() const {
        std::vector<std::string> titles;
        for (const TrayCall& c : tray_calls) {
            if ((c.flags & NIF_INFO) != 0) {
                titles.push_back(Utf8(c.title));
            }
        }
        return titles;
    }

    TempDir dir;
    std::unique_ptr<TForm1> form;
    std::vector<TrayCall> tray_calls;
    int quits = 0;
    bool busyAtQuit = false;
};

} // namespace

TEST_F(Win32Window, EveryControlOfTheTable) {
    Start();
    ASSERT_EQ(form->Dpi(), 96);
    for (const ControlRow& row : form::ControlTable()) {
        if (row.page < 0 || row.kind == Kind::Page) {
            continue;
        }
        SCOPED_TRACE(std::string(row.name));
        HWND control = Control(std::string(row.name));
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(IsChild(form->Ui().TabSheets[row.page], control)) << "on another page";
        EXPECT_EQ(KindOf(control), KindName(row.kind));
        if (row.caption != form::kRunTimeText) {
            EXPECT_EQ(row.kind == Kind::Combo ? ComboEntries(control) : TextOf(control),
                      Shown(row));
        }
        EXPECT_EQ(Utf8(form->Hinting().TooltipText(control)), utf8_from_cp1250(row.hint));
        EXPECT_EQ(IsBold(control), row.bold);
        if (!row.buddy.empty()) {
            EXPECT_EQ(GetWindow(control, GW_HWNDNEXT), Control(std::string(row.buddy)));
        }
        if (row.kind == Kind::Check) {
            EXPECT_NE(GetWindowLongPtrW(control, GWL_STYLE) & BS_LEFTTEXT, 0)
                << "the caption left of the box";
        }
        if (row.width > 0 && row.height > 0) {
            RECT r{};
            GetWindowRect(control, &r);
            EXPECT_EQ(r.right - r.left, row.width);
            EXPECT_EQ(r.bottom - r.top, row.height);
        }
    }

    const win32::Controls& ui = form->Ui();
    EXPECT_FALSE(IsWindowEnabled(ui.Edit2));
    EXPECT_NE(GetWindowLongPtrW(ui.Edit3, GWL_STYLE) & ES_READONLY, 0);
    EXPECT_NE(GetWindowLongPtrW(ui.ProgressBar1, GWL_STYLE) & PBS_VERTICAL, 0);
    EXPECT_EQ(SendMessageW(ui.ProgressBar1, PBM_GETRANGE, FALSE, 0), 100);
    EXPECT_NE(GetWindowLongPtrW(ui.Memo2, GWL_STYLE) & WS_VSCROLL, 0);
    EXPECT_TRUE(std::regex_match(TextOf(ui.Label26),
                                 std::regex("Datum vytvoření programu: [A-Z][a-z]{2} [1-9][0-9]? "
                                            "[0-9]{4}")));
}

TEST_F(Win32Window, FrameTabsStatusBarAndMenu) {
    Start();
    HWND window = form->Handle();
    const ControlRow& frame = form::RowOf("Form1");
    EXPECT_EQ(TextOf(window), Shown(frame));
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, frame.width);
    EXPECT_EQ(client.bottom, frame.height);
    const auto style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_NE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_CONTEXTHELP, 0);
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_NE(style & WS_SYSMENU, 0);

    // Four tabs; the fifth comes with the event log, and all five fit.
    HWND tabs = form->Ui().PageControl1;
    const std::vector<ControlRow> pages = form::RowsOfKind(Kind::Page);
    ASSERT_EQ(pages.size(), 5u);
    EXPECT_EQ(TabCtrl_GetItemCount(tabs), 4);
    form->Form().Button2Click();
    ASSERT_EQ(TabCtrl_GetItemCount(tabs), 5);
    for (int i = 0; i < 5; ++i) {
        wchar_t text[64] = L"";
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = text;
        item.cchTextMax = 64;
        TabCtrl_GetItem(tabs, i, &item);
        EXPECT_EQ(Utf8(text), Shown(pages[i]));
        EXPECT_EQ(item.iImage, i);
        EXPECT_EQ(form->Named().Find(pages[i].name), form->Ui().TabSheets[i]);
    }
    RECT last{};
    RECT unselected{};
    TabCtrl_GetItemRect(tabs, 4, &last);
    TabCtrl_GetItemRect(tabs, 1, &unselected);
    RECT tabArea{};
    GetClientRect(tabs, &tabArea);
    EXPECT_LT(last.right, tabArea.right);
    EXPECT_EQ(unselected.bottom - unselected.top, 35);
    form->Form().BitBtn2Click();
    EXPECT_EQ(TabCtrl_GetItemCount(tabs), 4);

    // The panels: texts, widths, frames.
    const std::vector<ControlRow> panels = form::RowsOfKind(Kind::Status);
    ASSERT_EQ(panels.size(), 11u);
    int edges[11] = {};
    ASSERT_EQ(SendMessageW(form->Ui().StatusBar1, SB_GETPARTS, 11, reinterpret_cast<LPARAM>(edges)),
              11);
    int right = 0;
    for (int i = 0; i < 11; ++i) {
        SCOPED_TRACE(std::string(panels[i].name));
        right += panels[i].width;
        EXPECT_EQ(edges[i], right);
        wchar_t shown[64] = L"";
        const auto info =
            SendMessageW(form->Ui().StatusBar1, SB_GETTEXTW, i, reinterpret_cast<LPARAM>(shown));
        std::wstring text = shown;
        text.erase(0, text.find_first_not_of(L'\t'));
        EXPECT_EQ(Utf8(text), Shown(panels[i]));
        const bool value = i % 2 == 1 && i < 10;
        EXPECT_EQ((HIWORD(info) & SBT_NOBORDERS) == 0, value);
    }

    // The notification-area menu, its default entry first.
    HMENU menu = form->StatusIcon1().Menu();
    std::vector<ControlRow> entries;
    for (const ControlRow& row : form::ControlTable()) {
        if (row.kind == Kind::Menu || row.kind == Kind::Separator) {
            entries.push_back(row);
        }
    }
    ASSERT_EQ(GetMenuItemCount(menu), int(entries.size()));
    for (int i = 0; i < int(entries.size()); ++i) {
        SCOPED_TRACE(std::string(entries[i].name));
        MENUITEMINFOW item{};
        wchar_t text[64] = L"";
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID;
        item.dwTypeData = text;
        item.cch = 64;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
        EXPECT_EQ((item.fType & MFT_SEPARATOR) != 0, entries[i].kind == Kind::Separator);
        if (entries[i].kind == Kind::Menu) {
            EXPECT_EQ(Utf8(text), Shown(entries[i]));
        }
    }
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), UINT(win32::ControlId("Show_window")));
}

TEST_F(Win32Window, StartWithoutAPortShowsTheConfigurationPage) {
    TForm1& f = Start();
    EXPECT_TRUE(IsWindowVisible(f.Handle()));
    EXPECT_EQ(f.ActivePage(), 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              "Neni otevřen žádný COM port\nje nutno provést konfiguraci portu!"_cp);
    EXPECT_EQ(messages[0].caption, "Pozor!");
    EXPECT_EQ(messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(BalloonTitles(), std::vector<std::string>{"Kelmora 2013"});
    EXPECT_EQ(Utf8(tray_calls.back().text), "Start programu");
    EXPECT_TRUE(f.Form().Timer1Active());
    EXPECT_NE(GetPropW(f.Handle(), win32::kReadyProperty), nullptr);
    // T1's port did not open: its indicator is white with the pulled plug.
    HWND indicator = f.Ui().Indicators[0];
    EXPECT_NE(GetWindowLongPtrW(indicator, GWL_STYLE) & WS_VISIBLE, 0);
    EXPECT_EQ(SendMessageW(indicator, win32::kGetState, 0, 0), 3);
    EXPECT_EQ(GetWindowLongPtrW(f.Ui().Indicators[1], GWL_STYLE) & WS_VISIBLE, 0);
}

TEST_F(Win32Window, IndicatorsPaintTheirStatesColour) {
    TForm1& f = Start();
    HWND indicator = f.Ui().Indicators[0];
    const std::pair<IndicatorState, COLORREF> states[] = {
        {IndicatorState::Master, RGB(0, 255, 0)},
        {IndicatorState::Slave, RGB(0, 255, 255)},
        {IndicatorState::NotConnected, RGB(255, 0, 0)},
        {IndicatorState::PortNotOpen, RGB(255, 255, 255)}};
    for (const auto& [state, colour] : states) {
        f.PaintIndicator(0, state);
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        SendMessageW(indicator, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        // Inside the square's rim, outside the icon.
        EXPECT_EQ(GetPixel(dc, 2, 16), colour) << int(state);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
}

TEST_F(Win32Window, WithoutANotificationAreaTheWindowShowsAndStays) {
    TForm1& f = Start(Terminal::OnCom3, false);
    EXPECT_FALSE(f.TrayAvailable());
    EXPECT_TRUE(IsWindowVisible(f.Handle()));
    Click(f.Ui().BitBtn2); // "Schovat program"
    EXPECT_TRUE(IsWindowVisible(f.Handle()));
    EXPECT_FALSE(IsIconic(f.Handle()));
    EXPECT_EQ(Utf8(f.StatusBar1().Note()),
              "Bez oznamovací oblasti nelze program schovat, okno zůstává otevřené.");
}

TEST_F(Win32Window, CloseAsksAndNoKeepsEverythingRunning) {
    TForm1& f = Start();
    messages.clear();
    replies = {MessageAnswer::No};
    SendMessageW(f.Handle(), WM_CLOSE, 0, 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Opravdu si přeješ ukončit program?\nKomunikace bude ukončena!"_cp);
    EXPECT_EQ(messages[0].caption, "Pozor!");
    EXPECT_EQ(messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(messages[0].buttons, MessageButtons::YesNo);
    EXPECT_FALSE(messages[0].owned);
    PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(IsWindowVisible(f.Handle()));
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(f.GetEngine().Flags().WatcherRunning);

    // "Konec" of the menu asks the same; Yes ends the loop.
    replies = {MessageAnswer::Yes};
    SendMessageW(f.Handle(), WM_COMMAND, MAKEWPARAM(win32::ControlId("Konec"), 0), 0);
    EXPECT_EQ(messages.size(), 2u);
    ASSERT_TRUE(PumpUntil([this] { return quits == 1; }));
    EXPECT_FALSE(busyAtQuit);
    form.reset();
    EXPECT_EQ(Log().back(), "Stop programu");
}

// Every configuration control changed as the operator would, saved, the
// file read back, the restart question; after the restart the pages show
// what was saved.
TEST_F(Win32Window, EveryConfigurationControlSurvivesTheSave) {
    std::filesystem::create_directories(dir.path() / "jina-data");
    const ConfigurationEdits changes = EveryConfigurationControlChanged(dir.file("jina-data"));
    EXPECT_EQ(ControlsLeftOut(changes), std::vector<std::string>{});
    TForm1& f = Start();
    for (const ControlEdit& edit : changes.edits) {
        HWND control = Control(edit.control);
        switch (edit.how) {
        case ControlEdit::How::Text:
            SetWindowTextW(control, win32::Wide(edit.text).c_str());
            break;
        case ControlEdit::How::Check:
            SendMessageW(control, BM_SETCHECK, edit.checked ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case ControlEdit::How::Select:
            SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(edit.index), 0);
            break;
        }
    }
    EXPECT_EQ(f.Attempts(), 5); // at once, before any save
    messages.clear();
    replies = {MessageAnswer::Yes, MessageAnswer::No}; // restart: yes; close: no
    Click(f.Ui().BitBtn8);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, "Nastavená konfigurace bude použita až po restartu programu!\n"
                                "Provést restart programu ihned?"_cp);
    EXPECT_EQ(messages[0].caption, "Varování"_cp);
    EXPECT_TRUE(messages[0].owned);
    EXPECT_EQ(messages[1].caption, "Pozor!"); // the restart goes through the close confirmation
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(SavedOtherwise(Ini(), changes.expected), std::vector<std::string>{});

    form.reset();
    win32::WindowOptions options;
    options.dialogs.message = [](HWND, const MessageBox&) { return MessageAnswer::Ok; };
    options.notifyIcon = [](DWORD, const NOTIFYICONDATAW&) { return true; };
    options.quit = [] {};
    EngineOptions engine;
    engine.iniPath = Ini();
    engine.startDirectory = dir.str();
    form = std::make_unique<TForm1>(std::move(engine), std::move(options));
    for (const ControlEdit& edit : changes.edits) {
        SCOPED_TRACE(edit.control);
        HWND control = Control(edit.control);
        switch (edit.how) {
        case ControlEdit::How::Text:
            EXPECT_EQ(TextOf(control), utf8_from_cp1250(edit.text));
            break;
        case ControlEdit::How::Check:
            EXPECT_EQ(SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED, edit.checked);
            break;
        case ControlEdit::How::Select:
            EXPECT_EQ(SendMessageW(control, CB_GETCURSEL, 0, 0), edit.index);
            break;
        }
    }
}

TEST_F(Win32Window, AFieldThatIsNoNumberSavesNothing) {
    TForm1& f = Start();
    const auto before = read_file(Ini());
    SetWindowTextW(f.Ui().Radku1, L"");
    messages.clear();
    Click(f.Ui().BitBtn5);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "'''' is not a valid integer value");
    EXPECT_EQ(read_file(Ini()), before);
}

// "2500,2500" in a font wider than the one the panels were measured in.
TEST_F(Win32Window, AStatusPanelWidensForALongerText) {
    TForm1& f = Start();
    HWND bar = f.Ui().StatusBar1;
    LOGFONTW wide{};
    wide.lfHeight = -24;
    wide.lfWeight = FW_NORMAL;
    wide.lfCharSet = DEFAULT_CHARSET;
    lstrcpyW(wide.lfFaceName, L"Tahoma");
    HFONT font = CreateFontIndirectW(&wide);
    SendMessageW(bar, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    f.SetStatusPanel(1, "2500,2500");
    int edges[11] = {};
    SendMessageW(bar, SB_GETPARTS, 11, reinterpret_cast<LPARAM>(edges));
    HDC dc = GetDC(bar);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE text{};
    GetTextExtentPoint32W(dc, L"2500,2500", 9, &text);
    SelectObject(dc, old);
    ReleaseDC(bar, dc);
    EXPECT_GT(edges[1] - edges[0], text.cx) << "the status pair is cut";
    EXPECT_EQ(Panel(1), "2500,2500");
    EXPECT_EQ(Panel(2), "Načteno:"); // the panels right of it keep their texts
    EXPECT_EQ(edges[9] - edges[8], win32::StatusBar::DesignedWidth(9)); // and "0/0" its width
    f.SetStatusPanel(1, "");
    SendMessageW(bar, WM_SETFONT, 0, TRUE);
    DeleteObject(font);
}

TEST_F(Win32Window, EventLogPageComesAndGoesWithItsTab) {
    TForm1& f = Start();
    Click(f.Ui().BitBtn7);
    EXPECT_TRUE(f.EventLogTabShown());
    EXPECT_EQ(f.ActivePage(), 4);
    EXPECT_TRUE(IsWindowVisible(f.Ui().TabSheets[4]));
    EXPECT_NE(TextOf(f.Ui().Memo2).find("Start programu\r\n"), std::string::npos);
    Click(f.Ui().JvXPButton6);
    EXPECT_EQ(TextOf(f.Ui().Memo2), "");
    EXPECT_EQ(read_file(dir.file("errorlog.txt")), std::string());
    Click(f.Ui().JvXPButton5);
    EXPECT_FALSE(f.EventLogTabShown());
    EXPECT_EQ(f.ActivePage(), 2);
    EXPECT_FALSE(IsWindowVisible(f.Ui().TabSheets[4]));
}

TEST_F(Win32Window, TheIconsDoubleClickShowsTheControlPage) {
    TForm1& f = Start(Terminal::OnCom3);
    EXPECT_FALSE(IsWindowVisible(f.Handle())); // T1 answers: the window stays hidden
    f.SetActivePage(Page::Service);
    SendMessageW(f.Handle(), win32::kTrayMessage, 0, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(f.Handle()));
    EXPECT_EQ(f.ActivePage(), 0);
    // "Zobrazit program" keeps the page of a window on the screen.
    f.SetActivePage(Page::About);
    SendMessageW(f.Handle(), WM_COMMAND, MAKEWPARAM(win32::ControlId("Show_window"), 0), 0);
    EXPECT_EQ(f.ActivePage(), 3);
    Click(f.Ui().BitBtn2); // "Schovat program"
    EXPECT_FALSE(IsWindowVisible(f.Handle()));
    EXPECT_EQ(Count(NIM_DELETE), 0); // the icon stays
    SendMessageW(f.Handle(), WM_COMMAND, MAKEWPARAM(win32::ControlId("Show_window"), 0), 0);
    EXPECT_TRUE(IsWindowVisible(f.Handle()));
    EXPECT_EQ(f.ActivePage(), 0);
}

TEST_F(Win32Window, EnterSendsOnlyFromTheCommandLine) {
    TForm1& f = Start(Terminal::OnCom3);
    auto enter = [&f](HWND control) {
        MSG message{control, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
        return f.PreTranslate(message);
    };
    EXPECT_TRUE(enter(f.Ui().Edit1)); // taken, and nothing sent
    EXPECT_TRUE(f.Results().empty());
    SetWindowTextW(f.Ui().Edit1, L"S");
    EXPECT_TRUE(f.Form().SendIsDefault());
    EXPECT_EQ(GetWindowLongPtrW(f.Ui().BitBtn4, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);

    // Elsewhere Enter sends nothing; on a button it presses that button.
    for (HWND field : {f.Ui().Adr[0], f.Ui().Radku1, f.Ui().Mark1, f.Ui().InSoubor,
                       f.Ui().Path_data, f.Ui().Memo1}) {
        enter(field);
    }
    messages.clear();
    EXPECT_TRUE(enter(f.Ui().BitBtn5)); // "Uložit CFG"
    EXPECT_EQ(CountMessages("Nastavená konfigurace bude použita až po restartu programu!\n"
                            "Provést restart programu ihned?"_cp),
              1);
    EXPECT_TRUE(f.Results().empty());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "data" / "rexcom.sta"));

    EXPECT_TRUE(enter(f.Ui().Edit1));
    const auto lines = f.Results();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, 1), "S");
    EXPECT_NE(lines[0].find("TOBRIN SIM 1"), std::string::npos);
}

TEST_F(Win32Window, TheEventLogIsATextNotADisabledField) {
    TForm1& f = Start();
    HDC dc = GetDC(f.Ui().Memo2);
    const auto brush = SendMessageW(f.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                    reinterpret_cast<LPARAM>(f.Ui().Memo2));
    EXPECT_EQ(GetBkColor(dc), win32::kBaseColour);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), win32::BaseBrush());
    ReleaseDC(f.Ui().Memo2, dc);
}

TEST_F(Win32Window, ADownloadFromTheWindowLandsEverywhere) {
    TForm1& f = Start(Terminal::OnCom3);
    ASSERT_TRUE(f.TrayAvailable());
    ASSERT_EQ(Count(NIM_ADD), 1);
    SetWindowTextW(f.Ui().Edit1, L"P");
    bool busySeen = false;
    HICON busyIcon = nullptr;
    const auto before = tray_calls.size();
    // "Nastavit čas" pressed inside the job starts nothing and says why.
    static TForm1* inside = nullptr;
    static std::string note;
    inside = &f;
    note.clear();
    const UINT_PTR probe = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
        if (inside->GetEngine().Busy()) {
            KillTimer(nullptr, id);
            Click(inside->Ui().BitBtn6);
            note = Utf8(inside->StatusBar1().Note());
        }
    });
    Click(f.Ui().BitBtn4);
    KillTimer(nullptr, probe);
    EXPECT_EQ(note, "Probíhá jiná úloha, tlačítko nic nespustilo. Zkuste to po jejím skončení.");
    for (std::size_t i = before; i < tray_calls.size(); ++i) {
        if (tray_calls[i].message == NIM_MODIFY && (tray_calls[i].flags & NIF_ICON) != 0 &&
            (tray_calls[i].flags & NIF_INFO) == 0 && !busySeen) {
            busySeen = true;
            busyIcon = tray_calls[i].icon;
        }
    }
    EXPECT_TRUE(busySeen) << "image 1 while the job runs";
    ASSERT_NE(tray_calls.back().message, NIM_DELETE);
    const TrayCall& idle = [&]() -> const TrayCall& {
        for (auto it = tray_calls.rbegin(); it != tray_calls.rend(); ++it) {
            if (it->message == NIM_MODIFY && (it->flags & NIF_INFO) == 0) {
                return *it;
            }
        }
        return tray_calls.front();
    }();
    EXPECT_NE(idle.icon, busyIcon) << "image 0 again after the job";

    // The result list, output.txt and the status pair tell the same.
    const auto lines = f.Results();
    ASSERT_GT(lines.size(), 10u);
    std::string expected;
    for (const std::string& line : lines) {
        expected += line + "\r\n";
    }
    EXPECT_EQ(read_file(join_path(Data(), "output.txt")), expected);
    const auto status = read_file(join_path(Data(), "rexcom.sta"));
    ASSERT_TRUE(status);
    EXPECT_EQ(status->substr(0, 2), "1,");
    EXPECT_EQ(Panel(1) + "\r\n", *status);
    EXPECT_EQ(Panel(9), ""); // the progress is over
    EXPECT_FALSE(Panel(3).empty());
    // The progress balloon waits until the start balloon has had its time.
    PumpUntil([] { return false; }, 700);
    const auto titles = BalloonTitles();
    EXPECT_NE(std::find(titles.begin(), titles.end(), "Odesílání"), titles.end());

    form.reset();
    EXPECT_EQ(tray_calls.back().message, NIM_DELETE);
}

TEST(Win32DirectoryChoice, TakesMakesOrRefusesWhatWasTyped) {
    TempDir dir;
    const std::wstring root = win32::Wide(dir.str());
    ASSERT_TRUE(write_file(dir.file("file.txt"), "x"));
    std::vector<std::string> asked;
    MessageAnswer reply = MessageAnswer::No;
    const win32::MessageAnswerer ask = [&](HWND, const MessageBox& box) {
        asked.push_back(std::string(box.text));
        return box.buttons == MessageButtons::YesNo ? reply : MessageAnswer::Ok;
    };
    // An existing directory is taken as it is, without a question.
    EXPECT_EQ(win32::ConfirmDirectory(nullptr, root + L"\\", ask), root);
    EXPECT_TRUE(asked.empty());
    // A file is no directory.
    EXPECT_FALSE(win32::ConfirmDirectory(nullptr, root + L"\\file.txt", ask));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].find("není adresář."_cp), std::string::npos);
    // A new one is made only once the operator agrees, parents and all.
    const std::wstring fresh = root + L"\\nový\\data";
    EXPECT_FALSE(win32::ConfirmDirectory(nullptr, fresh, ask));
    EXPECT_EQ(GetFileAttributesW(fresh.c_str()), INVALID_FILE_ATTRIBUTES);
    reply = MessageAnswer::Yes;
    EXPECT_EQ(win32::ConfirmDirectory(nullptr, fresh, ask), fresh);
    EXPECT_NE(GetFileAttributesW(fresh.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(asked.back(), win32::Cp(L"Adresář " + fresh + L" neexistuje.\nVytvořit ho?"));
}

// The dialog's help is in its title bar: its own buttons ("Vytvořit novou
// složku", OK, Storno) fill their row, and nothing of ours covers one.
TEST(Win32DirectoryChoice, TheHelpCoversNoneOfTheDialogsButtons) {
    TempDir dir;
    static std::vector<std::pair<std::string, RECT>> buttons;
    static LONG_PTR exStyle = 0;
    buttons.clear();
    const UINT_PTR probe = SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND dialog = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM found) {
                if (ClassOf(window) == "#32770" && IsWindowVisible(window)) {
                    *reinterpret_cast<HWND*>(found) = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&dialog));
        if (dialog == nullptr) {
            return;
        }
        KillTimer(nullptr, id);
        exStyle = GetWindowLongPtrW(dialog, GWL_EXSTYLE);
        for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            RECT r{};
            GetWindowRect(child, &r);
            if (ClassOf(child) == "button" && IsWindowVisible(child)) {
                buttons.emplace_back(TextOf(child), r);
            }
        }
        HELPINFO help{sizeof(HELPINFO), HELPINFO_WINDOW, 0, dialog, 0, {0, 0}};
        SendMessageW(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    std::vector<std::string> asked;
    const win32::MessageAnswerer ask = [&asked](HWND, const MessageBox& box) {
        asked.emplace_back(box.text);
        return MessageAnswer::Ok;
    };
    EXPECT_FALSE(win32::ChooseDirectory(nullptr, win32::Wide(dir.str()), ask));
    KillTimer(nullptr, probe);
    EXPECT_NE(exStyle & WS_EX_CONTEXTHELP, 0);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].rfind("Vyberte adresář"_cp, 0), 0u);
    ASSERT_GE(buttons.size(), 3u);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        for (std::size_t j = i + 1; j < buttons.size(); ++j) {
            RECT overlap{};
            EXPECT_FALSE(IntersectRect(&overlap, &buttons[i].second, &buttons[j].second))
                << buttons[i].first << " and " << buttons[j].first;
        }
    }
}
