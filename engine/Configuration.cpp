#include "engine/Configuration.h"

#include "platform/Cp1250.h"
#include "platform/Files.h"

#include <algorithm>
#include <optional>

namespace kelmora {

using namespace kelmora::literals;

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

namespace {

// The file's values, refusing the malformed ones with a note for the log.
class Values {
public:
    Values(const IniText& ini, std::vector<std::string>& problems)
        : ini_(ini), problems_(problems) {}

    // The value, or nothing when it is missing or holds a NUL.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const {
        auto value = ini_.Get(section, key);
        if (value && value->find('\0') != std::string::npos) {
            Note(std::string(key) + std::string(" obsahuje znak NUL: použita výchozí hodnota"_cp));
            return std::nullopt;
        }
        return value;
    }
    std::string String(std::string_view section, std::string_view key,
                       std::string_view defaultValue) const {
        return Get(section, key).value_or(std::string(defaultValue));
    }
    std::int32_t Integer(std::string_view key, std::int32_t defaultValue) const {
        const auto value = Get(kConfigSection, key);
        return value ? ParseWholeNumber(*value).value_or(defaultValue) : defaultValue;
    }
    bool Bool(std::string_view key, bool defaultValue) const {
        return Integer(key, defaultValue ? 1 : 0) != 0;
    }
    void Note(std::string message) const { problems_.push_back(std::move(message)); }

private:
    const IniText& ini_;
    std::vector<std::string>& problems_;
};

CfgRecord RecordFrom(const Values& values) {
    const auto binary = values.Get(kConfigSection, kKeyCfgBinary);
    if (!binary) {
        return CfgRecord::Defaults();
    }
    // A value too short for a whole record is dropped, not merged; one that
    // is not hexadecimal would read as zeros (no slot, no file names).
    const std::string_view digits = std::string_view(*binary).substr(0, 2 * CfgRecord::kSize);
    if (digits.size() < 2 * CfgRecord::kSize || !IsBinaryValue(digits)) {
        values.Note(std::string(kKeyCfgBinary) +
                    std::string(" je poškozen: použita výchozí konfigurace"_cp));
        return CfgRecord::Defaults();
    }
    return CfgRecord::FromBytes(DecodeBinaryValue(digits)).value_or(CfgRecord::Defaults());
}

} // namespace

Configuration ConfigurationFromIni(const IniText& ini, std::string_view startDirectory) {
    Configuration c;
    const Values values(ini, c.LoadProblems);
    c.Record = RecordFrom(values);

    c.MarkParity = values.Bool(kKeyParity, false);
    c.EndJobOnFailure = values.Bool(kKeyEndOnFailure, true);
    c.DataPath = values.String(kConfigSection, kKeyDataPath, startDirectory);
    c.BinaryOutput = values.Bool(kKeyBinaryOutput, true);
    const std::int32_t wait = values.Integer(kKeyWaitForData, 200);
    c.WaitForDataMs = std::clamp(wait, kMinWaitForDataMs, kMaxWaitForDataMs);
    if (c.WaitForDataMs != wait) {
        values.Note(std::string(kKeyWaitForData) + "=" + std::to_string(wait) +
                    std::string(" mimo rozsah: použito "_cp) + std::to_string(c.WaitForDataMs));
    }

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
        c.PortDevices[i] = values.String(kPortsSection, "COM" + std::to_string(i + 1), "");
    }
    c.TraceFile = values.String(kDiagnosticsSection, kKeyTrace, "");
    return c;
}

Configuration LoadConfiguration(std::string_view iniPath, std::string_view startDirectory) {
    const FileContent file = read_regular_file(iniPath, kMaxIniFileBytes);
    Configuration c =
        ConfigurationFromIni(IniText(file.ok() ? file.bytes : std::string()), startDirectory);
    if (!file.ok() && file.problem != FileProblem::Missing) {
        c.LoadProblems.insert(c.LoadProblems.begin(),
                              std::string("Konfiguraci nelze načíst ze souboru "_cp) +
                                  std::string(iniPath) +
                                  std::string(": použita výchozí konfigurace"_cp));
    }
    return c;
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
