// Storing the configuration: the entered values of the configuration pages
// become a new CfgRecord, and the record with the other settings is written
// to the INI file. The window only collects its controls into
// EnteredConfiguration and shows the message a step returns.
#pragma once

#include "engine/CfgRecord.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora {

// The configuration pages as entered. A list index of -1 means the list has
// no selected entry. Texts are Windows-1250.
struct EnteredConfiguration {
    std::array<std::string, 4> AddressTexts{}; // Adr1..Adr4
    std::array<int, 4> PortIndexes{};          // Port1..Port4
    std::array<bool, 4> Connected{};           // Pripojen1..Pripojen4
    int BaudIndex = -1;                        // K_Baud1
    bool Coding = false;                       // CCode1
    bool DtUse = false;                        // DT_use1
    bool Credit = false;                       // Kredit1
    std::string CapacityText;                  // Radku1
    std::string MaxBreakfastsText;             // MxSn1
    std::string MaxDinnersText;                // MxVec1
    std::string RequestFile;                   // InSoubor
    std::string OutputFile;                    // OutSoubor
    int RepWriteIndex = -1;                    // Rep_write
    bool HighPriority = false;                 // Priority_set
    int DelayAddIndex = -1;                    // Delay_add
    bool MarkParity = false;                   // Mark1
    bool EndJobOnFailure = true;               // Write_error_repeat
    std::string DataPath;                      // Path_data
    bool BinaryOutput = true;                  // Write_bin_output
};

// A new record, or the message that ends the save before anything is written.
struct BuiltRecord {
    std::optional<CfgRecord> Record;
    std::string Message;
};

// The number fields are converted in the order Adr1..Adr4, Radku1, MxSn1,
// MxVec1; the first one that is not a whole number gives the message
// "''<text>'' is not a valid integer value". An address keeps its low 8 bits
// (300 is stored as 44), a list index is stored in one byte (-1 as 255), the
// names are cut to 12 characters and the reserved bytes are zero.
BuiltRecord BuildCfgRecord(const EnteredConfiguration& entered);

// What the save writes besides the record.
struct StoredSettings {
    CfgRecord Record;
    std::int32_t LineLeadUs = 50;
    std::int32_t LineTailUs = 6700;
    bool MarkParity = false;     // Mark1
    bool EndJobOnFailure = true; // Write_error_repeat
    std::string DataPath;        // Path_data
    bool BinaryOutput = true;    // Write_bin_output
    std::int32_t WaitForDataMs = 200;
};

// A value that would leave the program without a place for its files: a data
// path that is empty (the files would go to the root directory) or no
// existing directory, an empty request or output file name. The save stores
// such a value only when the operator agrees to `Question`; `LogLine` goes to
// the event log with the answer.
struct SaveDoubt {
    std::string Question;
    std::string LogLine;
};
std::vector<SaveDoubt> DoubtsAbout(const StoredSettings& settings);

// "Test_binary": the two line timing values as 32-bit little-endian integers.
std::string EncodeLineTiming(std::int32_t leadUs, std::int32_t tailUs);

// Writes "Cfg_binary", "Test_binary", "Parita", "Neuspech_konec",
// "PATH_data", "BINARY_output" and "Cekani_na_data" in this order, each to
// the file at once, creating it if needed. The first key that cannot be
// written ends the save with "Unable to write to <iniPath>"; the keys written
// before it stay written. A data path holding a line break cannot be written
// either: it would split into lines that read as other keys. Nothing on
// success.
std::optional<std::string> WriteConfigurationFile(std::string_view iniPath,
                                                  const StoredSettings& settings);

} // namespace kelmora
