#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "platform/SingleInstance.h"
#include "platform/TextLines.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace kelmora;
using namespace kelmora::literals;

namespace {

std::string all_bytes() {
    std::string s;
    for (int b = 0; b < 256; ++b) {
        s += static_cast<char>(b);
    }
    return s;
}

struct TempDir {
    std::filesystem::path path;
    TempDir() {
        path = std::filesystem::temp_directory_path() /
               ("kelmora-platform-" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string file(const char* name) const { return join_path(path.string(), name); }
};

} // namespace

TEST(Cp1250, EveryByteSurvivesUtf8AndUtf16RoundTrips) {
    const std::string bytes = all_bytes();
    EXPECT_EQ(cp1250_from_utf8(utf8_from_cp1250(bytes)), bytes);
    EXPECT_EQ(cp1250_from_utf16(utf16_from_cp1250(bytes)), bytes);
}

TEST(Cp1250, CzechTextConvertsBothWays) {
    const std::string utf8 = "Špatný počet snídaní, nebo večeří!";
    const std::string cp = "\x8Apatn\xFD po\xE8"
                           "et sn\xED"
                           "dan\xED, nebo ve\xE8"
                           "e\xF8\xED!";
    EXPECT_EQ(cp1250_from_utf8(utf8), cp);
    EXPECT_EQ(utf8_from_cp1250(cp), utf8);
    EXPECT_EQ("Špatný počet snídaní, nebo večeří!"_cp, cp);
}

TEST(Cp1250, CharactersWithoutAFormBecomeQuestionMarks) {
    struct Case {
        const char* utf8;
        const char* cp1250;
    };
    const std::vector<Case> cases = {
        {"\xE2\x82\xAC", "\x80"},    // euro sign has a form
        {"\xC3\xA5", "?"},           // a with ring: not in the code page
        {"\xF0\x9F\x98\x80x", "?x"}, // outside the BMP
        {"a\xC3", "a?"},             // truncated sequence
        {"\xC0\x80z", "?z"},         // overlong encoding
        {"\x80\x80q", "?q"},         // stray continuation bytes
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cp1250_from_utf8(c.utf8), c.cp1250) << c.utf8;
    }
    EXPECT_EQ(cp1250_from_utf16(u"\u00E5\U0001F600\xD800z"), "???z");
}

TEST(TextLines, ByteOrderMarkSelectsTheEncodingAndEveryLineEndSplits) {
    struct Case {
        std::string content;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"S", {"S"}},
        {"S\r\nY\r\n", {"S", "Y"}},
        {"S\nY", {"S", "Y"}},
        {"S\rY\r", {"S", "Y"}},
        {"S\r\n\r\nY", {"S", "", "Y"}},
        {"\n", {""}},
        {"\r\r\n\n", {"", "", ""}},
        {"\xE8\r\n", {"\xE8"}},                                          // Windows-1250 as it is
        {"\xEF\xBB\xBF\xC4\x8D\r\nY", {"\xE8", "Y"}},                    // UTF-8 BOM: č
        {std::string("\xFF\xFE\x0D\x01\r\0\n\0Y\0", 10), {"\xE8", "Y"}}, // UTF-16 LE
        {std::string("\xFE\xFF\x01\x0D\0\r\0Y\0", 9), {"\xE8", "Y"}},    // UTF-16 BE, odd tail
    };
    for (const auto& c : cases) {
        EXPECT_EQ(split_text_lines(c.content), c.lines) << testing::PrintToString(c.content);
    }
    EXPECT_EQ(join_crlf_lines({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(Path, SeparatorIsAlwaysInserted) {
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(join_path("data", "rexcom.sta"), "data" + sep + "rexcom.sta");
    EXPECT_EQ(join_path("data" + sep, "rexcom.sta"), "data" + sep + sep + "rexcom.sta");
    EXPECT_EQ(join_path("", "x"), sep + "x");
}

TEST(Files, ReplaceWriteAppendRemove) {
    TempDir dir;
    const std::string path = dir.file("out\xE8.txt"); // a Windows-1250 name
    EXPECT_FALSE(read_file(path));
    EXPECT_FALSE(file_exists(path));
    ASSERT_TRUE(replace_file(path, "first"));
    ASSERT_TRUE(replace_file(path, "2nd"));
    EXPECT_EQ(read_file(path), "2nd");
    EXPECT_FALSE(file_exists(path + ".new"));
    ASSERT_TRUE(append_file(path, "+"));
    EXPECT_EQ(read_file(path), "2nd+");
    ASSERT_TRUE(write_file(path, ""));
    EXPECT_EQ(read_file(path), "");
    EXPECT_TRUE(file_exists(path));
#ifdef _WIN32
    // Through the ANSI calls in the Windows-1250 code page: the name with č.
    EXPECT_TRUE(std::filesystem::exists(dir.path / L"out\u010D.txt"));
#else
    EXPECT_TRUE(std::filesystem::exists(dir.path / "out\xC4\x8D.txt")); // UTF-8 on disk
#endif
    auto age = file_age_ms(path);
    ASSERT_TRUE(age);
    EXPECT_GE(*age, 0);
    EXPECT_TRUE(remove_file(path));
    EXPECT_FALSE(file_exists(path));
    EXPECT_FALSE(file_age_ms(path));
    EXPECT_FALSE(write_file(dir.file("missing/dir.txt"), "x"));
}

TEST(Clock, BusyWaitNeverReturnsEarly) {
    for (const std::int64_t us : {0, 50, 2000}) {
        const std::int64_t start = hires_counter();
        busy_wait_us(us);
        const std::int64_t waited = (hires_counter() - start) * 1'000'000 / hires_frequency();
        EXPECT_GE(waited, us);
    }
    const std::uint32_t t0 = tick_ms();
    sleep_ms(20);
    EXPECT_GE(elapsed_ms(t0), 20u);
}

TEST(SingleInstance, SecondMarkOfTheNameIsRefusedUntilTheFirstIsGivenUp) {
    // A name of this run only, so that parallel test runs do not meet.
    const std::string name =
        "KelmoraTest" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
#ifndef _WIN32
    // The lock file goes into a directory of this test, not the user's.
    TempDir dir;
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved_value = saved != nullptr ? saved : "";
    setenv("XDG_RUNTIME_DIR", dir.path.c_str(), 1);
    struct Restore {
        bool had;
        std::string value;
        ~Restore() {
            if (had) {
                setenv("XDG_RUNTIME_DIR", value.c_str(), 1);
            } else {
                unsetenv("XDG_RUNTIME_DIR");
            }
        }
    } restore{saved != nullptr, saved_value};
#endif
    SingleInstance first(name);
    EXPECT_TRUE(first.Held());
    {
        SingleInstance second(name);
        EXPECT_FALSE(second.Held());
    }
    SingleInstance third(name);
    EXPECT_FALSE(third.Held()) << "a refused copy does not take the mark away";
    first.Release();
    EXPECT_FALSE(first.Held());
    SingleInstance fourth(name);
    EXPECT_TRUE(fourth.Held());
}
