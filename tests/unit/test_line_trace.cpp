// The line trace's file: its lines, the limit that keeps it small, and a file
// that cannot be written.
#include "platform/Files.h"
#include "platform/TextLines.h"
#include "platform/TraceLine.h"
#include "serial/LineTrace.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <array>
#include <cstdint>
#include <string>
#include <vector>

using namespace kelmora;
using namespace kelmora::testing;

namespace {

const std::array<std::uint8_t, 4> kFrame = {0x01, 0x04, 0x53, 0x58};

} // namespace

TEST(TraceLine, ColumnsAsBothEndsWriteThem) {
    struct Case {
        TraceLine line;
        const char* text;
    };
    const Case cases[] = {
        {{.ms = 12.3456,
          .port = "COM1",
          .direction = "TX",
          .address = 1,
          .kind = "frame",
          .bytes = "\x01\x04\x53\x58"},
         "    12.346 COM1 TX 01 frame    01 04 53 58"},
        // The simulator's: no port column.
        {{.ms = 0, .direction = "RX", .address = 0xAB, .kind = "ack", .bytes = "\x06"},
         "     0.000 RX AB ack      06"},
        {{.ms = 1234567.5, .port = "COM12", .direction = "--", .kind = "rts-down"},
         "1234567.500 COM12 -- -- rts-down"},
        {{.ms = 7,
          .port = "COM2",
          .direction = "RX",
          .address = 2,
          .kind = "timeout",
          .note = "no acknowledgement in 80 ms"},
         "     7.000 COM2 RX 02 timeout  # no acknowledgement in 80 ms"},
        {{.ms = 1,
          .port = "COM1",
          .direction = "RX",
          .address = 1,
          .kind = "block",
          .bytes = std::string_view("\x00\xFF", 2),
          .note = "2 bytes"},
         "     1.000 COM1 RX 01 block    00 FF # 2 bytes"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(trace_line_text(c.line), c.text);
    }
}

TEST(LineTrace, OneLinePerEventAfterTheOpeningLineAndAppendedAcrossRuns) {
    TempDir dir;
    const std::string path = dir.file("line.trace");
    for (int run = 0; run < 2; ++run) {
        LineTrace trace;
        std::string error;
        ASSERT_TRUE(trace.Open(path, LineTrace::kDefaultLimit, error)) << error;
        trace.Record({.port = 2,
                      .direction = LineDirection::Sent,
                      .address = 1,
                      .kind = "frame",
                      .bytes = kFrame});
        trace.Record({.port = 2, .direction = LineDirection::Neither, .kind = "rts-down"});
        // Written at once: a reader sees it while the program runs.
        const auto lines = split_text_lines(read_file(path).value_or(""));
        ASSERT_EQ(lines.size(), 3u * (run + 1));
        EXPECT_EQ(lines[0].rfind("# Kelmora line trace, opened 20", 0), 0u) << lines[0];
        EXPECT_NE(lines[3 * run + 1].find(" COM3 TX 01 frame    01 04 53 58"), std::string::npos)
            << lines[1];
        EXPECT_NE(lines[3 * run + 2].find(" COM3 -- -- rts-down"), std::string::npos) << lines[2];
    }
}

TEST(LineTrace, KeepsAtMostTwoFilesUnderTheLimit) {
    TempDir dir;
    const std::string path = dir.file("line.trace");
    const std::uintmax_t limit = 1000;
    LineTrace trace;
    std::string error;
    ASSERT_TRUE(trace.Open(path, limit, error)) << error;
    for (int i = 0; i < 500; ++i) {
        trace.Record({.direction = LineDirection::Received,
                      .address = 1,
                      .kind = "ack",
                      .note = std::to_string(i)});
    }
    const auto current = read_file(path);
    const auto older = read_file(path + ".1");
    ASSERT_TRUE(current && older);
    EXPECT_LE(current->size(), limit);
    EXPECT_LE(older->size(), limit);
    EXPECT_GT(older->size(), limit - 100); // filled before it was set aside
    // The newest events are in the current file, the ones just before them in
    // the older one, which says where the trace goes on.
    EXPECT_NE(current->find("# 499\n"), std::string::npos);
    EXPECT_EQ(current->rfind("# continued from " + path + ".1\n", 0), 0u);
    const auto olderLines = split_text_lines(*older);
    const auto currentLines = split_text_lines(*current);
    const auto lastOlder = std::stoi(olderLines.back().substr(olderLines.back().rfind(' ') + 1));
    const auto firstCurrent = std::stoi(currentLines[1].substr(currentLines[1].rfind(' ') + 1));
    EXPECT_EQ(firstCurrent, lastOlder + 1);
    EXPECT_FALSE(file_exists(path + ".2"));
}

TEST(LineTrace, AFileThatCannotBeWrittenIsRefusedWithItsName) {
    TempDir dir;
    std::vector<std::string> paths = {dir.file("missing/line.trace"), dir.str()};
#ifndef _WIN32
    // A pipe nobody reads would hold the program at its start.
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
    paths.push_back(dir.file("pipe"));
#endif
    for (const std::string& path : paths) {
        LineTrace trace;
        std::string error;
        EXPECT_FALSE(trace.Open(path, LineTrace::kDefaultLimit, error)) << path;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        trace.Record({.kind = "ack"}); // does nothing
    }
}
