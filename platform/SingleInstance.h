// The system-wide mark that only one copy of the program runs. Windows: the
// named mutex. POSIX: an exclusive lock on a file of that name in
// $XDG_RUNTIME_DIR, else the temporary directory; the system drops the lock
// when the process ends, however it ends.
//
// A mark may also belong to a directory: a lock file of that name in it,
// which keeps out every other copy that would work in that directory, run by
// whatever user or session (on Windows a file open without sharing, deleted
// when it closes).
#pragma once

#include <string>
#include <string_view>

namespace kelmora {

class SingleInstance {
public:
    // Takes the mark `name`; Held() tells whether this copy got it.
    explicit SingleInstance(std::string_view name);
    // Takes the mark `name` in `directory` (Windows-1250 text). Where the
    // lock file cannot be made at all, the mark counts as held: nothing
    // else could have taken it there either.
    SingleInstance(std::string_view name, std::string_view directory);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another copy holds the mark.
    bool Held() const { return held_; }

    // Gives the mark up before the object ends.
    void Release();

private:
    bool held_ = false;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    void Lock(const std::string& path, unsigned mode);
    int fd_ = -1;
#endif
};

} // namespace kelmora
