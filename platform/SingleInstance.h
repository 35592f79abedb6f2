// The system-wide mark that only one copy of the program runs. Windows: the
// named mutex. POSIX: an exclusive lock on a file of that name in
// $XDG_RUNTIME_DIR, else the temporary directory; the system drops the lock
// when the process ends, however it ends.
//
// A mark may also belong to a directory: a lock file of that name in it,
// which keeps out every other copy that would work in that directory, run by
// whatever user or session (on Windows a file open without sharing, deleted
// when it closes). Others may write that directory, so on POSIX a symbolic
// link under the lock file's name is replaced by the lock file, never
// followed; and since the directory can be removed and made again under a
// running copy, taking the lock file with it, the mark can be looked at
// again (Recheck).
#pragma once

#include <string>
#include <string_view>

namespace kelmora {

// What a look at a directory's mark found.
enum class MarkCheck {
    Kept,          // this copy holds it, as before
    TakenAgain,    // its lock file had gone, been replaced or been held by another copy, or
                   // could not be made: this copy holds it now
    HeldElsewhere, // another copy holds it
    Unavailable,   // no lock file can be made there (the directory is missing, read-only, or
                   // something that is no file stands under the name): counts as held
};

class SingleInstance {
public:
    // Takes the mark `name`; Held() tells whether this copy got it.
    explicit SingleInstance(std::string_view name);
    // Takes the mark `name` in `directory` (Windows-1250 text). Where the
    // lock file cannot be made at all, the mark counts as held: nothing
    // else could have taken it there either (Unavailable says so).
    SingleInstance(std::string_view name, std::string_view directory);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another copy holds the mark.
    bool Held() const { return held_; }
    // Held without a lock file, which could not be made.
    bool Unavailable() const { return unavailable_; }
    // The lock file of a directory's mark; empty for the per-user mark.
    const std::string& LockFile() const { return lockFile_; }

    // Looks at a directory's mark again: its lock file must still be the one
    // this copy locked. One that has gone or was replaced, one another copy
    // held, and one that could not be made are taken as at the start. The
    // per-user mark is only Kept or HeldElsewhere, as it was.
    MarkCheck Recheck();

    // Gives the mark up before the object ends.
    void Release();

    // Whether a running copy holds the mark `name` in `directory` now, for a
    // program that only asks (kelmora request): nothing is created, and the
    // look holds the lock file for an instant only, which a copy starting
    // at that instant waits out (kProbeWaitMs).
    static bool HeldInDirectory(std::string_view name, std::string_view directory);
    static constexpr unsigned kProbeWaitMs = 20;

private:
    bool held_ = false;
    bool unavailable_ = false;
    std::string lockFile_;
#ifdef _WIN32
    bool Open();
    void* handle_ = nullptr;
#else
    void Lock(const std::string& path, unsigned mode, bool replaceLink);
    bool StillLocked() const;
    int fd_ = -1;
#endif
};

} // namespace kelmora
