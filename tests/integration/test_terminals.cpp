// The port and terminal tables at start, the re-test and the indicators.
#include "engine/Configuration.h"
#include "engine/EventLog.h"
#include "engine/SharedFlags.h"
#include "engine/TerminalHost.h"
#include "engine/Terminals.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/TextLines.h"
#include "serial/Customport.h"
#include "serial/PortDevices.h"
#include "support/LogMessages.h"
#include "support/RecordingConsole.h"
#include "support/ScriptedTerminal.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kelmora;
using namespace kelmora::testing;
using namespace kelmora::literals;

namespace {

constexpr std::int32_t kCom = 9;
const Bytes kAckByte = {0x06};

class Tables : public ::testing::Test {
protected:
    void SetUp() override {
        set_port_device(kCom, pty.path());
        set_port_device(kCom + 1, dir.file("no-such-device"));
        MarkParity = false;
        LineLeadUs = 50;
        LineTailUs = 6700;
        config.DataPath = dir.str();
    }
    void TearDown() override {
        terminals.reset();
        clear_port_devices();
    }
    void Open() {
        host = std::make_unique<TerminalHost>(TobrinSettingsFrom(config), log, console, flags);
        terminals = std::make_unique<Terminals>(config, *host, console, log, flags);
        terminals->OpenTerminals();
    }
    std::vector<std::string> Logged() const { return LogMessages(log.Read().value_or("")); }

    TempDir dir;
    PtyPair pty;
    ScriptedTerminal far{pty};
    RecordingConsole console;
    Configuration config;
    EventLog log{dir.str()};
    SharedFlags flags;
    std::unique_ptr<TerminalHost> host;
    std::unique_ptr<Terminals> terminals;
};

} // namespace

TEST_F(Tables, SlotsOnOneLineShareItsPort) {
    config.Slots[0] = {1, kCom, true};
    config.Slots[2] = {3, kCom, true};
    far.Script({{kAckByte}}); // slot 1 answers its probe, slot 3 does not
    Open();
    EXPECT_EQ(Logged(), (std::vector<std::string>{"COM10 otev\xF8"
                                                  "en",
                                                  "TERM 1 SLAVE", "TERM 3 NEPRIPOJEN"}));
    ASSERT_NE(terminals->Terminal(0), nullptr);
    ASSERT_NE(terminals->Terminal(2), nullptr);
    EXPECT_EQ(&terminals->Terminal(0)->Line, &terminals->Terminal(2)->Line);
    EXPECT_EQ(terminals->Terminal(1), nullptr);
    EXPECT_EQ(console.indicators[0], IndicatorState::Slave);
    EXPECT_EQ(console.indicators[2], IndicatorState::NotConnected);
    EXPECT_FALSE(console.indicatorShown[1]);
    EXPECT_EQ(console.activePage, Page::Control);
    EXPECT_TRUE(console.messages.empty());

    // A re-test paints from the new roles; a click on a hidden icon does nothing.
    far.Script({{kAckByte}, {kAckByte}});
    terminals->RetestTerminals();
    EXPECT_EQ(console.indicators[2], IndicatorState::Slave);
    flags.WatchdogTicks = 42;
    terminals->ShowWatchdogStatus(1);
    EXPECT_TRUE(console.balloons.empty());
    terminals->ShowWatchdogStatus(2);
    ASSERT_EQ(console.balloons.size(), 1u);
    EXPECT_EQ(console.balloons[0].title, "Status WDT");
    EXPECT_EQ(console.balloons[0].text, "WDT: 42");
    EXPECT_EQ(console.balloons[0].timeoutMs, 500);
}

TEST_F(Tables, PortThatFailsToOpenMarksItsSlotsWhiteAndSaysWhyOnce) {
    config.Slots[0] = {1, kCom, true};
    config.Slots[1] = {2, kCom + 1, true};
    far.Script({{kAckByte}});
    Open();
    const std::string device = dir.file("no-such-device");
    EXPECT_EQ(Logged(),
              (std::vector<std::string>{"COM10 otev\xF8"
                                        "en",
                                        "COM11 neotev\xF8"
                                        "en",
                                        std::string("COM11: zařízení "_cp) + device + " neexistuje",
                                        "TERM 1 SLAVE", "COM port neotevren a TERM 2 NEPRIPOJEN"}));
    EXPECT_EQ(console.indicators[1], IndicatorState::PortNotOpen);
    const std::size_t logged = Logged().size();
    terminals->RetestTerminals();
    EXPECT_EQ(console.indicators[1], IndicatorState::PortNotOpen);
    EXPECT_EQ(console.activePage, Page::Control);
    EXPECT_EQ(Logged().size(), logged) << "the same reason is not said at every re-test";
    // Another reason is said once more.
    std::filesystem::create_directory(device);
    terminals->RetestTerminals();
    terminals->RetestTerminals();
    EXPECT_EQ(Logged().size(), logged + 1);
    EXPECT_EQ(Logged().back(), std::string("COM11: "_cp) + device + std::string(" je adresář"_cp));
}

