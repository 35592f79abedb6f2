#include "engine/CfgRecord.h"
#include "engine/Configuration.h"
#include "engine/ConfigurationSave.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace kelmora;
using kelmora::testing::TempDir;
using namespace std::string_literals;

namespace {

constexpr const char* kDefaultRecordHex =
    "01000100000000000000000004000000C40900000400000006000000010001726571756573742E636667"
    "000000006F75747075742E747874000000000000000114000000";
constexpr const char* kLineTimingHex = "320000002C1A0000";

Configuration from_text(const std::string& text) {
    return ConfigurationFromIni(IniText(text), "/start");
}

std::string config_with(const std::string& keys) {
    return "[Konfigurace]\r\n" + keys;
}

EnteredConfiguration entered_defaults() {
    EnteredConfiguration e;
    e.AddressTexts = {"1", "0", "0", "0"};
    e.PortIndexes = {0, 0, 0, 0};
    e.Connected = {true, false, false, false};
    e.BaudIndex = 4;
    e.Coding = true;
    e.Credit = true;
    e.CapacityText = "2500";
    e.MaxBreakfastsText = "4";
    e.MaxDinnersText = "6";
    e.RequestFile = "request.cfg";
    e.OutputFile = "output.txt";
    e.RepWriteIndex = 0;
    e.HighPriority = true;
    e.DelayAddIndex = 20;
    return e;
}

StoredSettings settings_from(const Configuration& c, const CfgRecord& record) {
    StoredSettings s;
    s.Record = record;
    s.LineLeadUs = c.LineLeadUs;
    s.LineTailUs = c.LineTailUs;
    s.MarkParity = c.MarkParity;
    s.EndJobOnFailure = c.EndJobOnFailure;
    s.DataPath = c.DataPath;
    s.BinaryOutput = c.BinaryOutput;
    s.WaitForDataMs = c.WaitForDataMs;
    return s;
}

} // namespace

TEST(Configuration, WithoutAFileEveryValueIsItsDefaultAndNothingIsCreated) {
    TempDir dir;
    const std::string path = dir.file("kelmora.ini");
    const Configuration c = LoadConfiguration(path, "/start dir");
    EXPECT_FALSE(file_exists(path));

    EXPECT_EQ(c.Record, CfgRecord::Defaults());
    EXPECT_EQ(c.Slots[0].Address, 1);
    EXPECT_EQ(c.Slots[0].ComIndex, 0);
    EXPECT_TRUE(c.Slots[0].Connected);
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(c.Slots[i].Address, 0);
        EXPECT_EQ(c.Slots[i].ComIndex, 0);
        EXPECT_FALSE(c.Slots[i].Connected);
    }
    EXPECT_EQ(c.BaudRate, 19200);
    EXPECT_FALSE(c.MarkParity);
    EXPECT_EQ(c.Record.Capacity, 2500);
    EXPECT_EQ(c.MemoryLength, 60000);
    EXPECT_EQ(c.MaxBreakfasts, 4);
    EXPECT_EQ(c.MaxDinners, 6);
    EXPECT_TRUE(c.Coding);
    EXPECT_TRUE(c.Credit);
    EXPECT_FALSE(c.DtUse);
    EXPECT_EQ(c.RequestFile, "request.cfg");
    EXPECT_EQ(c.OutputFile, "output.txt");
    EXPECT_EQ(c.RepWriteIndex, 0);
    EXPECT_TRUE(c.HighPriority);
    EXPECT_EQ(c.DelayAddIndex, 20);
    EXPECT_EQ(c.MasterTestMs, 120);
    EXPECT_TRUE(c.EndJobOnFailure);
    EXPECT_TRUE(c.BinaryOutput);
    EXPECT_EQ(c.WaitForDataMs, 200);
    EXPECT_EQ(c.DataPath, "/start dir");
    EXPECT_EQ(c.LineLeadUs, 50);
    EXPECT_EQ(c.LineTailUs, 6700);
    for (const auto& device : c.PortDevices) {
        EXPECT_EQ(device, "");
    }
}

