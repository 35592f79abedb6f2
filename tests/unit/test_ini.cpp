#include "engine/IniFile.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace kelmora;
using kelmora::testing::TempDir;

TEST(IniText, ReadsLikeThePrivateProfileFunctions) {
    const IniText ini("; leading comment\r\n"
                      "Outside=1\r\n"
                      "[konfigurace]\r\n"
                      "  Parita \t=\t 1  \r\n"
                      "Empty=\r\n"
                      "Blanks=   \r\n"
                      "just text without equals\r\n"
                      "; Hidden=1\r\n"
                      "# Hash=1\r\n"
                      "Dup=first\r\n"
                      "dup=second\r\n"
                      "Path=\"C:\\Data dir\"\r\n"
                      "Single='x'\r\n"
                      "Mismatched=\"x'\r\n"
                      "Lone=\"\r\n"
                      "Inner=a\"b\"\r\n"
                      "Eq=a=b\r\n"
                      "[Other] ; a note\n"
                      "Only=other\r"
                      "Parita=0\r"
                      "[KONFIGURACE]\r\n"
                      "Late=1\r\n"
                      "[Other]\n"
                      "Second=ignored");
    struct Case {
        const char* section;
        const char* key;
        std::optional<std::string> value;
    };
    const std::vector<Case> cases = {
        {"Konfigurace", "PARITA", "1"},
        {"KONFIGURACE", "parita", "1"},
        {"Konfigurace", "Empty", ""},
        {"Konfigurace", "Blanks", ""},
        {"Konfigurace", "Missing", std::nullopt},
        {"Konfigurace", "just text without equals", std::nullopt},
        {"Konfigurace", "Hidden", std::nullopt},
        {"Konfigurace", "; Hidden", std::nullopt},
        {"Konfigurace", "# Hash", std::nullopt},
        {"Konfigurace", "Dup", "first"},
        {"Konfigurace", "Path", "C:\\Data dir"},
        {"Konfigurace", "Single", "x"},
        {"Konfigurace", "Mismatched", "\"x'"},
        {"Konfigurace", "Lone", "\""},
        {"Konfigurace", "Inner", "a\"b\""},
        {"Konfigurace", "Eq", "a=b"},
        {"Konfigurace", "Outside", std::nullopt},
        {"Konfigurace", "Only", std::nullopt},
        {"Konfigurace", "Late", std::nullopt}, // the first section of a name wins
        {"other", "Only", "other"},
        {"Other", "Parita", "0"},
        {"Other", "Second", std::nullopt},
        {"Missing", "Parita", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ini.Get(c.section, c.key), c.value) << c.section << "/" << c.key;
    }
}

TEST(IniText, TypedReadersFallBackToTheDefault) {
    const IniText ini("[S]\nNum= -42 \nBad=12abc\nHuge=2147483648\nEmpty=\nZero=0\nTwo=2\n");
    EXPECT_EQ(ini.ReadInteger("S", "Num", 7), -42);
    EXPECT_EQ(ini.ReadInteger("S", "Bad", 7), 7);
    EXPECT_EQ(ini.ReadInteger("S", "Huge", 7), 7);
    EXPECT_EQ(ini.ReadInteger("S", "Empty", 7), 7);
    EXPECT_EQ(ini.ReadInteger("S", "Missing", 7), 7);
    EXPECT_FALSE(ini.ReadBool("S", "Zero", true));
    EXPECT_TRUE(ini.ReadBool("S", "Two", false));
    EXPECT_TRUE(ini.ReadBool("S", "Bad", true));
    EXPECT_EQ(ini.ReadString("S", "Empty", "default"), "");
    EXPECT_EQ(ini.ReadString("S", "Missing", "default"), "default");
}

