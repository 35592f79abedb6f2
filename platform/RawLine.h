// A raw serial line served from one thread (the terminal simulator's end of
// the line): the master side of a new pseudo-terminal (whose slave side the
// other program opens; POSIX only), or a real serial device (a COM port on
// Windows, such as COM2: one end of a null-modem cable or of a virtual COM
// pair). Either is raw (no echo, no line editing, no flow control) and never
// blocks its thread; a device is opened exclusively at the given speed, with
// mark parity when asked. A pseudo-terminal can also be given a symbolic
// link, removed again when the line closes.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kelmora {

class RawLine {
public:
    RawLine(const RawLine&) = delete;
    RawLine& operator=(const RawLine&) = delete;
    ~RawLine();

    // The speeds a device can be opened with.
    static bool supported_baud(int baud);

    // Nothing, with a message in `error`, when the line cannot be opened.
    static std::unique_ptr<RawLine> open_pty(const std::string& link, std::string& error);
    static std::unique_ptr<RawLine> open_device(const std::string& path, int baud, bool mark,
                                                std::string& error);

    // The path the other program opens: the pseudo-terminal's slave side, or the device.
    const std::string& path() const { return path_; }

    enum class Status { Ok, Hangup, Failed };
    // Appends what can be read without waiting.
    Status read_available(std::string& out);
    // Writes what the line takes without waiting; `written` is the count.
    Status write_some(std::string_view bytes, std::size_t& written);
    // Why the last read, write or wait failed.
    const std::string& error() const { return error_; }

    // What ended a wait; nothing set: wake() or the time was up.
    struct Ready {
        bool input = false; // bytes to read, or a hangup or failure the next read reports
        bool room = false;  // the line may take more bytes
    };
    // Waits until the line has input, may take bytes again (only when
    // `want_room`), wake() is called or `timeout` has passed (none: no limit).
    // With `watch_line` false the line is left out and only wake() and the
    // time end the wait: a pseudo-terminal that nobody holds would end every
    // wait at once. Failed when waiting itself failed.
    Status wait(std::optional<std::chrono::nanoseconds> timeout, bool want_room, bool watch_line,
                Ready& ready);
    // Ends the current or the next wait; any thread may call it.
    void wake();
    // A pseudo-terminal whose slave side nobody holds; never a device.
    bool hung_up();

    struct System; // the operating system's handles, each half's own

private:
    RawLine(std::unique_ptr<System> system, std::string path, bool is_pty);

    std::unique_ptr<System> system_;
    std::string path_;
    bool is_pty_;
    std::string error_;
};

} // namespace kelmora
