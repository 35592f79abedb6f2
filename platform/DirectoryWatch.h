// Waiting for a file to arrive in a directory: the file system's own notice
// (inotify on Linux, a change notification on Windows) wakes the waiter at
// once, instead of a look on a timer. Where the file system sends no notices
// (a directory mounted from another machine, a directory that does not exist
// yet), a wait simply lasts its time; the waiter looks on its own then.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kelmora {

class DirectoryWatch {
public:
    // Watches the directory of `filePath` for that file being written and
    // closed, renamed into place or created there (Windows tells only that
    // something in the directory changed).
    explicit DirectoryWatch(std::string_view filePath);
    ~DirectoryWatch();
    DirectoryWatch(const DirectoryWatch&) = delete;
    DirectoryWatch& operator=(const DirectoryWatch&) = delete;

    enum class Woken {
        Notice,      // something happened to the file (or may have: the notices overflowed)
        TimeUp,      // `ms` passed without a notice
        Interrupted, // Interrupt was called
    };
    // Blocks the calling thread until one of the three. A directory that was
    // removed, or did not exist, is watched again from the next call on, once
    // it is there.
    Woken Wait(std::uint32_t ms);

    // Thread-safe: ends the Wait in progress, or the next one at once.
    void Interrupt();

    // Whether notices come from the file system now.
    bool Watching() const;

    struct System; // the platform's half

private:
    std::unique_ptr<System> system_;
};

} // namespace kelmora
