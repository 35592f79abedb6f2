#include "sim/Trace.h"

#include <cerrno>
#include <system_error>

namespace kelmora::sim {

std::string format_trace_line(const TraceEntry& entry, SteadyTime origin) {
    const double ms = std::chrono::duration<double, std::milli>(entry.at - origin).count();
    char head[64];
    std::snprintf(head, sizeof head, "%10.3f %s ", ms, entry.sent ? "TX" : "RX");
    std::string line = head;
    if (entry.address < 0) {
        line += "--";
    } else {
        char addr[4];
        std::snprintf(addr, sizeof addr, "%02X", static_cast<unsigned>(entry.address & 0xFF));
        line += addr;
    }
    line += ' ';
    line += entry.kind;
    if (entry.kind.size() < 8) {
        line.append(8 - entry.kind.size(), ' ');
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : entry.bytes) {
        const auto b = static_cast<unsigned char>(c);
        line += ' ';
        line += kHex[b >> 4];
        line += kHex[b & 0x0F];
    }
    if (!entry.note.empty()) {
        line += " # ";
        line += entry.note;
    }
    return line;
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
