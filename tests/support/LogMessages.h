// The event log's messages without their time stamps ("dd/mm/yyyy hh:mm:ss - ").
#pragma once

#include "platform/TextLines.h"

#include <string>
#include <string_view>
#include <vector>

namespace kelmora::testing {

inline constexpr std::size_t kLogStampLength = 22;

inline std::vector<std::string> LogMessages(std::string_view logContent) {
    std::vector<std::string> messages;
    for (const auto& line : split_text_lines(logContent)) {
        messages.push_back(line.size() > kLogStampLength ? line.substr(kLogStampLength) : line);
    }
    return messages;
}

} // namespace kelmora::testing
