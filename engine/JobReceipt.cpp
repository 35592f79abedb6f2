#include "engine/JobReceipt.h"

#include "engine/StatusFile.h"
#include "platform/Files.h"

#include <charconv>
#include <cstddef>

namespace kelmora {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

template <typename T>
std::optional<T> WholeNumber(std::string_view text, int base = 10) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

constexpr std::string_view kNoDigest = "-";

std::string Hex16(std::uint64_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex(16, '0');
    for (std::size_t i = 0; i < hex.size(); ++i) {
        hex[hex.size() - 1 - i] = kDigits[(value >> (4 * i)) & 0xF];
    }
    return hex;
}

} // namespace

std::string ReceiptPath(std::string_view requestPath, std::uint64_t identity) {
    return std::string(requestPath) + "." + Hex16(identity) + std::string(kReceiptSuffix);
}

std::uint64_t RequestDigest(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    }
    return hash;
}

std::string FormatReceipt(const JobReceipt& receipt) {
    return FormatStatusPair(receipt.a, receipt.b) + " " + std::to_string(receipt.output.size()) +
           " " + (receipt.digest ? Hex16(*receipt.digest) : std::string(kNoDigest)) +
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
    const std::size_t second = head.find(' ', blank + 1);
    if (comma == std::string_view::npos || blank == std::string_view::npos || blank < comma ||
        second == std::string_view::npos) {
        return std::nullopt;
    }
    const auto a = WholeNumber<int>(head.substr(0, comma));
    const auto b = WholeNumber<int>(head.substr(comma + 1, blank - comma - 1));
    const auto size = WholeNumber<std::size_t>(head.substr(blank + 1, second - blank - 1));
    const std::string_view digestText = head.substr(second + 1);
    const auto digest =
        digestText.size() == 16 ? WholeNumber<std::uint64_t>(digestText, 16) : std::nullopt;
    const std::string_view output = bytes.substr(end + kLineEnd.size());
    if (!a || !b || !size || output.size() != *size || (!digest && digestText != kNoDigest)) {
        return std::nullopt;
    }
    return JobReceipt{*a, *b, std::string(output), digest};
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