TEST(CfgRecord, DefaultRecordHasItsStoredFormAndBytesRoundTrip) {
    EXPECT_EQ(EncodeBinaryValue(CfgRecord::Defaults().ToBytes()), kDefaultRecordHex);
    EXPECT_EQ(EncodeBinaryValue(EncodeLineTiming(50, 6700)), kLineTimingHex);

    // Every byte, reserved ones and those after a name's zero included, is
    // kept: the loaded record stays as loaded.
    std::string bytes(CfgRecord::kSize, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(0xFF - 3 * i);
    }
    bytes[35] = '\0';
    const auto record = CfgRecord::FromBytes(bytes);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->ToBytes(), bytes);
    EXPECT_EQ(record->BaudIndex, static_cast<std::int32_t>(0xD2D5D8DBu)); // little-endian
    EXPECT_EQ(record->Reserved66, 0x3639);
    EXPECT_EQ(NameText(record->RequestFile), bytes.substr(31, 4));
    EXPECT_FALSE(CfgRecord::FromBytes(bytes.substr(0, 67)).has_value());
}

TEST(CfgRecord, NameFields) {
    EXPECT_EQ(NameText(MakeName("abcdefghijklmnopqrst")), "abcdefghijkl");
    CfgName full{};
    full.fill('x');
    EXPECT_EQ(NameText(full), std::string(15, 'x')); // no zero: all 15 bytes
    const CfgName shortName = MakeName("ab");
    EXPECT_EQ(std::string(shortName.begin(), shortName.end()),
              std::string("ab") + std::string(13, '\0'));
}

TEST(CfgRecord, BinaryValueReading) {
    struct Case {
        const char* text;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"", ""},
        {"0aFf", "\x0A\xFF"},
        {"ABC", "\xAB"},                      // a last odd digit is dropped
        {"1G2z", std::string("\x10\x20", 2)}, // a non-digit counts as 0
        {"  ", std::string(1, '\0')},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeBinaryValue(c.text), c.bytes) << c.text;
    }
}

