// EncodeCommand over arbitrary 200-byte working buffers and settings.
//
// Input: byte 0 the flags (bit 0 coding, bit 1 credit, bit 2 fill the rest of
// the buffer with 0xFF instead of zero bytes, so it may hold no zero byte at
// all); bytes 1 and 2 pick B and V (signed, so 0 and negatives occur; 0x7F
// and 0x80 stand for the ends of the int range); the rest is the buffer.
#include "terminal/CodingError.h"
#include "terminal/EncodeCommand.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

using namespace kelmora;

int PickRadix(std::uint8_t pick) {
    if (pick == 0x7F) {
        return INT_MAX;
    }
    if (pick == 0x80) {
        return INT_MIN;
    }
    return static_cast<std::int8_t>(pick);
}

void Check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    CodingSettings settings;
    settings.Coding = (data[0] & 1) != 0;
    settings.Credit = (data[0] & 2) != 0;
    settings.MaxBreakfasts = PickRadix(data[1]);
    settings.MaxDinners = PickRadix(data[2]);

    CommandBuffer buffer;
    buffer.fill((data[0] & 4) != 0 ? '\xFF' : '\0');
    const std::size_t textSize = std::min(size - 3, buffer.size());
    if (textSize > 0) {
        std::memcpy(buffer.data(), data + 3, textSize);
    }
    const CommandBuffer before = buffer;

    const char letter = buffer[0];
    const bool record = letter == 'Q' || letter == 'R' || letter == 'q' || letter == 'r';
    const bool raw = (static_cast<unsigned char>(buffer[13]) & 0x80) != 0;
    const bool usable = settings.MaxBreakfasts >= 1 && settings.MaxDinners >= 1;

    int lines = 0;
    int length = 0;
    try {
        length = EncodeCommand(buffer, settings, [&](std::string_view line) {
            Check(!line.empty());
            ++lines;
        });
    } catch (const CodingError& error) {
        Check(record && !raw && !usable);
        Check(std::string_view(error.what()) == coding_messages::kEncodeRadixZero);
        Check(buffer == before && lines == 0);
        return 0;
    }
    Check(!(record && !raw && !usable));
    // At most 14 breakfast and 14 dinner complaints and the command text.
    Check(lines <= 29);

    if (record) {
        Check(length == (letter == 'Q' && settings.Credit ? 43 : 40));
        Check(buffer[static_cast<std::size_t>(length)] == '\0');
    } else if (letter == 'c') {
        Check(length == 17 && buffer[17] == '\0');
    } else {
        Check(buffer == before);
        const auto text = std::find(before.begin(), before.end(), '\0') - before.begin();
        Check(text > kMaxPayload ? length == kPayloadTooLong : length == text);
    }
    return 0;
}
