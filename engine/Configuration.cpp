#include "engine/Configuration.h"

namespace kelmora {

int BaudRateFor(std::int32_t baudIndex) {
    switch (baudIndex) {
    case 0:
        return 1200;
    case 1:
        return 2400;
    case 2:
        return 4800;
    case 3:
        return 9600;
    default:
        return 19200;
    }
}

std::int64_t MemoryLengthFor(std::int32_t capacity, bool dtUse) {
    if (capacity < 0) {
        return 0;
    }
    return static_cast<std::int64_t>(capacity) * (dtUse ? 29 : 24);
}

int MasterTestMsFor(int delayAddIndex) {
    if (delayAddIndex < 0 || delayAddIndex >= kDelayAddEntries) {
        delayAddIndex = kDefaultDelayAddIndex;
    }
    return 4 * delayAddIndex + 40;
}

Configuration ConfigurationFromIni(const IniText& ini, std::string_view startDirectory) {
    Configuration c;
    const auto binary = ini.Get(kConfigSection, kKeyCfgBinary);
    // A value too short for a whole record is dropped, not merged.
    const auto record = binary ? CfgRecord::FromBytes(DecodeBinaryValue(*binary)) : std::nullopt;
    c.Record = record ? *record : CfgRecord::Defaults();

    c.MarkParity = ini.ReadBool(kConfigSection, kKeyParity, false);
    c.EndJobOnFailure = ini.ReadBool(kConfigSection, kKeyEndOnFailure, true);
    c.DataPath = ini.ReadString(kConfigSection, kKeyDataPath, startDirectory);
    c.BinaryOutput = ini.ReadBool(kConfigSection, kKeyBinaryOutput, true);
    c.WaitForDataMs = ini.ReadInteger(kConfigSection, kKeyWaitForData, 200);

    const CfgRecord& r = c.Record;
    for (std::size_t i = 0; i < c.Slots.size(); ++i) {
        c.Slots[i] =
            TerminalSlot{r.Slots[i].Address, r.Slots[i].ComIndex, r.Slots[i].Connected != 0};
    }
    c.BaudRate = BaudRateFor(r.BaudIndex);
    c.Coding = r.Coding != 0;
    c.DtUse = r.DtUse != 0;
    c.Credit = r.Credit != 0;
    c.MaxBreakfasts = r.MaxBreakfasts;
    c.MaxDinners = r.MaxDinners;
    c.MemoryLength = MemoryLengthFor(r.Capacity, c.DtUse);
    // The stored "Test_binary" is never used: these are in force at every start.
    c.LineLeadUs = 50;
    c.LineTailUs = 6700;
    c.RequestFile = NameText(r.RequestFile);
    c.OutputFile = NameText(r.OutputFile);
    c.RepWriteIndex = r.RepWriteIndex;
    c.HighPriority = r.HighPriority != 0;
    c.DelayAddIndex = r.DelayAddIndex;
    c.MasterTestMs = MasterTestMsFor(c.DelayAddIndex);

    for (std::size_t i = 0; i < kComPortCount; ++i) {
        c.PortDevices[i] = ini.ReadString(kPortsSection, "COM" + std::to_string(i + 1), "");
    }
    return c;
}

Configuration LoadConfiguration(std::string_view iniPath, std::string_view startDirectory) {
    return ConfigurationFromIni(ReadIniFile(iniPath), startDirectory);
}

std::string ConfigurationFilePath(std::string_view executablePath) {
    // Windows takes '/' as a separator too, so a dot before one is never the
    // extension's.
    constexpr std::string_view kSeparators = "\\:/";
    const std::size_t separator = executablePath.find_last_of(kSeparators);
    const std::size_t nameBegin = separator == std::string_view::npos ? 0 : separator + 1;
    const std::size_t dot = executablePath.rfind('.');
    std::string path(executablePath);
    if (dot != std::string_view::npos && dot >= nameBegin) {
        path.resize(dot);
    }
    return path + ".ini";
}

} // namespace kelmora
