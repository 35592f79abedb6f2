// Writes a configuration file for tests: the slots, the data path and the
// devices of "[Porty]", everything else at its default.
#pragma once

#include "engine/CfgRecord.h"
#include "engine/ConfigurationSave.h"
#include "engine/IniFile.h"

#include <map>
#include <string>

namespace kelmora::testing {

struct TestSlot {
    int slot; // 0..3
    int address;
    int comIndex;
};

// False when the file cannot be written. `delayAddIndex` is the entry of
// "Prodloužení testu MASTER" (-1: the default).
inline bool WriteIni(const std::string& iniPath, const std::string& dataPath,
                     const std::vector<TestSlot>& slots, const std::map<int, std::string>& devices,
                     int attempts = 1, int delayAddIndex = -1) {
    StoredSettings s;
    s.Record = CfgRecord::Defaults();
    s.Record.Slots[0].Connected = 0;
    for (const TestSlot& t : slots) {
        s.Record.Slots[t.slot] = {static_cast<std::uint8_t>(t.address),
                                  static_cast<std::uint8_t>(t.comIndex), 1};
    }
    s.Record.RepWriteIndex = static_cast<std::uint8_t>(attempts - 1);
    s.Record.HighPriority = 0;
    if (delayAddIndex >= 0) {
        s.Record.DelayAddIndex = static_cast<std::uint8_t>(delayAddIndex);
    }
    s.DataPath = dataPath;
    if (WriteConfigurationFile(iniPath, s).has_value()) {
        return false;
    }
    for (const auto& [com, device] : devices) {
        if (!WriteIniValue(iniPath, "Porty", "COM" + std::to_string(com + 1), device)) {
            return false;
        }
    }
    return true;
}

} // namespace kelmora::testing
