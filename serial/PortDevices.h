// Which device stands behind a COM index on POSIX. The engine fills the table
// from the INI section [Porty] (keys COM1 to COM32); tests put a pty's path
// there. An index without an entry is /dev/ttyS<index>. Windows ignores the
// table and opens \\.\COM<index+1>. Paths are Windows-1250 text like every
// other path inside Kelmora.
#pragma once

#include <cstdint>
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

} // namespace kelmora
