#include "serial/Customport.h"

#include "platform/Clock.h"

#include <limits>

namespace kelmora {

bool MarkParity = false;
std::int32_t LineLeadUs = 0;
std::int32_t LineTailUs = 0;

namespace {

constexpr std::int32_t kBlockTimeoutMs = 200;
constexpr std::int32_t kByteTimeoutMs = 50;

std::int32_t clamp_us(std::int64_t us) {
    if (us < 0) {
        return 0;
    }
    return us > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                         : static_cast<std::int32_t>(us);
}

} // namespace

TSer_Port::TSer_Port(std::int32_t port_index, std::int32_t baud, PortOpener opener)
    : PortIndex(port_index), Baud(baud), opener_(opener != nullptr ? opener : open_port) {
    IsOpen = Open(port_index, baud);
}

TSer_Port::~TSer_Port() {
    Close();
}

bool TSer_Port::Open(std::int32_t port_index, std::int32_t baud) {
    // Opening again must not leave the earlier device held.
    Close();
    PortIndex = port_index;
    Baud = baud;
    const char parity = MarkParity ? 'M' : 'N';
    PortRecord* record = opener_(port_index, baud, parity, 8, 1);
    if (record == nullptr) {
        Driver = nullptr;
        OpenCode = SP_ERR_NO_MEMORY;
        OpenError = 0;
        return false;
    }
    OpenCode = record->status < 0 ? record->status : 0;
    OpenError = record->status < 0 ? record->open_error : 0;
    if (record->status < 0) {
        record->close(record);
        Driver = nullptr;
        return false;
    }
    Driver = record;
    IsOpen = true;
    bits_per_byte_ = parity == 'N' ? 10 : 11;
    if (LineLeadUs == 0) {
        LineLeadUs = kDefaultLineWaitUs;
    }
    if (LineTailUs == 0) {
        LineTailUs = kDefaultLineWaitUs;
    }
    return true;
}

void TSer_Port::Close() {
    // At process end the exit handler may have closed and freed the record
    // before this object goes; it must not be closed twice.
    if (Driver != nullptr && is_open_port(Driver)) {
        Driver->close(Driver);
    }
    IsOpen = false;
    Driver = nullptr;
}

int TSer_Port::ReadByte(std::int32_t timeout_ms) {
    if (Driver == nullptr) {
        return -1;
    }
    const int result = read_byte_timed(Driver, timeout_ms);
    return result == SP_ERR_RX_EMPTY ? -1 : result;
}

bool TSer_Port::Write(const std::uint8_t* data, std::int32_t length) {
    if (Driver == nullptr) {
        return false;
    }
    const auto n = static_cast<std::uint32_t>(length > 0 ? length : 0);
    const int result = write_block_timed(Driver, data, n, kBlockTimeoutMs);
    const std::uint32_t queued = Driver->count;
    // RTS must stay up until the last byte has left: at 19200 baud and below
    // a byte takes longer than the 500 us booked for it.
    const std::int64_t booked = static_cast<std::int64_t>(kTxUsPerByte) * n;
    std::int64_t on_wire = 0;
    if (Baud > 0) {
        on_wire = (static_cast<std::int64_t>(n) * bits_per_byte_ * 1'000'000 + Baud - 1) / Baud;
    }
    TxTimeUs = clamp_us(booked > on_wire ? booked : on_wire);
    if (result == SP_ERR_TX_FULL && queued < n) {
        for (std::uint32_t i = queued; i < n; ++i) {
            write_byte_timed(Driver, data[i], kByteTimeoutMs);
        }
    }
    return Driver->status == SP_OK;
}

void TSer_Port::ToTransmit() {
    if (Driver == nullptr) {
        return;
    }
    Driver->set_rts(Driver, true);
    TraceDirection("rts-up");
    WaitMicroseconds(LineLeadUs);
}

void TSer_Port::ToReceive() {
    if (Driver == nullptr) {
        return;
    }
    WaitMicroseconds(static_cast<std::int64_t>(LineTailUs) + TxTimeUs);
    Driver->set_rts(Driver, false);
    TraceDirection("rts-down");
}

void TSer_Port::TraceDirection(std::string_view kind) const {
    if (Trace != nullptr) {
        Trace->Record({.port = PortIndex, .direction = LineDirection::Neither, .kind = kind});
    }
}

void TSer_Port::ClearTransmit() {
    if (Driver != nullptr) {
        Driver->clear_tx(Driver);
    }
}

void TSer_Port::FlushInput() {
    if (Driver != nullptr && rx_empty(Driver) == 0) {
        drain_input(Driver);
    }
}

bool TSer_Port::InputWaiting() const {
    return Driver != nullptr && rx_empty(Driver) == 0;
}

int TSer_Port::Status() const {
    return Driver != nullptr ? Driver->status : -1;
}

void TSer_Port::WaitMicroseconds(std::int64_t us) {
    exact_wait_us(us);
}

} // namespace kelmora
