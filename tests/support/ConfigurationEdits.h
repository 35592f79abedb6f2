// The save's round trip, the same for both windows: every control of the two
// configuration pages changed from what a test's INI holds (every slot at its
// defaults but T1), the values the save must then store, and what the file
// read back holds that it should not.
#pragma once

#include "engine/Configuration.h"
#include "engine/ConfigurationSave.h"
#include "engine/IniFile.h"
#include "shell/form/ControlTable.h"

#include <set>
#include <string>
#include <vector>

namespace kelmora::testing {

struct ControlEdit {
    enum class How { Text, Check, Select };
    std::string control;
    How how = How::Text;
    std::string text; // Windows-1250
    bool checked = false;
    int index = -1;
};

struct ConfigurationEdits {
    std::vector<ControlEdit> edits;
    EnteredConfiguration expected;
};

// `dataPath`: an existing directory other than the one in force.
inline ConfigurationEdits EveryConfigurationControlChanged(const std::string& dataPath) {
    ConfigurationEdits c;
    EnteredConfiguration& e = c.expected;
    auto text = [&c](std::string control, std::string value) {
        c.edits.push_back({std::move(control), ControlEdit::How::Text, std::move(value)});
    };
    auto check = [&c](std::string control, bool value) {
        c.edits.push_back({std::move(control), ControlEdit::How::Check, {}, value});
    };
    auto select = [&c](std::string control, int value) {
        c.edits.push_back({std::move(control), ControlEdit::How::Select, {}, false, value});
    };
    for (int i = 0; i < 4; ++i) {
        const std::string n = std::to_string(i + 1);
        e.AddressTexts[i] = std::to_string(21 + i);
        e.PortIndexes[i] = 4 + i;
        e.Connected[i] = i != 0; // T1 was the connected one
        text("Adr" + n, e.AddressTexts[i]);
        select("Port" + n, e.PortIndexes[i]);
        check("Pripojen" + n, e.Connected[i]);
    }
    select("K_Baud1", e.BaudIndex = 1);
    check("Mark1", e.MarkParity = true);
    check("CCode1", e.Coding = false);
    check("DT_use1", e.DtUse = true);
    check("Kredit1", e.Credit = false);
    text("Radku1", e.CapacityText = "1200");
    text("MxSn1", e.MaxBreakfastsText = "3");
    text("MxVec1", e.MaxDinnersText = "5");
    select("Rep_write", e.RepWriteIndex = 4);
    check("Write_error_repeat", e.EndJobOnFailure = false);
    check("Priority_set", e.HighPriority = true);
    select("Delay_add", e.DelayAddIndex = 7);
    text("InSoubor", e.RequestFile = "zadost.cfg");
    text("OutSoubor", e.OutputFile = "vystup.txt");
    text("Path_data", e.DataPath = dataPath);
    check("Write_bin_output", e.BinaryOutput = false);
    return c;
}

// The configuration controls the edits leave out: none, or the test changes
// less than every one (the fixed line timing, Edit2 and Edit3, is shown only).
inline std::vector<std::string> ControlsLeftOut(const ConfigurationEdits& c) {
    std::set<std::string> edited;
    for (const ControlEdit& edit : c.edits) {
        edited.insert(edit.control);
    }
    std::vector<std::string> missing;
    for (const form::ControlRow& row : form::ControlTable()) {
        const bool value = row.kind == form::Kind::Edit || row.kind == form::Kind::Check ||
                           row.kind == form::Kind::Combo;
        const bool fixed = row.name == "Edit2" || row.name == "Edit3";
        if ((row.page == 1 || row.page == 2) && value && !fixed &&
            edited.count(std::string(row.name)) == 0) {
            missing.emplace_back(row.name);
        }
    }
    return missing;
}

// What the file at `iniPath` holds other than `expected`, one line each.
inline std::vector<std::string> SavedOtherwise(const std::string& iniPath,
                                               const EnteredConfiguration& expected) {
    const Configuration saved = ConfigurationFromIni(ReadIniFile(iniPath), "");
    const BuiltRecord built = BuildCfgRecord(expected);
    std::vector<std::string> wrong;
    if (!built.Record || saved.Record.ToBytes() != built.Record->ToBytes()) {
        wrong.push_back("Cfg_binary");
    }
    if (saved.MarkParity != expected.MarkParity) {
        wrong.push_back("Parita");
    }
    if (saved.EndJobOnFailure != expected.EndJobOnFailure) {
        wrong.push_back("Neuspech_konec");
    }
    if (saved.DataPath != expected.DataPath) {
        wrong.push_back("PATH_data");
    }
    if (saved.BinaryOutput != expected.BinaryOutput) {
        wrong.push_back("BINARY_output");
    }
    return wrong;
}

} // namespace kelmora::testing
