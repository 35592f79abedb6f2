// The status file "rexcom.sta": the last pair written, logged and shown in
// the status bar.
#include "engine/EventLog.h"
#include "engine/StatusFile.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "support/FixedLog.h"
#include "support/RecordingConsole.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace kelmora;
using kelmora::testing::FixedLog;
using kelmora::testing::RecordingConsole;
using kelmora::testing::TempDir;

TEST(StatusFile, ReportStatusLogsShowsThenWritesOnlyTheLastPair) {
    TempDir dir;
    const EventLog log = FixedLog(dir);
    RecordingConsole console;
    ReportStatus(log, console, dir.str(), -1, -1);
    EXPECT_EQ(read_file(dir.file("rexcom.sta")), "-1,-1\r\n"); // exactly 7 bytes
    EXPECT_EQ(console.panels.at(1), "-1,-1");
    ReportStatus(log, console, dir.str(), 12, 2500);
    EXPECT_EQ(read_file(dir.file("rexcom.sta")), "12,2500\r\n");
    EXPECT_EQ(read_file(log.Path()), "07/03/2013 09:05:03 - -1,-1\r\n"
                                     "07/03/2013 09:05:03 - 12,2500\r\n");
}

TEST(StatusFile, DataPathEndingInSeparatorStillReachesTheFile) {
    TempDir dir;
    ASSERT_TRUE(WriteStatusFile(dir.str() + kPathSeparator, 1, 0));
    EXPECT_EQ(read_file(dir.file("rexcom.sta")), "1,0\r\n");
}

TEST(StatusFile, UnwritableStatusFileStillLogsAndShows) {
    TempDir dir;
    const EventLog log = FixedLog(dir);
    RecordingConsole console;
    EXPECT_FALSE(WriteStatusFile(dir.file("missing"), 1, 0));
    ReportStatus(log, console, dir.file("missing"), 1, 0);
    EXPECT_EQ(console.panels.at(1), "1,0");
    EXPECT_EQ(read_file(log.Path()), "07/03/2013 09:05:03 - 1,0\r\n"
                                     "07/03/2013 09:05:03 - Nelze zapsat soubor " +
                                         join_path(dir.file("missing"), "rexcom.sta") + "\r\n");
}

TEST(StatusFile, AStatusPairIsToldFromTheLogsOtherMessages) {
    for (const char* pair : {"-1,-1", "1,0", "12,2500", "-1,0"}) {
        EXPECT_TRUE(IsStatusPair(pair)) << pair;
    }
    for (const char* other : {"", ",", "1,", ",0", "1,0,0", "1, 0", "-,1", "TERM 1 SLAVE",
                              "COM1 nepracuje (chyba -14)"}) {
        EXPECT_FALSE(IsStatusPair(other)) << other;
    }
}
