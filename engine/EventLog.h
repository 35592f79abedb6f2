// The event log "errorlog.txt" in the start directory: one timestamped line
// per event, appended, never rotated by the program (the Debian package's
// logrotate rule does it). Opened and closed for every event, so the file on
// disk is complete after each call, and a file moved away meanwhile is
// simply started again. A symbolic link under its name is neither written
// through, nor cut, nor read: the log's directory may be writable by others.
#pragma once

#include "platform/LocalTime.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kelmora {

// The process's working directory at start. It is kept whole however long it
// is: a cut path would name another directory.
std::string CaptureStartDirectory();

class EventLog {
public:
    using Clock = std::function<LocalTime()>;
    // Hears every event's message (Windows-1250, without the time stamp):
    // the headless program passes them on to standard error, the journal of
    // a service.
    using Listener = std::function<void(std::string_view message)>;

    explicit EventLog(const std::string& startDirectory, Clock clock = local_time_now,
                      Listener listener = {});

    // Appends "dd/mm/yyyy hh:mm:ss - message" and CR LF. A line break inside
    // the message becomes CR LF too. A log that cannot be opened drops the
    // event silently: the log is itself the reporting channel. The listener
    // hears the event either way.
    void LogEvent(std::string_view message) const;

    const std::string& Path() const { return path_; }

    // The whole log for the event-log page; nothing when it cannot be read.
    std::optional<std::string> Read() const;

    // Empties the log file (0 bytes); false when it cannot be written.
    bool Clear() const;

    static std::string FormatLine(const LocalTime& time, std::string_view message);

private:
    std::string path_;
    Clock clock_;
    Listener listener_;
};

} // namespace kelmora
