#include "platform/DirectoryWatch.h"
#include "platform/Path.h"

#include <windows.h>

#include <atomic>

namespace kelmora {

struct DirectoryWatch::System {
    std::string directory;
    HANDLE change = INVALID_HANDLE_VALUE; // INVALID_HANDLE_VALUE while nothing is watched
    HANDLE wake = nullptr;                // an event that Interrupt sets
    std::atomic<bool> watching{false};

    // A file's name, size or last write changing anywhere in the directory:
    // Windows names no file, so any change wakes the waiter, which looks.
    void Watch() {
        if (change == INVALID_HANDLE_VALUE) {
            change = FindFirstChangeNotificationA(directory.c_str(), FALSE,
                                                  FILE_NOTIFY_CHANGE_FILE_NAME |
                                                      FILE_NOTIFY_CHANGE_LAST_WRITE |
                                                      FILE_NOTIFY_CHANGE_SIZE);
            watching = change != INVALID_HANDLE_VALUE;
        }
    }
    void Unwatch() {
        if (change != INVALID_HANDLE_VALUE) {
            FindCloseChangeNotification(change);
            change = INVALID_HANDLE_VALUE;
        }
        watching = false;
    }
};

DirectoryWatch::DirectoryWatch(std::string_view filePath) : system_(std::make_unique<System>()) {
    system_->directory = system_path(directory_of(filePath));
    system_->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    system_->Watch();
}

DirectoryWatch::~DirectoryWatch() {
    system_->Unwatch();
    if (system_->wake != nullptr) {
        CloseHandle(system_->wake);
    }
}

DirectoryWatch::Woken DirectoryWatch::Wait(std::uint32_t ms) {
    System& s = *system_;
    s.Watch();
    const HANDLE handles[2] = {s.wake, s.change};
    const DWORD count = s.change != INVALID_HANDLE_VALUE ? 2 : 1;
    const DWORD result = WaitForMultipleObjects(count, handles, FALSE, ms);
    if (result == WAIT_OBJECT_0) {
        return Woken::Interrupted;
    }
    if (result == WAIT_OBJECT_0 + 1) {
        // The next change signals again; a directory that went is watched
        // anew once it is back.
        if (!FindNextChangeNotification(s.change)) {
            s.Unwatch();
        }
        return Woken::Notice;
    }
    return Woken::TimeUp;
}

void DirectoryWatch::Interrupt() {
    SetEvent(system_->wake);
}

bool DirectoryWatch::Watching() const {
    return system_->watching;
}

} // namespace kelmora
