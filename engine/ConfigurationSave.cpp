#include "engine/ConfigurationSave.h"

#include "engine/Configuration.h"
#include "engine/IniFile.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"

#include <utility>

namespace kelmora {

using namespace kelmora::literals;

namespace {

std::uint8_t list_index_byte(int index) {
    return index < 0 ? std::uint8_t{255} : static_cast<std::uint8_t>(index);
}

std::uint8_t flag_byte(bool flag) {
    return flag ? 1 : 0;
}

std::string not_an_integer(std::string_view text) {
    std::string message = "''";
    message += text;
    message += "'' is not a valid integer value";
    return message;
}

} // namespace

BuiltRecord BuildCfgRecord(const EnteredConfiguration& entered) {
    // Conversion order decides which field the message names.
    const std::array<const std::string*, 7> texts = {
        &entered.AddressTexts[0], &entered.AddressTexts[1], &entered.AddressTexts[2],
        &entered.AddressTexts[3], &entered.CapacityText,    &entered.MaxBreakfastsText,
        &entered.MaxDinnersText,
    };
    std::array<std::int32_t, 7> numbers{};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto number = ParseWholeNumber(*texts[i]);
        if (!number) {
            return BuiltRecord{std::nullopt, not_an_integer(*texts[i])};
        }
        numbers[i] = *number;
    }

    CfgRecord r;
    for (std::size_t i = 0; i < r.Slots.size(); ++i) {
        r.Slots[i] =
            CfgSlot{static_cast<std::uint8_t>(numbers[i] & 0xFF),
                    list_index_byte(entered.PortIndexes[i]), flag_byte(entered.Connected[i])};
    }
    r.BaudIndex = entered.BaudIndex;
    r.Capacity = numbers[4];
    r.MaxBreakfasts = numbers[5];
    r.MaxDinners = numbers[6];
    r.Coding = flag_byte(entered.Coding);
    r.DtUse = flag_byte(entered.DtUse);
    r.Credit = flag_byte(entered.Credit);
    r.RequestFile = MakeName(entered.RequestFile);
    r.OutputFile = MakeName(entered.OutputFile);
    r.RepWriteIndex = list_index_byte(entered.RepWriteIndex);
    r.HighPriority = flag_byte(entered.HighPriority);
    r.DelayAddIndex = list_index_byte(entered.DelayAddIndex);
    return BuiltRecord{r, {}};
}

std::vector<SaveDoubt> DoubtsAbout(const StoredSettings& s) {
    std::vector<SaveDoubt> doubts;
    if (s.DataPath.empty()) {
        doubts.push_back({std::string("Cesta (PATH) pro souborové operace je prázdná.\n"
                                      "Soubory by se zapisovaly do kořenového adresáře.\n"
                                      "Přesto uložit?"_cp),
                          std::string("Uložení konfigurace: prázdná cesta pro soubory"_cp)});
    } else if (!directory_exists(s.DataPath)) {
        doubts.push_back(
            {std::string("Cesta (PATH) pro souborové operace není existující adresář:\n"_cp) +
                 s.DataPath + std::string("\nPřesto uložit?"_cp),
             std::string("Uložení konfigurace: cesta pro soubory není adresář: "_cp) + s.DataPath});
    }
    if (NameText(s.Record.RequestFile).empty()) {
        doubts.push_back({std::string("Jméno souboru požadavků na terminál je prázdné.\n"
                                      "Požadavky nebude možné převzít.\n"
                                      "Přesto uložit?"_cp),
                          std::string("Uložení konfigurace: prázdné jméno souboru požadavků"_cp)});
    }
    if (NameText(s.Record.OutputFile).empty()) {
        doubts.push_back({std::string("Jméno souboru výstupu z terminálu je prázdné.\n"
                                      "Výsledky úloh nebude kam zapsat.\n"
                                      "Přesto uložit?"_cp),
                          std::string("Uložení konfigurace: prázdné jméno souboru výstupu"_cp)});
    }
    return doubts;
}

std::string EncodeLineTiming(std::int32_t leadUs, std::int32_t tailUs) {
    std::string bytes;
    for (const std::int32_t value : {leadUs, tailUs}) {
        const auto u = static_cast<std::uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) {
            bytes += static_cast<char>((u >> shift) & 0xFF);
        }
    }
    return bytes;
}

std::optional<std::string> WriteConfigurationFile(std::string_view iniPath,
                                                  const StoredSettings& s) {
    const std::pair<std::string_view, std::string> values[] = {
        {kKeyCfgBinary, EncodeBinaryValue(s.Record.ToBytes())},
        {kKeyTestBinary, EncodeBinaryValue(EncodeLineTiming(s.LineLeadUs, s.LineTailUs))},
        {kKeyParity, s.MarkParity ? "1" : "0"},
        {kKeyEndOnFailure, s.EndJobOnFailure ? "1" : "0"},
        {kKeyDataPath, s.DataPath},
        {kKeyBinaryOutput, s.BinaryOutput ? "1" : "0"},
        {kKeyWaitForData, std::to_string(s.WaitForDataMs)},
    };
    for (const auto& [key, value] : values) {
        if (!WriteIniValue(iniPath, kConfigSection, key, value)) {
            return "Unable to write to " + std::string(iniPath);
        }
    }
    return std::nullopt;
}

} // namespace kelmora
