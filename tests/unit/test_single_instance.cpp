// The mark that only one copy runs, per user and per data directory.
#include "platform/SingleInstance.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

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
