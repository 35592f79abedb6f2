// The POSIX backend of the port driver: a termios device named by the device
// table, opened exclusively, in raw mode, never blocking.
#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/Path.h"
#include "serial/Backend.h"
#include "serial/OpenFailure.h"
#include "serial/PortDevices.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/major.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <new>

namespace kelmora {

using namespace kelmora::literals;

namespace {

struct PosixPortData {
    int fd = -1;
    bool marked = false; // TIOCEXCL set by this open
    termios settings{};
    std::uint32_t rx_queue_size = kPortQueueSize;
    std::uint32_t tx_queue_size = kPortQueueSize;
    // The line settings last applied, for the status dump.
    std::int32_t baud = 0;
    char parity = 'N';
    int data_bits = 8;
    int stop_bits = 1;
    backend::ReadAhead ahead;      // what has arrived and is not yet taken
    std::int64_t last_byte_ns = 0; // when a wait last ended with bytes
};

using namespace backend;

constexpr auto data_of = &driver_data<PosixPortData>;

// Bytes that come within this time of the last ones are a stream.
constexpr std::int64_t kStreamGapNs = 3'000'000;
// The longest a wait inside a stream gathers bytes after the first came.
constexpr std::int64_t kMostGatherNs = 4'000'000;

std::int64_t monotonic_ns() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// A device that hung up (a USB adapter pulled out, the far side of a pty
// closed) answers EIO, or end of file; both mean the port is gone.
int io_error() {
    const int error = errno;
    return error == EIO ? SP_ERR_NO_HARDWARE : map_errno(error);
}

bool hung_up(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

speed_t speed_constant(std::int32_t baud) {
    switch (baud) {
    case 50:
        return B50;
    case 75:
        return B75;
    case 110:
        return B110;
    case 134:
        return B134;
    case 150:
        return B150;
    case 200:
        return B200;
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 1800:
        return B1800;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0;
    }
}

tcflag_t size_flag(int data_bits) {
    switch (data_bits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    case 8:
        return CS8;
    default:
        return 0;
    }
}

// Raw mode: every byte passes unchanged both ways (no software flow control,
// so 0x11 and 0x13 pass; no CR/LF translation, no signals, no echo, no parity
// checking of received bytes); a read returns at once with what has arrived.
void make_raw(termios& t) {
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR |
                                        IGNCR | ICRNL | IXON | IXOFF | IXANY | IMAXBEL);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD | HUPCL;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
}

void set_modem_line(int fd, int line, bool on) {
    // A pty has no modem lines and refuses; as with any refusal, nothing to do.
    ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line);
}

// Refills the read-ahead when it is empty, with everything the device has
// (see ReadAhead::fill).
int fill_ahead(PortRecord* port) {
    PosixPortData* d = data_of(port);
    return d->ahead.fill([port, d](std::uint8_t* buffer, std::uint32_t size) {
        int waiting = 0;
        if (ioctl(d->fd, FIONREAD, &waiting) != 0) {
            return fail(port, io_error());
        }
        if (waiting <= 0) {
            return hung_up(d->fd) ? fail(port, SP_ERR_NO_HARDWARE) : 0;
        }
        const ssize_t got = read(d->fd, buffer, size);
        if (got > 0) {
            return static_cast<int>(got);
        }
        if (got == 0) {
            return fail(port, SP_ERR_NO_HARDWARE);
        }
        return errno == EAGAIN || errno == EINTR ? 0 : fail(port, io_error());
    });
}

int posix_read_block(PortRecord* port, std::uint8_t* buffer, std::uint32_t n) {
    return read_block_ahead(port, data_of(port)->ahead, buffer, n, fill_ahead);
}

int posix_read_byte(PortRecord* port) {
    return read_byte_ahead(port, data_of(port)->ahead, fill_ahead);
}

// The transmit queue holds kPortQueueSize bytes: the room is what the kernel's
// output queue leaves of it. Never waits for bytes to leave the wire.
int posix_write_block(PortRecord* port, const std::uint8_t* data, std::uint32_t n) {
    PosixPortData* d = data_of(port);
    port->count = 0;
    int queued = 0;
    if (ioctl(d->fd, TIOCOUTQ, &queued) != 0) {
        return fail(port, io_error());
    }
    const std::uint32_t room =
        queue_room(static_cast<std::uint32_t>(queued < 0 ? 0 : queued), d->tx_queue_size);
    const std::uint32_t m = n < room ? n : room;
    if (m > 0) {
        const ssize_t written = write(d->fd, data, m);
        if (written > 0) {
            port->count = static_cast<std::uint32_t>(written);
        } else if (written < 0 && errno != EAGAIN && errno != EINTR) {
            return fail(port, io_error());
        }
    }
    if (port->count == n) {
        return SP_OK;
    }
    return fail(port, SP_ERR_TX_FULL);
}

int posix_write_byte(PortRecord* port, std::uint8_t byte) {
    return posix_write_block(port, &byte, 1);
}

int posix_set_params(PortRecord* port, std::int32_t baud, char parity, int data_bits,
                     int stop_bits) {
    PosixPortData* d = data_of(port);
    if (baud > kMaxBaud) {
        return fail(port, SP_ERR_BAD_BAUD);
    }
    termios t = d->settings;
    t.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CMSPAR | CSTOPB | CSIZE);
    const char letter = upper(parity);
    switch (letter) {
    case 'E':
        t.c_cflag |= PARENB;
        break;
    case 'O':
        t.c_cflag |= PARENB | PARODD;
        break;
    case 'M':
        t.c_cflag |= PARENB | PARODD | CMSPAR;
        break;
    case 'S':
        t.c_cflag |= PARENB | CMSPAR;
        break;
    case 'N':
        break;
    default:
        return fail(port, SP_ERR_BAD_PARITY);
    }
    if (stop_bits == 2) {
        t.c_cflag |= CSTOPB;
    } else if (stop_bits != 1) {
        return fail(port, SP_ERR_BAD_STOP_BITS);
    }
    // Only the standard speeds exist for termios; any other is refused.
    const speed_t speed = speed_constant(baud);
    if (speed == B0) {
        return fail(port, SP_ERR_BAD_BAUD);
    }
    const tcflag_t size = size_flag(data_bits);
    if (size == 0) {
        return fail(port, SP_ERR_BAD_WORD_LENGTH);
    }
    t.c_cflag |= size;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    if (tcsetattr(d->fd, TCSANOW, &t) != 0) {
        return fail(port, io_error());
    }
    // tcsetattr succeeds when any part of the change took; the speed must.
    termios applied{};
    if (tcgetattr(d->fd, &applied) != 0) {
        return fail(port, io_error());
    }
    if (cfgetospeed(&applied) != speed) {
        return fail(port, SP_ERR_BAD_BAUD);
    }
    d->settings = t;
    d->baud = baud;
    d->parity = letter;
    d->data_bits = data_bits;
    d->stop_bits = stop_bits;
    return port->status;
}

