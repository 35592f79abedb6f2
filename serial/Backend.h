// What the backends of the port driver (PosixDriver.cpp, Win32Driver.cpp,
// NetworkDriver.cpp) share. Nothing outside them includes it.
#pragma once

#include "serial/PortDriver.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace kelmora::backend {

// The local port of a COM index (open_port, serial/OpenPort.cpp, takes the
// network ports), and why it did not open; each platform's backend has them.
PortRecord* open_serial_port(std::int32_t port_index, std::int32_t baud, char parity, int data_bits,
                             int stop_bits);
std::string describe_serial_failure(std::int32_t port_index, int code, std::int32_t systemError);

// The backend's private block of a record.
template <typename Data>
Data* driver_data(PortRecord* port) {
    return static_cast<Data*>(port->driver_data);
}

// Stores the code as the record's status and returns it.
inline int fail(PortRecord* port, int code) {
    port->status = code;
    return code;
}

// A parity letter in either case as its capital.
inline char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The room a queue of `size` bytes has left with `used` of them taken.
inline std::uint32_t queue_room(std::uint32_t used, std::uint32_t size) {
    return used >= size ? 0 : size - used;
}

// The `tx_free` and `rx_free` slots: the room, or the code that `used`
// carries.
inline int free_room(int used, std::uint32_t size) {
    return used < 0 ? used : static_cast<int>(queue_room(static_cast<std::uint32_t>(used), size));
}

// What has arrived, read from the device in one call and not yet taken: a
// byte at a time would cost a system call or two for every byte. The slots
// read_byte, read_block and rx_used all go through it, so the bytes come out
// in the order they came, and a flush (which reads everything) empties it.
class ReadAhead {
public:
    std::uint32_t held() const { return end_ - at_; }

    // Refills an empty buffer: `read_device(buffer, size)` reads what has
    // arrived into it and gives the count, 0 for nothing, or a negative
    // code. The bytes now held, 0, or that code.
    template <typename ReadDevice>
    int fill(ReadDevice read_device) {
        if (held() > 0) {
            return static_cast<int>(held());
        }
        const int got = read_device(bytes_.data(), static_cast<std::uint32_t>(bytes_.size()));
        at_ = 0;
        end_ = got > 0 ? static_cast<std::uint32_t>(got) : 0;
        return got;
    }

    // Up to `n` held bytes into `out`; how many.
    std::uint32_t take(std::uint8_t* out, std::uint32_t n) {
        const std::uint32_t m = std::min(n, held());
        std::copy_n(bytes_.data() + at_, m, out);
        at_ += m;
        return m;
    }

private:
    std::array<std::uint8_t, kPortQueueSize> bytes_{};
    std::uint32_t at_ = 0;
    std::uint32_t end_ = 0;
};

// The read slots on top of a read-ahead and a backend's `fill(port)`, which
// refills it: a block of what has arrived, one byte, or whether anything
// waits. Nothing arrived is SP_ERR_RX_EMPTY (0 for rx_used).
template <typename Fill>
int read_block_ahead(PortRecord* port, ReadAhead& ahead, std::uint8_t* buffer, std::uint32_t n,
                     Fill fill) {
    port->count = 0;
    const int held = fill(port);
    if (held <= 0) {
        return held < 0 ? held : SP_ERR_RX_EMPTY;
    }
    port->count = ahead.take(buffer, n);
    return SP_OK;
}

template <typename Fill>
int read_byte_ahead(PortRecord* port, ReadAhead& ahead, Fill fill) {
    std::uint8_t byte = 0;
    const int code = read_block_ahead(port, ahead, &byte, 1, fill);
    return code == SP_OK ? byte : code;
}

} // namespace kelmora::backend
