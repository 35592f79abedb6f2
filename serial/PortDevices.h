// Which device stands behind a COM index. The engine fills the table from the
// INI section [Porty] (keys COM1 to COM32); tests put a pty's path there. An
// entry may name a network port on every platform: rfc2217://host:port (a
// device server speaking Telnet with the COM port option) or tcp://host:port
// (a raw TCP port). Otherwise, on POSIX, an entry is a device path and an
// index without one is /dev/ttyS<index>; Windows opens \\.\COM<index+1>.
// Paths are Windows-1250 text like every other path inside Kelmora.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelmora {

// Entries of the table: COM1 to COM32.
inline constexpr std::int32_t kPortDeviceCount = 32;

// Sets the device of a COM index (0 is COM1); an empty path restores the
// default. False for an index outside the table.
bool set_port_device(std::int32_t port_index, std::string_view path);

// The device path of a COM index; empty for a negative index.
std::string port_device(std::int32_t port_index);

// Forgets every entry.
void clear_port_devices();

// A network port's device name taken apart.
struct NetworkAddress {
    enum class Kind { Rfc2217, Tcp };
    Kind kind = Kind::Tcp;
    std::string host; // a name, an IPv4 address, or an IPv6 address (written in brackets)
    std::uint16_t port = 0;
    bool valid = false; // false: the scheme is there, but no host or no port 1..65535
};

// The parts of a device name that starts with rfc2217:// or tcp:// (either
// case); nothing for any other name.
std::optional<NetworkAddress> parse_network_device(std::string_view device);

} // namespace kelmora
