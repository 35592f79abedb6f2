#include "engine/EventLog.h"

#include "platform/Files.h"
#include "platform/Path.h"

#include <cstdio>

namespace kelmora {

std::string CaptureStartDirectory() {
    return current_directory();
}

EventLog::EventLog(const std::string& startDirectory, Clock clock, Listener listener)
    : path_(join_path(startDirectory, "errorlog.txt")), clock_(std::move(clock)),
      listener_(std::move(listener)) {}

std::string EventLog::FormatLine(const LocalTime& t, std::string_view message) {
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%02d/%02d/%04d %02d:%02d:%02d - ", t.day, t.month, t.year,
                  t.hour, t.minute, t.second);
    std::string line(stamp);
    // The log is a text file with CR LF line ends, also for a break inside
    // the message.
    for (const char c : message) {
        if (c == '\n') {
            line += '\r';
        }
        line += c;
    }
    line += "\r\n";
    return line;
}

void EventLog::LogEvent(std::string_view message) const {
    append_file(path_, FormatLine(clock_(), message));
    if (listener_) {
        listener_(message);
    }
}

std::optional<std::string> EventLog::Read() const {
    return read_file(path_, Links::Refuse);
}

bool EventLog::Clear() const {
    return write_file(path_, "");
}

} // namespace kelmora
