// Arbitrary bytes from a device server: the Telnet codec must neither crash
// nor read out of bounds, must give the same data and answers however the
// reads split, never more data than came, and only whole three-byte answers;
// what it escapes must come back unchanged through a fresh codec.
#include "serial/TelnetCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace kelmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> whole;
    std::vector<std::uint8_t> wholeReplies;
    TelnetCodec one;
    one.Receive(data, size, whole, wholeReplies);

    // The first byte chooses how the same bytes are split into reads.
    const std::size_t piece = size > 0 ? data[0] % 7 + 1 : 1;
    std::vector<std::uint8_t> split;
    std::vector<std::uint8_t> splitReplies;
    TelnetCodec other;
    for (std::size_t at = 0; at < size; at += piece) {
        other.Receive(data + at, size - at < piece ? size - at : piece, split, splitReplies);
    }
    if (split != whole || splitReplies != wholeReplies || whole.size() > size ||
        wholeReplies.size() % 3 != 0) {
        std::abort();
    }

    std::vector<std::uint8_t> escaped;
    TelnetCodec::Escape(data, size, escaped);
    std::vector<std::uint8_t> back;
    std::vector<std::uint8_t> replies;
    TelnetCodec fresh;
    fresh.Receive(escaped.data(), escaped.size(), back, replies);
    if (back != std::vector<std::uint8_t>(data, data + size) || !replies.empty()) {
        std::abort();
    }
    return 0;
}