TEST(Configuration, CfgBinaryShorterThanARecordGivesTheWholeDefaultRecord) {
    std::string custom = CfgRecord::Defaults().ToBytes();
    custom[0] = 7;  // slot 1 address
    custom[12] = 2; // BaudIndex
    const std::string hex = EncodeBinaryValue(custom);

    const Configuration shortValue = from_text(config_with("Cfg_binary=" + hex.substr(0, 134)));
    EXPECT_EQ(shortValue.Record, CfgRecord::Defaults());
    EXPECT_EQ(shortValue.BaudRate, 19200);

    const Configuration longValue = from_text(config_with("Cfg_binary=" + hex + "ABCD"));
    EXPECT_EQ(longValue.Record.ToBytes(), custom);
    EXPECT_EQ(longValue.Slots[0].Address, 7);
    EXPECT_EQ(longValue.BaudRate, 4800);

    std::string lower = hex;
    for (char& ch : lower) {
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    EXPECT_EQ(from_text(config_with("Cfg_binary=" + lower + "\r\n")).Record.ToBytes(), custom);
}

TEST(Configuration, DamagedValuesGiveTheirDefaultsAndAreNoted) {
    std::string custom = CfgRecord::Defaults().ToBytes();
    custom[0] = 7;
    const std::string hex = EncodeBinaryValue(custom);
    std::string notHex = hex;
    notHex[20] = 'G';
    struct Case {
        const char* name;
        std::string keys;
        std::function<bool(const Configuration&)> holds;
    };
    const Case cases[] = {
        {"a record that is not hexadecimal", "Cfg_binary=" + notHex,
         [](const Configuration& c) { return c.Record == CfgRecord::Defaults(); }},
        {"a record too short", "Cfg_binary=" + hex.substr(0, 134),
         [](const Configuration& c) { return c.Record == CfgRecord::Defaults(); }},
        {"a data path with a NUL", "PATH_data=/d/victim.txt\0/data"s,
         [](const Configuration& c) { return c.DataPath == "/start"; }},
        {"a device with a NUL", "[Porty]\r\nCOM1=/dev/ttyS0\0x"s,
         [](const Configuration& c) { return c.PortDevices[0].empty(); }},
        {"a wait with a NUL", "Cekani_na_data=9\0"s,
         [](const Configuration& c) { return c.WaitForDataMs == 200; }},
        {"a negative wait", "Cekani_na_data=-1",
         [](const Configuration& c) { return c.WaitForDataMs == kMinWaitForDataMs; }},
        {"the most negative wait", "Cekani_na_data=-2147483648",
         [](const Configuration& c) { return c.WaitForDataMs == kMinWaitForDataMs; }},
        {"a wait over the limit", "Cekani_na_data=10001",
         [](const Configuration& c) { return c.WaitForDataMs == kMaxWaitForDataMs; }},
        {"the largest wait", "Cekani_na_data=2147483647",
         [](const Configuration& c) { return c.WaitForDataMs == kMaxWaitForDataMs; }},
    };
    for (const Case& k : cases) {
        const Configuration c = from_text(config_with(k.keys));
        EXPECT_TRUE(k.holds(c)) << k.name;
        EXPECT_EQ(c.LoadProblems.size(), 1u) << k.name;
    }
    // Values within their limits are nothing to note.
    for (const char* keys : {"Cekani_na_data=0", "Cekani_na_data=10000", "PATH_data=/d"}) {
        EXPECT_TRUE(from_text(config_with(keys)).LoadProblems.empty()) << keys;
    }
    EXPECT_TRUE(from_text(config_with("Cfg_binary=" + hex + "ZZ")).LoadProblems.empty());
}

#ifndef _WIN32
TEST(Configuration, AConfigurationFileThatIsNoFileGivesTheDefaultsAtOnce) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.file("fifo.ini").c_str(), 0600), 0);
    for (const std::string& path : {dir.file("fifo.ini"), std::string("/dev/zero"), dir.str()}) {
        const Configuration c = LoadConfiguration(path, "/start");
        EXPECT_EQ(c.Record, CfgRecord::Defaults()) << path;
        EXPECT_EQ(c.DataPath, "/start") << path;
        ASSERT_EQ(c.LoadProblems.size(), 1u) << path;
        EXPECT_NE(c.LoadProblems[0].find(path), std::string::npos);
    }
    EXPECT_TRUE(LoadConfiguration(dir.file("missing.ini"), "/start").LoadProblems.empty());
}
#endif