int apply_settings(PortRecord* port, const termios& t) {
    PosixPortData* d = data_of(port);
    if (tcsetattr(d->fd, TCSANOW, &t) != 0) {
        return fail(port, io_error());
    }
    d->settings = t;
    return SP_OK;
}

int posix_use_xon_xoff(PortRecord* port, bool on) {
    termios t = data_of(port)->settings;
    const auto flags = static_cast<tcflag_t>(IXON | IXOFF);
    t.c_iflag = on ? (t.c_iflag | flags) : (t.c_iflag & ~flags);
    return apply_settings(port, t);
}

int posix_use_rts_cts(PortRecord* port, bool on) {
    termios t = data_of(port)->settings;
    t.c_cflag = on ? (t.c_cflag | CRTSCTS) : (t.c_cflag & ~static_cast<tcflag_t>(CRTSCTS));
    return apply_settings(port, t);
}

int posix_set_dtr(PortRecord* port, bool on) {
    set_modem_line(data_of(port)->fd, TIOCM_DTR, on);
    return SP_OK;
}

int posix_set_rts(PortRecord* port, bool on) {
    set_modem_line(data_of(port)->fd, TIOCM_RTS, on);
    return SP_OK;
}

int posix_tx_used(PortRecord* port) {
    int queued = 0;
    if (ioctl(data_of(port)->fd, TIOCOUTQ, &queued) != 0) {
        return fail(port, io_error());
    }
    return queued;
}

