// TSer_Port over a scripted driver record: the open, the block write with its
// single-byte fallback, the direction waits, and a port that did not open.
#include "platform/Clock.h"
#include "serial/Customport.h"
#include "support/FakePort.h"

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <vector>

using namespace kelmora;
using kelmora::testing::FakePort;

namespace {

// The record the next TSer_Port gets from its opener, with the status the
// open should end with.
FakePort* next_fake = nullptr;
int next_open_status = SP_OK;
bool opener_called = false;

PortRecord* fake_opener(std::int32_t, std::int32_t baud, char parity, int data_bits,
                        int stop_bits) {
    opener_called = true;
    PortRecord* record = next_fake->record;
    record->set_params(record, baud, parity, data_bits, stop_bits);
    record->status = next_open_status;
    return record;
}

PortRecord* null_opener(std::int32_t, std::int32_t, char, int, int) {
    return nullptr;
}

std::int64_t elapsed_us(std::int64_t from, std::int64_t to) {
    return (to - from) * 1'000'000 / hires_frequency();
}

class CustomPort : public ::testing::Test {
protected:
    void SetUp() override {
        saved_mark_ = MarkParity;
        saved_lead_ = LineLeadUs;
        saved_tail_ = LineTailUs;
        MarkParity = false;
        LineLeadUs = 50;
        LineTailUs = 6700;
        next_fake = &fake;
        next_open_status = SP_OK;
        opener_called = false;
    }
    void TearDown() override {
        MarkParity = saved_mark_;
        LineLeadUs = saved_lead_;
        LineTailUs = saved_tail_;
        next_fake = nullptr;
    }
    FakePort fake{3};

private:
    bool saved_mark_ = false;
    std::int32_t saved_lead_ = 0;
    std::int32_t saved_tail_ = 0;
};

std::vector<std::uint8_t> block(std::size_t n) {
    std::vector<std::uint8_t> v(n);
    std::iota(v.begin(), v.end(), std::uint8_t{1});
    return v;
}

} // namespace

TEST_F(CustomPort, OpensWithEightDataBitsOneStopBitAndTheParityOfMarkParity) {
    for (const bool mark : {true, false}) {
        FakePort f(3);
        next_fake = &f;
        MarkParity = mark;
        TSer_Port port(3, 9600, fake_opener);
        EXPECT_TRUE(port.IsOpen);
        EXPECT_EQ(port.Driver, f.record);
        EXPECT_EQ(port.PortIndex, 3);
        EXPECT_EQ(port.Baud, 9600);
        EXPECT_EQ(port.TxTimeUs, 0);
        EXPECT_EQ(f.baud, 9600);
        EXPECT_EQ(f.parity, mark ? 'M' : 'N');
        EXPECT_EQ(f.data_bits, 8);
        EXPECT_EQ(f.stop_bits, 1);
    }
}

TEST_F(CustomPort, OpeningWhileALineWaitIsZeroSetsItTo9500) {
    LineLeadUs = 0;
    LineTailUs = 6700;
    TSer_Port port(3, 19200, fake_opener);
    EXPECT_EQ(LineLeadUs, 9500);
    EXPECT_EQ(LineTailUs, 6700);
}

TEST_F(CustomPort, PortThatDidNotOpenIsReleasedAndInert) {
    next_open_status = SP_ERR_NO_HARDWARE;
    LineLeadUs = 0;
    TSer_Port port(3, 19200, fake_opener);
    EXPECT_TRUE(opener_called);
    EXPECT_FALSE(port.IsOpen);
    EXPECT_EQ(port.Driver, nullptr);
    EXPECT_EQ(fake.close_calls, 1) << "the refused record is released at once";
    EXPECT_EQ(LineLeadUs, 0) << "only a port that opened sets the default wait";

    const std::uint8_t frame[4] = {1, 4, 0x41, 0x46};
    EXPECT_EQ(port.Status(), -1);
    EXPECT_EQ(port.ReadByte(0), -1);
    EXPECT_FALSE(port.Write(frame, 4));
    EXPECT_EQ(port.TxTimeUs, 0);
    port.ToTransmit();
    port.ToReceive();
    port.FlushInput();
    port.ClearTransmit();
    EXPECT_TRUE(fake.rts_log.empty());
    EXPECT_EQ(fake.clear_tx_calls, 0);
}

TEST_F(CustomPort, OpenerWithoutMemoryForARecordLeavesThePortClosed) {
    TSer_Port port(3, 19200, null_opener);
    EXPECT_FALSE(port.IsOpen);
    EXPECT_EQ(port.Status(), -1);
    EXPECT_EQ(port.ReadByte(10), -1);
}

TEST_F(CustomPort, ReadByteTurnsATimeoutIntoMinusOneAndPassesOtherCodes) {
    TSer_Port port(3, 19200, fake_opener);
    fake.rx = {0xFF};
    EXPECT_EQ(port.ReadByte(0), 0xFF);
    EXPECT_EQ(port.ReadByte(5), -1);
    fake.rx_error = SP_ERR_NO_HARDWARE;
    EXPECT_EQ(port.ReadByte(5), SP_ERR_NO_HARDWARE);
    EXPECT_EQ(port.Status(), SP_ERR_NO_HARDWARE);
}

