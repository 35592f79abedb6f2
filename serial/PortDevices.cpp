#include "serial/PortDevices.h"

#include <array>
#include <cctype>

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

namespace {

bool starts_with_nocase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

// 1 to 65535 in decimal digits only; 0 for anything else.
std::uint16_t port_number(std::string_view digits) {
    if (digits.empty() || digits.size() > 5) {
        return 0;
    }
    unsigned value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return 0;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value <= 65535 ? static_cast<std::uint16_t>(value) : 0;
}

} // namespace

std::optional<NetworkAddress> parse_network_device(std::string_view device) {
    NetworkAddress address;
    std::string_view rest;
    if (starts_with_nocase(device, "rfc2217://")) {
        address.kind = NetworkAddress::Kind::Rfc2217;
        rest = device.substr(10);
    } else if (starts_with_nocase(device, "tcp://")) {
        address.kind = NetworkAddress::Kind::Tcp;
        rest = device.substr(6);
    } else {
        return std::nullopt;
    }
    // A slash after the port is tolerated (rfc2217://host:port/).
    if (!rest.empty() && rest.back() == '/') {
        rest.remove_suffix(1);
    }
    std::string_view host;
    std::string_view port;
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':') {
            return address;
        }
        host = rest.substr(1, close - 1);
        port = rest.substr(close + 2);
    } else {
        const std::size_t colon = rest.rfind(':');
        if (colon == std::string_view::npos) {
            return address;
        }
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
        if (host.find(':') != std::string_view::npos) {
            return address; // an IPv6 address needs its brackets
        }
    }
    for (const char c : host) {
        if (c == '/' || c == '@' || c == ' ' || c == '\0') {
            return address;
        }
    }
    address.host = std::string(host);
    address.port = port_number(port);
    address.valid = !address.host.empty() && address.port != 0;
    return address;
}

} // namespace kelmora