TEST(IniText, WholeNumbers) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> value;
    };
    const std::vector<Case> cases = {
        {"0", 0},
        {"200", 200},
        {" \t+15 ", 15},
        {"-2147483648", INT32_MIN},
        {"2147483647", INT32_MAX},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"abc", std::nullopt},
        {"1 2", std::nullopt},
        {"0x10", std::nullopt},
        {"1.5", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseWholeNumber(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(IniText, WritingAKeyChangesOnlyItsValue) {
    // Odd line ends, blanks, comments, a foreign section and a line without
    // '=' survive byte for byte; the key keeps its own spelling and line end.
    const std::string before = "; kept \xE8\r\n"
                               "\r\n"
                               "[Porty]\n"
                               "COM1=/dev/ttyUSB0\n"
                               "[Konfigurace]\r"
                               "  parita =  0   \r"
                               "no equals here\r\n"
                               "Unknown=x\r\n";
    IniText ini(before);
    ASSERT_TRUE(ini.Set("KONFIGURACE", "Parita", "1"));
    EXPECT_EQ(ini.Content(), "; kept \xE8\r\n"
                             "\r\n"
                             "[Porty]\n"
                             "COM1=/dev/ttyUSB0\n"
                             "[Konfigurace]\r"
                             "  parita =  1\r"
                             "no equals here\r\n"
                             "Unknown=x\r\n");
    EXPECT_EQ(ini.Get("Konfigurace", "Parita"), "1");
}

TEST(IniText, NewKeysAndSectionsGoWhereWindowsPutsThem) {
    struct Case {
        const char* name;
        std::string before;
        std::string after;
    };
    const std::vector<Case> cases = {
        {"after the last key line, before trailing blanks and comments",
         "[K]\r\na=1\r\n; note\r\nb=2\r\n\r\n; about X\r\n[X]\r\nn=1\r\n",
         "[K]\r\na=1\r\n; note\r\nb=2\r\nNew=v\r\n\r\n; about X\r\n[X]\r\nn=1\r\n"},
        {"a line without '=' is not a key line", "[K]\na=1\ntext\n", "[K]\na=1\nNew=v\r\ntext\n"},
        {"right after the section line of a section without keys", "[K]\n\n[X]\nn=1\n",
         "[K]\nNew=v\r\n\n[X]\nn=1\n"},
        {"into the first of two sections of the name", "[K]\na=1\n[k]\nb=2\n",
         "[K]\na=1\nNew=v\r\n[k]\nb=2\n"},
        {"a last key line without line end gets one", "[K]\r\na=1", "[K]\r\na=1\r\nNew=v\r\n"},
        {"a new section at the end", "[X]\nn=1\n", "[X]\nn=1\n[K]\r\nNew=v\r\n"},
        {"a new section after a last line without line end", "[X]\nn=1",
         "[X]\nn=1\r\n[K]\r\nNew=v\r\n"},
        {"an empty text", "", "[K]\r\nNew=v\r\n"},
        {"keys outside any section do not count", "New=old\n[X]\nNew=x\n",
         "New=old\n[X]\nNew=x\n[K]\r\nNew=v\r\n"},
    };
    for (const auto& c : cases) {
        IniText ini(c.before);
        ASSERT_TRUE(ini.Set("K", "New", "v")) << c.name;
        EXPECT_EQ(ini.Content(), c.after) << c.name;
        EXPECT_EQ(ini.Get("K", "New"), "v") << c.name;
    }
}

TEST(IniText, RefusesWhatOneLineCannotHold) {
    const std::string before = "[K]\r\na=1\r\n";
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    const std::vector<Case> cases = {
        {"K", "a", "two\r\nlines"},
        {"K", "a", "cr\r"},
        {"K", "a", "lf\n"},
        {"", "a", "1"},
        {"K", "", "1"},
        {"K]", "a", "1"},
        {"K", "a=b", "1"},
        {"K", ";a", "1"},
        {"K", "[a", "1"},
        {"K", " a", "1"},
        {"K ", "a", "1"},
        {"K\n", "a", "1"},
    };
    for (const auto& c : cases) {
        IniText ini(before);
        EXPECT_FALSE(ini.Set(c.section, c.key, c.value)) << c.section << "/" << c.key;
        EXPECT_EQ(ini.Content(), before);
    }
}

TEST(IniText, Utf8ByteOrderMarkIsUnderstoodAndKept) {
    // "č" is C4 8D in UTF-8 and E8 in Windows-1250.
    IniText ini("\xEF\xBB\xBF[Konfigurace]\r\nPATH_data=/data/\xC4\x8D\r\n");
    EXPECT_EQ(ini.Get("Konfigurace", "PATH_data"), "/data/\xE8");
    ASSERT_TRUE(ini.Set("Konfigurace", "PATH_data", "/x/\xE8"));
    ASSERT_TRUE(ini.Set("Konfigurace", "Parita", "1"));
    EXPECT_EQ(ini.Content(), "\xEF\xBB\xBF[Konfigurace]\r\nPATH_data=/x/\xC4\x8D\r\nParita=1\r\n");

    IniText markOnly("\xEF\xBB\xBF");
    ASSERT_TRUE(markOnly.Set("K", "a", "\xE8"));
    EXPECT_EQ(markOnly.Content(), "\xEF\xBB\xBF[K]\r\na=\xC4\x8D\r\n");
}

TEST(IniFile, WritingCreatesTheFileAndKeepsItsOtherBytes) {
    TempDir dir;
    const std::string path = dir.file("kelmora.ini");
    EXPECT_FALSE(ReadIniFile(path).Get("K", "a").has_value());
    EXPECT_FALSE(file_exists(path));

    ASSERT_TRUE(WriteIniValue(path, "K", "a", "1"));
    EXPECT_EQ(read_file(path), "[K]\r\na=1\r\n");

    ASSERT_TRUE(write_file(path, "[X]\nq = \"7\"\n[K]\na=1\n; end"));
    ASSERT_TRUE(WriteIniValue(path, "k", "A", "2"));
    ASSERT_TRUE(WriteIniValue(path, "K", "b", "3"));
    EXPECT_EQ(read_file(path), "[X]\nq = \"7\"\n[K]\na=2\nb=3\r\n; end");
    EXPECT_EQ(ReadIniFile(path).Get("X", "q"), "7");
    EXPECT_FALSE(file_exists(path + ".new"));
}

TEST(IniFile, WriteFailsInADirectoryThatDoesNotExist) {
    TempDir dir;
    const std::string path = join_path(dir.file("missing"), "kelmora.ini");
    EXPECT_FALSE(WriteIniValue(path, "K", "a", "1"));
    EXPECT_FALSE(file_exists(path));
}

#ifndef _WIN32
TEST(IniFile, ReadOnlyOrUnreadableFileIsNeitherReplacedNorLost) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind root";
    }
    namespace fs = std::filesystem;
    TempDir dir;
    const std::string path = dir.file("kelmora.ini");
    const std::string before = "[K]\r\na=1\r\n";

    ASSERT_TRUE(write_file(path, before));
    fs::permissions(path, fs::perms::owner_read);
    EXPECT_FALSE(WriteIniValue(path, "K", "a", "2"));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_read);
    EXPECT_EQ(read_file(path), before);

    // Writable but unreadable: writing the key alone would lose the rest.
    fs::permissions(path, fs::perms::owner_write);
    EXPECT_FALSE(WriteIniValue(path, "K", "b", "2"));
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(read_file(path), before);

    // A read-only directory: neither a new file nor a rename over the old one.
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(WriteIniValue(path, "K", "a", "2"));
    EXPECT_FALSE(WriteIniValue(dir.file("new.ini"), "K", "a", "2"));
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(read_file(path), before);
    EXPECT_FALSE(file_exists(dir.file("new.ini")));
}
#endif
