#include "shell/form/ControlTable.h"

#include "platform/Cp1250.h"
#include "shell/ProgramIdentity.h"

#include <array>
#include <stdexcept>

namespace kelmora::form {

using namespace kelmora::literals;

namespace {

using K = Kind;
constexpr int kOut = kNoPage;
constexpr std::string_view kAny = kRunTimeText;

// clang-format off
constexpr std::array kRows = std::to_array<ControlRow>({
    {"Form1",        kOut, K::Window, kWindowCaption, {}, {}, false, 600, 400},
    {"TabSheet1",    0, K::Page, "Ovládání terminálu"_cp},
    {"TabSheet2",    1, K::Page, "Konfigurace terminálů"_cp},
    {"TabSheet3",    2, K::Page, "Servisní nastavení"_cp},
    {"TabSheet4",    3, K::Page, "O programu"},
    {"TabSheet5",    4, K::Page, "Chybová hlášení"_cp},

    // "Ovládání terminálu"
    {"Terminaly1",   0, K::Panel, kAny},
    {"Selekt",       0, K::Group, "Terminál"_cp, {}, {}, true},
    {"Selekt_T1",    0, K::Radio, "T1", {}, {}, true},
    {"Selekt_T2",    0, K::Radio, "T2", {}, {}, true},
    {"Selekt_T3",    0, K::Radio, "T3", {}, {}, true},
    {"Selekt_T4",    0, K::Radio, "T4", {}, {}, true},
    {"SpeedButton1", 0, K::Quick, "00", "příkaz O00"_cp, {}, true},
    {"SpeedButton2", 0, K::Quick, "11", "Příkaz O11"_cp, {}, true},
    {"SpeedButton3", 0, K::Quick, "S", "Příkaz S"_cp, {}, true},
    {"SpeedButton4", 0, K::Quick, "Y", "Příkaz Y"_cp, {}, true},
    {"ProgressBar1", 0, K::Progress, kAny, "WDT thread"},
    {"JvLED1",       0, K::Led, kAny, "Pracuji!!!"},
    {"BitBtn1",      0, K::Button, "Příkazy ze souboru"_cp},
    {"BitBtn2",      0, K::Button, "Schovat program"},
    {"BitBtn3",      0, K::Button, "Ukončení programu"_cp},
    {"Label29",      0, K::Label, "Příkazový řádek:"_cp, {}, "Edit1", true},
    {"Edit1",        0, K::Edit, kAny},
    {"BitBtn4",      0, K::Button, "Odeslat příkaz"_cp},
    {"Label17",      0, K::Label, "Výsledek operace s navoleným terminálem:"_cp, {}, "Memo1"},
    {"Memo1",        0, K::List, kAny},

    // "Konfigurace terminálů"
    {"GroupBox1",    1, K::Group, "Terminál 1"_cp, {}, {}, true},
    {"LabelAdr1",    1, K::Label, "Adresa", {}, "Adr1"},
    {"Adr1",         1, K::Edit, kAny, "Fyzická adresa terminálu (např. 1,2,15...)"_cp},
    {"LabelPort1",   1, K::Label, "Port", {}, "Port1"},
    {"Port1",        1, K::Combo, "COM{1..32}", "Komunikační port RS232 na počítači (COM1, COM2...)"_cp},
    {"Pripojen1",    1, K::Check, "Připojen"_cp,
     "Povolení komunikace s tímto terminálem, pokud není zatržen, tak nebude komunikovat."_cp},
    {"GroupBox2",    1, K::Group, "Terminál 2"_cp, {}, {}, true},
    {"LabelAdr2",    1, K::Label, "Adresa", {}, "Adr2"},
    {"Adr2",         1, K::Edit, kAny},
    {"LabelPort2",   1, K::Label, "Port", {}, "Port2"},
    {"Port2",        1, K::Combo, "COM{1..32}"},
    {"Pripojen2",    1, K::Check, "Připojen"_cp},
    {"GroupBox3",    1, K::Group, "Terminál 3"_cp, {}, {}, true},
    {"LabelAdr3",    1, K::Label, "Adresa", {}, "Adr3"},
    {"Adr3",         1, K::Edit, kAny},
    {"LabelPort3",   1, K::Label, "Port", {}, "Port3"},
    {"Port3",        1, K::Combo, "COM{1..32}"},
    {"Pripojen3",    1, K::Check, "Připojen"_cp},
    {"GroupBox4",    1, K::Group, "Terminál 4"_cp, {}, {}, true},
    {"LabelAdr4",    1, K::Label, "Adresa", {}, "Adr4"},
    {"Adr4",         1, K::Edit, kAny},
    {"LabelPort4",   1, K::Label, "Port", {}, "Port4"},
    {"Port4",        1, K::Combo, "COM{1..32}"},
    {"Pripojen4",    1, K::Check, "Připojen"_cp},
    {"Label13",      1, K::Label, "Rychlost BAUD", {}, "K_Baud1"},
    {"K_Baud1",      1, K::Combo, "1200|2400|4800|9600|19200", "Rychlost komunikace"},
    {"Label14",      1, K::Label, "Kapacita", {}, "Radku1"},
    {"Radku1",       1, K::Edit, kAny, "Maximální počet lidí pro tento terminál"_cp},
    {"Label15",      1, K::Label, "Max. p. snidaní"_cp, {}, "MxSn1"},
    {"MxSn1",        1, K::Edit, kAny},
    {"Label16",      1, K::Label, "Max. p. večeří"_cp, {}, "MxVec1"},
    {"MxVec1",       1, K::Edit, kAny},
    {"Mark1",        1, K::Check, "Parita MARK"},
    {"CCode1",       1, K::Check, "Kódování"_cp},
    {"DT_use1",      1, K::Check, "Používat DT"_cp},
    {"Kredit1",      1, K::Check, "Kredit"},
    {"BitBtn5",      1, K::Button, "Uložit CFG"_cp},

    // "Servisní nastavení"
    {"Label19",      2, K::Label, "Max. počet pokusů pro zápis dat do terminálu:"_cp, {}, "Rep_write"},
    {"Rep_write",    2, K::Combo, "{1..9}"},
    {"Label27",      2, K::Label, "Prodloužení testu MASTER o (ms)"_cp, {}, "Delay_add"},
    {"Delay_add",    2, K::Combo, "{0..236..4}"},
    {"Label1",       2, K::Label, "Jméno souboru požadavků na terminál:"_cp, {}, "InSoubor"},
    {"InSoubor",     2, K::Edit, kAny},
    {"Label2",       2, K::Label, "Jméno souboru výstupu z terminálu:"_cp, {}, "OutSoubor"},
    {"OutSoubor",    2, K::Edit, kAny},
    {"Label18",      2, K::Label, "Cesta (PATH) pro souborové operace:"_cp, {}, "Path_data"},
    {"Path_data",    2, K::Edit, kAny},
    {"Label4",       2, K::Label, "Konstanty pro vysílání a příjem"_cp, {}, "Edit2"},
    {"Edit2",        2, K::Edit, kAny},
    {"Edit3",        2, K::Edit, kAny},
    {"Write_error_repeat", 2, K::Check, "Při neúspěšném opakování ukončit úlohu"_cp},
    {"Priority_set", 2, K::Check, "Priorita komunikace HIGH_PRIORITY"},
    {"Write_bin_output", 2, K::Check, "Vytvářet výstupní soubor binarni.bin"_cp},
    {"BitBtn6",      2, K::Button, "Nastavit čas"_cp},
    {"BitBtn7",      2, K::Button, "Výpis error-log"_cp},
    {"BitBtn8",      2, K::Button, "Uložit CFG"_cp},

    // "O programu"
    {"Label30",      3, K::Label, "Program KELMORA 2013\n\nProgram Kelmora je určen pro počítače s "
                                  "operačním systémem\n\n®Windows 7,\n®Windows 8,"_cp},
    {"Label26",      3, K::Label, kAny},
    {"Image2",       3, K::Picture, kAny, {}, {}, false, 145, 311},

    // "Chybová hlášení"
    {"Memo2",        4, K::Text, kAny},
    {"JvXPButton5",  4, K::Button, "   Zpět"_cp},
    {"JvXPButton6",  4, K::Button, "Vymazat obsah"},

    // StatusBar1, left to right
    {"StatusPanel0",  kOut, K::Status, "Status:", {}, {}, false, 50},
    {"StatusPanel1",  kOut, K::Status, "", {}, {}, false, 50},
    {"StatusPanel2",  kOut, K::Status, "Načteno:"_cp, {}, {}, false, 60},
    {"StatusPanel3",  kOut, K::Status, "", {}, {}, false, 60},
    {"StatusPanel4",  kOut, K::Status, "Opakování Tx:"_cp, {}, {}, false, 100},
    {"StatusPanel5",  kOut, K::Status, "", {}, {}, false, 20},
    {"StatusPanel6",  kOut, K::Status, "Opakování Rx:"_cp, {}, {}, false, 100},
    {"StatusPanel7",  kOut, K::Status, "", {}, {}, false, 20},
    {"StatusPanel8",  kOut, K::Status, "Příkazy"_cp, {}, {}, false, 50},
    {"StatusPanel9",  kOut, K::Status, "0/0", {}, {}, false, 80},
    {"StatusPanel10", kOut, K::Status, "", {}, {}, false, 50},

    // PopupMenu1, the notification area's menu
    {"Show_window",  kOut, K::Menu, "Zobrazit program", {}, {}, true},
    {"Hide_window",  kOut, K::Menu, "Schovat program"},
    {"N1",           kOut, K::Separator, ""},
    {"Konec",        kOut, K::Menu, "Konec"},
});
// clang-format on

} // namespace

std::span<const ControlRow> ControlTable() {
    return kRows;
}

const ControlRow& RowOf(std::string_view name) {
    for (const ControlRow& row : kRows) {
        if (row.name == name) {
            return row;
        }
    }
    throw std::out_of_range("no control " + std::string(name));
}

std::vector<ControlRow> RowsOfKind(Kind kind) {
    std::vector<ControlRow> rows;
    for (const ControlRow& row : kRows) {
        if (row.kind == kind) {
            rows.push_back(row);
        }
    }
    return rows;
}

std::vector<std::string> ListEntries(std::string_view caption) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start <= caption.size()) {
        std::size_t end = caption.find('|', start);
        if (end == std::string_view::npos) {
            end = caption.size();
        }
        const std::string_view entry = caption.substr(start, end - start);
        const std::size_t open = entry.find('{');
        const std::size_t close = entry.find('}', open);
        if (open == std::string_view::npos || close == std::string_view::npos) {
            if (!entry.empty()) {
                entries.emplace_back(entry);
            }
        } else {
            // "COM{1..3}": COM1, COM2, COM3; "{0..8..4}": 0, 4, 8.
            const std::string range(entry.substr(open + 1, close - open - 1));
            const std::size_t dots = range.find("..");
            const std::size_t stepDots = range.find("..", dots + 2);
            const int first = std::stoi(range.substr(0, dots));
            const int last = std::stoi(range.substr(dots + 2, stepDots - dots - 2));
            const int step =
                stepDots == std::string::npos ? 1 : std::stoi(range.substr(stepDots + 2));
            for (int n = first; n <= last; n += step) {
                entries.push_back(std::string(entry.substr(0, open)) + std::to_string(n) +
                                  std::string(entry.substr(close + 1)));
            }
        }
        start = end + 1;
    }
    return entries;
}

std::string_view InitialText(const ControlRow& row) {
    return row.caption == kRunTimeText ? std::string_view() : row.caption;
}

} // namespace kelmora::form
