// The POSIX port driver and TSer_Port over real pseudo-terminals: the device
// table, the exclusive open, the line settings, the timed operations against
// a far side played on the master, and a far side that hangs up.
#include "platform/Clock.h"
#include "serial/Customport.h"
#include "serial/PortDevices.h"
#include "serial/PortDriver.h"
#include "support/PtyPair.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <numeric>
#include <thread>
#include <vector>

using namespace kelmora;
using kelmora::testing::PtyPair;

namespace {

constexpr std::int32_t kCom = 6; // COM7

class SerialDriver : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(set_port_device(kCom, pty.path())); }
    void TearDown() override {
        close_all_ports();
        clear_port_devices();
        set_idle_hook(nullptr);
    }

    PortRecord* open(char parity = 'N', std::int32_t baud = 19200, int data_bits = 8,
                     int stop_bits = 1) {
        return open_port(kCom, baud, parity, data_bits, stop_bits);
    }

    PtyPair pty;
};

// Bytes written on the master reach the slave's queue a moment later.
bool wait_for_waiting(PortRecord* port, int n) {
    for (int i = 0; i < 2000; ++i) {
        if (port->rx_used(port) >= n) {
            return true;
        }
        sleep_ms(1);
    }
    return false;
}

std::vector<std::uint8_t> every_byte_value() {
    std::vector<std::uint8_t> v(256);
    std::iota(v.begin(), v.end(), std::uint8_t{0});
    return v;
}

// The far side of the line, run from the idle hook of a timed write: it reads
// what has arrived, so room frees as the write goes on.
struct FarSide {
    PtyPair* pty = nullptr;
    std::vector<std::uint8_t> received;
    int hook_calls = 0;
};
FarSide* far_side = nullptr;

int far_side_reads(PortRecord*) {
    ++far_side->hook_calls;
    const auto got = far_side->pty->take_available();
    far_side->received.insert(far_side->received.end(), got.begin(), got.end());
    return 0;
}

int hook_calls = 0;
int count_hook(PortRecord*) {
    ++hook_calls;
    return 0;
}

} // namespace

TEST(PortDevices, ComIndexNamesTtySUnlessTheTableSaysOtherwise) {
    EXPECT_EQ(port_device(0), "/dev/ttyS0");
    EXPECT_EQ(port_device(31), "/dev/ttyS31");
    EXPECT_EQ(port_device(-1), "");
    EXPECT_TRUE(set_port_device(0, "/dev/ttyUSB0"));
    EXPECT_TRUE(set_port_device(31, "/dev/serial/by-id/usb-x"));
    EXPECT_FALSE(set_port_device(32, "/dev/ttyUSB9"));
    EXPECT_FALSE(set_port_device(-1, "/dev/ttyUSB9"));
    EXPECT_EQ(port_device(0), "/dev/ttyUSB0");
    EXPECT_EQ(port_device(31), "/dev/serial/by-id/usb-x");
    EXPECT_TRUE(set_port_device(0, ""));
    EXPECT_EQ(port_device(0), "/dev/ttyS0");
    clear_port_devices();
    EXPECT_EQ(port_device(31), "/dev/ttyS31");
}

TEST_F(SerialDriver, OpenGivesAWorkingPortInTheList) {
    PortRecord* port = open();
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->status, SP_OK);
    EXPECT_EQ(port->port_index, kCom);
    EXPECT_NE(port->driver_data, nullptr);
    EXPECT_TRUE(is_open_port(port));
    EXPECT_EQ(port->set_rts(port, false), SP_OK) << "a pty refuses RTS; the refusal is ignored";
    EXPECT_EQ(port->set_dtr(port, true), SP_OK);
    EXPECT_EQ(port->status, SP_OK);
    EXPECT_EQ(port->close(port), SP_OK);
    EXPECT_FALSE(is_open_port(port));
}

TEST_F(SerialDriver, MissingDeviceGivesNoHardware) {
    kelmora::testing::TempDir dir;
    const std::string not_a_tty = dir.file("plain.txt");
    std::FILE* plain = std::fopen(not_a_tty.c_str(), "w");
    ASSERT_NE(plain, nullptr);
    std::fclose(plain);
    const std::string paths[] = {"/dev/kelmora-no-such-device", dir.file("none/ttyUSB0"),
                                 not_a_tty};
    for (const auto& path : paths) {
        set_port_device(kCom, path);
        PortRecord* port = open();
        ASSERT_NE(port, nullptr);
        EXPECT_EQ(port->status, SP_ERR_NO_HARDWARE) << path;
        EXPECT_EQ(port->driver_data, nullptr);
        EXPECT_EQ(port->read_byte(port), SP_ERR_NOT_SUPPORTED)
            << "a failed open keeps the defaults";
        EXPECT_EQ(port->close(port), SP_OK);
    }
    EXPECT_EQ(first_open_port(), nullptr);
}