TEST_F(CustomPort, WriteOfAWholeBlockReportsTheStatus) {
    TSer_Port port(3, 115200, fake_opener);
    const auto data = block(10);
    EXPECT_TRUE(port.Write(data.data(), 10));
    EXPECT_EQ(fake.tx, data);
    EXPECT_EQ(fake.write_byte_calls, 0);
    fake.record->status = SP_ERR_TX_FULL;
    EXPECT_FALSE(port.Write(data.data(), 10)) << "a stored failure stays";
}

TEST_F(CustomPort, BlockWriteStoppingAt60QueuesTheOther40OneByOne) {
    TSer_Port port(3, 115200, fake_opener);
    fake.block_script = {60};
    fake.block_room = 0;
    const auto data = block(100);
    EXPECT_FALSE(port.Write(data.data(), 100));
    EXPECT_EQ(fake.write_byte_calls, 40);
    EXPECT_EQ(fake.tx, data) << "bytes 61 to 100 follow the first 60 in order";
    EXPECT_EQ(port.Status(), SP_ERR_TX_FULL);
    EXPECT_EQ(port.TxTimeUs, 50'000);
}

TEST_F(CustomPort, LeftOverBytesThatDoNotFitEitherAreGivenUp) {
    TSer_Port port(3, 115200, fake_opener);
    fake.block_room = 0;
    fake.byte_room = false;
    const auto data = block(2);
    EXPECT_FALSE(port.Write(data.data(), 2));
    EXPECT_TRUE(fake.tx.empty());
    EXPECT_GE(fake.write_byte_calls, 2);
}

TEST_F(CustomPort, TxTimeBooks500UsPerByteOrTheRealByteTimeWhenLonger) {
    const struct {
        std::int32_t baud;
        bool mark;
        std::int32_t length;
        std::int32_t tx_time_us;
    } cases[] = {
        {115200, false, 4, 2000},                            // bytes leave faster than booked
        {115200, true, 100, 50000}, {19200, false, 4, 2084}, // 10 bits at 19200: 520.8 us a byte
        {19200, true, 100, 57292},                           // 11 bits: 572.9 us a byte
        {9600, true, 4, 4584},      {1200, false, 4, 33334},
        {115200, false, 0, 0},      {115200, false, -5, 0}, // a negative length writes nothing
    };
    for (const auto& c : cases) {
        FakePort f(3);
        next_fake = &f;
        MarkParity = c.mark;
        TSer_Port port(3, c.baud, fake_opener);
        const auto data = block(100);
        port.Write(data.data(), c.length);
        EXPECT_EQ(port.TxTimeUs, c.tx_time_us)
            << c.baud << " baud, mark " << c.mark << ", " << c.length << " bytes";
    }
}

TEST_F(CustomPort, ToReceiveWaitsTheTailPlusTheLastTxTimeThenLowersRts) {
    TSer_Port port(3, 115200, fake_opener);
    const auto data = block(4);
    port.ToTransmit();
    port.Write(data.data(), 4);
    ASSERT_EQ(port.TxTimeUs, 2000);
    for (int turn = 0; turn < 2; ++turn) {
        // The second turn has no Write before it and waits just as long.
        const std::int64_t start = hires_counter();
        port.ToReceive();
        EXPECT_GE(elapsed_us(start, fake.rts_off_at), 8700) << "turn " << turn;
    }
    EXPECT_EQ(fake.rts_log, (std::vector<std::string>{"on", "off", "off"}));
}

TEST_F(CustomPort, ToTransmitRaisesRtsThenWaitsTheLead) {
    LineLeadUs = 3000;
    TSer_Port port(3, 19200, fake_opener);
    port.ToTransmit();
    const std::int64_t done = hires_counter();
    EXPECT_EQ(fake.rts_log, std::vector<std::string>{"on"});
    EXPECT_GE(elapsed_us(fake.rts_on_at, done), 3000);
}

TEST_F(CustomPort, FlushInputDrainsOnlyWhenBytesWait) {
    TSer_Port port(3, 19200, fake_opener);
    port.FlushInput();
    EXPECT_EQ(fake.read_block_calls, 0);
    fake.rx = {1, 2, 3};
    port.FlushInput();
    EXPECT_TRUE(fake.rx.empty());
    port.ClearTransmit();
    EXPECT_EQ(fake.clear_tx_calls, 1);
}

TEST_F(CustomPort, PortClosedByTheExitHandlerIsNotClosedAgain) {
    auto port = std::make_unique<TSer_Port>(3, 19200, fake_opener);
    ASSERT_TRUE(port->IsOpen);
    close_all_ports();
    EXPECT_EQ(fake.close_calls, 1);
    port.reset();
    EXPECT_EQ(fake.close_calls, 1);
}

TEST_F(CustomPort, CloseReleasesTheDriverOnce) {
    TSer_Port port(3, 19200, fake_opener);
    port.Close();
    EXPECT_FALSE(port.IsOpen);
    EXPECT_EQ(port.Driver, nullptr);
    EXPECT_EQ(port.Status(), -1);
    port.Close();
    EXPECT_EQ(fake.close_calls, 1);
}

TEST_F(CustomPort, OpeningAgainReleasesTheEarlierDriver) {
    TSer_Port port(3, 19200, fake_opener);
    FakePort second(4);
    next_fake = &second;
    EXPECT_TRUE(port.Open(4, 9600));
    EXPECT_EQ(fake.close_calls, 1);
    EXPECT_EQ(port.Driver, second.record);
    EXPECT_EQ(port.PortIndex, 4);
    EXPECT_EQ(port.Baud, 9600);
    EXPECT_TRUE(port.IsOpen);
}