TEST(Configuration, DerivedValues) {
    CfgRecord r = CfgRecord::Defaults();
    r.DtUse = 1;
    r.Slots[2] = CfgSlot{9, 3, 2};
    r.RequestFile = MakeName("pozadavky.txt");
    Configuration c = from_text(config_with("Cfg_binary=" + EncodeBinaryValue(r.ToBytes()) +
                                            "\r\nTest_binary=0100000002000000\r\n"));
    EXPECT_EQ(c.MemoryLength, 72500);
    EXPECT_TRUE(c.DtUse);
    EXPECT_EQ(c.Slots[2].Address, 9);
    EXPECT_EQ(c.Slots[2].ComIndex, 3);
    EXPECT_TRUE(c.Slots[2].Connected);
    EXPECT_EQ(c.RequestFile, "pozadavky.tx");
    EXPECT_EQ(c.LineLeadUs, 50); // the stored line timing is never used
    EXPECT_EQ(c.LineTailUs, 6700);

    const std::vector<std::pair<std::int32_t, int>> bauds = {
        {0, 1200}, {1, 2400}, {2, 4800}, {3, 9600}, {4, 19200}, {7, 19200}, {-1, 19200}};
    for (const auto& [index, baud] : bauds) {
        EXPECT_EQ(BaudRateFor(index), baud) << index;
    }
    EXPECT_EQ(MemoryLengthFor(2500, false), 60000);
    EXPECT_EQ(MemoryLengthFor(INT32_MAX, true), std::int64_t{INT32_MAX} * 29);
    EXPECT_EQ(MemoryLengthFor(-5, false), 0);

    const std::vector<std::pair<int, int>> delays = {{0, 40},   {20, 120},  {59, 276},
                                                     {60, 120}, {255, 120}, {-1, 120}};
    for (const auto& [index, ms] : delays) {
        EXPECT_EQ(MasterTestMsFor(index), ms) << index;
    }
    r.DelayAddIndex = 255;
    c = from_text(config_with("Cfg_binary=" + EncodeBinaryValue(r.ToBytes())));
    EXPECT_EQ(c.DelayAddIndex, 255);
    EXPECT_EQ(c.MasterTestMs, 120);
}

TEST(Configuration, ScalarKeysAndTheirDefaults) {
    const Configuration c = from_text(config_with("Cekani_na_data=abc\r\nPATH_data=\r\n"
                                                  "Parita=1\r\nNeuspech_konec=0\r\n"
                                                  "BINARY_output=x\r\n"));
    EXPECT_EQ(c.WaitForDataMs, 200);
    EXPECT_EQ(c.DataPath, ""); // present but empty: not the start directory
    EXPECT_TRUE(c.MarkParity);
    EXPECT_FALSE(c.EndJobOnFailure);
    EXPECT_TRUE(c.BinaryOutput);

    const Configuration d = from_text("[konfigurace]\nCEKANI_NA_DATA = 350\npath_data=\"/d d\"\n");
    EXPECT_EQ(d.WaitForDataMs, 350);
    EXPECT_EQ(d.DataPath, "/d d");
}

TEST(Configuration, PortDevicesFromThePortsSection) {
    const Configuration c = from_text("[Konfigurace]\nCOM2=/dev/wrong\n"
                                      "[porty]\ncom1=/dev/ttyUSB0\nCOM32 = /dev/serial/by-id/x\n"
                                      "COM33=/dev/ignored\nCOM3=\n");
    EXPECT_EQ(c.PortDevices[0], "/dev/ttyUSB0");
    EXPECT_EQ(c.PortDevices[1], "");
    EXPECT_EQ(c.PortDevices[2], "");
    EXPECT_EQ(c.PortDevices[31], "/dev/serial/by-id/x");
}

TEST(ConfigurationSave, BuildsTheRecordFromTheEnteredValues) {
    EnteredConfiguration e = entered_defaults();
    BuiltRecord built = BuildCfgRecord(e);
    ASSERT_TRUE(built.Record.has_value()) << built.Message;
    EXPECT_EQ(*built.Record, CfgRecord::Defaults());

    e.AddressTexts = {"300", " 12 ", "-1", "255"};
    e.PortIndexes = {5, -1, 31, 0};
    e.BaudIndex = -1;
    e.RequestFile = "abcdefghijklmnopqrst";
    e.OutputFile = "out";
    e.RepWriteIndex = -1;
    e.DelayAddIndex = -1;
    e.DtUse = true;
    built = BuildCfgRecord(e);
    ASSERT_TRUE(built.Record.has_value()) << built.Message;
    const CfgRecord& r = *built.Record;
    EXPECT_EQ(r.Slots[0].Address, 44);
    EXPECT_EQ(r.Slots[1].Address, 12);
    EXPECT_EQ(r.Slots[2].Address, 255);
    EXPECT_EQ(r.Slots[0].ComIndex, 5);
    EXPECT_EQ(r.Slots[1].ComIndex, 255);
    EXPECT_EQ(r.BaudIndex, -1);
    EXPECT_EQ(r.DtUse, 1);
    EXPECT_EQ(NameText(r.RequestFile), "abcdefghijkl");
    EXPECT_EQ(r.RequestFile[12], '\0');
    EXPECT_EQ(NameText(r.OutputFile), "out");
    EXPECT_EQ(r.RepWriteIndex, 255);
    EXPECT_EQ(r.DelayAddIndex, 255);
}

