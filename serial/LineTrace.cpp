#include "serial/LineTrace.h"

#include "platform/Files.h"
#include "platform/LocalTime.h"
#include "platform/Path.h"
#include "platform/TraceLine.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace kelmora {

namespace {

std::string port_name(int port) {
    return "COM" + std::to_string(port + 1);
}

const char* direction_text(LineDirection direction) {
    switch (direction) {
    case LineDirection::Sent:
        return "TX";
    case LineDirection::Received:
        return "RX";
    case LineDirection::Neither:
        break;
    }
    return "--";
}

std::string opening_line() {
    const LocalTime t = local_time_now();
    char text[64];
    std::snprintf(text, sizeof text, "# Kelmora line trace, opened %04d-%02d-%02d %02d:%02d:%02d\n",
                  t.year, t.month, t.day, t.hour, t.minute, t.second);
    return text;
}

} // namespace

LineTrace::~LineTrace() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool LineTrace::Open(std::string path, std::uintmax_t limit, std::string& error) {
    const std::string system = system_path(path);
    std::error_code ec;
    // Opening a pipe nobody reads would wait for ever.
    if (std::filesystem::is_fifo(system, ec) || std::filesystem::is_directory(system, ec)) {
        error = "the trace file " + path + " is no file";
        return false;
    }
    file_ = std::fopen(system.c_str(), "ab");
    if (file_ == nullptr) {
        error =
            "cannot write the trace file " + path + ": " + std::generic_category().message(errno);
        return false;
    }
    path_ = std::move(path);
    limit_ = limit;
    std::fseek(file_, 0, SEEK_END);
    const long size = std::ftell(file_);
    written_ = size > 0 ? static_cast<std::uintmax_t>(size) : 0;
    origin_ = std::chrono::steady_clock::now();
    Write(opening_line());
    return true;
}

void LineTrace::Record(const LineEvent& event) {
    if (file_ == nullptr) {
        return;
    }
    const std::string port = port_name(event.port);
    std::string text = trace_line_text(
        {.ms = std::chrono::duration<double, std::milli>(event.at - origin_).count(),
         .port = port,
         .direction = direction_text(event.direction),
         .address = event.address,
         .kind = event.kind,
         .bytes = {reinterpret_cast<const char*>(event.bytes.data()), event.bytes.size()},
         .note = event.note});
    text += '\n';
    Write(text);
}

void LineTrace::Write(std::string_view text) {
    if (written_ > 0 && written_ + text.size() > limit_) {
        Rotate();
    }
    if (file_ == nullptr) {
        return;
    }
    std::fwrite(text.data(), 1, text.size(), file_);
    std::fflush(file_);
    written_ += text.size();
}

void LineTrace::Rotate() {
    std::fclose(file_);
    const std::string older = path_ + ".1";
    // Where the older file cannot be replaced (a device, a file held open on
    // Windows), the trace starts again from nothing: the limit always holds.
    const bool kept = rename_over(path_, older);
    file_ = std::fopen(system_path(path_).c_str(), "wb");
    written_ = 0;
    if (file_ != nullptr && kept) {
        Write("# continued from " + older + "\n");
    }
}

} // namespace kelmora
