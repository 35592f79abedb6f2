#include "engine/StatusFile.h"

#include "engine/Console.h"
#include "engine/EventLog.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Path.h"

namespace kelmora {

using namespace kelmora::literals;

namespace {

constexpr std::string_view kStatusFileName = "rexcom.sta";

} // namespace

std::string StatusFilePath(std::string_view dataPath) {
    return join_path(dataPath, kStatusFileName);
}

std::string FormatStatusPair(int a, int b) {
    return std::to_string(a) + "," + std::to_string(b);
}

bool IsStatusPair(std::string_view message) {
    // An optional minus and at least one digit, on each side of the comma.
    const auto number = [](std::string_view text) {
        if (!text.empty() && text.front() == '-') {
            text.remove_prefix(1);
        }
        return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
    };
    const std::size_t comma = message.find(',');
    return comma != std::string_view::npos && number(message.substr(0, comma)) &&
           number(message.substr(comma + 1));
}

bool WriteStatusFile(std::string_view dataPath, int a, int b) {
    return replace_file(StatusFilePath(dataPath), FormatStatusPair(a, b) + "\r\n");
}

bool ReportStatus(const EventLog& log, Console& console, std::string_view dataPath, int a, int b) {
    const std::string pair = FormatStatusPair(a, b);
    log.LogEvent(pair);
    console.SetStatusPanel(1, pair);
    if (WriteStatusFile(dataPath, a, b)) {
        return true;
    }
    log.LogEvent(std::string("Nelze zapsat soubor "_cp) + StatusFilePath(dataPath));
    return false;
}

} // namespace kelmora