TEST(ConfigurationSave, FirstFieldThatIsNotAWholeNumberEndsTheSave) {
    struct Case {
        const char* name;
        void (*enter)(EnteredConfiguration&);
        const char* message;
    };
    const std::vector<Case> cases = {
        {"empty capacity", [](EnteredConfiguration& e) { e.CapacityText = ""; },
         "'''' is not a valid integer value"},
        {"address before capacity",
         [](EnteredConfiguration& e) {
             e.CapacityText = "x";
             e.AddressTexts[2] = "1a";
         },
         "''1a'' is not a valid integer value"},
        {"dinners last", [](EnteredConfiguration& e) { e.MaxDinnersText = "6.5"; },
         "''6.5'' is not a valid integer value"},
        {"breakfasts before dinners",
         [](EnteredConfiguration& e) {
             e.MaxDinnersText = "?";
             e.MaxBreakfastsText = "99999999999";
         },
         "''99999999999'' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        EnteredConfiguration e = entered_defaults();
        c.enter(e);
        const BuiltRecord built = BuildCfgRecord(e);
        EXPECT_FALSE(built.Record.has_value()) << c.name;
        EXPECT_EQ(built.Message, c.message) << c.name;
    }
}

TEST(ConfigurationSave, NewFileHoldsTheSevenKeysInOrder) {
    TempDir dir;
    const std::string path = dir.file("kelmora.ini");
    Configuration c = LoadConfiguration(path, "/start");
    c.WaitForDataMs = 350;
    ASSERT_EQ(WriteConfigurationFile(path, settings_from(c, CfgRecord::Defaults())), std::nullopt);
    EXPECT_EQ(read_file(path), std::string("[Konfigurace]\r\n"
                                           "Cfg_binary=") +
                                   kDefaultRecordHex +
                                   "\r\n"
                                   "Test_binary=" +
                                   kLineTimingHex +
                                   "\r\n"
                                   "Parita=0\r\n"
                                   "Neuspech_konec=1\r\n"
                                   "PATH_data=/start\r\n"
                                   "BINARY_output=1\r\n"
                                   "Cekani_na_data=350\r\n");
}

TEST(ConfigurationSave, SaveKeepsForeignContentAndLoadsBackAsSaved) {
    TempDir dir;
    const std::string path = dir.file("kelmora.ini");
    const std::string head = "; Kelmora \xE8\r\n"
                             "\r\n"
                             "[Porty]\n"
                             "COM1=/dev/ttyUSB0\n"
                             "\n";
    const std::string tail = "\r\n"
                             "[Jine]\r\n"
                             "Cfg_binary=00\r\n";
    ASSERT_TRUE(write_file(path, head +
                                     "[Konfigurace]\r\n"
                                     "Neznamy=ponechat\r\n"
                                     "Test_binary=0100000002000000\r\n"
                                     "Cekani_na_data=abc\r\n"
                                     "poznamka bez rovnitka\r\n" +
                                     tail));

    Configuration loaded = LoadConfiguration(path, "/start");
    EnteredConfiguration e = entered_defaults();
    e.AddressTexts[1] = "300";
    e.Connected[1] = true;
    e.PortIndexes[1] = 1;
    const BuiltRecord built = BuildCfgRecord(e);
    ASSERT_TRUE(built.Record.has_value());
    StoredSettings s = settings_from(loaded, *built.Record);
    s.MarkParity = true;
    ASSERT_EQ(WriteConfigurationFile(path, s), std::nullopt);

    EXPECT_EQ(read_file(path), head +
                                   "[Konfigurace]\r\n"
                                   "Neznamy=ponechat\r\n"
                                   "Test_binary=" +
                                   kLineTimingHex +
                                   "\r\n"
                                   "Cekani_na_data=200\r\n"
                                   "Cfg_binary=" +
                                   EncodeBinaryValue(built.Record->ToBytes()) +
                                   "\r\n"
                                   "Parita=1\r\n"
                                   "Neuspech_konec=1\r\n"
                                   "PATH_data=/start\r\n"
                                   "BINARY_output=1\r\n"
                                   "poznamka bez rovnitka\r\n" +
                                   tail);

    const Configuration next = LoadConfiguration(path, "/elsewhere");
    EXPECT_EQ(next.Record, *built.Record);
    EXPECT_EQ(next.Slots[1].Address, 44);
    EXPECT_EQ(next.Slots[1].ComIndex, 1);
    EXPECT_TRUE(next.MarkParity);
    EXPECT_EQ(next.DataPath, "/start");
    EXPECT_EQ(next.PortDevices[0], "/dev/ttyUSB0");
}

TEST(ConfigurationSave, UnwritableFileEndsTheSaveWithItsPath) {
    TempDir dir;
    const std::string missing = join_path(dir.file("no such dir"), "kelmora.ini");
    const StoredSettings s = settings_from(from_text(""), CfgRecord::Defaults());
    EXPECT_EQ(WriteConfigurationFile(missing, s), "Unable to write to " + missing);
    EXPECT_FALSE(file_exists(missing));

    // A data path that would break the file into lines is refused too.
    const std::string path = dir.file("kelmora.ini");
    StoredSettings broken = s;
    broken.DataPath = "/a\r\n[Konfigurace]";
    EXPECT_EQ(WriteConfigurationFile(path, broken), "Unable to write to " + path);
    const std::string written = read_file(path).value_or("");
    EXPECT_NE(written.find("Neuspech_konec=1\r\n"), std::string::npos); // before the failure
    EXPECT_EQ(written.find("PATH_data"), std::string::npos);
}

#ifndef _WIN32
TEST(ConfigurationSave, ReadOnlyFileIsLeftAsItWas) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind root";
    }
    TempDir dir;
    const std::string path = dir.file("kelmora.ini");
    ASSERT_TRUE(write_file(path, "[Konfigurace]\r\nParita=1\r\n"));
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    const StoredSettings s = settings_from(from_text(""), CfgRecord::Defaults());
    EXPECT_EQ(WriteConfigurationFile(path, s), "Unable to write to " + path);
    EXPECT_EQ(read_file(path), "[Konfigurace]\r\nParita=1\r\n");
}
#endif

TEST(Configuration, FilePathBesideTheExecutable) {
    struct Case {
        const char* executable;
        const char* ini;
    };
    const std::vector<Case> cases = {
        {"/opt/kelmora/bin/kelmora", "/opt/kelmora/bin/kelmora.ini"},
        {"/opt/kelmora/bin/kelmora.exe", "/opt/kelmora/bin/kelmora.ini"},
        {"/opt/kel.mora/bin/kelmora", "/opt/kel.mora/bin/kelmora.ini"},
        {"/opt/a/kelmora.tar.gz", "/opt/a/kelmora.tar.ini"},
        {"C:\\Program Files\\Kelmora.app\\Kelmora.EXE",
         "C:\\Program Files\\Kelmora.app\\Kelmora.ini"},
        {"C:\\Tools.d\\kelmora", "C:\\Tools.d\\kelmora.ini"},
        {"D:a.b", "D:a.ini"},
        {"kelmora", "kelmora.ini"},
        {"kelmora.", "kelmora.ini"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConfigurationFilePath(c.executable), c.ini) << c.executable;
    }
}
