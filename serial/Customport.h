// TSer_Port: one serial line of the PC run half-duplex, with one or more
// terminals on it. RTS sets the direction: up before a transmission (then
// LineLeadUs), down once the last byte has had time to leave (TxTimeUs plus
// LineTailUs). Opened with 8 data bits, 1 stop bit, the given speed and mark
// parity or none. Used by the main thread only.
//
// A port that did not open has no Driver, and every operation on it is empty:
// ReadByte -1, Write false, Status -1, the rest do nothing.
#pragma once

#include "serial/LineTrace.h"
#include "serial/PortDriver.h"

#include <cstdint>
#include <string_view>

namespace kelmora {

// Process-wide line values, set by the configuration and read at the moment
// of use. MarkParity is read only when a port opens. The two waits are 0 until
// the configuration sets them; a port that opens while one is 0 sets it to
// kDefaultLineWaitUs.
extern bool MarkParity;
extern std::int32_t LineLeadUs; // after raising RTS, before the first byte
extern std::int32_t LineTailUs; // after the last block's time on the wire, before lowering RTS

inline constexpr std::int32_t kDefaultLineWaitUs = 9500;

// Booked time on the wire per byte, at least; slower lines book their real
// byte time (see TSer_Port::TxTimeUs).
inline constexpr std::int32_t kTxUsPerByte = 500;

// How a port gets its driver record: open_port, or a fake in tests.
using PortOpener = PortRecord* (*)(std::int32_t port_index, std::int32_t baud, char parity,
                                   int data_bits, int stop_bits);

class TSer_Port {
public:
    // Stores both and opens the port; IsOpen holds the result.
    TSer_Port(std::int32_t port_index, std::int32_t baud, PortOpener opener = open_port);
    ~TSer_Port();

    TSer_Port(const TSer_Port&) = delete;
    TSer_Port& operator=(const TSer_Port&) = delete;

    // Opens with parity 'M' when MarkParity is set, else 'N' (closing first
    // whatever this object held). A record that comes back with a negative
    // status is closed at once, so the device is free again, and the port
    // counts as not opened.
    bool Open(std::int32_t port_index, std::int32_t baud);

    // Closes the driver port, unless the exit handler has closed it already.
    void Close();

    // A byte 0..255; -1 when none came within the timeout (or no Driver); any
    // other negative driver code as it comes.
    int ReadByte(std::int32_t timeout_ms);

    // Queues a block (200 ms for the block, then the left-over bytes one by
    // one with 50 ms each) and books its time on the wire in TxTimeUs.
    // Whether the driver status is 0.
    bool Write(const std::uint8_t* data, std::int32_t length);

    // RTS up, then LineLeadUs.
    void ToTransmit();
    // LineTailUs plus TxTimeUs of the last Write, then RTS down.
    void ToReceive();
    // Discards whatever waits for transmission.
    void ClearTransmit();
    // Discards everything received.
    void FlushInput();
    // Whether a received byte waits to be read (false without a Driver, or
    // when the driver cannot tell).
    bool InputWaiting() const;
    // The driver status, or -1 without a Driver.
    int Status() const;

    // Exactly `us` microseconds (exact_wait_us); never runs the idle hook.
    static void WaitMicroseconds(std::int64_t us);

    PortRecord* Driver = nullptr; // owned; none when the port did not open, and after Close
    std::int32_t PortIndex = 0;   // 0 is COM1
    std::int32_t Baud = 0;        // the speed the port was opened with
    // Time on the wire of the last written block, in microseconds: 500 per
    // byte, or the real byte time (start, 8 data, parity, stop bits) at the
    // port's speed when that is longer; 0 before the first write.
    std::int32_t TxTimeUs = 0;
    bool IsOpen = false;
    // Why the last Open failed: the record's code and the system's error
    // number (serial/OpenFailure.h says it in words); both 0 after an open
    // that worked.
    int OpenCode = 0;
    std::int32_t OpenError = 0;
    // Where this line's traffic is traced; none (the default) traces nothing.
    LineTrace* Trace = nullptr;

private:
    void TraceDirection(std::string_view kind) const;

    PortOpener opener_;
    int bits_per_byte_ = 10;
};

} // namespace kelmora
