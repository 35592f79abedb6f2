// The Windows backend of the port driver: \\.\COM<index+1> opened for
// overlapped I/O, reads that take only what has arrived, writes that only
// queue, and ClearCommError keeping the tally of line errors.
#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "serial/Backend.h"

// clang-format off
#include <windows.h>
#include <mmsystem.h> // needs the types of windows.h
// clang-format on

#include <cstdio>
#include <cstring>
#include <new>

namespace kelmora {

using namespace kelmora::literals;

namespace {

// Writes in flight at once. Every overlapped write needs its own OVERLAPPED
// and a buffer that stays alive until the system is done with it; the
// single-byte fallback of a frame can put dozens of them on the way.
constexpr int kWriteSlots = 64;

// Longest wait at close for cancelled writes to let go of their buffers.
constexpr DWORD kCancelWaitMs = 1000;

struct PendingWrite {
    OVERLAPPED io{};
    bool busy = false;
    std::uint8_t data[kPortQueueSize]{};
};

struct Win32PortData {
    HANDLE handle = INVALID_HANDLE_VALUE;
    DWORD rx_queue_size = kPortQueueSize;
    DWORD tx_queue_size = kPortQueueSize;
    DCB settings{};
    DWORD line_errors = 0;
    // Reads and writes keep separate records, each with its own event: a
    // write may still be in flight when the next read starts, and sharing
    // one record between them would let either completion overwrite the other.
    OVERLAPPED read_io{};
    backend::ReadAhead ahead; // what has arrived and is not yet taken
    PendingWrite writes[kWriteSlots];
    bool timer_period_raised = false;
};

using namespace backend;

constexpr auto data_of = &driver_data<Win32PortData>;

// Queries the error flags and queue counts and adds the flags to the tally.
bool query(Win32PortData* d, COMSTAT& stat) {
    DWORD errors = 0;
    stat = COMSTAT{};
    if (!ClearCommError(d->handle, &errors, &stat)) {
        return false;
    }
    d->line_errors |= errors;
    return true;
}

void reset_io(OVERLAPPED& io) {
    HANDLE event = io.hEvent;
    io = OVERLAPPED{};
    io.hEvent = event;
    ResetEvent(event);
}

PendingWrite* free_write_slot(Win32PortData* d) {
    PendingWrite* found = nullptr;
    for (PendingWrite& w : d->writes) {
        if (w.busy && HasOverlappedIoCompleted(&w.io)) {
            w.busy = false;
        }
        if (!w.busy && found == nullptr) {
            found = &w;
        }
    }
    return found;
}

// Refills the read-ahead when it is empty, with everything the port has
// (see ReadAhead::fill).
int fill_ahead(PortRecord* port) {
    Win32PortData* d = data_of(port);
    return d->ahead.fill([port, d](std::uint8_t* buffer, std::uint32_t size) {
        COMSTAT stat{};
        if (!query(d, stat)) {
            return fail(port, map_system_error());
        }
        if (stat.cbInQue == 0) {
            return 0;
        }
        const DWORD want = size < stat.cbInQue ? size : stat.cbInQue;
        reset_io(d->read_io);
        DWORD got = 0;
        if (ReadFile(d->handle, buffer, want, &got, &d->read_io)) {
            return static_cast<int>(got);
        }
        if (GetLastError() != ERROR_IO_PENDING) {
            // Refused at once: nothing is in flight, so nothing to wait for.
            query(d, stat);
            return 0;
        }
        // Only bytes that have arrived were asked for, so this completes at once.
        if (!GetOverlappedResult(d->handle, &d->read_io, &got, TRUE)) {
            return 0;
        }
        return static_cast<int>(got);
    });
}

int win_read_block(PortRecord* port, std::uint8_t* buffer, std::uint32_t n) {
    return read_block_ahead(port, data_of(port)->ahead, buffer, n, fill_ahead);
}

int win_read_byte(PortRecord* port) {
    return read_byte_ahead(port, data_of(port)->ahead, fill_ahead);
}

int win_write_block(PortRecord* port, const std::uint8_t* data, std::uint32_t n) {
    Win32PortData* d = data_of(port);
    port->count = 0;
    COMSTAT stat{};
    if (!query(d, stat)) {
        return fail(port, map_system_error());
    }
    const DWORD room = queue_room(stat.cbOutQue, d->tx_queue_size);
    const DWORD m = n < room ? n : room;
    if (m > 0) {
        PendingWrite* slot = free_write_slot(d);
        if (slot != nullptr) {
            std::memcpy(slot->data, data, m);
            reset_io(slot->io);
            DWORD written = 0;
            if (WriteFile(d->handle, slot->data, m, &written, &slot->io)) {
                // Completed at once: the slot is free again.
                port->count = written;
            } else if (GetLastError() == ERROR_IO_PENDING) {
                slot->busy = true;
                port->count = m;
            } else {
                port->count = written;
                query(d, stat);
            }
        }
    }
    if (port->count >= n) {
        return SP_OK;
    }
    return fail(port, SP_ERR_TX_FULL);
}

int win_write_byte(PortRecord* port, std::uint8_t byte) {
    return win_write_block(port, &byte, 1);
}

int win_set_params(PortRecord* port, std::int32_t baud, char parity, int data_bits, int stop_bits) {
    Win32PortData* d = data_of(port);
    if (baud > kMaxBaud || baud <= 0) {
        return fail(port, SP_ERR_BAD_BAUD);
    }
    // Checked here rather than left to the device: drivers refuse a byte size
    // with different errors (Wine answers "file not found"), none of which
    // says what was wrong.
    if (data_bits < 5 || data_bits > 8) {
        return fail(port, SP_ERR_BAD_WORD_LENGTH);
    }
    d->settings.BaudRate = static_cast<DWORD>(baud);
    d->settings.ByteSize = static_cast<BYTE>(data_bits);
    switch (upper(parity)) {
    case 'E':
        d->settings.Parity = EVENPARITY;
        break;
    case 'M':
        d->settings.Parity = MARKPARITY;
        break;
    case 'N':
        d->settings.Parity = NOPARITY;
        break;
    case 'O':
        d->settings.Parity = ODDPARITY;
        break;
    case 'S':
        d->settings.Parity = SPACEPARITY;
        break;
    default:
        return fail(port, SP_ERR_BAD_PARITY);
    }
    if (stop_bits == 1) {
        d->settings.StopBits = ONESTOPBIT;
    } else if (stop_bits == 2) {
        d->settings.StopBits = TWOSTOPBITS;
    } else {
        return fail(port, SP_ERR_BAD_STOP_BITS);
    }
    if (!SetCommState(d->handle, &d->settings)) {
        port->status = map_system_error();
    }
    return port->status;
}

int apply_settings(PortRecord* port) {
    if (!SetCommState(data_of(port)->handle, &data_of(port)->settings)) {
        return fail(port, map_system_error());
    }
    return SP_OK;
}

int win_use_xon_xoff(PortRecord* port, bool on) {
    DCB& s = data_of(port)->settings;
    s.fOutX = on ? TRUE : FALSE;
    s.fInX = on ? TRUE : FALSE;
    return apply_settings(port);
}

int win_use_rts_cts(PortRecord* port, bool on) {
    DCB& s = data_of(port)->settings;
    s.fOutxCtsFlow = on ? TRUE : FALSE;
    s.fRtsControl = on ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    return apply_settings(port);
}

int win_use_dtr_dsr(PortRecord* port, bool on) {
    DCB& s = data_of(port)->settings;
    s.fOutxDsrFlow = on ? TRUE : FALSE;
    s.fDtrControl = on ? DTR_CONTROL_HANDSHAKE : DTR_CONTROL_ENABLE;
    return apply_settings(port);
}

int win_set_dtr(PortRecord* port, bool on) {
    EscapeCommFunction(data_of(port)->handle, on ? SETDTR : CLRDTR);
    return SP_OK;
}

int win_set_rts(PortRecord* port, bool on) {
    EscapeCommFunction(data_of(port)->handle, on ? SETRTS : CLRRTS);
    return SP_OK;
}

int win_tx_used(PortRecord* port) {
    COMSTAT stat{};
    if (!query(data_of(port), stat)) {
        return fail(port, map_system_error());
    }
    return static_cast<int>(stat.cbOutQue);
}

int win_tx_free(PortRecord* port) {
    return free_room(win_tx_used(port), data_of(port)->tx_queue_size);
}

// The bytes read ahead, or when there are none, what the port has: read
// ahead at once, so the bytes that follow cost no call into the system.
int win_rx_used(PortRecord* port) {
    return fill_ahead(port);
}

int win_rx_free(PortRecord* port) {
    return free_room(win_rx_used(port), data_of(port)->rx_queue_size);
}

int win_clear_tx(PortRecord* port) {
    if (!PurgeComm(data_of(port)->handle, PURGE_TXABORT | PURGE_TXCLEAR)) {
        return fail(port, map_system_error());
    }
    return SP_OK;
}

int win_dump_status(PortRecord* port, TextPrinter print, void* context) {
    if (print == nullptr) {
        return SP_OK;
    }
    Win32PortData* d = data_of(port);
    const DCB& s = d->settings;
    static const char kParity[] = "NOEMS";
    char line[160];
    std::snprintf(line, sizeof line, "COM%d: %lu baud, %u data bits, parity %c, %s stop bits",
                  port->port_index + 1, static_cast<unsigned long>(s.BaudRate),
                  static_cast<unsigned>(s.ByteSize), s.Parity <= 4 ? kParity[s.Parity] : '?',
                  s.StopBits == TWOSTOPBITS ? "2" : (s.StopBits == ONE5STOPBITS ? "1.5" : "1"));
    print(context, line);
    COMSTAT stat{};
    query(d, stat);
    std::snprintf(
        line, sizeof line, "transmit queue %lu of %lu, receive queue %lu of %lu, status %d",
        static_cast<unsigned long>(stat.cbOutQue), static_cast<unsigned long>(d->tx_queue_size),
        static_cast<unsigned long>(stat.cbInQue + d->ahead.held()),
        static_cast<unsigned long>(d->rx_queue_size), port->status);
    print(context, line);
    std::snprintf(line, sizeof line, "line errors: break %d framing %d overrun %d parity %d",
                  (d->line_errors & CE_BREAK) != 0, (d->line_errors & CE_FRAME) != 0,
                  (d->line_errors & (CE_OVERRUN | CE_RXOVER)) != 0,
                  (d->line_errors & CE_RXPARITY) != 0);
    print(context, line);
    DWORD modem = 0;
    if (GetCommModemStatus(d->handle, &modem)) {
        std::snprintf(line, sizeof line, "CTS %d DSR %d DCD %d RI %d", (modem & MS_CTS_ON) != 0,
                      (modem & MS_DSR_ON) != 0, (modem & MS_RLSD_ON) != 0,
                      (modem & MS_RING_ON) != 0);
    } else {
        std::snprintf(line, sizeof line, "modem lines unknown");
    }
    print(context, line);
    return SP_OK;
}

int win_send_break(PortRecord* port, std::uint32_t ms) {
    HANDLE h = data_of(port)->handle;
    SetCommBreak(h);
    idle_wait_ms(port, ms);
    ClearCommBreak(h);
    return SP_OK;
}

int win_modem_status(PortRecord* port) {
    DWORD modem = 0;
    if (!GetCommModemStatus(data_of(port)->handle, &modem)) {
        return fail(port, map_system_error());
    }
    int bits = 0;
    bits |= (modem & MS_CTS_ON) != 0 ? kModemCts : 0;
    bits |= (modem & MS_DSR_ON) != 0 ? kModemDsr : 0;
    bits |= (modem & MS_RING_ON) != 0 ? kModemRing : 0;
    bits |= (modem & MS_RLSD_ON) != 0 ? kModemDcd : 0;
    return bits;
}

int win_line_status(PortRecord* port) {
    Win32PortData* d = data_of(port);
    COMSTAT stat{};
    query(d, stat);
    int bits = 0;
    bits |= (d->line_errors & CE_BREAK) != 0 ? kLineBreak : 0;
    bits |= (d->line_errors & CE_FRAME) != 0 ? kLineFraming : 0;
    bits |= (d->line_errors & CE_OVERRUN) != 0 ? kLineOverrun : 0;
    bits |= (d->line_errors & CE_RXPARITY) != 0 ? kLineParity : 0;
    return bits;
}

int win_clear_line_status(PortRecord* port) {
    data_of(port)->line_errors = 0;
    return SP_OK;
}

// Event reporting is switched off at open, so the rest polls the receive
// queue in 1 ms sleeps (the timer period is raised to 1 ms while a port is
// open; the default 15.6 ms would stretch every short wait).
void win_wait_input(PortRecord* port, std::uint32_t max_ms) {
    Win32PortData* d = data_of(port);
    if (d->ahead.held() > 0) {
        return;
    }
    const std::uint32_t start = tick_ms();
    for (;;) {
        COMSTAT stat{};
        if (!query(d, stat) || stat.cbInQue > 0 || elapsed_ms(start) >= max_ms) {
            return;
        }
        Sleep(1);
    }
}

void destroy(Win32PortData* d) {
    bool settled = true;
    for (PendingWrite& w : d->writes) {
        if (!w.busy) {
            continue;
        }
        if (WaitForSingleObject(w.io.hEvent, kCancelWaitMs) == WAIT_OBJECT_0) {
            w.busy = false;
        } else {
            settled = false;
        }
    }
    if (d->read_io.hEvent != nullptr) {
        CloseHandle(d->read_io.hEvent);
    }
    for (PendingWrite& w : d->writes) {
        if (w.io.hEvent != nullptr && !w.busy) {
            CloseHandle(w.io.hEvent);
        }
    }
    if (d->timer_period_raised) {
        timeEndPeriod(1);
    }
    // A write the system still holds keeps its buffer: better a small leak at
    // the end of the process than memory written after it was freed.
    if (settled) {
        delete d;
    }
}

int win_close(PortRecord* port) {
    Win32PortData* d = data_of(port);
    int result = SP_OK;
    if (d != nullptr) {
        EscapeCommFunction(d->handle, CLRDTR);
        EscapeCommFunction(d->handle, CLRRTS);
        CancelIo(d->handle);
        for (PendingWrite& w : d->writes) {
            if (w.busy && HasOverlappedIoCompleted(&w.io)) {
                w.busy = false;
            }
        }
        if (!CloseHandle(d->handle)) {
            result = map_system_error();
        }
        destroy(d);
    }
    free_port_record(port);
    return result;
}

bool create_events(Win32PortData* d) {
    d->read_io.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (d->read_io.hEvent == nullptr) {
        return false;
    }
    for (PendingWrite& w : d->writes) {
        w.io.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (w.io.hEvent == nullptr) {
            return false;
        }
    }
    return true;
}

void install_slots(PortRecord* port) {
    port->read_byte = win_read_byte;
    port->write_byte = win_write_byte;
    port->close = win_close;
    port->set_params = win_set_params;
    port->use_xon_xoff = win_use_xon_xoff;
    port->use_rts_cts = win_use_rts_cts;
    port->use_dtr_dsr = win_use_dtr_dsr;
    port->set_dtr = win_set_dtr;
    port->set_rts = win_set_rts;
    port->tx_free = win_tx_free;
    port->tx_used = win_tx_used;
    port->rx_free = win_rx_free;
    port->rx_used = win_rx_used;
    port->clear_tx = win_clear_tx;
    port->write_block = win_write_block;
    port->read_block = win_read_block;
    port->dump_status = win_dump_status;
    port->send_break = win_send_break;
    port->modem_status = win_modem_status;
    port->line_status = win_line_status;
    port->clear_line_status = win_clear_line_status;
    port->wait_input = win_wait_input;
}

} // namespace

int map_system_error() {
    return map_windows_error(static_cast<long>(static_cast<std::int32_t>(GetLastError())));
}

// The log line names the port already: \\.\COM<n> is all there is to it.
std::string backend::describe_serial_failure(std::int32_t, int code, std::int32_t systemError) {
    switch (systemError) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return "port neexistuje";
    case ERROR_ACCESS_DENIED: // how Windows refuses a port another program holds
        return std::string("port používá jiný program"_cp);
    case 0:
        return "chyba " + std::to_string(code);
    default:
        return std::string("chyba systému "_cp) + std::to_string(systemError);
    }
}

