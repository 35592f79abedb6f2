// Files other programs write: whether a writer still has one open (a lease on
// Linux, the sharing rule on Windows), and taking one away from its writers.
#include "platform/FileWriters.h"
#include "platform/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using namespace kelmora;
using kelmora::testing::TempDir;

TEST(FileWriters, AFileIsTakenOnlyFromNoWriterAndWhole) {
    TempDir dir;
    const std::string path = dir.file("request.cfg");
    const std::string work = path + ".job";
    {
        std::ofstream writer(path, std::ios::binary);
        writer << "TERM1\r\nS" << std::flush;
        EXPECT_EQ(file_writers(path), Writers::Some);
        const TakenFile busy = take_file(path, work, 1000);
        EXPECT_EQ(busy.content.problem, FileProblem::Busy);
        EXPECT_FALSE(busy.moved);
        EXPECT_TRUE(file_exists(path)) << "taken from its writer";
        writer << "\r\n";
    }
    EXPECT_EQ(file_writers(path), Writers::None);
    ASSERT_TRUE(write_file(work, "an older work file"));
    const auto identity = file_identity(path);
    ASSERT_TRUE(identity);
    const TakenFile taken = take_file(path, work, 1000);
    ASSERT_TRUE(taken.content.ok());
    EXPECT_TRUE(taken.moved);
    EXPECT_EQ(taken.identity, identity) << "the file it read, known to whoever dropped it";
    EXPECT_FALSE(taken.changed);
    EXPECT_EQ(taken.content.bytes, "TERM1\r\nS\r\n");
    EXPECT_FALSE(file_exists(path));
    EXPECT_EQ(read_file(work), "TERM1\r\nS\r\n");
}

TEST(FileWriters, WhatIsNoFileToTakeIsRefusedWhereItStands) {
    TempDir dir;
    const std::string path = dir.file("request.cfg");
    EXPECT_EQ(take_file(path, path + ".job", 10).content.problem, FileProblem::Missing);
    ASSERT_TRUE(write_file(path, std::string(11, 'N')));
    EXPECT_EQ(take_file(path, path + ".job", 10).content.problem, FileProblem::TooLarge);
    EXPECT_TRUE(file_exists(path));
    remove_file(path);
    std::filesystem::create_directory(path);
    EXPECT_EQ(take_file(path, path + ".job", 10).content.problem, FileProblem::NotRegular);
#ifndef _WIN32
    std::filesystem::remove(path);
    ASSERT_TRUE(write_file(dir.file("secret"), "only for the program"));
    std::filesystem::create_symlink(dir.file("secret"), path);
    const TakenFile link = take_file(path, path + ".job", 100);
    EXPECT_EQ(link.content.problem, FileProblem::Link);
    EXPECT_FALSE(link.moved);
    EXPECT_EQ(file_writers(path), Writers::Unknown);
#endif
    EXPECT_FALSE(file_exists(path + ".job"));
}
