// What both backends of the port driver (PosixDriver.cpp, Win32Driver.cpp)
// share. Nothing outside them includes it.
#pragma once

#include "serial/PortDriver.h"

#include <cstdint>

namespace kelmora::backend {

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

} // namespace kelmora::backend