PortRecord* backend::open_serial_port(std::int32_t port_index, std::int32_t baud, char parity,
                                      int data_bits, int stop_bits) {
    PortRecord* port = allocate_port_record(port_index);
    if (port == nullptr) {
        return nullptr;
    }
    auto* d = new (std::nothrow) Win32PortData{};
    if (d == nullptr) {
        port->status = SP_ERR_NO_MEMORY;
        return port;
    }
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\COM%lld", static_cast<long long>(port_index) + 1);
    d->handle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr);
    if (d->handle == INVALID_HANDLE_VALUE) {
        port->open_error = static_cast<std::int32_t>(GetLastError());
        port->status = map_system_error();
        delete d;
        return port;
    }
    if (!create_events(d)) {
        port->status = map_system_error();
        CloseHandle(d->handle);
        destroy(d);
        return port;
    }
    port->driver_data = d;
    port->status = SP_OK;
    d->timer_period_raised = timeBeginPeriod(1) == TIMERR_NOERROR;

    SetupComm(d->handle, d->rx_queue_size, d->tx_queue_size);
    SetCommMask(d->handle, 0);

    DCB& s = d->settings;
    s.DCBlength = sizeof(DCB);
    GetCommState(d->handle, &s);
    s.fBinary = TRUE;
    s.fParity = FALSE;
    s.fOutxCtsFlow = FALSE;
    s.fOutxDsrFlow = FALSE;
    s.fDtrControl = DTR_CONTROL_ENABLE;
    s.fRtsControl = RTS_CONTROL_ENABLE;
    s.fNull = FALSE;
    // Frames carry every byte value: 0x11 and 0x13 must pass both ways, so
    // software flow control is off whatever the device was left with.
    s.fOutX = FALSE;
    s.fInX = FALSE;
    s.XonChar = 0x11;
    s.XoffChar = 0x13;
    s.XonLim = static_cast<WORD>(d->rx_queue_size / 4);
    s.XoffLim = static_cast<WORD>(d->rx_queue_size / 4);
    s.EofChar = 0;
    s.EvtChar = 0;

    // A read returns at once with whatever has arrived; a write never times out.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    SetCommTimeouts(d->handle, &timeouts);

    win_set_params(port, baud, parity, data_bits, stop_bits);
    install_slots(port);
    return port;
}

} // namespace kelmora
