// The event log "errorlog.txt": the line format, appending, clearing, a log
// that cannot be written, a link planted under its name.
#include "engine/EventLog.h"
#include "platform/Files.h"
#include "support/FixedLog.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace kelmora;
using kelmora::testing::FixedLog;
using kelmora::testing::kMarch7;
using kelmora::testing::TempDir;

TEST(EventLog, LineFormatAndCrLfEnds) {
    EXPECT_EQ(EventLog::FormatLine(kMarch7, "Start programu"),
              "07/03/2013 09:05:03 - Start programu\r\n");
    EXPECT_EQ(EventLog::FormatLine({999, 12, 31, 0, 23, 59, 0}, "a\nb"),
              "31/12/0999 23:59:00 - a\r\nb\r\n");
}

TEST(EventLog, AppendsOneLinePerEventAndClearLeavesAnEmptyFile) {
    TempDir dir;
    const EventLog log = FixedLog(dir);
    EXPECT_EQ(log.Path(), dir.file("errorlog.txt"));
    log.LogEvent("Start programu");
    log.LogEvent("COM1 otev\xF8"
                 "en"); // Windows-1250 bytes pass unchanged
    EXPECT_EQ(read_file(log.Path()), "07/03/2013 09:05:03 - Start programu\r\n"
                                     "07/03/2013 09:05:03 - COM1 otev\xF8"
                                     "en\r\n");
    ASSERT_TRUE(log.Clear());
    EXPECT_EQ(read_file(log.Path()), "");
    log.LogEvent("Stop programu");
    EXPECT_EQ(log.Read(), "07/03/2013 09:05:03 - Stop programu\r\n");
}

TEST(EventLog, UnwritableLogDropsTheEventWhileItsListenerStillHearsIt) {
    TempDir dir;
    std::vector<std::string> heard;
    const EventLog log(
        dir.file("missing"), [] { return kMarch7; },
        [&](std::string_view message) { heard.emplace_back(message); });
    log.LogEvent("Start programu");
    EXPECT_FALSE(log.Read());
    EXPECT_FALSE(log.Clear());
    EXPECT_EQ(heard, std::vector<std::string>{"Start programu"});
}

#ifndef _WIN32
TEST(EventLog, ALinkPlantedUnderItsNameIsNeitherWrittenThroughNorCutNorRead) {
    TempDir dir;
    const std::string target = dir.file("only-the-program-may-write.txt");
    ASSERT_TRUE(write_file(target, "precious\r\n"));
    std::filesystem::create_symlink(target, dir.file("errorlog.txt"));
    const EventLog log = FixedLog(dir);
    log.LogEvent("Start programu");
    EXPECT_FALSE(log.Clear());
    EXPECT_FALSE(log.Read());
    EXPECT_EQ(read_file(target), "precious\r\n");
}
#endif
