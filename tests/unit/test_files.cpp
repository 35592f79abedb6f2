// Whole-file operations: replace, write, append, remove, directories; only
// regular files within a limit are read; a full disk keeps the old file.
#include "platform/FileAccess.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace kelmora;
using kelmora::testing::TempDir;

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
    EXPECT_TRUE(std::filesystem::exists(dir.path() / L"out\u010D.txt"));
#else
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "out\xC4\x8D.txt")); // UTF-8 on disk
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

TEST(Files, APlacedFileNeverReplacesAnotherAndKeepsItsIdentity) {
    TempDir dir;
    const std::string mine = dir.file("mine\xE8.new");
    const std::string request = dir.file("request.cfg");
    ASSERT_TRUE(write_file(mine, "mine"));
    const auto identity = file_identity(mine);
    ASSERT_TRUE(identity);
    ASSERT_TRUE(write_file(request, "the host's"));
    EXPECT_NE(file_identity(request), identity);
    EXPECT_EQ(place_file(mine, request), Placement::Occupied);
    EXPECT_EQ(read_file(request), "the host's");
    EXPECT_EQ(read_file(mine), "mine");
    ASSERT_TRUE(remove_file(request));
    EXPECT_EQ(place_file(mine, request), Placement::Placed);
    EXPECT_FALSE(file_exists(mine));
    EXPECT_EQ(read_file(request), "mine");
    EXPECT_EQ(file_identity(request), identity);
    EXPECT_EQ(place_file(mine, dir.file("elsewhere")), Placement::Refused);
    EXPECT_FALSE(file_identity(mine));
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
    std::filesystem::create_directory(dir.path() / "directory");
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
    std::filesystem::create_directories(dir.path() / "data");
    ASSERT_TRUE(write_file(dir.file("file.txt"), "x"));
    EXPECT_TRUE(directory_exists(dir.path().string()));
    EXPECT_TRUE(directory_exists(sub));
    EXPECT_FALSE(directory_exists(dir.file("file.txt")));
    EXPECT_FALSE(directory_exists(dir.file("missing")));
    EXPECT_FALSE(directory_exists(""));
}

TEST(Files, WhyFilesCannotBeMadeInADirectory) {
    TempDir dir;
    ASSERT_TRUE(write_file(dir.file("file.txt"), "x"));
    EXPECT_EQ(directory_write_problem(dir.path().string()), DirectoryProblem::None);
    EXPECT_EQ(directory_write_problem(dir.file("missing")), DirectoryProblem::Missing);
    EXPECT_EQ(directory_write_problem(""), DirectoryProblem::Missing);
    EXPECT_EQ(directory_write_problem(dir.file("file.txt")), DirectoryProblem::NotDirectory);
#ifndef _WIN32
    if (geteuid() != 0) { // permissions do not bind root
        std::filesystem::create_directory(dir.path() / "closed");
        chmod(dir.file("closed").c_str(), 0555);
        EXPECT_EQ(directory_write_problem(dir.file("closed")), DirectoryProblem::Denied);
    }
#endif
}
