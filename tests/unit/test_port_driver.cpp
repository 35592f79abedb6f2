// The port driver library over a scripted port: the timed operations, the
// status rules, the default slots, the open-port list and the exit handler.
#include "serial/PortDriver.h"
#include "support/FakePort.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <vector>

using namespace kelmora;
using kelmora::testing::FakePort;

namespace {

// The idle hook of a test: counts its calls and can run the far side of the
// port or abort the wait.
struct HookScript {
    int calls = 0;
    int abort_with = 0;       // a negative code the hook answers
    int abort_after = 0;      // ... from this call on (1-based); 0: never
    FakePort* port = nullptr; // receives `deliver` at call `deliver_at`
    int deliver_at = 0;
    std::uint8_t deliver = 0;
    std::uint32_t free_room_at = 0; // from this call on, write_block takes everything
};

HookScript* script = nullptr;

int scripted_hook(PortRecord*) {
    ++script->calls;
    if (script->port != nullptr && script->calls == script->deliver_at) {
        script->port->rx.push_back(script->deliver);
    }
    if (script->port != nullptr && script->free_room_at != 0 &&
        static_cast<std::uint32_t>(script->calls) >= script->free_room_at) {
        script->port->block_room = std::numeric_limits<std::uint32_t>::max();
    }
    if (script->abort_after != 0 && script->calls >= script->abort_after) {
        return script->abort_with;
    }
    return 0;
}

class PortDriver : public ::testing::Test {
protected:
    void SetUp() override {
        script = &hook;
        set_idle_hook(scripted_hook);
    }
    void TearDown() override {
        set_idle_hook(nullptr);
        script = nullptr;
    }
    HookScript hook;
};

std::vector<std::uint8_t> block(std::size_t n) {
    std::vector<std::uint8_t> v(n);
    std::iota(v.begin(), v.end(), std::uint8_t{0});
    return v;
}

} // namespace

TEST_F(PortDriver, WaitingByteIsReturnedAtOnceEvenWithTimeoutZero) {
    FakePort f;
    f.rx = {0xA5, 0x01};
    EXPECT_EQ(read_byte_timed(f.record, 0), 0xA5);
    EXPECT_EQ(hook.calls, 0);
    EXPECT_EQ(read_byte_timed(f.record, 1000), 0x01);
}

TEST_F(PortDriver, EmptyQueueWithTimeoutZeroCallsTheHookOnceThenGivesRxEmpty) {
    FakePort f;
    EXPECT_EQ(read_byte_timed(f.record, 0), SP_ERR_RX_EMPTY);
    EXPECT_EQ(hook.calls, 1);
}

TEST_F(PortDriver, TimedReadRunningOutLeavesTheStatusAlone) {
    for (const int earlier : {SP_OK, SP_ERR_TX_FULL}) {
        FakePort f;
        f.record->status = earlier;
        const std::uint32_t start = tick_ms();
        EXPECT_EQ(read_byte_timed(f.record, 30), SP_ERR_RX_EMPTY);
        EXPECT_GE(elapsed_ms(start), 30u);
        EXPECT_EQ(f.record->status, earlier);
    }
}

// Every pass rests at least a millisecond until the timeout: a loop that spun
// would call the hook thousands of times in the same wait.
TEST_F(PortDriver, TimedReadRestsBetweenPasses) {
    FakePort f;
    EXPECT_EQ(read_byte_timed(f.record, 40), SP_ERR_RX_EMPTY);
    EXPECT_GE(hook.calls, 2);
    EXPECT_LE(hook.calls, 41);
}

TEST_F(PortDriver, ByteArrivingDuringTheWaitIsReturned) {
    FakePort f;
    hook.port = &f;
    hook.deliver_at = 3;
    hook.deliver = 0x13;
    EXPECT_EQ(read_byte_timed(f.record, -1), 0x13);
    EXPECT_EQ(hook.calls, 3);
}

TEST_F(PortDriver, FailingQueueQueryIsPassedOnByTheRead) {
    FakePort f;
    f.rx_error = SP_ERR_NO_HARDWARE;
    // rx_used answers -14, not 0, so read_byte runs and reports it at once.
    EXPECT_EQ(read_byte_timed(f.record, 1000), SP_ERR_NO_HARDWARE);
    EXPECT_EQ(f.record->status, SP_ERR_NO_HARDWARE);
    EXPECT_EQ(hook.calls, 0);
}

TEST_F(PortDriver, NegativeHookAbortsEveryWait) {
    hook.abort_with = -77;
    hook.abort_after = 2;
    {
        FakePort f;
        EXPECT_EQ(read_byte_timed(f.record, -1), -77);
        EXPECT_EQ(f.record->status, -77) << "a timed read stores the hook's failure";
    }
    {
        hook.calls = 0;
        FakePort f;
        f.block_room = 0;
        const auto data = block(10);
        EXPECT_EQ(write_block_timed(f.record, data.data(), 10, -1), -77);
        EXPECT_EQ(f.record->status, -77);
    }
    {
        hook.calls = 0;
        FakePort f;
        f.byte_room = false;
        EXPECT_EQ(write_byte_timed(f.record, 0x55, -1), -77);
        EXPECT_EQ(f.record->status, SP_OK) << "write_byte_timed never changes the status";
    }
}

