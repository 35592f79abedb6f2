#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "platform/ServiceNotify.h"
#include "platform/SingleInstance.h"
#include "platform/TextLines.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <functional>
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

TEST(TextLines, AFileIsTakenOnlyWithinItsBoundsOfBytesAndLines) {
    TempDir dir;
    ASSERT_TRUE(write_file(dir.file("three"), "a\r\nb\r\nc"));
    struct Case {
        std::size_t maxBytes;
        std::size_t maxLines;
        FileProblem problem;
    };
    const Case cases[] = {
        {7, 3, FileProblem::None},
        {6, 3, FileProblem::TooLarge},
        {7, 2, FileProblem::TooLarge},
        {100, 0, FileProblem::TooLarge},
    };
    for (const Case& c : cases) {
        const TextFile file = read_text_file(dir.file("three"), c.maxBytes, c.maxLines);
        EXPECT_EQ(file.problem, c.problem) << c.maxBytes << " " << c.maxLines;
        EXPECT_EQ(file.lines.size(), file.ok() ? 3u : 0u);
    }
    EXPECT_EQ(read_text_file(dir.file("missing")).problem, FileProblem::Missing);
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
    const auto stamp = file_stamp(path);
    ASSERT_TRUE(stamp);
    ASSERT_TRUE(append_file(path, "!"));
    EXPECT_NE(file_stamp(path), stamp);
    EXPECT_TRUE(remove_file(path));
    EXPECT_FALSE(file_exists(path));
    EXPECT_FALSE(file_stamp(path));
    EXPECT_FALSE(write_file(dir.file("missing/dir.txt"), "x"));

    // Every missing level is made; an existing one, or a file in the way, is
    // reported as it stands.
    const std::string nested = join_path(join_path(dir.file("a\xE8"), "b"), "c");
    EXPECT_TRUE(make_directories(nested));
    EXPECT_TRUE(make_directories(nested));
    EXPECT_TRUE(write_file(join_path(nested, "f"), "x"));
    EXPECT_FALSE(make_directories(join_path(nested, "f")));
}

#ifndef _WIN32

namespace {

int OpenDescriptors() {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                          std::filesystem::directory_iterator()));
}

// Runs `work` in a child process whose files cannot grow beyond `limit`
// bytes, as on a full disk; whether it succeeded.
bool WithFullDisk(rlim_t limit, const std::function<bool()>& work) {
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN); // the write fails instead of ending the process
        const rlimit r{limit, limit};
        setrlimit(RLIMIT_FSIZE, &r);
        _exit(work() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

TEST(Files, OnlyRegularFilesWithinTheLimitAreReadAndNoHandleIsKept) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", dir.file("zero").c_str()), 0);
    std::filesystem::create_directory(dir.path / "directory");
    ASSERT_TRUE(write_file(dir.file("large"), std::string(1001, '\n')));
    ASSERT_TRUE(write_file(dir.file("exact"), std::string(1000, 'x')));
    ASSERT_EQ(symlink(dir.file("exact").c_str(), dir.file("link").c_str()), 0);
    ASSERT_TRUE(write_file(dir.file("secret"), "x"));
    chmod(dir.file("secret").c_str(), 0);
    const bool root = geteuid() == 0; // reads whatever the mode says
    struct Case {
        const char* name;
        FileProblem problem;
        std::size_t bytes = 0;
    };
    const std::vector<Case> cases = {
        {"missing", FileProblem::Missing},
        {"fifo", FileProblem::NotRegular}, // opening it must not wait for a writer
        {"zero", FileProblem::NotRegular}, // endless
        {"directory", FileProblem::NotRegular},
        {"large", FileProblem::TooLarge},
        {"exact", FileProblem::None, 1000},
        {"link", FileProblem::None, 1000},
        {"secret", root ? FileProblem::None : FileProblem::Unreadable, root ? 1u : 0u},
    };
    const int before = OpenDescriptors();
    for (const Case& c : cases) {
        const FileContent content = read_regular_file(dir.file(c.name), 1000);
        EXPECT_EQ(content.problem, c.problem) << c.name;
        EXPECT_EQ(content.bytes.size(), c.bytes) << c.name;
    }
    EXPECT_FALSE(read_file(dir.file("fifo")));
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(Files, AFullDiskKeepsTheOldFileWholeAndLeavesNoEmptyOne) {
    TempDir dir;
    const std::string output = dir.file("output.txt");
    const std::string old(1000, 'a');
    ASSERT_TRUE(replace_file(output, old));
    EXPECT_FALSE(WithFullDisk(4096, [&] { return replace_file(output, std::string(8000, 'b')); }));
    EXPECT_EQ(read_file(output), old);
    EXPECT_FALSE(file_exists(output + ".new"));

    const std::string status = dir.file("rexcom.sta");
    EXPECT_FALSE(WithFullDisk(0, [&] { return replace_file(status, "1,1\r\n"); }));
    EXPECT_FALSE(file_exists(status));
    EXPECT_TRUE(WithFullDisk(4096, [&] { return replace_file(status, "1,1\r\n"); }));
    EXPECT_EQ(read_file(status), "1,1\r\n");
}

TEST(Files, ATemporaryNameTakenByAFifoDoesNotHoldTheWriter) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.file("rexcom.sta.new").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(dir.file("errorlog.txt").c_str(), 0600), 0);
    EXPECT_TRUE(replace_file(dir.file("rexcom.sta"), "0,0\r\n"));
    EXPECT_EQ(read_file(dir.file("rexcom.sta")), "0,0\r\n");
    EXPECT_FALSE(append_file(dir.file("errorlog.txt"), "x"));
    EXPECT_FALSE(write_file(dir.file("errorlog.txt"), "x"));
}

