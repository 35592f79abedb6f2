// The serial port driver: numbered ports as plain records, each with a table
// of 24 operation slots that a backend (POSIX termios or Win32 overlapped I/O)
// fills, and the timed operations built on those slots. Every failure is a
// negative code; nothing throws. Only TSer_Port (serial/Customport.h) uses it,
// always on the main thread: there are no locks.
//
// A record lives from open_port to its own `close` slot. Every record stays in
// the open-port list until then, and an exit handler closes whatever is still
// open when the process ends.
#pragma once

#include <cstdint>

namespace kelmora {

// Codes. A slot that fails stores its code in the record's status, except
// SP_ERR_RX_EMPTY, which only says that nothing is waiting.
inline constexpr int SP_OK = 0;
inline constexpr int SP_ERR_GENERAL = -1;          // a system error not listed below
inline constexpr int SP_ERR_BAD_PORT = -2;         // invalid port
inline constexpr int SP_ERR_IN_USE = -3;           // port in use, access denied
inline constexpr int SP_ERR_NO_MEMORY = -5;        // no memory for the record or the driver data
inline constexpr int SP_ERR_RX_EMPTY = -8;         // nothing waiting; a timed read ran out of time
inline constexpr int SP_ERR_TX_FULL = -9;          // only part of a block fitted into the queue
inline constexpr int SP_ERR_NO_HARDWARE = -14;     // the port does not exist (or has gone away)
inline constexpr int SP_ERR_NOT_SUPPORTED = -24;   // the driver does not provide this slot
inline constexpr int SP_ERR_BAD_BAUD = -25;        // speed above 115200, or refused
inline constexpr int SP_ERR_BAD_PARITY = -26;      // parity letter other than E, M, N, O, S
inline constexpr int SP_ERR_BAD_WORD_LENGTH = -27; // data bits refused
inline constexpr int SP_ERR_BAD_STOP_BITS = -28;   // stop bits other than 1 or 2
inline constexpr int SP_ERR_TX_BLOCKED = -36;      // transmission held up; retried like -9

// Both queues of every port hold this many bytes.
inline constexpr std::uint32_t kPortQueueSize = 1050;

// Highest speed set_params accepts.
inline constexpr std::int32_t kMaxBaud = 115200;

// Bits of `modem_status` (the modem input lines).
inline constexpr int kModemCts = 0x10;
inline constexpr int kModemDsr = 0x20;
inline constexpr int kModemRing = 0x40;
inline constexpr int kModemDcd = 0x80;

// Bits of `line_status` (the line errors accumulated since the last clear).
inline constexpr int kLineOverrun = 0x02;
inline constexpr int kLineParity = 0x04;
inline constexpr int kLineFraming = 0x08;
inline constexpr int kLineBreak = 0x10;

struct PortRecord;

// Runs while a timed operation waits; a negative result aborts that wait.
using IdleHook = int (*)(PortRecord* port);

// Receives the lines of `dump_status`, one call per line.
using TextPrinter = void (*)(void* context, const char* line);

struct PortRecord {
    void* driver_data;       // the backend's private block; null when the device was never reached
    PortRecord* next;        // link in the open-port list
    std::int32_t port_index; // 0 is COM1
    std::int32_t status;     // 0, or the last negative code an operation stored
    std::uint32_t count;     // bytes moved by the last block operation (the whole
                             // call's total after write_block_timed)

    // The slots, in their fixed order. Each takes the record first. A slot the
    // backend does not provide answers SP_ERR_NOT_SUPPORTED and stores it.
    int (*read_byte)(PortRecord*);                // byte 0..255, or a code
    int (*peek_byte)(PortRecord*);                // next byte, left queued
    int (*write_byte)(PortRecord*, std::uint8_t); // code
    int (*close)(PortRecord*);                    // frees the record; code
    int (*set_params)(PortRecord*, std::int32_t baud, char parity, int data_bits,
                      int stop_bits);          // code
    int (*use_xon_xoff)(PortRecord*, bool on); // code
    int (*use_rts_cts)(PortRecord*, bool on);  // code
    int (*use_dtr_dsr)(PortRecord*, bool on);  // code
    int (*set_dtr)(PortRecord*, bool on);      // 0; a refusal is ignored
    int (*set_rts)(PortRecord*, bool on);      // 0; a refusal is ignored
    int (*tx_free)(PortRecord*);               // room in the transmit queue
    int (*tx_used)(PortRecord*);               // bytes queued for transmission
    int (*rx_free)(PortRecord*);               // room in the receive queue
    int (*rx_used)(PortRecord*);               // bytes waiting to be read
    int (*clear_tx)(PortRecord*);              // discards the transmit queue
    int (*write_block)(PortRecord*, const std::uint8_t* data, std::uint32_t n); // code
    int (*read_block)(PortRecord*, std::uint8_t* buffer, std::uint32_t n);      // code
    int (*dump_status)(PortRecord*, TextPrinter print, void* context);          // code
    int (*send_break)(PortRecord*, std::uint32_t ms);                           // 0
    int (*modem_status)(PortRecord*);                                           // kModem* bits
    int (*line_status)(PortRecord*);                                            // kLine* bits
    int (*clear_line_status)(PortRecord*);                                      // 0
    int (*spare_slot)(PortRecord*);                                             // code
    void (*clear_status)(PortRecord*);                                          // status := 0

