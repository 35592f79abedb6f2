#include "platform/Clock.h"
#include "platform/DirectoryWatch.h"
#include "platform/Path.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace kelmora {

// What is watched: the file's name arriving (closed after writing, moved
// here, created as a link), and the directory itself going away.
constexpr std::uint32_t kFileEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE;
constexpr std::uint32_t kDirectoryGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;

struct DirectoryWatch::System {
    std::string directory;
    std::string name;
    int inotify = -1;
    int watch = -1; // the directory's watch, -1 while it has none
    int wake = -1;  // an eventfd that Interrupt writes to
    std::atomic<bool> watching{false};

    void Watch() {
        if (inotify >= 0 && watch < 0) {
            watch = inotify_add_watch(inotify, directory.c_str(), kFileEvents | kDirectoryGone);
            watching = watch >= 0;
        }
    }

    // Reads the notices that have come; whether one was about the file.
    bool TakeNotices() {
        alignas(inotify_event) std::array<char, 4096> buffer{};
        bool aboutTheFile = false;
        for (;;) {
            const ssize_t n = read(inotify, buffer.data(), buffer.size());
            if (n <= 0) {
                return aboutTheFile; // EAGAIN: all read
            }
            for (ssize_t at = 0; at < n;) {
                inotify_event event{};
                std::memcpy(&event, buffer.data() + at, sizeof event);
                const char* eventName = buffer.data() + at + sizeof event;
                const bool overflowed = (event.mask & IN_Q_OVERFLOW) != 0; // some lost: look
                const bool gone = (event.mask & kDirectoryGone) != 0 && event.wd == watch;
                if (gone) {
                    if ((event.mask & IN_IGNORED) == 0) {
                        inotify_rm_watch(inotify, watch);
                    }
                    watch = -1;
                    watching = false;
                }
                if (overflowed || gone || (event.len > 0 && name == eventName)) {
                    aboutTheFile = true;
                }
                at += static_cast<ssize_t>(sizeof event + event.len);
            }
        }
    }
};

DirectoryWatch::DirectoryWatch(std::string_view filePath) : system_(std::make_unique<System>()) {
    const std::string directory = directory_of(filePath);
    system_->directory = system_path(directory);
    system_->name = system_path(filePath.substr(directory == "." ? 0 : directory.size()));
    system_->inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    system_->wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    system_->Watch();
}

DirectoryWatch::~DirectoryWatch() {
    for (const int fd : {system_->inotify, system_->wake}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

DirectoryWatch::Woken DirectoryWatch::Wait(std::uint32_t ms) {
    System& s = *system_;
    s.Watch();
    const std::uint32_t start = tick_ms();
    for (;;) {
        const std::uint32_t waited = elapsed_ms(start);
        if (waited >= ms) {
            return Woken::TimeUp;
        }
        std::array<pollfd, 2> fds{pollfd{s.wake, POLLIN, 0}, pollfd{s.inotify, POLLIN, 0}};
        const int ready = poll(fds.data(), s.watch >= 0 ? 2 : 1, static_cast<int>(ms - waited));
        if (ready < 0 && errno != EINTR) {
            return Woken::TimeUp;
        }
        if (ready <= 0) {
            continue;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            std::uint64_t value = 0;
            [[maybe_unused]] const auto n = read(s.wake, &value, sizeof value);
            return Woken::Interrupted;
        }
        // Notices about other files (the program's own results) wait on.
        if (s.TakeNotices()) {
            return Woken::Notice;
        }
        if (s.watch < 0) {
            s.Watch();
        }
    }
}

void DirectoryWatch::Interrupt() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = write(system_->wake, &one, sizeof one);
}

bool DirectoryWatch::Watching() const {
    return system_->watching;
}

} // namespace kelmora
