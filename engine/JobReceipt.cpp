#include "engine/JobReceipt.h"

#include "engine/StatusFile.h"
#include "platform/Files.h"

#include <charconv>
#include <cstddef>

namespace kelmora {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

template <typename T>
std::optional<T> WholeNumber(std::string_view text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::string ReceiptPath(std::string_view requestPath, std::uint64_t identity) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex(16, '0');
    for (std::size_t i = 0; i < hex.size(); ++i) {
        hex[hex.size() - 1 - i] = kDigits[(identity >> (4 * i)) & 0xF];
    }
    return std::string(requestPath) + "." + hex + std::string(kReceiptSuffix);
}

std::string FormatReceipt(const JobReceipt& receipt) {
    return FormatStatusPair(receipt.a, receipt.b) + " " + std::to_string(receipt.output.size()) +
           std::string(kLineEnd) + receipt.output;
}

std::optional<JobReceipt> ParseReceipt(std::string_view bytes) {
    const std::size_t end = bytes.find(kLineEnd);
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view head = bytes.substr(0, end);
    const std::size_t comma = head.find(',');
    const std::size_t blank = head.find(' ');
    if (comma == std::string_view::npos || blank == std::string_view::npos || blank < comma) {
        return std::nullopt;
    }
    const auto a = WholeNumber<int>(head.substr(0, comma));
    const auto b = WholeNumber<int>(head.substr(comma + 1, blank - comma - 1));
    const auto size = WholeNumber<std::size_t>(head.substr(blank + 1));
    const std::string_view output = bytes.substr(end + kLineEnd.size());
    if (!a || !b || !size || output.size() != *size) {
        return std::nullopt;
    }
    return JobReceipt{*a, *b, std::string(output)};
}

ReceiptWritten WriteReceipt(std::string_view requestPath, std::uint64_t identity,
                            const JobReceipt& receipt) {
    const std::string path = ReceiptPath(requestPath, identity);
    if (!file_exists(path)) {
        return ReceiptWritten::NotAsked;
    }
    return replace_file(path, FormatReceipt(receipt)) ? ReceiptWritten::Written
                                                      : ReceiptWritten::Failed;
}

} // namespace kelmora