int posix_tx_free(PortRecord* port) {
    return free_room(posix_tx_used(port), data_of(port)->tx_queue_size);
}

// The bytes read ahead, or when there are none, what the device has: read
// ahead at once, so the bytes that follow cost no system call.
int posix_rx_used(PortRecord* port) {
    return fill_ahead(port);
}

int posix_rx_free(PortRecord* port) {
    return free_room(posix_rx_used(port), data_of(port)->rx_queue_size);
}

int posix_clear_tx(PortRecord* port) {
    if (tcflush(data_of(port)->fd, TCOFLUSH) != 0) {
        return fail(port, io_error());
    }
    return SP_OK;
}

int posix_modem_status(PortRecord* port) {
    int lines = 0;
    if (ioctl(data_of(port)->fd, TIOCMGET, &lines) != 0) {
        return fail(port, io_error());
    }
    int bits = 0;
    bits |= (lines & TIOCM_CTS) != 0 ? kModemCts : 0;
    bits |= (lines & TIOCM_DSR) != 0 ? kModemDsr : 0;
    bits |= (lines & TIOCM_RI) != 0 ? kModemRing : 0;
    bits |= (lines & TIOCM_CD) != 0 ? kModemDcd : 0;
    return bits;
}

int posix_dump_status(PortRecord* port, TextPrinter print, void* context) {
    if (print == nullptr) {
        return SP_OK;
    }
    PosixPortData* d = data_of(port);
    char line[160];
    std::snprintf(line, sizeof line, "COM%d: %d baud, %d data bits, parity %c, %d stop bits",
                  port->port_index + 1, d->baud, d->data_bits, d->parity, d->stop_bits);
    print(context, line);
    int queued = 0;
    int waiting = 0;
    ioctl(d->fd, TIOCOUTQ, &queued);
    ioctl(d->fd, FIONREAD, &waiting);
    waiting += static_cast<int>(d->ahead.held());
    std::snprintf(line, sizeof line, "transmit queue %d of %u, receive queue %d of %u, status %d",
                  queued, d->tx_queue_size, waiting, d->rx_queue_size, port->status);
    print(context, line);
    int lines = 0;
    if (ioctl(d->fd, TIOCMGET, &lines) == 0) {
        std::snprintf(line, sizeof line, "DTR %d RTS %d CTS %d DSR %d DCD %d RI %d",
                      (lines & TIOCM_DTR) != 0, (lines & TIOCM_RTS) != 0, (lines & TIOCM_CTS) != 0,
                      (lines & TIOCM_DSR) != 0, (lines & TIOCM_CD) != 0, (lines & TIOCM_RI) != 0);
    } else {
        std::snprintf(line, sizeof line, "modem lines unknown");
    }
    print(context, line);
    return SP_OK;
}

int posix_send_break(PortRecord* port, std::uint32_t ms) {
    const int fd = data_of(port)->fd;
    if (ioctl(fd, TIOCSBRK) != 0) {
        return SP_OK;
    }
    idle_wait_ms(port, ms);
    ioctl(fd, TIOCCBRK);
    return SP_OK;
}