    // Not one of the slots: how the timed loops rest between passes. Returns
    // when a byte is waiting or `max_ms` have passed, whichever comes first.
    // The default simply sleeps; a backend waits on its device.
    void (*wait_input)(PortRecord*, std::uint32_t max_ms);

    // Why open_port could not reach the device: the system's error number
    // (errno, GetLastError), for the log's explanation (serial/OpenFailure.h);
    // 0 when the device was reached. A network port keeps its own reasons
    // here (serial/NetworkDriver.h), and also how its connection ended.
    std::int32_t open_error;
};

// Opens the port of a COM index (0 is COM1) with its line settings. The result
// must be tested: a negative status means the port is not usable (-14 missing,
// -3 held or refused, -25/-26/-27/-28 settings refused; then the device stays
// open until the record's `close`). Null only when there was no memory even
// for the record. Implemented by the platform's backend.
PortRecord* open_port(std::int32_t port_index, std::int32_t baud, char parity, int data_bits,
                      int stop_bits);

// Timeouts are milliseconds on tick_ms since the call began; -1 (any negative
// value) means no limit. Every pass calls the idle hook, then rests until a
// byte arrives or a slice of at most 10 ms has passed, so a wait costs next to
// no processor time while still reacting to a byte at once.

// One byte 0..255; SP_ERR_RX_EMPTY when the time ran out (status untouched);
// another negative code from the driver or the idle hook (stored). A byte
// already waiting is returned at once, also with timeout 0, and the queue is
// looked at once more after the time has run out, so a byte that arrived
// while the process was held up is never taken for silence.
int read_byte_timed(PortRecord* port, std::int32_t timeout_ms);

// Queues the whole block, retrying a full queue until the timeout. 0 when all
// of it is queued, else the code; `count` holds the bytes the call queued.
int write_block_timed(PortRecord* port, const std::uint8_t* data, std::uint32_t n,
                      std::int32_t timeout_ms);

// Queues one byte, retrying a full queue until the timeout. Never changes the
// status.
int write_byte_timed(PortRecord* port, std::uint8_t byte, std::int32_t timeout_ms);

// Reads and discards everything received. 0 or a code.
int drain_input(PortRecord* port);

// 1 when nothing is waiting, 0 when something is, or a negative code.
int rx_empty(PortRecord* port);

// Replaces the idle hook; null restores the default, which processes nothing
// and returns 0.
void set_idle_hook(IdleHook hook);

// Calls the idle hook in force.
int call_idle_hook(PortRecord* port);

// Keeps calling the idle hook, resting between calls, until `ms` have passed.
// 0, or the hook's negative result, which ends the wait early.
int idle_wait_ms(PortRecord* port, std::uint32_t ms);

// The last system error of the calling thread (errno, or GetLastError on
// Windows) as a code. Implemented by the platform's backend.
int map_system_error();

// The two mappings behind map_system_error, usable on any platform.
// POSIX: missing device -14, refused or busy -3, no memory -5, else -1.
int map_errno(int error);
// Windows: file or path not found -14, access denied -3; the old negative
// port-open errors -1 -2 -4 -10 -11 -12 become -2 -3 -5 -14 -27 -25; else -1.
int map_windows_error(long error);

// For backends: a zero-filled record with the default slots, already at the
// front of the open-port list (the exit handler is registered with the first
// one). Null when memory ran out.
PortRecord* allocate_port_record(std::int32_t port_index);

// For backends' `close` slots: takes the record out of the list and frees it.
void free_port_record(PortRecord* port);

// Whether the record is still in the open-port list (not yet closed).
bool is_open_port(const PortRecord* port);

// The first record of the open-port list (the most recently opened), or null.
PortRecord* first_open_port();

// The exit handler: closes every record still open, newest first.
void close_all_ports();

} // namespace kelmora