TEST_F(SerialDriver, HeldPortGivesInUseUntilItsHolderCloses) {
    PortRecord* holder = open();
    ASSERT_EQ(holder->status, SP_OK);
    PortRecord* second = open();
    EXPECT_EQ(second->status, SP_ERR_IN_USE);
    second->close(second);
    EXPECT_EQ(holder->status, SP_OK) << "the holder is not disturbed";

    holder->close(holder);
    PortRecord* third = open();
    EXPECT_EQ(third->status, SP_OK);
}

TEST_F(SerialDriver, SetParamsAcceptsTheLettersAndLimits) {
    const struct {
        std::int32_t baud;
        char parity;
        int data_bits;
        int stop_bits;
        int code;
    } cases[] = {
        {9600, 'm', 8, 1, SP_OK},
        {9600, 'M', 8, 1, SP_OK},
        {19200, 'e', 7, 2, SP_OK},
        {19200, 'o', 8, 1, SP_OK},
        {19200, 's', 8, 1, SP_OK},
        {1200, 'n', 8, 1, SP_OK},
        {115200, 'N', 8, 1, SP_OK},
        {115201, 'N', 8, 1, SP_ERR_BAD_BAUD},
        {9600, 'X', 8, 1, SP_ERR_BAD_PARITY},
        {9600, 'N', 8, 3, SP_ERR_BAD_STOP_BITS},
        {9600, 'N', 8, 0, SP_ERR_BAD_STOP_BITS},
        {9600, 'N', 9, 1, SP_ERR_BAD_WORD_LENGTH},
        {14400, 'N', 8, 1, SP_ERR_BAD_BAUD}, // no such termios speed
        {0, 'N', 8, 1, SP_ERR_BAD_BAUD},
    };
    for (const auto& c : cases) {
        PortRecord* port = open();
        ASSERT_EQ(port->status, SP_OK);
        EXPECT_EQ(port->set_params(port, c.baud, c.parity, c.data_bits, c.stop_bits), c.code)
            << c.baud << " " << c.parity << " " << c.data_bits << " " << c.stop_bits;
        EXPECT_EQ(port->status, c.code);
        port->close(port);
    }
}

TEST_F(SerialDriver, RefusedSettingsLeaveTheDeviceOpenAndRaw) {
    PortRecord* port = open('X');
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->status, SP_ERR_BAD_PARITY);
    EXPECT_EQ(open()->status, SP_ERR_IN_USE) << "the device stays held";

    const std::vector<std::uint8_t> bytes = {0x11, 0x13, 0x0D, 0x0A, 0x03, 0xFF};
    EXPECT_EQ(write_block_timed(port, bytes.data(), 6, 1000), SP_OK);
    EXPECT_EQ(port->status, SP_ERR_BAD_PARITY) << "the stored failure stays";
    EXPECT_EQ(port->count, 6u);
    EXPECT_EQ(pty.receive(6), bytes);
}

TEST_F(SerialDriver, WaitingByteIsReturnedAtOnceEvenWithTimeoutZero) {
    PortRecord* port = open();
    pty.send({0x5A});
    ASSERT_TRUE(wait_for_waiting(port, 1));
    set_idle_hook(count_hook);
    hook_calls = 0;
    EXPECT_EQ(read_byte_timed(port, 0), 0x5A);
    EXPECT_EQ(hook_calls, 0);
    EXPECT_EQ(rx_empty(port), 1);
}

TEST_F(SerialDriver, TimedReadRunsOutWithRxEmptyAndTheStatusAlone) {
    PortRecord* port = open();
    set_idle_hook(count_hook);
    for (const int earlier : {SP_OK, SP_ERR_TX_FULL}) {
        port->status = earlier;
        hook_calls = 0;
        const std::uint32_t start = tick_ms();
        EXPECT_EQ(read_byte_timed(port, 60), SP_ERR_RX_EMPTY);
        EXPECT_GE(elapsed_ms(start), 60u);
        EXPECT_EQ(port->status, earlier);
        // Each pass rests on the device until the slice ends: no spinning.
        EXPECT_LE(hook_calls, 61);
    }
}

TEST_F(SerialDriver, ByteArrivingDuringAWaitEndsIt) {
    PortRecord* port = open();
    std::thread sender([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        pty.send({0xC3});
    });
    EXPECT_EQ(read_byte_timed(port, 5000), 0xC3);
    sender.join();
}

