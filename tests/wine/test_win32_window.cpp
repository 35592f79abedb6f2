// The Win32 window under Wine's null display driver, driven in-process
// through its messages: every control of the shared table
// (tests/data/window_controls.tsv), the frame, tabs, status bar and menu,
// the start without a port, the notification area (recorded: the null driver
// has none) with and without a tray, the close confirmation, the save and its
// restart question, the event-log page, Enter and the default button, the
// indicators' pixels, and a download against tobrin-sim on COM3 (run by
// with-sim.sh) into the result list, output.txt and the status bar.
#include "engine/CfgRecord.h"
#include "engine/IniFile.h"
#include "platform/Files.h"
#include "shell/win32/Dialogs.h"
#include "shell/win32/Panels.h"
#include "shell/win32/TForm1.h"
#include "shell/win32/WinText.h"
#include "support/ControlTable.h"
#include "support/LogMessages.h"
#include "support/ScriptedAnswers.h"
#include "support/TempDir.h"
#include "support/TestIni.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <regex>
#include <thread>

using namespace kelmora;
using namespace kelmora::literals;
using namespace kelmora::testing;
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

const std::vector<ControlRow>& Table() {
    static const std::vector<ControlRow> rows = ReadControlTable(KELMORA_CONTROL_TABLE);
    return rows;
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
    int checked = 0;
    for (const ControlRow& row : Table()) {
        if (row.page < 0 || row.kind == "page") {
            continue;
        }
        SCOPED_TRACE(row.name);
        HWND control = Control(row.name);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(IsChild(form->Ui().TabSheets[row.page], control)) << "on another page";
        EXPECT_EQ(KindOf(control), row.kind);
        if (row.text != kAnyText) {
            EXPECT_EQ(row.kind == "combo" ? ComboEntries(control) : TextOf(control), row.text);
        }
        EXPECT_EQ(Utf8(form->Hinting().TooltipText(control)), row.hint);
        if (!row.buddy.empty()) {
            EXPECT_EQ(GetWindow(control, GW_HWNDNEXT), Control(row.buddy));
        }
        if (row.kind == "check") {
            EXPECT_NE(GetWindowLongPtrW(control, GWL_STYLE) & BS_LEFTTEXT, 0)
                << "the caption left of the box";
        }
        if (!row.size.empty() && row.size.find('x') != std::string::npos) {
            RECT r{};
            GetWindowRect(control, &r);
            EXPECT_EQ(std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top),
                      row.size);
        }
        ++checked;
    }
    EXPECT_GT(checked, 80);

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
    const ControlRow frame = RowsOfKind(Table(), "window").at(0);
    EXPECT_EQ(TextOf(window), frame.text);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(std::to_string(client.right) + "x" + std::to_string(client.bottom), frame.size);
    const auto style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_NE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_CONTEXTHELP, 0);
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_NE(style & WS_SYSMENU, 0);

    // Four tabs; the fifth comes with the event log, and all five fit.
    HWND tabs = form->Ui().PageControl1;
    const std::vector<ControlRow> pages = RowsOfKind(Table(), "page");
    ASSERT_EQ(pages.size(), 5u);
    EXPECT_EQ(TabCtrl_GetItemCount(tabs), 4);
    form->Button2Click();
    ASSERT_EQ(TabCtrl_GetItemCount(tabs), 5);
    for (int i = 0; i < 5; ++i) {
        wchar_t text[64] = L"";
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = text;
        item.cchTextMax = 64;
        TabCtrl_GetItem(tabs, i, &item);
        EXPECT_EQ(Utf8(text), pages[i].text);
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
    form->BitBtn2Click();
    EXPECT_EQ(TabCtrl_GetItemCount(tabs), 4);

    // The panels: texts, widths, frames.
    const std::vector<ControlRow> panels = RowsOfKind(Table(), "status");
    ASSERT_EQ(panels.size(), 11u);
    int edges[11] = {};
    ASSERT_EQ(SendMessageW(form->Ui().StatusBar1, SB_GETPARTS, 11, reinterpret_cast<LPARAM>(edges)),
              11);
    int right = 0;
    for (int i = 0; i < 11; ++i) {
        SCOPED_TRACE(panels[i].name);
        right += std::stoi(panels[i].size);
        EXPECT_EQ(edges[i], right);
        wchar_t shown[64] = L"";
        const auto info =
            SendMessageW(form->Ui().StatusBar1, SB_GETTEXTW, i, reinterpret_cast<LPARAM>(shown));
        std::wstring text = shown;
        text.erase(0, text.find_first_not_of(L'\t'));
        EXPECT_EQ(Utf8(text), panels[i].text);
        const bool value = i % 2 == 1 && i < 10;
        EXPECT_EQ((HIWORD(info) & SBT_NOBORDERS) == 0, value);
    }

    // The notification-area menu, its default entry first.
    HMENU menu = form->StatusIcon1().Menu();
    std::vector<ControlRow> entries;
    for (const ControlRow& row : Table()) {
        if (row.kind == "menu" || row.kind == "separator") {
            entries.push_back(row);
        }
    }
    ASSERT_EQ(GetMenuItemCount(menu), int(entries.size()));
    for (int i = 0; i < int(entries.size()); ++i) {
        SCOPED_TRACE(entries[i].name);
        MENUITEMINFOW item{};
        wchar_t text[64] = L"";
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID;
        item.dwTypeData = text;
        item.cch = 64;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
        EXPECT_EQ((item.fType & MFT_SEPARATOR) != 0, entries[i].kind == "separator");
        if (entries[i].kind == "menu") {
            EXPECT_EQ(Utf8(text), entries[i].text);
        }
    }
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), UINT(win32::kMenuShow));
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
    EXPECT_TRUE(f.Timer1Active());
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
    SendMessageW(f.Handle(), WM_COMMAND, MAKEWPARAM(win32::kMenuQuit, 0), 0);
    EXPECT_EQ(messages.size(), 2u);
    ASSERT_TRUE(PumpUntil([this] { return quits == 1; }));
    EXPECT_FALSE(busyAtQuit);
    form.reset();
    EXPECT_EQ(Log().back(), "Stop programu");
}

