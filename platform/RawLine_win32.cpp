// The line on Windows: a COM port, opened exclusively (Windows shares none),
// with reads that take only what has arrived and an event that wakes a wait
// from another thread. Windows has no pseudo-terminals: the simulator serves
// a COM port that a null-modem cable or a virtual COM pair joins to
// Kelmora's.
//
// A wait looks at the receive queue every millisecond (the timer period is
// raised to 1 ms while the line is open), as Kelmora's own port driver does:
// waiting on comm events would not be any sooner, and cancelling one
// in flight at close has its own pitfalls.
#include "platform/RawLine.h"

// clang-format off
#include <windows.h>
#include <mmsystem.h> // needs the types of windows.h
// clang-format on

#include <algorithm>
#include <utility>

namespace kelmora {

struct RawLine::System {
    HANDLE port = INVALID_HANDLE_VALUE;
    HANDLE wake = nullptr; // auto-reset
    bool timer_period_raised = false;
};

namespace {

// A write that the line does not take within this time returns what it
// took; the rest waits for the next pass (never long on a line without flow
// control, and the serving thread stays free for a stop).
constexpr DWORD kWriteTimeoutMs = 20;

// What the system says about `code`, in the system's language.
std::string system_text(DWORD code) {
    char* buffer = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = n > 0 && buffer != nullptr ? std::string(buffer, n) : std::string();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.' ||
                             text.back() == ' ')) {
        text.pop_back();
    }
    return text.empty() ? "system error " + std::to_string(code) : text;
}

std::string last_error_text() {
    return system_text(GetLastError());
}

// "COM2" as the user writes it, "\\.\COM2" as the system opens it (the only
// form that reaches COM10 and above).
std::string device_path(const std::string& name) {
    return name.rfind("\\\\.\\", 0) == 0 ? name : "\\\\.\\" + name;
}

std::string open_error(const std::string& name) {
    const DWORD code = GetLastError();
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return "cannot open " + name + ": there is no such port on this computer";
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return "cannot open " + name + ": another program holds it";
    default:
        return "cannot open " + name + ": " + system_text(code);
    }
}

// Raw: the speed, 8 data bits, one stop bit, no parity or mark parity
// (sent, not checked), no flow control of any kind, no byte replaced.
bool set_up(HANDLE port, int baud, bool mark) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb)) {
        return false;
    }
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = 8;
    dcb.Parity = mark ? MARKPARITY : NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(port, &dcb)) {
        return false;
    }
    // Reads return at once with what has arrived; reads ask only for that.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    return SetCommTimeouts(port, &timeouts) != 0 &&
           PurgeComm(port, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR) != 0;
}

} // namespace

RawLine::RawLine(std::unique_ptr<System> system, std::string path, bool is_pty)
    : system_(std::move(system)), path_(std::move(path)), is_pty_(is_pty) {}

RawLine::~RawLine() {
    if (system_->port != INVALID_HANDLE_VALUE) {
        CloseHandle(system_->port);
    }
    if (system_->wake != nullptr) {
        CloseHandle(system_->wake);
    }
    if (system_->timer_period_raised) {
        timeEndPeriod(1);
    }
}

std::unique_ptr<RawLine> RawLine::open_pty(const std::string& link, std::string& error) {
    error = std::string("Windows has no pseudo-terminals") +
            (link.empty() ? "" : ", so there is nothing to link " + link + " to") +
            ": give the COM port to serve with --device, such as --device COM2, and join it to "
            "Kelmora's port with a null-modem cable or a virtual COM pair";
    return nullptr;
}

std::unique_ptr<RawLine> RawLine::open_device(const std::string& path, int baud, bool mark,
                                              std::string& error) {
    auto system = std::make_unique<System>();
    system->port = CreateFileA(device_path(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    if (system->port == INVALID_HANDLE_VALUE) {
        error = open_error(path);
        return nullptr;
    }
    system->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (system->wake == nullptr) {
        error = "cannot make a wake-up event: " + last_error_text();
        CloseHandle(system->port);
        return nullptr;
    }
    system->timer_period_raised = timeBeginPeriod(1) == TIMERR_NOERROR;
    std::unique_ptr<RawLine> line(new RawLine(std::move(system), path, false));
    if (GetFileType(line->system_->port) != FILE_TYPE_CHAR) {
        error = path + " is not a serial device";
        return nullptr;
    }
    if (!set_up(line->system_->port, baud, mark)) {
        error = "cannot set up " + path + ": " + last_error_text();
        return nullptr;
    }
    return line;
}

RawLine::Status RawLine::read_available(std::string& out) {
    char buffer[4096];
    for (;;) {
        DWORD errors = 0;
        COMSTAT stat{};
        if (!ClearCommError(system_->port, &errors, &stat)) {
            error_ = last_error_text();
            return Status::Failed;
        }
        if (stat.cbInQue == 0) {
            return Status::Ok;
        }
        const DWORD want = std::min<DWORD>(stat.cbInQue, sizeof buffer);
        DWORD got = 0;
        if (!ReadFile(system_->port, buffer, want, &got, nullptr)) {
            error_ = last_error_text();
            return Status::Failed;
        }
        if (got == 0) {
            return Status::Ok;
        }
        out.append(buffer, got);
    }
}

RawLine::Status RawLine::write_some(std::string_view bytes, std::size_t& written) {
    written = 0;
    DWORD n = 0;
    const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), MAXDWORD));
    if (!WriteFile(system_->port, bytes.data(), size, &n, nullptr)) {
        // A write that timed out has still taken its first bytes.
        if (GetLastError() != ERROR_SEM_TIMEOUT && GetLastError() != ERROR_TIMEOUT) {
            error_ = last_error_text();
            return Status::Failed;
        }
    }
    written = n;
    return Status::Ok;
}

RawLine::Status RawLine::wait(std::optional<std::chrono::nanoseconds> timeout, bool want_room,
                              bool watch_line, Ready& ready) {
    using std::chrono::steady_clock;
    ready = {};
    const auto end = timeout ? std::optional(steady_clock::now() + *timeout) : std::nullopt;
    for (;;) {
        if (watch_line) {
            DWORD errors = 0;
            COMSTAT stat{};
            // A failure here is the next read's to report.
            if (!ClearCommError(system_->port, &errors, &stat) || stat.cbInQue > 0) {
                ready.input = true;
                return Status::Ok;
            }
        }
        DWORD slice = 1;
        if (end) {
            const auto left = *end - steady_clock::now();
            if (left <= std::chrono::nanoseconds::zero()) {
                // A write that did not take everything is tried again now.
                ready.room = want_room;
                return Status::Ok;
            }
            if (!watch_line) {
                slice =
                    static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
            }
        } else if (!watch_line) {
            slice = INFINITE;
        }
        switch (WaitForSingleObject(system_->wake, slice)) {
        case WAIT_OBJECT_0:
            return Status::Ok;
        case WAIT_TIMEOUT:
            break;
        default:
            error_ = last_error_text();
            return Status::Failed;
        }
    }
}

void RawLine::wake() {
    SetEvent(system_->wake);
}

bool RawLine::hung_up() {
    return false; // a COM port has no other side to lose
}

} // namespace kelmora
