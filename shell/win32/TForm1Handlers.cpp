// TForm1's handlers: the window and the notification area, the jobs, the
// configuration pages and the event-log page.
#include "engine/ConfigurationSave.h"
#include "engine/IniFile.h"
#include "shell/ProgramIdentity.h"
#include "shell/win32/TForm1.h"
#include "shell/win32/WinText.h"

#include <commctrl.h>

#include <array>

namespace kelmora::win32 {

using namespace kelmora::literals;

namespace {

constexpr std::string_view kQuickCommands[4] = {"O00", "O11", "S", "Y"};

void SelectEntry(HWND list, int index) {
    const auto count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    SendMessageW(list, CB_SETCURSEL, index >= 0 && index < count ? index : -1, 0);
}

int SelectedEntry(HWND list) {
    return static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0));
}

void SetChecked(HWND box, bool checked) {
    SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Checked(HWND box) {
    return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetText(HWND control, const std::wstring& text) {
    SetWindowTextW(control, text.c_str());
}

void FillList(HWND list, const std::wstring& prefix, int first, int count, int step) {
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i) {
        const std::wstring entry = prefix + std::to_wstring(first + step * i);
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
}

// The event log as the page shows it: CR LF lines (a lone LF becomes one too).
std::wstring LogPageText(const std::string& bytes) {
    std::wstring text;
    const std::wstring wide = Wide(bytes);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\n' && (i == 0 || wide[i - 1] != L'\r')) {
            text += L'\r';
        }
        text += wide[i];
    }
    return text;
}

} // namespace

// --- the window and the notification area ---

void TForm1::Show_windowClick() {
    Guarded([this] {
        ShowWindow();
        FormActivate();
    });
}

void TForm1::Hide_windowClick() {
    Guarded([this] {
        if (trayAvailable_) {
            ::ShowWindow(form_, SW_HIDE);
            return;
        }
        // Nothing would bring a hidden window back: the window stays.
        ShowWindow();
        ShowNote(L"Bez oznamovací oblasti nelze program schovat, okno zůstává otevřené.");
    });
}

void TForm1::KonecClick() {
    SendMessageW(form_, WM_CLOSE, 0, 0);
}

void TForm1::BitBtn3Click() {
    SendMessageW(form_, WM_CLOSE, 0, 0);
}

