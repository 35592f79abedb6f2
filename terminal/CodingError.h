// The one error the terminal code raises on purpose: a configuration that
// makes meal coding impossible (a radix B or V of 0). It ends the running job
// without a message; what() carries the system's own Windows-1250 text.
#pragma once

#include "platform/Cp1250.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace kelmora {

namespace coding_messages {
using namespace kelmora::literals;
// Raised while a record command is encoded.
inline constexpr std::string_view kEncodeRadixZero = "Snidane nebo večeře = 0!"_cp;
// Raised while downloaded person records are decoded.
inline constexpr std::string_view kDecodeRadixZero = "Špatný počet snídaní, nebo večeří!"_cp;
} // namespace coding_messages

class CodingError : public std::runtime_error {
public:
    explicit CodingError(std::string_view message) : std::runtime_error(std::string(message)) {}

    static CodingError EncodeRadixZero() { return CodingError(coding_messages::kEncodeRadixZero); }
    static CodingError DecodeRadixZero() { return CodingError(coding_messages::kDecodeRadixZero); }
};

} // namespace kelmora