TEST_F(Tables, NoPortOpenTurnsToTheConfigurationAndWarns) {
    for (const bool anySlot : {false, true}) {
        config.Slots[0] = {1, kCom + 1, anySlot}; // the missing device, or no slot at all
        console = RecordingConsole();
        Open();
        EXPECT_EQ(console.activePage, Page::TerminalConfig);
        EXPECT_TRUE(console.windowShown);
        ASSERT_EQ(console.messages.size(), 1u);
        EXPECT_EQ(console.messages[0].text,
                  "Neni otev\xF8"
                  "en \x9E\xE1"
                  "dn\xFD COM port\nje nutno prov\xE9st konfiguraci portu!");
        EXPECT_EQ(console.messages[0].caption, "Pozor!");
        EXPECT_EQ(console.messages[0].icon, MessageIcon::Warning);
    }
}

TEST_F(Tables, DuringShutdownIndicatorsAreNotRepainted) {
    config.Slots[0] = {1, kCom, true};
    far.Script({{kAckByte}});
    Open();
    console.indicators[0].reset();
    flags.Stopping = true;
    terminals->ShowTerminalState(0);
    EXPECT_FALSE(console.indicators[0].has_value());
    terminals->Release();
    EXPECT_EQ(terminals->Terminal(0), nullptr);
}

TEST_F(Tables, APulledAdapterIsUsedAgainOncePluggedBackBehindItsLink) {
    // The configured device is a link, as the names under /dev/serial/by-id
    // are: missing at start, then plugged in, pulled out and plugged back.
    const std::string link = dir.file("ttyUSB");
    constexpr std::int32_t kUsb = kCom + 2;
    set_port_device(kUsb, link);
    config.Slots[0] = {1, kUsb, true};
    Open();
    EXPECT_EQ(console.indicators[0], IndicatorState::PortNotOpen);
    const auto plugIn = [&](const PtyPair& device) {
        std::filesystem::remove(link);
        std::filesystem::create_symlink(device.path(), link);
    };
    const std::size_t atStart = Logged().size();
    {
        PtyPair adapter;
        ScriptedTerminal terminal(adapter);
        terminal.Script({{kAckByte}, {kAckByte}});
        plugIn(adapter);
        terminals->RetestTerminals();
        EXPECT_EQ(console.indicators[0], IndicatorState::Slave);
        EXPECT_EQ(Logged().back(), "COM12 otev\xF8"
                                   "en");
        // Working: the port is left alone.
        const PortRecord* driver = terminals->Port(kUsb)->Driver;
        terminals->RetestTerminals();
        EXPECT_EQ(terminals->Port(kUsb)->Driver, driver);
        EXPECT_EQ(Logged().size(), atStart + 1);
    } // pulled out: the device hangs up
    std::filesystem::remove(link);
    for (int i = 0; i < 3; ++i) {
        terminals->RetestTerminals();
        EXPECT_EQ(console.indicators[0], IndicatorState::PortNotOpen);
    }
    EXPECT_EQ(Logged().size(), atStart + 3) << "the failure and its reason are logged once";
    EXPECT_EQ(Logged()[atStart + 1], "COM12 nepracuje (chyba -14)");
    EXPECT_EQ(Logged().back(), std::string("COM12: zařízení "_cp) + link + " neexistuje");

    PtyPair adapter;
    ScriptedTerminal terminal(adapter);
    terminal.Script({{kAckByte}});
    plugIn(adapter);
    terminals->RetestTerminals();
    EXPECT_EQ(console.indicators[0], IndicatorState::Slave);
    EXPECT_EQ(Logged().size(), atStart + 4);
    EXPECT_EQ(Logged().back(), "COM12 otev\xF8"
                               "en");
}