void TForm1::Edit1Change() {
    if (!defaultSet_) {
        defaultSet_ = true;
        SendMessageW(ui_.BitBtn4, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    }
}

void TForm1::FormActivate() {
    ShowPage(0);
}

bool TForm1::FormClose() {
    if (engine_->Flags().Stopping) {
        return false;
    }
    if (quitRequested_) {
        return true;
    }
    const MessageAnswer answer =
        Ask(nullptr, {"Opravdu si přeješ ukončit program?\nKomunikace bude ukončena!"_cp, "Pozor!",
                      MessageIcon::Question, MessageButtons::YesNo});
    if (answer != MessageAnswer::Yes) {
        return false;
    }
    QuitWhenIdle();
    return true;
}

// --- jobs ---

void TForm1::Button1Click() {
    Guarded([this] { TellIgnored(engine_->Button1Click(Cp(TextOf(ui_.Edit1)))); });
}

void TForm1::SpeedButtonClick(int index) {
    Guarded([this, index] {
        if (index >= 0 && index < 4) {
            TellIgnored(engine_->SendQuickCommand(kQuickCommands[index]));
        }
    });
}

void TForm1::Button33Click() {
    Guarded([this] {
        TellIgnored(engine_->Button33Click([this] {
            ++eventDepth_;
            auto chosen = options_.dialogs.openCommandFile(form_);
            --eventDepth_;
            return chosen;
        }));
    });
}

void TForm1::Button4Click() {
    Guarded([this] { TellIgnored(engine_->Button4Click()); });
}

void TForm1::TerminalIndicatorClick(int slot) {
    Guarded([this, slot] { engine_->TerminalIndicatorClick(slot); });
}

void TForm1::Timer1Timer() {
    Guarded([this] { life_->WatchdogTick(); });
}

void TForm1::Timer2Timer() {
    Guarded([this] { life_->DisplayTick(); });
}

// --- the configuration ---

void TForm1::FillConfigurationPages() {
    const Configuration& config = engine_->Config();
    const CfgRecord& record = config.Record;

    SetChecked(ui_.Write_error_repeat, config.EndJobOnFailure);
    SetText(ui_.Path_data, Wide(config.DataPath));
    SetChecked(ui_.Write_bin_output, config.BinaryOutput);

    FillList(ui_.Delay_add, L"", 0, kDelayAddEntries, 4);
    for (int panel : {1, 3, 5, 7}) {
        statusBar_.SetText(panel, L"");
    }
    for (int i = 0; i < 4; ++i) {
        FillList(ui_.Port[i], L"COM", 1, int(kComPortCount), 1);
        SetText(ui_.Adr[i], std::to_wstring(record.Slots[i].Address));
        SelectEntry(ui_.Port[i], record.Slots[i].ComIndex);
        SetChecked(ui_.Pripojen[i], record.Slots[i].Connected != 0);
    }
    SelectEntry(ui_.K_Baud1, record.BaudIndex);
    SetChecked(ui_.Mark1, config.MarkParity);
    SetChecked(ui_.CCode1, record.Coding != 0);
    SetChecked(ui_.DT_use1, record.DtUse != 0);
    SetChecked(ui_.Kredit1, record.Credit != 0);
    SetText(ui_.Radku1, std::to_wstring(record.Capacity));
    SetText(ui_.MxSn1, std::to_wstring(record.MaxBreakfasts));
    SetText(ui_.MxVec1, std::to_wstring(record.MaxDinners));
    SetText(ui_.InSoubor, Wide(NameText(record.RequestFile)));
    SetText(ui_.OutSoubor, Wide(NameText(record.OutputFile)));
    SelectEntry(ui_.Rep_write, record.RepWriteIndex);
    SelectEntry(ui_.Delay_add, record.DelayAddIndex);
    engine_->Delay_addChange(SelectedEntry(ui_.Delay_add));
    SetChecked(ui_.Priority_set, record.HighPriority != 0);
    SetText(ui_.Edit2, std::to_wstring(config.LineLeadUs));
    SetText(ui_.Edit3, std::to_wstring(config.LineTailUs));
    SetText(ui_.Label26, Wide(BuildDateLabel()));
}

void TForm1::BitBtn1Click() {
    Guarded([this] {
        EnteredConfiguration entered;
        for (int i = 0; i < 4; ++i) {
            entered.AddressTexts[i] = Cp(TextOf(ui_.Adr[i]));
            entered.PortIndexes[i] = SelectedEntry(ui_.Port[i]);
            entered.Connected[i] = Checked(ui_.Pripojen[i]);
        }
        entered.BaudIndex = SelectedEntry(ui_.K_Baud1);
        entered.Coding = Checked(ui_.CCode1);
        entered.DtUse = Checked(ui_.DT_use1);
        entered.Credit = Checked(ui_.Kredit1);
        entered.CapacityText = Cp(TextOf(ui_.Radku1));
        entered.MaxBreakfastsText = Cp(TextOf(ui_.MxSn1));
        entered.MaxDinnersText = Cp(TextOf(ui_.MxVec1));
        entered.RequestFile = Cp(TextOf(ui_.InSoubor));
        entered.OutputFile = Cp(TextOf(ui_.OutSoubor));
        entered.RepWriteIndex = SelectedEntry(ui_.Rep_write);
        entered.HighPriority = Checked(ui_.Priority_set);
        entered.DelayAddIndex = SelectedEntry(ui_.Delay_add);
        entered.MarkParity = Checked(ui_.Mark1);
        entered.EndJobOnFailure = Checked(ui_.Write_error_repeat);
        entered.DataPath = Cp(TextOf(ui_.Path_data));
        entered.BinaryOutput = Checked(ui_.Write_bin_output);
        if (engine_->SaveConfiguration(entered)) {
            // The restart: a close request, confirmed as any other.
            SendMessageW(form_, WM_CLOSE, 0, 0);
        }
    });
}

void TForm1::Delay_addChange() {
    Guarded([this] { engine_->Delay_addChange(SelectedEntry(ui_.Delay_add)); });
}

void TForm1::Path_dataDblClick() {
    Guarded([this] {
        ++eventDepth_;
        const auto chosen = options_.dialogs.chooseDirectory(form_, TextOf(ui_.Path_data));
        --eventDepth_;
        if (chosen) {
            SetText(ui_.Path_data, *chosen);
        }
    });
}

// --- the event-log page ---

void TForm1::Button2Click() {
    Guarded([this] {
        SetText(ui_.Memo2, L"");
        const std::optional<std::string> log = engine_->Log().Read();
        if (!log) {
            ShowError("Cannot open file \"" + engine_->Log().Path() + "\".");
            return;
        }
        SendMessageW(ui_.Memo2, EM_SETLIMITTEXT, 0, 0);
        SetText(ui_.Memo2, LogPageText(*log));
        SendMessageW(ui_.Memo2, EM_SETSEL, static_cast<WPARAM>(-1), -1);
        SendMessageW(ui_.Memo2, EM_SCROLLCARET, 0, 0);
        SetTabs(true);
        ShowPage(4);
    });
}

void TForm1::BitBtn2Click() {
    Guarded([this] {
        ShowPage(2);
        SetTabs(false);
    });
}

void TForm1::BitBtn5Click() {
    Guarded([this] {
        SetText(ui_.Memo2, L"");
        if (!engine_->Log().Clear()) {
            ShowError("Cannot create file \"" + engine_->Log().Path() + "\".");
        }
    });
}

} // namespace kelmora::win32
