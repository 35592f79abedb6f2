#include "engine/StatusFile.h"

#include "engine/Console.h"
#include "engine/EventLog.h"
#include "platform/Files.h"
#include "platform/Path.h"

namespace kelmora {

std::string FormatStatusPair(int a, int b) {
    return std::to_string(a) + "," + std::to_string(b);
}

bool WriteStatusFile(std::string_view dataPath, int a, int b) {
    return replace_file(join_path(dataPath, "rexcom.sta"), FormatStatusPair(a, b) + "\r\n");
}

void ReportStatus(const EventLog& log, Console& console, std::string_view dataPath, int a, int b) {
    const std::string pair = FormatStatusPair(a, b);
    log.LogEvent(pair);
    console.SetStatusPanel(1, pair);
    WriteStatusFile(dataPath, a, b);
}

} // namespace kelmora
