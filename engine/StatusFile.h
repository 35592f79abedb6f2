// The status file "rexcom.sta" in the data path: the host application's view
// of the last job, one line "a,b" with CR LF. The meaning of the pair is the
// job's (acknowledged commands, records); -1 means not available.
#pragma once

#include <string>
#include <string_view>

namespace kelmora {

class Console;
class EventLog;

// "rexcom.sta" in the data path.
std::string StatusFilePath(std::string_view dataPath);

// "a,b" without a line end: the log's and the status panel's form.
std::string FormatStatusPair(int a, int b);

// Whether an event log message is a status pair in that form (ReportStatus
// logs each pair as a message of its own).
bool IsStatusPair(std::string_view message);

// Replaces the whole file through a temporary file, so the host never reads
// half of it. False when it cannot be written.
bool WriteStatusFile(std::string_view dataPath, int a, int b);

// Log, status panel 1, file: in this order. Whether the file was written; a
// file that cannot be written is logged and keeps its old, whole content.
bool ReportStatus(const EventLog& log, Console& console, std::string_view dataPath, int a, int b);

} // namespace kelmora
