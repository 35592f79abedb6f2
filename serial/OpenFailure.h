// Why a port did not open, in the event log's words (Windows-1250): the
// device the backend tried and what stood in its way, from the record's code
// and the system's error number (PortRecord::open_error). Each backend
// (PosixDriver.cpp, Win32Driver.cpp) knows its own devices and errors.
#pragma once

#include <cstdint>
#include <string>

namespace kelmora {

// For example "zařízení /dev/ttyUSB0 neexistuje", "/dev/ttyS0 používá jiný
// program"; on Windows "port neexistuje".
std::string DescribeOpenFailure(std::int32_t port_index, int code, std::int32_t systemError);

} // namespace kelmora
