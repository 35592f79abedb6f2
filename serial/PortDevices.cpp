#include "serial/PortDevices.h"

#include <array>

namespace kelmora {

namespace {

// Process-wide: filled once from the configuration, read at every open.
std::array<std::string, kPortDeviceCount> devices;

} // namespace

bool set_port_device(std::int32_t port_index, std::string_view path) {
    if (port_index < 0 || port_index >= kPortDeviceCount) {
        return false;
    }
    devices[static_cast<std::size_t>(port_index)] = std::string(path);
    return true;
}

std::string port_device(std::int32_t port_index) {
    if (port_index < 0) {
        return {};
    }
    if (port_index < kPortDeviceCount && !devices[static_cast<std::size_t>(port_index)].empty()) {
        return devices[static_cast<std::size_t>(port_index)];
    }
    return "/dev/ttyS" + std::to_string(port_index);
}

void clear_port_devices() {
    for (auto& device : devices) {
        device.clear();
    }
}

} // namespace kelmora