int posix_close(PortRecord* port) {
    PosixPortData* d = data_of(port);
    int result = SP_OK;
    if (d != nullptr) {
        set_modem_line(d->fd, TIOCM_DTR, false);
        set_modem_line(d->fd, TIOCM_RTS, false);
        // With the direction turned to receive nothing queued can reach a
        // terminal any more; dropping it spares the kernel's wait for it.
        tcflush(d->fd, TCOFLUSH);
        if (d->marked) {
            ioctl(d->fd, TIOCNXCL);
        }
        if (::close(d->fd) != 0 && errno != EINTR) {
            result = map_system_error();
        }
        delete d;
    }
    free_port_record(port);
    return result;
}

// Waits for a byte. A byte that comes within moments of the last ones is part
// of a stream, and the wait lets a few more arrive before it returns, so that
// a long answer wakes the program for a handful of bytes at a time, not for
// every byte; a byte after a silence (an acknowledgement) is returned at once.
void posix_wait_input(PortRecord* port, std::uint32_t max_ms) {
    PosixPortData* d = data_of(port);
    if (d->ahead.held() > 0) {
        return;
    }
    const std::int64_t start = monotonic_ns();
    pollfd p{d->fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(max_ms)) <= 0 || (p.revents & POLLIN) == 0) {
        return;
    }
    const std::int64_t now = monotonic_ns();
    // A byte that comes hard on the heels of the last ones is part of a stream.
    const bool streaming = now - d->last_byte_ns < kStreamGapNs;
    d->last_byte_ns = now;
    if (!streaming || d->baud <= 0) {
        return;
    }
    // Eight bytes' time on the wire, at most what is left of the wait and of
    // the longest gather.
    const std::int64_t bytesNs = 8LL * 11 * 1'000'000'000 / d->baud;
    const std::int64_t leftNs = static_cast<std::int64_t>(max_ms) * 1'000'000 - (now - start);
    const std::int64_t gatherNs = std::min({bytesNs, kMostGatherNs, leftNs});
    if (gatherNs > 0) {
        timespec ts{0, static_cast<long>(gatherNs)};
        nanosleep(&ts, nullptr);
        d->last_byte_ns = monotonic_ns();
    }
}

void install_slots(PortRecord* port) {
    port->read_byte = posix_read_byte;
    port->write_byte = posix_write_byte;
    port->close = posix_close;
    port->set_params = posix_set_params;
    port->use_xon_xoff = posix_use_xon_xoff;
    port->use_rts_cts = posix_use_rts_cts;
    port->set_dtr = posix_set_dtr;
    port->set_rts = posix_set_rts;
    port->tx_free = posix_tx_free;
    port->tx_used = posix_tx_used;
    port->rx_free = posix_rx_free;
    port->rx_used = posix_rx_used;
    port->clear_tx = posix_clear_tx;
    port->write_block = posix_write_block;
    port->read_block = posix_read_block;
    port->dump_status = posix_dump_status;
    port->send_break = posix_send_break;
    port->modem_status = posix_modem_status;
    port->wait_input = posix_wait_input;
}

// Whether the device is the far end of a pseudo-terminal (a socat or ser2net
// bridge, the simulator). Its exclusive mark belongs to the terminal pair,
// which the other side keeps alive: it outlives this process, and a restart
// (of any user but root) could never open the line again.
bool is_pseudo_terminal(int fd) {
#ifdef __linux__
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) {
        return false;
    }
    const unsigned m = major(st.st_rdev);
    return m == PTY_SLAVE_MAJOR ||
           (m >= UNIX98_PTY_SLAVE_MAJOR && m < UNIX98_PTY_SLAVE_MAJOR + UNIX98_PTY_MAJOR_COUNT);
#else
    (void)fd;
    return false;
#endif
}

