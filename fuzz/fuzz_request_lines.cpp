// Arbitrary bytes as a request file: split into lines under the byte-order
// mark rule, each line shaped for sending (one frame, two parts, too long)
// and copied into its working buffer the way the runner does. Nothing may
// crash, read out of bounds or overflow a buffer.
#include "platform/TextLines.h"
#include "terminal/CommandLine.h"
#include "terminal/EncodeCommand.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace kelmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    for (const std::string& line : split_text_lines(content)) {
        if (line.find('\r') != std::string::npos || line.find('\n') != std::string::npos) {
            __builtin_trap(); // a line end left inside a line
        }
        switch (ClassifyCommandLine(line)) {
        case LineShape::OneFrame:
            // A line that is sent never holds a NUL, which would cut its frame.
            if (line.size() > kMaxOneFrameLine || line.find('\0') != std::string::npos ||
                !MakeCommandBuffer(line)) {
                __builtin_trap();
            }
            break;
        case LineShape::TwoPart: {
            const auto parts = SplitTwoPartLine(line);
            if (!parts || line.find('\0') != std::string::npos ||
                parts->first.size() != line.size() - 42 ||
                parts->second.size() != line.size() - 42 || !MakeCommandBuffer(parts->first) ||
                !MakeCommandBuffer(parts->second)) {
                __builtin_trap();
            }
            break;
        }
        case LineShape::HoldsNul:
            if (line.find('\0') == std::string::npos) {
                __builtin_trap();
            }
            break;
        case LineShape::Empty:
        case LineShape::TooLong:
            break;
        }
    }
    return 0;
}
