// The system-wide mark that only one copy of the program runs. Windows: the
// named mutex. POSIX: an exclusive lock on a file of that name in
// $XDG_RUNTIME_DIR, else the temporary directory; the system drops the lock
// when the process ends, however it ends.
#pragma once

#include <string>
#include <string_view>

namespace kelmora {

class SingleInstance {
public:
    // Takes the mark `name`; Held() tells whether this copy got it.
    explicit SingleInstance(std::string_view name);
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
    int fd_ = -1;
#endif
};

} // namespace kelmora
