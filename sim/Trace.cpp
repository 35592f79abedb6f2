#include "sim/Trace.h"

#include "platform/TraceLine.h"

#include <cerrno>
#include <system_error>

namespace kelmora::sim {

std::string format_trace_line(const TraceEntry& entry, SteadyTime origin) {
    return trace_line_text(
        {.ms = std::chrono::duration<double, std::milli>(entry.at - origin).count(),
         .direction = entry.sent ? "TX" : "RX",
         .address = entry.address,
         .kind = entry.kind,
         .bytes = entry.bytes,
         .note = entry.note});
}

TraceFile::~TraceFile() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool TraceFile::open(const std::string& path, SteadyTime origin, std::string& error) {
    file_ = std::fopen(path.c_str(), "w");
    if (file_ == nullptr) {
        error =
            "cannot write the trace file " + path + ": " + std::generic_category().message(errno);
        return false;
    }
    origin_ = origin;
    return true;
}

void TraceFile::write(const TraceEntry& entry) {
    if (file_ == nullptr) {
        return;
    }
    const std::string line = format_trace_line(entry, origin_);
    std::fputs(line.c_str(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
}

} // namespace kelmora::sim
