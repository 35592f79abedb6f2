// The program built with its window, started where no display is: it says so
// on standard error and runs without a window instead of aborting.
#include "platform/Clock.h"
#include "platform/Files.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace kelmora;
using namespace kelmora::testing;

TEST(ProgramWithoutDisplay, RunsHeadlessAndSaysSo) {
    TempDir dir;
    // COM1 names no device: the start warns about it, and runs on.
    ASSERT_TRUE(
        write_file(dir.file("kelmora.ini"), "[Porty]\r\nCOM1=" + dir.file("no-such-tty") + "\r\n"));
    // An empty variable comes first and hides the test's own.
    ChildProcess kelmora(
        KELMORA_PROGRAM, {"--config", dir.file("kelmora.ini")}, dir.str(),
        {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=", "XDG_RUNTIME_DIR=" + dir.str()},
        dir.file("stderr.txt"));
    ASSERT_TRUE(kelmora.Started());
    const std::uint32_t start = tick_ms();
    while (read_file(dir.file("errorlog.txt")).value_or("").find("COM1 neotev") ==
           std::string::npos) {
        ASSERT_LT(elapsed_ms(start), 20000u) << "the program never started its work";
        ASSERT_FALSE(kelmora.Wait(0).has_value()) << "the program ended on its own";
        sleep_ms(20);
    }
    kelmora.Signal(SIGTERM);
    EXPECT_EQ(kelmora.Wait(10000), 0);
    const std::string errors = read_file(dir.file("stderr.txt")).value_or("");
    EXPECT_NE(errors.find("running without a window"), std::string::npos) << errors;
    const std::string log = read_file(dir.file("errorlog.txt")).value_or("");
    EXPECT_NE(log.find(" - Stop programu\r\n"), std::string::npos) << log;
}
