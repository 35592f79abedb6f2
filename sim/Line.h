// The simulator's end of the serial line: the master side of a new
// pseudo-terminal (whose slave side Kelmora opens), or a real serial device.
// Either is raw (no echo, no line editing, no flow control) and non-blocking;
// a device is opened exclusively at the given speed, with mark parity when
// asked. A pseudo-terminal can also be given a symbolic link, removed again
// when the line closes.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kelmora::sim {

// The speeds a line can be opened with.
bool supported_baud(int baud);

class Line {
public:
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;
    ~Line();

    // Nothing, with a message in `error`, when the line cannot be opened.
    static std::unique_ptr<Line> open_pty(const std::string& link, std::string& error);
    static std::unique_ptr<Line> open_device(const std::string& path, int baud, bool mark,
                                             std::string& error);

    int fd() const { return fd_; }
    // The path Kelmora opens: the pseudo-terminal's slave side, or the device.
    const std::string& path() const { return path_; }
    bool is_pty() const { return is_pty_; }

    enum class Status { Ok, Hangup, Failed };
    // Appends what can be read without waiting.
    Status read_available(std::string& out);
    // Writes what the line takes without waiting; `written` is the count.
    Status write_some(std::string_view bytes, std::size_t& written);

private:
    Line(int fd, std::string path, bool is_pty)
        : fd_(fd), path_(std::move(path)), is_pty_(is_pty) {}

    int fd_;
    std::string path_;
    bool is_pty_;
    std::string link_;
};

} // namespace kelmora::sim