TEST_F(PortDriver, BlockLargerThanTheRoomIsQueuedInPiecesUntilDone) {
    FakePort f;
    f.block_script = {300, 0, 250, 0, 0};
    f.block_room = 200;
    const auto data = block(1000);
    EXPECT_EQ(write_block_timed(f.record, data.data(), 1000, 5000), SP_OK);
    EXPECT_EQ(f.record->count, 1000u);
    EXPECT_EQ(f.tx, data);
    EXPECT_EQ(f.record->status, SP_OK);
    EXPECT_EQ(hook.calls, f.write_block_calls - 1);
}

TEST_F(PortDriver, BlockThatNeverFitsEndsWithTxFullAndTheQueuedCount) {
    FakePort f;
    f.block_script = {60};
    f.block_room = 0;
    const auto data = block(100);
    const std::uint32_t start = tick_ms();
    EXPECT_EQ(write_block_timed(f.record, data.data(), 100, 30), SP_ERR_TX_FULL);
    EXPECT_GE(elapsed_ms(start), 30u);
    EXPECT_EQ(f.record->count, 60u);
    EXPECT_EQ(f.record->status, SP_ERR_TX_FULL);
    EXPECT_LE(f.write_block_calls, 31) << "the retries rest between passes";
}

TEST_F(PortDriver, TxFullStatusStaysWhileLaterOperationsSucceed) {
    FakePort f;
    f.block_room = 10;
    const auto data = block(50);
    EXPECT_EQ(write_block_timed(f.record, data.data(), 50, 0), SP_ERR_TX_FULL);
    EXPECT_EQ(f.record->status, SP_ERR_TX_FULL);

    f.block_room = std::numeric_limits<std::uint32_t>::max();
    EXPECT_EQ(write_block_timed(f.record, data.data(), 50, 100), SP_OK);
    EXPECT_EQ(write_byte_timed(f.record, 1, 100), SP_OK);
    f.rx = {7};
    EXPECT_EQ(read_byte_timed(f.record, 100), 7);
    EXPECT_EQ(drain_input(f.record), SP_OK);
    EXPECT_EQ(f.record->status, SP_ERR_TX_FULL);
}

TEST_F(PortDriver, FullQueueThatClearsRestoresTheEarlierStatus) {
    FakePort f;
    hook.port = &f;
    hook.free_room_at = 2;
    f.block_room = 0;
    const auto data = block(20);
    EXPECT_EQ(write_block_timed(f.record, data.data(), 20, 5000), SP_OK);
    EXPECT_EQ(f.record->status, SP_OK);
    EXPECT_EQ(f.record->count, 20u);
}

TEST_F(PortDriver, OtherWriteFailureIsReturnedAtOnceAndStored) {
    FakePort f;
    f.block_error = SP_ERR_NO_HARDWARE;
    const auto data = block(5);
    EXPECT_EQ(write_block_timed(f.record, data.data(), 5, 5000), SP_ERR_NO_HARDWARE);
    EXPECT_EQ(f.record->status, SP_ERR_NO_HARDWARE);
    EXPECT_EQ(hook.calls, 0);
}

TEST_F(PortDriver, WriteByteTimedRetriesAFullQueueWithoutTouchingTheStatus) {
    FakePort f;
    f.record->status = SP_ERR_TX_FULL;
    EXPECT_EQ(write_byte_timed(f.record, 0x42, 100), SP_OK);
    EXPECT_EQ(f.record->status, SP_ERR_TX_FULL);

    f.record->status = SP_OK;
    f.byte_room = false;
    EXPECT_EQ(write_byte_timed(f.record, 0x42, 20), SP_ERR_TX_FULL);
    EXPECT_EQ(f.record->status, SP_OK);
    EXPECT_GE(hook.calls, 1);
}

TEST_F(PortDriver, DrainInputDiscardsEverythingInBlocks) {
    FakePort f;
    const auto data = block(200);
    f.rx.assign(data.begin(), data.end());
    EXPECT_EQ(drain_input(f.record), SP_OK);
    EXPECT_TRUE(f.rx.empty());
    EXPECT_EQ(f.read_block_calls, 5) << "four blocks of 64 bytes or less, then an empty one";
    EXPECT_EQ(f.record->status, SP_OK);
}

TEST_F(PortDriver, RxEmptyAnswersOneZeroOrTheCode) {
    FakePort f;
    EXPECT_EQ(rx_empty(f.record), 1);
    f.rx = {1};
    EXPECT_EQ(rx_empty(f.record), 0);
    f.rx_error = SP_ERR_NO_HARDWARE;
    EXPECT_EQ(rx_empty(f.record), SP_ERR_NO_HARDWARE);
}

