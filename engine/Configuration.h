// The configuration in force: read once at start from the INI file beside the
// executable (section "Konfigurace", plus the optional "[Porty]" device table
// and "[Diagnostika]" line trace) and fixed for the run. Nothing here can
// fail: a missing file, a missing key, a short binary value or a malformed
// number gives the default.
//
// A damaged file is also noted for the event log (LoadProblems): a file that
// is no regular file or larger than kMaxIniFileBytes (read as one without
// keys), a value holding a NUL (a system call would see only the part before
// it: the default instead), a "Cfg_binary" that is too short or not
// hexadecimal (the default record), a "Cekani_na_data" outside
// kMinWaitForDataMs..kMaxWaitForDataMs (the nearest limit).
#pragma once

#include "engine/CfgRecord.h"
#include "engine/IniFile.h"
#include "terminal/TobrinHost.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora {

inline constexpr std::string_view kConfigSection = "Konfigurace";
inline constexpr std::string_view kPortsSection = "Porty";
// "[Diagnostika]" Trace: the file of the line trace (serial/LineTrace.h), for
// the windowed program, whose command line an operator rarely sees. A section
// of its own: the save never writes it, and Windows reads it too ("[Porty]"
// is POSIX's device table).
inline constexpr std::string_view kDiagnosticsSection = "Diagnostika";
inline constexpr std::string_view kKeyTrace = "Trace";

// The keys of "Konfigurace", in the order the save writes them.
inline constexpr std::string_view kKeyCfgBinary = "Cfg_binary";
inline constexpr std::string_view kKeyTestBinary = "Test_binary";
inline constexpr std::string_view kKeyParity = "Parita";
inline constexpr std::string_view kKeyEndOnFailure = "Neuspech_konec";
inline constexpr std::string_view kKeyDataPath = "PATH_data";
inline constexpr std::string_view kKeyBinaryOutput = "BINARY_output";
inline constexpr std::string_view kKeyWaitForData = "Cekani_na_data";

inline constexpr std::size_t kComPortCount = 32;
inline constexpr int kDelayAddEntries = 60;
inline constexpr int kDefaultDelayAddIndex = 20;

// One of the four slots T1..T4 as configured.
struct TerminalSlot {
    std::uint8_t Address = 0;
    std::uint8_t ComIndex = 0; // 0 is COM1; may lie outside 0..31 in a damaged file
    bool Connected = false;
};

struct Configuration {
    CfgRecord Record; // as loaded; a save does not change it

    std::array<TerminalSlot, 4> Slots{};
    int BaudRate = 19200;
    bool MarkParity = false;
    bool Coding = true;
    bool DtUse = false;
    bool Credit = true;
    std::int32_t MaxBreakfasts = 4;
    std::int32_t MaxDinners = 6;
    std::int64_t MemoryLength = 60000; // bytes of a terminal's person memory, never negative
    std::int32_t LineLeadUs = 50;
    std::int32_t LineTailUs = 6700;
    int MasterTestMs = 120;
    std::int32_t WaitForDataMs = 200;
    std::string DataPath;
    bool BinaryOutput = true;
    std::string RequestFile = "request.cfg";
    std::string OutputFile = "output.txt";

    // Where the window's live controls start from; the controls, not these,
    // are read at the moment of use.
    bool EndJobOnFailure = true; // "Neuspech_konec"
    int RepWriteIndex = 0;       // attempts per command - 1
    bool HighPriority = true;
    int DelayAddIndex = kDefaultDelayAddIndex;

    // Device paths by COM index from "[Porty]" COM1..COM32; empty where the
    // section gives none (the serial layer then uses its own default).
    std::array<std::string, kComPortCount> PortDevices{};
    // The line trace's file from "[Diagnostika]" Trace; empty: no trace.
    std::string TraceFile;

    // What was wrong with the file, one event-log message each.
    std::vector<std::string> LoadProblems;
};

// 0..3 give 1200, 2400, 4800, 9600; 4 and every other index 19200.
int BaudRateFor(std::int32_t baudIndex);

// Capacity x 29 with DT, otherwise x 24; a negative capacity gives 0.
std::int64_t MemoryLengthFor(std::int32_t capacity, bool dtUse);

// 4 x index + 40 for the list's entries 0..59. An index outside the list
// (255 is stored when the list had no selection) has no entry to take the
// extension from and gives the default entry 20, so 120 ms.
int MasterTestMsFor(int delayAddIndex);

// Every value in force from the file's text. `startDirectory` is the data
// path when "PATH_data" is missing (not when it is present and empty).
Configuration ConfigurationFromIni(const IniText& ini, std::string_view startDirectory);

// Reads the file at `iniPath`; a missing file reads as one without keys and
// nothing is created.
Configuration LoadConfiguration(std::string_view iniPath, std::string_view startDirectory);

// The executable's path with its extension replaced by ".ini": the part
// after the last '.' that follows the last '\\', '/' or ':';
// a name without one gets ".ini" appended.
std::string ConfigurationFilePath(std::string_view executablePath);

} // namespace kelmora
