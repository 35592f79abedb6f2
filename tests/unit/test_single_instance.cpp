// The mark that only one copy runs, per user and per data directory, and a
// directory's mark looked at again.
#include "platform/SingleInstance.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

using namespace kelmora;
using kelmora::testing::TempDir;

TEST(SingleInstance, SecondMarkOfTheNameIsRefusedUntilTheFirstIsGivenUp) {
    // A name of this run only, so that parallel test runs do not meet.
    const std::string name =
        "KelmoraTest" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
#ifndef _WIN32
    // The lock file goes into a directory of this test, not the user's.
    TempDir dir;
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved_value = saved != nullptr ? saved : "";
    setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
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

TEST(SingleInstance, AMarkInADirectoryKeepsOutEveryOtherCopyOfThatDirectoryOnly) {
    TempDir one;
    std::filesystem::create_directory(one.path() / "sub");
    const std::string oneDir = one.path().string();
    SingleInstance first("Kelmoraprogram", oneDir);
    EXPECT_TRUE(first.Held());
    {
        SingleInstance second("Kelmoraprogram", oneDir);
        EXPECT_FALSE(second.Held());
        SingleInstance elsewhere("Kelmoraprogram", (one.path() / "sub").string());
        EXPECT_TRUE(elsewhere.Held());
    }
    first.Release();
    SingleInstance third("Kelmoraprogram", oneDir);
    EXPECT_TRUE(third.Held());
}

TEST(SingleInstance, ALookAtADirectorysMarkTakesNothing) {
    TempDir dir;
    const std::string directory = dir.path().string();
    EXPECT_FALSE(SingleInstance::HeldInDirectory("kelmora", directory));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "kelmora.lock")) << "made by a look";
    {
        SingleInstance relay("kelmora", directory);
        ASSERT_TRUE(relay.Held());
        EXPECT_TRUE(SingleInstance::HeldInDirectory("kelmora", directory));
        EXPECT_FALSE(SingleInstance("kelmora", directory).Held());
        EXPECT_EQ(relay.Recheck(), MarkCheck::Kept);
    }
    EXPECT_FALSE(SingleInstance::HeldInDirectory("kelmora", directory));
}

#ifndef _WIN32
TEST(SingleInstance, ACopyStartingWhileALookHoldsTheLockFileGetsTheMark) {
    TempDir dir;
    const std::string directory = dir.path().string();
    { SingleInstance made("kelmora", directory); } // the lock file is there, unlocked
    const int look = open(dir.file("kelmora.lock").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(look, 0);
    ASSERT_EQ(flock(look, LOCK_SH | LOCK_NB), 0); // as HeldInDirectory holds it
    std::thread done([look] {
        std::this_thread::sleep_for(std::chrono::milliseconds(SingleInstance::kProbeWaitMs / 4));
        close(look);
    });
    SingleInstance starting("kelmora", directory);
    done.join();
    EXPECT_TRUE(starting.Held());
}

// (On Windows the open lock file keeps its directory: nothing takes it away.)
TEST(SingleInstance, ADirectorysMarkIsLookedAtAgainAfterItsLockFileWent) {
    TempDir dir;
    const std::string directory = dir.path().string();
    SingleInstance first("kelmora", directory);
    ASSERT_TRUE(first.Held());
    EXPECT_EQ(first.Recheck(), MarkCheck::Kept);
    // The directory removed and made again: nothing locks it any more until
    // the copy looks again.
    std::filesystem::remove(first.LockFile());
    EXPECT_EQ(first.Recheck(), MarkCheck::TakenAgain);
    EXPECT_FALSE(SingleInstance("kelmora", directory).Held());
    // Another copy came first this time; once it ends, the mark comes back.
    std::filesystem::remove(first.LockFile());
    {
        SingleInstance other("kelmora", directory);
        ASSERT_TRUE(other.Held());
        EXPECT_EQ(first.Recheck(), MarkCheck::HeldElsewhere);
        EXPECT_FALSE(first.Held());
        EXPECT_EQ(first.Recheck(), MarkCheck::HeldElsewhere);
    }
    EXPECT_EQ(first.Recheck(), MarkCheck::TakenAgain);
    EXPECT_TRUE(first.Held());
}

TEST(SingleInstance, ALinkPlantedAsTheLockFileIsReplacedAndWhatLocksNothingIsSaid) {
    TempDir dir;
    const std::string directory = dir.path().string();
    const std::string lockFile = dir.file("kelmora.lock");
    const std::string target = dir.file("elsewhere.txt");
    std::filesystem::create_symlink(target, lockFile);
    {
        SingleInstance first("kelmora", directory);
        EXPECT_TRUE(first.Held());
        EXPECT_FALSE(first.Unavailable());
        EXPECT_FALSE(std::filesystem::is_symlink(lockFile));
        EXPECT_FALSE(std::filesystem::exists(target));
        EXPECT_FALSE(SingleInstance("kelmora", directory).Held()) << "the lock works";
    }
    // Neither a directory nor a FIFO under the name can be locked: held, and said.
    std::filesystem::remove(lockFile);
    std::filesystem::create_directory(lockFile);
    SingleInstance beside("kelmora", directory);
    EXPECT_TRUE(beside.Held());
    EXPECT_TRUE(beside.Unavailable());
    EXPECT_EQ(beside.Recheck(), MarkCheck::Unavailable);
    std::filesystem::remove(lockFile);
    ASSERT_EQ(mkfifo(lockFile.c_str(), 0600), 0);
    EXPECT_TRUE(SingleInstance("kelmora", directory).Unavailable());
    std::filesystem::remove(lockFile);
    EXPECT_EQ(beside.Recheck(), MarkCheck::TakenAgain);
    EXPECT_FALSE(beside.Unavailable());
}
#endif
