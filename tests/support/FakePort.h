// A driver record whose slots play a scripted port in memory: bytes waiting to
// be read, a transmit queue that takes only as much as the test allows, and a
// log of the direction changes. For the library's timed operations and for
// TSer_Port without any device.
#pragma once

#include "platform/Clock.h"
#include "serial/PortDriver.h"

#include <cstdint>
#include <deque>
#include <limits>
#include <string>
#include <vector>

namespace kelmora::testing {

class FakePort {
public:
    // The record is in the open-port list from here on, like an opened port.
    explicit FakePort(std::int32_t port_index = 0) {
        record = allocate_port_record(port_index);
        record->driver_data = this;
        record->read_byte = read_byte;
        record->write_byte = write_byte;
        record->close = close;
        record->set_params = set_params;
        record->set_rts = set_rts;
        record->rx_used = rx_used;
        record->clear_tx = clear_tx;
        record->write_block = write_block;
        record->read_block = read_block;
    }
    ~FakePort() {
        if (record != nullptr && is_open_port(record)) {
            record->close(record);
        }
    }
    FakePort(const FakePort&) = delete;
    FakePort& operator=(const FakePort&) = delete;

    PortRecord* record = nullptr;

    std::deque<std::uint8_t> rx;  // bytes waiting to be read
    std::vector<std::uint8_t> tx; // bytes queued, in order
    // How many bytes each write_block call takes, in turn; when the script is
    // used up, every call takes `block_room`.
    std::deque<std::uint32_t> block_script;
    std::uint32_t block_room = std::numeric_limits<std::uint32_t>::max();
    int block_error = 0;   // a negative code write_block answers instead
    bool byte_room = true; // write_byte takes its byte
    int rx_error = 0;      // a negative code rx_used and read_block answer instead

    int write_block_calls = 0;
    int write_byte_calls = 0;
    int read_block_calls = 0;
    int clear_tx_calls = 0;
    int close_calls = 0;
    std::vector<std::string> rts_log; // "on" / "off"
    std::int64_t rts_off_at = 0;      // hires_counter when RTS went down
    std::int64_t rts_on_at = 0;

    // What the last set_params call was given.
    std::int32_t baud = 0;
    char parity = 0;
    int data_bits = 0;
    int stop_bits = 0;

private:
    static FakePort& of(PortRecord* port) { return *static_cast<FakePort*>(port->driver_data); }

    static int read_block(PortRecord* port, std::uint8_t* buffer, std::uint32_t n) {
        FakePort& f = of(port);
        ++f.read_block_calls;
        port->count = 0;
        if (f.rx_error < 0) {
            port->status = f.rx_error;
            return f.rx_error;
        }
        if (f.rx.empty()) {
            return SP_ERR_RX_EMPTY;
        }
        while (port->count < n && !f.rx.empty()) {
            buffer[port->count++] = f.rx.front();
            f.rx.pop_front();
        }
        return SP_OK;
    }
    static int read_byte(PortRecord* port) {
        std::uint8_t b = 0;
        const int code = read_block(port, &b, 1);
        return code == SP_OK ? b : code;
    }
    static int rx_used(PortRecord* port) {
        FakePort& f = of(port);
        if (f.rx_error < 0) {
            port->status = f.rx_error;
            return f.rx_error;
        }
        return static_cast<int>(f.rx.size());
    }
    static int write_block(PortRecord* port, const std::uint8_t* data, std::uint32_t n) {
        FakePort& f = of(port);
        ++f.write_block_calls;
        port->count = 0;
        if (f.block_error < 0) {
            port->status = f.block_error;
            return f.block_error;
        }
        std::uint32_t room = f.block_room;
        if (!f.block_script.empty()) {
            room = f.block_script.front();
            f.block_script.pop_front();
        }
        const std::uint32_t m = n < room ? n : room;
        f.tx.insert(f.tx.end(), data, data + m);
        port->count = m;
        if (m == n) {
            return SP_OK;
        }
        port->status = SP_ERR_TX_FULL;
        return SP_ERR_TX_FULL;
    }
    static int write_byte(PortRecord* port, std::uint8_t b) {
        FakePort& f = of(port);
        ++f.write_byte_calls;
        if (!f.byte_room) {
            port->status = SP_ERR_TX_FULL;
            return SP_ERR_TX_FULL;
        }
        f.tx.push_back(b);
        return SP_OK;
    }
    static int set_rts(PortRecord* port, bool on) {
        FakePort& f = of(port);
        f.rts_log.emplace_back(on ? "on" : "off");
        (on ? f.rts_on_at : f.rts_off_at) = hires_counter();
        return SP_OK;
    }
    static int clear_tx(PortRecord* port) {
        ++of(port).clear_tx_calls;
        return SP_OK;
    }
    static int set_params(PortRecord* port, std::int32_t baud, char parity, int data_bits,
                          int stop_bits) {
        FakePort& f = of(port);
        f.baud = baud;
        f.parity = parity;
        f.data_bits = data_bits;
        f.stop_bits = stop_bits;
        return SP_OK;
    }
    static int close(PortRecord* port) {
        FakePort& f = of(port);
        ++f.close_calls;
        f.record = nullptr;
        free_port_record(port);
        return SP_OK;
    }
};

} // namespace kelmora::testing
