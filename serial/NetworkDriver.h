// Network ports: a COM index whose device is rfc2217://host:port or
// tcp://host:port (serial/PortDevices.h) is a TCP connection to a device
// server, with the same slots as a local port, so everything above the
// driver treats it like any other.
//
// - Opening never holds the program longer than kNetworkOpenLimitMs: the
//   name, the connection and, over RFC 2217, the server's answers to the line
//   settings together (the idle hook runs meanwhile).
// - rfc2217: Kelmora sets the line itself (speed, data bits, parity, stop
//   bits, no flow control, DTR and RTS on) and takes the port only when the
//   server reports back those settings; data bytes go with 0xFF doubled.
//   tcp: the bytes go as they are; the line settings are the device's.
// - RTS is never switched per frame: a device server's RS-485 side turns the
//   direction by itself, and a control sent over the network would act at
//   the server at once, ahead of data still in its queue. set_rts and
//   set_dtr accept and do nothing.
// - A connection the far side closes or breaks is a device that hung up:
//   the operation that finds it, and every one after it, answers -14, like
//   a USB adapter pulled out, so the re-test opens the port again. Keepalive
//   probes find a far side that went away without a word.
#pragma once

#include "serial/PortDevices.h"
#include "serial/PortDriver.h"

#include <cstdint>
#include <string>

namespace kelmora {

inline constexpr std::uint32_t kNetworkOpenLimitMs = 2000;

// What PortRecord::open_error holds for a network port that did not open: a
// SocketFailure (platform/Socket.h) for the connection, or one of these.
enum class NetworkOpenFailure : std::int32_t {
    BadAddress = 100,      // no host or no port in the device name
    NoComPort = 101,       // the server refused the COM port option
    NoAnswer = 102,        // the server did not report the line settings in time
    SettingsRefused = 103, // it reported other settings than those asked for
};

PortRecord* open_network_port(std::int32_t port_index, const std::string& device, std::int32_t baud,
                              char parity, int data_bits, int stop_bits);

// Why a network port did not open, in the event log's words (Windows-1250).
std::string DescribeNetworkFailure(const std::string& device, int code, std::int32_t openError);

} // namespace kelmora
