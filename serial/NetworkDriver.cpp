// The network backend of the port driver (serial/NetworkDriver.h): a TCP
// connection (platform/Socket.h), through TelnetCodec for rfc2217://.
#include "serial/NetworkDriver.h"

#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/Socket.h"
#include "serial/Backend.h"
#include "serial/TelnetCodec.h"

#include <cstdio>
#include <new>
#include <vector>

namespace kelmora {

using namespace kelmora::literals;

namespace {

using namespace backend;

struct NetworkPortData {
    std::string device;
    bool telnet = false;
    TcpSocket socket;
    TelnetCodec codec;
    bool dropped = false;             // the connection ended: every operation answers -14
    std::vector<std::uint8_t> inbox;  // data received, not yet in the read-ahead
    std::vector<std::uint8_t> outbox; // bytes the connection has not taken yet
    ReadAhead ahead;
    std::uint32_t opened_at = 0; // when the open began: its limit counts from there
    std::int32_t baud = 0;
    char parity = 'N';
    int data_bits = 8;
    int stop_bits = 1;
};

constexpr auto data_of = &driver_data<NetworkPortData>;

// The connection went away: a device that hung up, and why it did is kept
// for the event log.
int drop(PortRecord* port) {
    NetworkPortData* d = data_of(port);
    if (!d->dropped) {
        d->dropped = true;
        port->open_error = static_cast<std::int32_t>(d->socket.failure());
        d->socket.Close();
    }
    return fail(port, SP_ERR_NO_HARDWARE);
}

// Hands the outbox to the connection, as much as it takes.
int pump(PortRecord* port) {
    NetworkPortData* d = data_of(port);
    if (d->dropped) {
        return fail(port, SP_ERR_NO_HARDWARE);
    }
    if (d->outbox.empty()) {
        return SP_OK;
    }
    const long sent = d->socket.Send(d->outbox.data(), d->outbox.size());
    if (sent < 0) {
        return drop(port);
    }
    d->outbox.erase(d->outbox.begin(), d->outbox.begin() + sent);
    return SP_OK;
}

// Takes what has arrived into the inbox (the codec's answers into the
// outbox). 0, or -14 for a connection that ended.
int receive(PortRecord* port) {
    NetworkPortData* d = data_of(port);
    if (d->dropped) {
        return fail(port, SP_ERR_NO_HARDWARE);
    }
    std::uint8_t raw[kPortQueueSize];
    const long got = d->socket.Receive(raw, sizeof raw);
    if (got < 0) {
        return drop(port);
    }
    if (got == 0) {
        return SP_OK;
    }
    const auto n = static_cast<std::size_t>(got);
    if (!d->telnet) {
        d->inbox.insert(d->inbox.end(), raw, raw + n);
        return SP_OK;
    }
    std::vector<std::uint8_t> replies;
    d->codec.Receive(raw, n, d->inbox, replies);
    if (!replies.empty()) {
        d->outbox.insert(d->outbox.end(), replies.begin(), replies.end());
        return pump(port);
    }
    return SP_OK;
}

// Refills the read-ahead when it is empty (see ReadAhead::fill): what the
// inbox holds, else what the connection has.
int fill_ahead(PortRecord* port) {
    NetworkPortData* d = data_of(port);
    return d->ahead.fill([port, d](std::uint8_t* buffer, std::uint32_t size) {
        if (d->inbox.empty()) {
            const int code = receive(port);
            if (code < 0) {
                return code;
            }
        }
        const std::size_t n = d->inbox.size() < size ? d->inbox.size() : size;
        std::copy_n(d->inbox.begin(), n, buffer);
        d->inbox.erase(d->inbox.begin(), d->inbox.begin() + static_cast<std::ptrdiff_t>(n));
        return static_cast<int>(n);
    });
}

int net_read_block(PortRecord* port, std::uint8_t* buffer, std::uint32_t n) {
    return read_block_ahead(port, data_of(port)->ahead, buffer, n, fill_ahead);
}

int net_read_byte(PortRecord* port) {
    return read_byte_ahead(port, data_of(port)->ahead, fill_ahead);
}

int net_rx_used(PortRecord* port) {
    return fill_ahead(port);
}

int net_rx_free(PortRecord* port) {
    return free_room(net_rx_used(port), kPortQueueSize);
}

// The transmit queue is the outbox, which holds kPortQueueSize bytes.
int net_write_block(PortRecord* port, const std::uint8_t* data, std::uint32_t n) {
    NetworkPortData* d = data_of(port);
    port->count = 0;
    if (d->dropped) {
        return fail(port, SP_ERR_NO_HARDWARE);
    }
    const std::uint32_t room =
        queue_room(static_cast<std::uint32_t>(d->outbox.size()), kPortQueueSize);
    const std::uint32_t m = n < room ? n : room;
    if (d->telnet) {
        TelnetCodec::Escape(data, m, d->outbox);
    } else {
        d->outbox.insert(d->outbox.end(), data, data + m);
    }
    const int code = pump(port);
    if (code < 0) {
        return code;
    }
    port->count = m;
    return m == n ? SP_OK : fail(port, SP_ERR_TX_FULL);
}

int net_write_byte(PortRecord* port, std::uint8_t byte) {
    return net_write_block(port, &byte, 1);
}

int net_tx_used(PortRecord* port) {
    const int code = pump(port);
    return code < 0 ? code : static_cast<int>(data_of(port)->outbox.size());
}

int net_tx_free(PortRecord* port) {
    return free_room(net_tx_used(port), kPortQueueSize);
}

// What went to the network cannot be called back, and the outbox may hold
// half a Telnet command: it is only sent on.
int net_clear_tx(PortRecord* port) {
    return pump(port);
}

// Direction and modem lines are the device server's (see the header).
int net_accept_line(PortRecord*, bool) {
    return SP_OK;
}

int net_no_lines(PortRecord*) {
    return 0;
}

bool open_time_left(PortRecord* port) {
    return elapsed_ms(data_of(port)->opened_at) < kNetworkOpenLimitMs;
}

int net_set_params(PortRecord* port, std::int32_t baud, char parity, int data_bits, int stop_bits) {
    NetworkPortData* d = data_of(port);
    if (baud > kMaxBaud || baud <= 0) {
        return fail(port, SP_ERR_BAD_BAUD);
    }
    if (TelnetCodec::ParityNumber(parity) == 0) {
        return fail(port, SP_ERR_BAD_PARITY);
    }
    if (data_bits < 5 || data_bits > 8) {
        return fail(port, SP_ERR_BAD_WORD_LENGTH);
    }
    if (stop_bits != 1 && stop_bits != 2) {
        return fail(port, SP_ERR_BAD_STOP_BITS);
    }
    d->baud = baud;
    d->parity = upper(parity);
    d->data_bits = data_bits;
    d->stop_bits = stop_bits;
    if (!d->telnet) {
        return port->status; // the device's own settings
    }
    const std::vector<std::uint8_t> settings =
        TelnetCodec::LineSettings(static_cast<std::uint32_t>(baud), data_bits, parity, stop_bits);
    d->outbox.insert(d->outbox.end(), settings.begin(), settings.end());
    // The server answers each setting with the value now in force. Data that
    // comes meanwhile stays in the inbox for the link layer.
    d->opened_at = d->opened_at != 0 ? d->opened_at : tick_ms();
    const ReportedLine& r = d->codec.Reported();
    for (;;) {
        int code = pump(port);
        if (code == SP_OK) {
            code = receive(port);
        }
        if (code < 0) {
            return code;
        }
        if (d->codec.ComPortRefused()) {
            port->open_error = static_cast<std::int32_t>(NetworkOpenFailure::NoComPort);
            return fail(port, SP_ERR_NOT_SUPPORTED);
        }
        if (r.baud && r.dataSize && r.parity && r.stopSize) {
            break;
        }
        if (!open_time_left(port) || call_idle_hook(port) < 0) {
            port->open_error = static_cast<std::int32_t>(NetworkOpenFailure::NoAnswer);
            return fail(port, SP_ERR_NOT_SUPPORTED);
        }
        d->socket.WaitReadable(10);
    }
    int refused = SP_OK;
    if (*r.baud != static_cast<std::uint32_t>(baud)) {
        refused = SP_ERR_BAD_BAUD;
    } else if (*r.dataSize != data_bits) {
        refused = SP_ERR_BAD_WORD_LENGTH;
    } else if (*r.parity != TelnetCodec::ParityNumber(parity)) {
        refused = SP_ERR_BAD_PARITY;
    } else if (*r.stopSize != stop_bits) {
        refused = SP_ERR_BAD_STOP_BITS;
    }
    if (refused != SP_OK) {
        port->open_error = static_cast<std::int32_t>(NetworkOpenFailure::SettingsRefused);
        return fail(port, refused);
    }
    return port->status;
}

void net_wait_input(PortRecord* port, std::uint32_t max_ms) {
    NetworkPortData* d = data_of(port);
    if (d->ahead.held() > 0 || !d->inbox.empty() || d->dropped) {
        return;
    }
    pump(port);
    d->socket.WaitReadable(max_ms);
}

int net_dump_status(PortRecord* port, TextPrinter print, void* context) {
    if (print == nullptr) {
        return SP_OK;
    }
    NetworkPortData* d = data_of(port);
    char line[320];
    std::snprintf(line, sizeof line, "COM%d: %s, %d baud, %d data bits, parity %c, %d stop bits%s",
                  port->port_index + 1, d->device.c_str(), d->baud, d->data_bits, d->parity,
                  d->stop_bits, d->telnet ? "" : " (the device's own settings)");
    print(context, line);
    std::snprintf(line, sizeof line,
                  "transmit queue %zu of %u, receive queue %zu of %u, status %d%s",
                  d->outbox.size(), kPortQueueSize, d->inbox.size() + d->ahead.held(),
                  kPortQueueSize, port->status, d->dropped ? ", connection ended" : "");
    print(context, line);
    return SP_OK;
}

int net_close(PortRecord* port) {
    NetworkPortData* d = data_of(port);
    if (d != nullptr) {
        if (!d->dropped) {
            pump(port); // what waits for the connection, as far as it takes it now
        }
        delete d;
    }
    free_port_record(port);
    return SP_OK;
}

void install_slots(PortRecord* port) {
    port->read_byte = net_read_byte;
    port->write_byte = net_write_byte;
    port->close = net_close;
    port->set_params = net_set_params;
    port->set_dtr = net_accept_line;
    port->set_rts = net_accept_line;
    port->tx_free = net_tx_free;
    port->tx_used = net_tx_used;
    port->rx_free = net_rx_free;
    port->rx_used = net_rx_used;
    port->clear_tx = net_clear_tx;
    port->write_block = net_write_block;
    port->read_block = net_read_block;
    port->dump_status = net_dump_status;
    port->modem_status = net_no_lines;
    port->line_status = net_no_lines;
    port->clear_line_status = net_no_lines;
    port->wait_input = net_wait_input;
}

bool connect_step(void* context) {
    return call_idle_hook(static_cast<PortRecord*>(context)) >= 0;
}

std::string with_device(const std::string& device, std::string_view what) {
    return device + ": " + std::string(what);
}

} // namespace

PortRecord* open_network_port(std::int32_t port_index, const std::string& device, std::int32_t baud,
                              char parity, int data_bits, int stop_bits) {
    PortRecord* port = allocate_port_record(port_index);
    if (port == nullptr) {
        return nullptr;
    }
    const std::optional<NetworkAddress> address = parse_network_device(device);
    if (!address || !address->valid) {
        port->open_error = static_cast<std::int32_t>(NetworkOpenFailure::BadAddress);
        port->status = SP_ERR_BAD_PORT;
        return port;
    }
    auto* d = new (std::nothrow) NetworkPortData{};
    if (d == nullptr) {
        port->status = SP_ERR_NO_MEMORY;
        return port;
    }
    d->device = device;
    d->telnet = address->kind == NetworkAddress::Kind::Rfc2217;
    d->opened_at = tick_ms();
    if (!d->socket.Connect(address->host, address->port, kNetworkOpenLimitMs, connect_step, port)) {
        port->open_error = static_cast<std::int32_t>(d->socket.failure());
        port->status = SP_ERR_NO_HARDWARE;
        delete d;
        return port;
    }
    port->driver_data = d;
    port->status = SP_OK;
    install_slots(port);
    if (d->telnet) {
        d->outbox = TelnetCodec::Greeting();
    }
    net_set_params(port, baud, parity, data_bits, stop_bits);
    return port;
}

std::string DescribeNetworkFailure(const std::string& device, int code, std::int32_t openError) {
    switch (openError) {
    case static_cast<std::int32_t>(NetworkOpenFailure::BadAddress):
        return with_device(device, "neplatná adresa (má být rfc2217://počítač:port "
                                   "nebo tcp://počítač:port)"_cp);
    case static_cast<std::int32_t>(NetworkOpenFailure::NoComPort):
        return with_device(device, "server nepodporuje RFC 2217 (surový port je tcp://)"_cp);
    case static_cast<std::int32_t>(NetworkOpenFailure::NoAnswer):
        return with_device(device, "server nepotvrdil nastavení linky do 2 s"_cp);
    case static_cast<std::int32_t>(NetworkOpenFailure::SettingsRefused):
        return device + std::string(" odmítl nastavení linky (chyba "_cp) + std::to_string(code) +
               ")";
    case static_cast<std::int32_t>(SocketFailure::NoSuchHost):
        return with_device(device, "počítač nelze najít"_cp);
    case static_cast<std::int32_t>(SocketFailure::Refused):
        return with_device(device, "spojení odmítnuto (na portu nikdo nenaslouchá)"_cp);
    case static_cast<std::int32_t>(SocketFailure::TimedOut):
        return with_device(device, "spojení se nenavázalo do 2 s"_cp);
    case static_cast<std::int32_t>(SocketFailure::Unreachable):
        return with_device(device, "počítač není dosažitelný"_cp);
    case static_cast<std::int32_t>(SocketFailure::NotAllowed):
        return with_device(device, "systém nepovoluje síťové spojení"_cp);
    case static_cast<std::int32_t>(SocketFailure::Closed):
        return with_device(device, "server ukončil spojení"_cp);
    case static_cast<std::int32_t>(SocketFailure::Reset):
        return with_device(device, "spojení přerušeno"_cp);
    default:
        return with_device(device, "chyba sítě (chyba "_cp) + std::to_string(code) + ")";
    }
}

} // namespace kelmora