TEST_F(SerialDriver, BlockLargerThanTheRoomIsQueuedInPiecesUntilDone) {
    PortRecord* port = open();
    // Records every piece the timed write hands to the driver.
    static std::vector<std::uint32_t> pieces;
    static int (*real_write_block)(PortRecord*, const std::uint8_t*, std::uint32_t);
    pieces.clear();
    real_write_block = port->write_block;
    port->write_block = [](PortRecord* p, const std::uint8_t* data, std::uint32_t n) {
        const int code = real_write_block(p, data, n);
        pieces.push_back(p->count);
        return code;
    };

    std::vector<std::uint8_t> data(100'000);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    }
    FarSide side{&pty, {}, 0};
    far_side = &side;
    set_idle_hook(far_side_reads);
    EXPECT_EQ(write_block_timed(port, data.data(), 100'000, 20'000), SP_OK);
    EXPECT_EQ(port->count, 100'000u);
    EXPECT_EQ(port->status, SP_OK);
    EXPECT_GT(side.hook_calls, 0);
    for (const std::uint32_t piece : pieces) {
        EXPECT_LE(piece, kPortQueueSize);
    }
    const auto rest = pty.receive(data.size() - side.received.size());
    side.received.insert(side.received.end(), rest.begin(), rest.end());
    EXPECT_EQ(side.received, data);
    far_side = nullptr;
}

TEST_F(SerialDriver, TxFullStaysInTheStatusWhileLaterOperationsSucceed) {
    PortRecord* port = open();
    // Nobody reads the far side: the pty's buffer fills and stays full.
    const std::vector<std::uint8_t> flood(200'000, 0x55);
    EXPECT_EQ(write_block_timed(port, flood.data(), 200'000, 50), SP_ERR_TX_FULL);
    EXPECT_GT(port->count, 0u);
    EXPECT_LT(port->count, 200'000u);
    EXPECT_EQ(port->status, SP_ERR_TX_FULL);

    while (!pty.take_available().empty() || port->tx_used(port) > 0) {
        sleep_ms(1);
    }
    const std::vector<std::uint8_t> frame = {2, 4, 0x53, 0x59};
    EXPECT_EQ(write_block_timed(port, frame.data(), 4, 1000), SP_OK);
    EXPECT_EQ(port->count, 4u);
    EXPECT_EQ(port->status, SP_ERR_TX_FULL);
    EXPECT_EQ(pty.receive(4), frame);
    EXPECT_EQ(write_byte_timed(port, 0x06, 1000), SP_OK);
    pty.send({0x06});
    EXPECT_EQ(read_byte_timed(port, 1000), 0x06);
    EXPECT_EQ(port->status, SP_ERR_TX_FULL);
}

TEST_F(SerialDriver, EveryByteValuePassesUnchangedBothWays) {
    const auto bytes = every_byte_value();
    for (const char parity : {'N', 'M'}) {
        PortRecord* port = open(parity);
        ASSERT_EQ(port->status, SP_OK);
        EXPECT_EQ(write_block_timed(port, bytes.data(), 256, 1000), SP_OK);
        EXPECT_EQ(pty.receive(256), bytes) << "to the far side, parity " << parity;

        pty.send(bytes);
        std::vector<std::uint8_t> got;
        for (int i = 0; i < 256; ++i) {
            const int b = read_byte_timed(port, 2000);
            if (b < 0) {
                break;
            }
            got.push_back(static_cast<std::uint8_t>(b));
        }
        EXPECT_EQ(got, bytes) << "from the far side, parity " << parity;
        port->close(port);
    }
}

TEST_F(SerialDriver, DrainInputDiscardsWhatArrived) {
    PortRecord* port = open();
    pty.send(std::vector<std::uint8_t>(300, 0xAA));
    ASSERT_TRUE(wait_for_waiting(port, 300));
    EXPECT_EQ(rx_empty(port), 0);
    EXPECT_EQ(drain_input(port), SP_OK);
    EXPECT_EQ(rx_empty(port), 1);
    EXPECT_EQ(port->status, SP_OK);
}

TEST_F(SerialDriver, ClearTxDiscardsWhatWaitsForTransmission) {
    PortRecord* port = open();
    EXPECT_EQ(port->clear_tx(port), SP_OK);
    EXPECT_EQ(port->tx_used(port), 0);
    EXPECT_EQ(port->tx_free(port), static_cast<int>(kPortQueueSize));
}

// Without the far side the line is gone: the wait must end at once with a
// code instead of spinning on a device that reports itself readable forever.
TEST_F(SerialDriver, HangUpDuringATimedReadReturnsPromptlyWithACode) {
    PortRecord* port = open();
    std::thread far([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pty.close_master();
    });
    const std::uint32_t start = tick_ms();
    const int result = read_byte_timed(port, 20'000);
    const std::uint32_t took = elapsed_ms(start);
    far.join();
    EXPECT_LT(result, 0);
    EXPECT_NE(result, SP_ERR_RX_EMPTY);
    EXPECT_EQ(port->status, result) << "the failure is stored";
    EXPECT_LT(took, 10'000u) << "a generous bound: the read would otherwise run its 20 s";

    const std::uint8_t frame[4] = {1, 4, 0x41, 0x46};
    EXPECT_LT(write_block_timed(port, frame, 4, 20'000), 0);
    EXPECT_NE(port->status, SP_ERR_TX_FULL) << "a dead line is not a full queue";
    EXPECT_LT(rx_empty(port), 0);
    EXPECT_EQ(port->close(port), SP_OK);
}

TEST_F(SerialDriver, ExitHandlerClosesEveryOpenPortAndFreesTheDevices) {
    PtyPair other;
    ASSERT_TRUE(set_port_device(kCom + 1, other.path()));
    ASSERT_EQ(open()->status, SP_OK);
    ASSERT_EQ(open_port(kCom + 1, 19200, 'N', 8, 1)->status, SP_OK);

    close_all_ports();
    EXPECT_EQ(first_open_port(), nullptr);
    EXPECT_EQ(open()->status, SP_OK) << "the device is free again";
    EXPECT_EQ(open_port(kCom + 1, 19200, 'N', 8, 1)->status, SP_OK);
}

TEST_F(SerialDriver, DumpStatusDescribesTheLine) {
    PortRecord* port = open('M', 9600);
    std::string dump;
    EXPECT_EQ(port->dump_status(
                  port,
                  [](void* out, const char* line) {
                      *static_cast<std::string*>(out) += std::string(line) + "\n";
                  },
                  &dump),
              SP_OK);
    EXPECT_NE(dump.find("COM7: 9600 baud, 8 data bits, parity M, 1 stop bits"), std::string::npos)
        << dump;
}

class SerialLine : public SerialDriver {
protected:
    void SetUp() override {
        SerialDriver::SetUp();
        saved_mark_ = MarkParity;
        MarkParity = true;
    }
    void TearDown() override {
        MarkParity = saved_mark_;
        SerialDriver::TearDown();
    }

private:
    bool saved_mark_ = false;
};

TEST_F(SerialLine, FrameAndAnswerCrossTheLine) {
    TSer_Port line(kCom, 19200);
    ASSERT_TRUE(line.IsOpen);
    EXPECT_EQ(line.Status(), 0);
    const auto bytes = every_byte_value();
    line.ToTransmit();
    EXPECT_TRUE(line.Write(bytes.data(), 256));
    line.FlushInput();
    line.ToReceive();
    EXPECT_EQ(pty.receive(256), bytes);

    pty.send(bytes);
    std::vector<std::uint8_t> got;
    for (int b; got.size() < 256 && (b = line.ReadByte(1000)) >= 0;) {
        got.push_back(static_cast<std::uint8_t>(b));
    }
    EXPECT_EQ(got, bytes);
    EXPECT_EQ(line.ReadByte(20), -1);
    EXPECT_EQ(line.Status(), 0);
}

TEST_F(SerialLine, FlushInputDiscardsWhatArrived) {
    TSer_Port line(kCom, 19200);
    pty.send({1, 2, 3, 4, 5});
    ASSERT_TRUE(wait_for_waiting(line.Driver, 5));
    line.FlushInput();
    EXPECT_EQ(line.ReadByte(20), -1);
}

TEST_F(SerialLine, PortWithoutDeviceIsInert) {
    set_port_device(kCom, "/dev/kelmora-no-such-device");
    TSer_Port line(kCom, 19200);
    EXPECT_FALSE(line.IsOpen);
    EXPECT_EQ(line.Driver, nullptr);
    EXPECT_EQ(line.Status(), -1);
    EXPECT_EQ(line.ReadByte(10), -1);
    const std::uint8_t frame[4] = {1, 4, 0x41, 0x46};
    EXPECT_FALSE(line.Write(frame, 4));
    line.ToTransmit();
    line.ToReceive();
    line.FlushInput();
    line.ClearTransmit();
    EXPECT_EQ(first_open_port(), nullptr) << "the failed record was released";
}
