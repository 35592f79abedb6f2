// A number field of a fixed-width command text: the person number, the six
// numbers of command c, the credit. The field is read like the C library's
// strtol, but it counts only when the whole field is a number, so a typing
// error leaves its payload bytes at zero instead of sending a wrong value.
//
// 1. The field's characters, ending early at a zero byte.
// 2. Trailing blanks removed.
// 3. Base 16 when the second character is 'x' or 'X', otherwise base 10.
// 4. Leading white space skipped, an optional sign, in base 16 an optional
//    "0x"/"0X" prefix, then the digits of the base. A value beyond the signed
//    32-bit range saturates at the nearer end.
// 5. Valid only when every character was used; an empty field is valid and 0.
//
// So "12  " is 12, "0x1F" is 31, "1 2 " and "0x" are invalid.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelmora {

// `field` is exactly the field's width of the command buffer; nothing outside
// it is read. Empty when the field is invalid.
std::optional<std::int32_t> ReadNumberField(std::string_view field);

} // namespace kelmora