TEST(PortRecord, DefaultSlotsAnswerNotSupportedAndStoreIt) {
    PortRecord* port = allocate_port_record(4);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->port_index, 4);
    EXPECT_EQ(port->status, SP_OK);
    std::uint8_t buffer[4] = {};
    const std::vector<int> answers = {
        port->read_byte(port),
        port->peek_byte(port),
        port->write_byte(port, 1),
        port->set_params(port, 9600, 'N', 8, 1),
        port->use_xon_xoff(port, true),
        port->use_rts_cts(port, true),
        port->use_dtr_dsr(port, true),
        port->set_dtr(port, true),
        port->set_rts(port, true),
        port->tx_free(port),
        port->tx_used(port),
        port->rx_free(port),
        port->rx_used(port),
        port->clear_tx(port),
        port->write_block(port, buffer, 4),
        port->read_block(port, buffer, 4),
        port->send_break(port, 1),
        port->modem_status(port),
        port->line_status(port),
        port->clear_line_status(port),
        port->spare_slot(port),
    };
    for (std::size_t i = 0; i < answers.size(); ++i) {
        EXPECT_EQ(answers[i], SP_ERR_NOT_SUPPORTED) << "slot " << i;
    }
    EXPECT_EQ(port->status, SP_ERR_NOT_SUPPORTED);

    std::string dump;
    const int dumped = port->dump_status(
        port, [](void* out, const char* line) { *static_cast<std::string*>(out) += line; }, &dump);
    EXPECT_EQ(dumped, SP_ERR_NOT_SUPPORTED);
    EXPECT_EQ(dump, "Port dump not supported for this driver");

    port->clear_status(port);
    EXPECT_EQ(port->status, SP_OK);

    EXPECT_TRUE(is_open_port(port));
    EXPECT_EQ(port->close(port), SP_OK);
    EXPECT_FALSE(is_open_port(port));
}

TEST(PortRecord, OpenPortListKeepsTheNewestFirstAndTheExitHandlerClosesAll) {
    FakePort a(0);
    FakePort b(1);
    FakePort c(2);
    EXPECT_EQ(first_open_port(), c.record);
    EXPECT_EQ(c.record->next, b.record);
    EXPECT_EQ(b.record->next, a.record);

    // Closing from the middle keeps the list linked.
    b.record->close(b.record);
    EXPECT_EQ(first_open_port(), c.record);
    EXPECT_EQ(c.record->next, a.record);

    close_all_ports();
    EXPECT_EQ(first_open_port(), nullptr);
    EXPECT_EQ(a.close_calls, 1);
    EXPECT_EQ(b.close_calls, 1);
    EXPECT_EQ(c.close_calls, 1);
}

TEST(PortRecord, ExitHandlerIsNotHeldUpByACloseSlotThatKeepsItsRecord) {
    PortRecord* port = allocate_port_record(0);
    port->close = [](PortRecord*) { return SP_ERR_GENERAL; };
    close_all_ports();
    EXPECT_FALSE(is_open_port(port));
    delete port;
}

namespace {

int report_close(PortRecord* port) {
    std::fprintf(stderr, "closed COM%d\n", port->port_index + 1);
    free_port_record(port);
    return SP_OK;
}

} // namespace

TEST(PortRecordDeathTest, ProcessEndClosesEveryPortStillOpen) {
    EXPECT_EXIT(
        {
            for (int index : {2, 5}) {
                allocate_port_record(index)->close = report_close;
            }
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "closed COM6\nclosed COM3\n");
}

TEST(SystemErrors, ErrnoValuesMapToCodes) {
    const struct {
        int error;
        int code;
    } cases[] = {
        {ENOENT, SP_ERR_NO_HARDWARE}, {ENOTDIR, SP_ERR_NO_HARDWARE}, {ENODEV, SP_ERR_NO_HARDWARE},
        {ENXIO, SP_ERR_NO_HARDWARE},  {EACCES, SP_ERR_IN_USE},       {EPERM, SP_ERR_IN_USE},
        {EBUSY, SP_ERR_IN_USE},       {ENOMEM, SP_ERR_NO_MEMORY},    {EINVAL, SP_ERR_GENERAL},
        {EIO, SP_ERR_GENERAL},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(map_errno(c.error), c.code) << "errno " << c.error;
    }
}

TEST(SystemErrors, WindowsErrorsMapToCodes) {
    const struct {
        long error;
        int code;
    } cases[] = {
        {2, SP_ERR_NO_HARDWARE},   {3, SP_ERR_NO_HARDWARE},       {5, SP_ERR_IN_USE},
        {-1, SP_ERR_BAD_PORT},     {-2, SP_ERR_IN_USE},           {-4, SP_ERR_NO_MEMORY},
        {-10, SP_ERR_NO_HARDWARE}, {-11, SP_ERR_BAD_WORD_LENGTH}, {-12, SP_ERR_BAD_BAUD},
        {32, SP_ERR_GENERAL},      {87, SP_ERR_GENERAL},          {-3, SP_ERR_GENERAL},
        {0, SP_ERR_GENERAL},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(map_windows_error(c.error), c.code) << "error " << c.error;
    }
}