#endif

TEST(Files, DirectoryExistsOnlyForADirectory) {
    TempDir dir;
    const std::string sub = dir.file("data");
    std::filesystem::create_directories(dir.path / "data");
    ASSERT_TRUE(write_file(dir.file("file.txt"), "x"));
    EXPECT_TRUE(directory_exists(dir.path.string()));
    EXPECT_TRUE(directory_exists(sub));
    EXPECT_FALSE(directory_exists(dir.file("file.txt")));
    EXPECT_FALSE(directory_exists(dir.file("missing")));
    EXPECT_FALSE(directory_exists(""));
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

#ifndef _WIN32
// What systemd's notify socket receives: the datagram, at a path or at a
// name in the abstract namespace ('@'); nothing without the variable.
TEST(ServiceNotify, TheStateArrivesAsOneDatagram) {
    TempDir dir;
    const std::string path = dir.file("notify");
    const std::string abstract = "@kelmora-test-" + std::to_string(getpid());
    for (const std::string& name : {path, abstract}) {
        const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        name.copy(address.sun_path, name.size());
        if (name[0] == '@') {
            address.sun_path[0] = '\0';
        }
        ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address),
                       static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size())),
                  0)
            << name;
        setenv("NOTIFY_SOCKET", name.c_str(), 1);
        EXPECT_TRUE(notify_service("READY=1\nSTATUS=Start programu")) << name;
        char buffer[64] = {};
        const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0),
                  "READY=1\nSTATUS=Start programu")
            << name;
        close(fd);
    }
    setenv("NOTIFY_SOCKET", "relative/name", 1);
    EXPECT_FALSE(notify_service("WATCHDOG=1"));
    setenv("NOTIFY_SOCKET", path.c_str(), 1); // nobody listens there any more
    unlink(path.c_str());
    EXPECT_FALSE(notify_service("WATCHDOG=1"));
    unsetenv("NOTIFY_SOCKET");
    EXPECT_FALSE(notify_service("WATCHDOG=1"));
}
#endif

TEST(SingleInstance, AMarkInADirectoryKeepsOutEveryOtherCopyOfThatDirectoryOnly) {
    TempDir one;
    std::filesystem::create_directory(one.path / "sub");
    const std::string oneDir = one.path.string();
    SingleInstance first("Kelmoraprogram", oneDir);
    EXPECT_TRUE(first.Held());
    {
        SingleInstance second("Kelmoraprogram", oneDir);
        EXPECT_FALSE(second.Held());
        SingleInstance elsewhere("Kelmoraprogram", (one.path / "sub").string());
        EXPECT_TRUE(elsewhere.Held());
    }
    first.Release();
    SingleInstance third("Kelmoraprogram", oneDir);
    EXPECT_TRUE(third.Held());
}