TEST_F(Win32Window, SaveWritesTheIniAndOffersTheRestart) {
    TForm1& f = Start();
    SetWindowTextW(f.Ui().Adr[0], L"300");
    SendMessageW(f.Ui().Pripojen[1], BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(f.Ui().K_Baud1, CB_SETCURSEL, 2, 0);
    messages.clear();
    replies = {MessageAnswer::Yes, MessageAnswer::No}; // restart: yes; close: no
    Click(f.Ui().BitBtn8);
    const auto value = ReadIniFile(Ini()).Get("Konfigurace", "Cfg_binary");
    const auto record = CfgRecord::FromBytes(DecodeBinaryValue(value.value_or("")));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->Slots[0].Address, 44); // the low 8 bits of 300
    EXPECT_EQ(record->Slots[1].Connected, 1);
    EXPECT_EQ(record->BaudIndex, 2);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].caption, "Varování"_cp);
    EXPECT_TRUE(messages[0].owned);
    EXPECT_EQ(messages[1].caption, "Pozor!"); // the restart goes through the close confirmation
    EXPECT_EQ(quits, 0);

    // A field that is no number saves nothing.
    SetWindowTextW(f.Ui().Radku1, L"");
    messages.clear();
    Click(f.Ui().BitBtn5);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "'''' is not a valid integer value");
    EXPECT_EQ(ReadIniFile(Ini()).Get("Konfigurace", "Cfg_binary"), value);
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
    Click(f.Ui().BitBtn2); // "Schovat program"
    EXPECT_FALSE(IsWindowVisible(f.Handle()));
    EXPECT_EQ(Count(NIM_DELETE), 0); // the icon stays
}

TEST_F(Win32Window, EnterSendsOnlyOnceTheCommandLineHasChanged) {
    TForm1& f = Start(Terminal::OnCom3);
    MSG enter{f.Ui().Edit1, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_FALSE(f.PreTranslate(enter));
    SetWindowTextW(f.Ui().Edit1, L"S");
    EXPECT_TRUE(f.BitBtn4IsDefault());
    EXPECT_EQ(GetWindowLongPtrW(f.Ui().BitBtn4, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_TRUE(f.PreTranslate(enter));
    const auto lines = f.Results();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, 1), "S");
    EXPECT_NE(lines[0].find("TOBRIN SIM 1"), std::string::npos);
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