// Opens the device for exclusive use. flock is the lock: it keeps out a
// second open by root and by this same process, and it dies with its holder
// however the holder ends (kill -9, an abort), so a restart finds the line
// free. TIOCEXCL beside it keeps out programs that do not ask for the lock;
// the kernel drops that mark with the device's last close, except on a
// pseudo-terminal, which is therefore not marked. A device another program
// has marked (without flock) is refused too: root's open goes through
// TIOCEXCL, and two programs on one line steal each other's bytes. The
// descriptor, or a code.
// `error` gets the system's error number of a refusal (ENOTTY for a device
// that is no terminal, EBUSY for one another program holds).
int open_device(const std::string& path, int& fd, bool& marked, std::int32_t& error) {
    fd = ::open(system_path(path).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return map_system_error();
    }
    if (isatty(fd) == 0) {
        ::close(fd);
        error = ENOTTY;
        return SP_ERR_NO_HARDWARE;
    }
    int exclusive = 0;
    if (ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) {
        ::close(fd);
        error = EBUSY;
        return SP_ERR_IN_USE;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int refusal = errno;
        ::close(fd);
        error = refusal == EWOULDBLOCK ? EBUSY : refusal;
        return refusal == EWOULDBLOCK ? SP_ERR_IN_USE : map_errno(refusal);
    }
    marked = !is_pseudo_terminal(fd) && ioctl(fd, TIOCEXCL) == 0;
    return SP_OK;
}

} // namespace

int map_system_error() {
    return map_errno(errno);
}

std::string DescribeOpenFailure(std::int32_t port_index, int code, std::int32_t systemError) {
    const std::string device = port_device(port_index);
    switch (systemError) {
    case ENOENT:
    case ENOTDIR:
    case ENODEV:
    case ENXIO:
        return std::string("zařízení "_cp) + device + std::string(" neexistuje"_cp);
    case EISDIR:
        return device + std::string(" je adresář"_cp);
    case ENOTTY:
        return device + std::string(" není sériový port"_cp);
    case EACCES:
        return std::string("přístup k "_cp) + device + std::string(" odepřen"_cp);
    case EPERM:
        // The device's permissions, or a service's device policy.
        return std::string("systém nepovoluje přístup k "_cp) + device;
    case EBUSY:
        return device + std::string(" používá jiný program"_cp);
    case 0:
        break;
    default:
        return device + std::string(": chyba systému "_cp) + std::to_string(systemError);
    }
    switch (code) {
    case SP_ERR_BAD_BAUD:
    case SP_ERR_BAD_PARITY:
    case SP_ERR_BAD_WORD_LENGTH:
    case SP_ERR_BAD_STOP_BITS:
        return device + std::string(" odmítl nastavení linky (chyba "_cp) + std::to_string(code) +
               ")";
    default:
        return device + ": chyba " + std::to_string(code);
    }
}

PortRecord* open_port(std::int32_t port_index, std::int32_t baud, char parity, int data_bits,
                      int stop_bits) {
    PortRecord* port = allocate_port_record(port_index);
    if (port == nullptr) {
        return nullptr;
    }
    auto* d = new (std::nothrow) PosixPortData{};
    if (d == nullptr) {
        port->status = SP_ERR_NO_MEMORY;
        return port;
    }
    const std::string path = port_device(port_index);
    if (path.empty()) {
        delete d;
        port->status = SP_ERR_BAD_PORT;
        return port;
    }
    const int opened = open_device(path, d->fd, d->marked, port->open_error);
    if (opened != SP_OK) {
        delete d;
        port->status = opened;
        return port;
    }
    port->driver_data = d;
    port->status = SP_OK;
    termios t{};
    if (tcgetattr(d->fd, &t) != 0) {
        port->status = io_error();
    } else {
        // Raw from the start, so the port passes every byte even when the
        // line settings below are refused.
        make_raw(t);
        apply_settings(port, t);
    }
    set_modem_line(d->fd, TIOCM_DTR, true);
    set_modem_line(d->fd, TIOCM_RTS, true);
    // Installed whatever set_params answers: the close slot must release the
    // device in every case.
    install_slots(port);
    if (port->status == SP_OK) {
        posix_set_params(port, baud, parity, data_bits, stop_bits);
    }
    return port;
}

} // namespace kelmora
