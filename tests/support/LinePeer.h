// A raw peer on a test serial line (LinePeer): the test plays the device on
// the other side of the cable byte for byte, while the port under test goes
// through the driver.
//
// POSIX: a pseudo-terminal; the port's COM index is pointed at its slave
// through the device table.
//
// Windows (run under Wine): the test program runs inside null-modem
// (tests/wine/null_modem.cpp), which wires two COM ports to each other. The
// port under test is COM<index+1>, the far side is the next COM port, opened
// here with the plain Win32 calls rather than through the driver under test.
// Both COM names are mapped in Wine's registry to links under build/, so no
// test ever reaches a real serial port.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#ifdef _WIN32
#include "platform/Clock.h"

#include <windows.h>

#include <cstdio>
#else
#include "serial/PortDevices.h"
#include "support/PtyPair.h"
#endif

namespace kelmora::testing {

#ifdef _WIN32

class LinePeer {
public:
    // The far end of the line whose near end is COM<port_index+1>.
    explicit LinePeer(std::int32_t port_index) {
        char name[32];
        std::snprintf(name, sizeof name, "\\\\.\\COM%d", static_cast<int>(port_index) + 2);
        handle_ =
            CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) {
            ADD_FAILURE() << "no far side at " << name << " (error " << GetLastError()
                          << "): is the test running inside null-modem?";
            return;
        }
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        GetCommState(handle_, &dcb);
        dcb.BaudRate = 19200;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fParity = FALSE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fNull = FALSE;
        SetCommState(handle_, &dcb);
        // Reads are only ever asked for what has arrived; writes wait.
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        SetCommTimeouts(handle_, &timeouts);
        take_available();
    }
    ~LinePeer() { hang_up(); }
    LinePeer(const LinePeer&) = delete;
    LinePeer& operator=(const LinePeer&) = delete;

    // Nothing to do: null-modem's links already stand for the near end.
    bool attach(std::int32_t) { return handle_ != INVALID_HANDLE_VALUE; }

    void hang_up() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
    }

    void send(const std::vector<std::uint8_t>& bytes) {
        DWORD written = 0;
        if (!WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) ||
            written != bytes.size()) {
            ADD_FAILURE() << "far side cannot write: " << GetLastError();
        }
    }

    // Whatever has arrived, without waiting.
    std::vector<std::uint8_t> take_available() {
        std::vector<std::uint8_t> out;
        for (DWORD waiting; (waiting = waiting_bytes()) > 0;) {
            std::vector<std::uint8_t> buffer(waiting);
            DWORD got = 0;
            if (!ReadFile(handle_, buffer.data(), waiting, &got, nullptr) || got == 0) {
                break;
            }
            out.insert(out.end(), buffer.begin(), buffer.begin() + got);
        }
        return out;
    }

    // Exactly n bytes, or fewer when they stop coming for `quiet_ms`.
    std::vector<std::uint8_t> receive(std::size_t n, int quiet_ms = 2000) {
        std::vector<std::uint8_t> out;
        std::uint32_t quiet_since = tick_ms();
        while (out.size() < n && elapsed_ms(quiet_since) < static_cast<std::uint32_t>(quiet_ms)) {
            const DWORD waiting = waiting_bytes();
            if (waiting == 0) {
                Sleep(1);
                continue;
            }
            const DWORD want =
                static_cast<DWORD>(n - out.size() < waiting ? n - out.size() : waiting);
            std::vector<std::uint8_t> buffer(want);
            DWORD got = 0;
            if (!ReadFile(handle_, buffer.data(), want, &got, nullptr)) {
                break;
            }
            out.insert(out.end(), buffer.begin(), buffer.begin() + got);
            quiet_since = tick_ms();
        }
        return out;
    }

private:
    DWORD waiting_bytes() {
        DWORD errors = 0;
        COMSTAT stat{};
        return ClearCommError(handle_, &errors, &stat) ? stat.cbInQue : 0;
    }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

#else

class LinePeer {
public:
    explicit LinePeer(std::int32_t) {}

    // Points the COM index at this line's device.
    bool attach(std::int32_t port_index) { return set_port_device(port_index, pty_.path()); }

    // The far side hangs up: the near end sees what a pulled adapter looks like.
    void hang_up() { pty_.close_master(); }

    void send(const std::vector<std::uint8_t>& bytes) { pty_.send(bytes); }
    std::vector<std::uint8_t> take_available() { return pty_.take_available(); }
    std::vector<std::uint8_t> receive(std::size_t n, int quiet_ms = 2000) {
        return pty_.receive(n, quiet_ms);
    }

private:
    PtyPair pty_;
};

#endif

} // namespace kelmora::testing
