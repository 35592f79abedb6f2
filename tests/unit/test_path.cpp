// Paths: the separator, a file's directory.
#include "platform/Path.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using namespace kelmora;

TEST(Path, SeparatorIsAlwaysInserted) {
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(join_path("data", "rexcom.sta"), "data" + sep + "rexcom.sta");
    EXPECT_EQ(join_path("data" + sep, "rexcom.sta"), "data" + sep + sep + "rexcom.sta");
    EXPECT_EQ(join_path("", "x"), sep + "x");
}

TEST(Path, DirectoryOfAFileKeepsItsSeparator) {
    const std::pair<std::string, std::string> cases[] = {
        {"data/kelmora.ini", "data/"},   {"/kelmora.ini", "/"},   {"kelmora.ini", "."},
#ifdef _WIN32
        {"data\\kelmora.ini", "data\\"}, {"C:kelmora.ini", "C:"},
#else
        {"data\\kelmora.ini", "."}, // a backslash is part of a POSIX name
#endif
    };
    for (const auto& [path, directory] : cases) {
        EXPECT_EQ(directory_of(path), directory) << path;
    }
}
