#include "serial/PortDriver.h"

#include "platform/Clock.h"

#include <cerrno>
#include <cstdlib>
#include <new>

namespace kelmora {

namespace {

// The open-port list, whether the exit handler is registered, and the idle
// hook: the library's process-wide state, used by the main thread only.
PortRecord* open_ports = nullptr;
bool exit_handler_registered = false;

int no_idle_work(PortRecord*) {
    return SP_OK;
}

IdleHook idle_hook = no_idle_work;

// Longest rest between two passes of a timed loop: the idle hook (a window's
// events) runs at least this often while a wait lasts. A byte ends the rest
// at once, so it is no delay for the line.
constexpr std::uint32_t kRestSliceMs = 10;

int not_supported(PortRecord* port) {
    port->status = SP_ERR_NOT_SUPPORTED;
    return SP_ERR_NOT_SUPPORTED;
}

int default_read_byte(PortRecord* port) {
    return not_supported(port);
}
int default_peek_byte(PortRecord* port) {
    return not_supported(port);
}
int default_write_byte(PortRecord* port, std::uint8_t) {
    return not_supported(port);
}
int default_close(PortRecord* port) {
    free_port_record(port);
    return SP_OK;
}
int default_set_params(PortRecord* port, std::int32_t, char, int, int) {
    return not_supported(port);
}
int default_switch(PortRecord* port, bool) {
    return not_supported(port);
}
int default_query(PortRecord* port) {
    return not_supported(port);
}
int default_write_block(PortRecord* port, const std::uint8_t*, std::uint32_t) {
    return not_supported(port);
}
int default_read_block(PortRecord* port, std::uint8_t*, std::uint32_t) {
    return not_supported(port);
}
int default_dump_status(PortRecord* port, TextPrinter print, void* context) {
    if (print != nullptr) {
        print(context, "Port dump not supported for this driver");
    }
    return not_supported(port);
}
int default_send_break(PortRecord* port, std::uint32_t) {
    return not_supported(port);
}
void default_clear_status(PortRecord* port) {
    port->status = SP_OK;
}
void default_wait_input(PortRecord*, std::uint32_t max_ms) {
    sleep_ms(max_ms);
}

void install_defaults(PortRecord* port) {
    port->read_byte = default_read_byte;
    port->peek_byte = default_peek_byte;
    port->write_byte = default_write_byte;
    port->close = default_close;
    port->set_params = default_set_params;
    port->use_xon_xoff = default_switch;
    port->use_rts_cts = default_switch;
    port->use_dtr_dsr = default_switch;
    port->set_dtr = default_switch;
    port->set_rts = default_switch;
    port->tx_free = default_query;
    port->tx_used = default_query;
    port->rx_free = default_query;
    port->rx_used = default_query;
    port->clear_tx = default_query;
    port->write_block = default_write_block;
    port->read_block = default_read_block;
    port->dump_status = default_dump_status;
    port->send_break = default_send_break;
    port->modem_status = default_query;
    port->line_status = default_query;
    port->clear_line_status = default_query;
    port->spare_slot = default_query;
    port->clear_status = default_clear_status;
    port->wait_input = default_wait_input;
}

void exit_handler() {
    close_all_ports();
}

bool timed_out(std::int32_t timeout_ms, std::uint32_t start) {
    return timeout_ms >= 0 && elapsed_ms(start) >= static_cast<std::uint32_t>(timeout_ms);
}

// The rest before the next pass: the slice, cut short so that the clock test
// of the next pass comes no later than the timeout.
std::uint32_t rest_ms(std::int32_t timeout_ms, std::uint32_t start) {
    if (timeout_ms < 0) {
        return kRestSliceMs;
    }
    const std::uint32_t elapsed = elapsed_ms(start);
    const auto limit = static_cast<std::uint32_t>(timeout_ms);
    if (elapsed >= limit) {
        return 0;
    }
    return limit - elapsed < kRestSliceMs ? limit - elapsed : kRestSliceMs;
}

void rest_for_input(PortRecord* port, std::uint32_t ms) {
    if (ms > 0) {
        port->wait_input(port, ms);
    }
}

// Room frees at line speed; nothing tells the moment, so the write loops sleep.
void rest_for_room(std::uint32_t ms) {
    if (ms > 0) {
        sleep_ms(ms);
    }
}

bool retry_later(int code) {
    return code == SP_ERR_TX_FULL || code == SP_ERR_TX_BLOCKED;
}

} // namespace

PortRecord* allocate_port_record(std::int32_t port_index) {
    auto* port = new (std::nothrow) PortRecord{};
    if (port == nullptr) {
        return nullptr;
    }
    install_defaults(port);
    port->port_index = port_index;
    port->next = open_ports;
    open_ports = port;
    if (!exit_handler_registered) {
        exit_handler_registered = std::atexit(exit_handler) == 0;
    }
    return port;
}

void free_port_record(PortRecord* port) {
    for (PortRecord** link = &open_ports; *link != nullptr; link = &(*link)->next) {
        if (*link == port) {
            *link = port->next;
            break;
        }
    }
    delete port;
}

bool is_open_port(const PortRecord* port) {
    for (const PortRecord* p = open_ports; p != nullptr; p = p->next) {
        if (p == port) {
            return true;
        }
    }
    return false;
}

PortRecord* first_open_port() {
    return open_ports;
}

void close_all_ports() {
    while (open_ports != nullptr) {
        PortRecord* first = open_ports;
        first->close(first);
        // A close slot that left its record in the list must not hold up the
        // end of the process.
        if (open_ports == first) {
            open_ports = first->next;
        }
    }
}

void set_idle_hook(IdleHook hook) {
    idle_hook = hook != nullptr ? hook : no_idle_work;
}

int call_idle_hook(PortRecord* port) {
    return idle_hook(port);
}

int idle_wait_ms(PortRecord* port, std::uint32_t ms) {
    const std::uint32_t start = tick_ms();
    while (elapsed_ms(start) < ms) {
        const int hook = idle_hook(port);
        if (hook < 0) {
            return hook;
        }
        rest_for_room(rest_ms(static_cast<std::int32_t>(ms), start));
    }
    return SP_OK;
}

int read_byte_timed(PortRecord* port, std::int32_t timeout_ms) {
    if (port == nullptr) {
        return SP_ERR_BAD_PORT;
    }
    const std::uint32_t start = tick_ms();
    for (bool time_is_up = false;;) {
        // A negative answer (a device that hung up) goes to read_byte too,
        // which reports it.
        if (port->rx_used(port) != 0) {
            return port->read_byte(port);
        }
        // Time runs out on this process's clock, silence is the line's: a
        // byte that came while the process was held up (in the idle hook, or
        // not scheduled at all) is read, never reported as no byte.
        if (time_is_up) {
            return SP_ERR_RX_EMPTY;
        }
        const int hook = idle_hook(port);
        if (hook < 0) {
            port->status = hook;
            return hook;
        }
        time_is_up = timed_out(timeout_ms, start);
        if (!time_is_up) {
            rest_for_input(port, rest_ms(timeout_ms, start));
        }
    }
}

int write_block_timed(PortRecord* port, const std::uint8_t* data, std::uint32_t n,
                      std::int32_t timeout_ms) {
    if (port == nullptr) {
        return SP_ERR_BAD_PORT;
    }
    const std::uint32_t start = tick_ms();
    const int remembered = port->status;
    std::uint32_t total = 0;
    for (;;) {
        port->status = SP_OK;
        int code = port->write_block(port, data, n);
        const std::uint32_t moved = port->count < n ? port->count : n;
        if (code >= 0 && moved < n) {
            // Success with bytes left over is a full queue by another name.
            code = SP_ERR_TX_FULL;
        }
        port->status = code < 0 ? code : remembered;
        data += moved;
        n -= moved;
        total += moved;
        port->count = total;
        if (retry_later(code)) {
            if (timed_out(timeout_ms, start)) {
                return port->status;
            }
        } else if (code < 0) {
            return code;
        }
        if (n == 0) {
            return SP_OK;
        }
        const int hook = idle_hook(port);
        if (hook < 0) {
            port->status = hook;
            return hook;
        }
        rest_for_room(rest_ms(timeout_ms, start));
    }
}

int write_byte_timed(PortRecord* port, std::uint8_t byte, std::int32_t timeout_ms) {
    if (port == nullptr) {
        return SP_ERR_BAD_PORT;
    }
    const std::uint32_t start = tick_ms();
    const int remembered = port->status;
    for (;;) {
        port->status = SP_OK;
        const int code = port->write_byte(port, byte);
        port->status = remembered;
        if (code == SP_OK) {
            return SP_OK;
        }
        if (!retry_later(code)) {
            return code;
        }
        if (timed_out(timeout_ms, start)) {
            return code;
        }
        const int hook = idle_hook(port);
        if (hook < 0) {
            return hook;
        }
        rest_for_room(rest_ms(timeout_ms, start));
    }
}

int drain_input(PortRecord* port) {
    if (port == nullptr) {
        return SP_ERR_BAD_PORT;
    }
    std::uint8_t scratch[64];
    for (;;) {
        const int code = port->read_block(port, scratch, sizeof scratch);
        if (code != SP_OK && code != SP_ERR_RX_EMPTY) {
            return code;
        }
        if (code == SP_ERR_RX_EMPTY || port->count == 0) {
            return SP_OK;
        }
    }
}

int rx_empty(PortRecord* port) {
    if (port == nullptr) {
        return SP_ERR_BAD_PORT;
    }
    const int used = port->rx_used(port);
    if (used < 0) {
        return used;
    }
    return used == 0 ? 1 : 0;
}

int map_errno(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENODEV:
    case ENXIO:
        return SP_ERR_NO_HARDWARE;
    case EACCES:
    case EPERM:
    case EBUSY:
        return SP_ERR_IN_USE;
    case ENOMEM:
        return SP_ERR_NO_MEMORY;
    default:
        return SP_ERR_GENERAL;
    }
}

int map_windows_error(long error) {
    switch (error) {
    case 2: // ERROR_FILE_NOT_FOUND
    case 3: // ERROR_PATH_NOT_FOUND
        return SP_ERR_NO_HARDWARE;
    case 5: // ERROR_ACCESS_DENIED
        return SP_ERR_IN_USE;
    // The old port-open errors, negative.
    case -1:
        return SP_ERR_BAD_PORT;
    case -2:
        return SP_ERR_IN_USE;
    case -4:
        return SP_ERR_NO_MEMORY;
    case -10:
        return SP_ERR_NO_HARDWARE;
    case -11:
        return SP_ERR_BAD_WORD_LENGTH;
    case -12:
        return SP_ERR_BAD_BAUD;
    default:
        return SP_ERR_GENERAL;
    }
}

} // namespace kelmora
