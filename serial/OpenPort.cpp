// open_port and DescribeOpenFailure: a network port's device name goes to the
// network backend, every other to the platform's serial backend.
#include "serial/Backend.h"
#include "serial/NetworkDriver.h"
#include "serial/OpenFailure.h"
#include "serial/PortDevices.h"

namespace kelmora {

PortRecord* open_port(std::int32_t port_index, std::int32_t baud, char parity, int data_bits,
                      int stop_bits) {
    const std::string device = port_device(port_index);
    if (parse_network_device(device)) {
        return open_network_port(port_index, device, baud, parity, data_bits, stop_bits);
    }
    return backend::open_serial_port(port_index, baud, parity, data_bits, stop_bits);
}

std::string DescribeOpenFailure(std::int32_t port_index, int code, std::int32_t systemError) {
    const std::string device = port_device(port_index);
    if (parse_network_device(device)) {
        return DescribeNetworkFailure(device, code, systemError);
    }
    return backend::describe_serial_failure(port_index, code, systemError);
}

} // namespace kelmora
