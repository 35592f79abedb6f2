#include "platform/Path.h"
#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace kelmora {

namespace {

// Read once at start, before any thread runs; nothing sets the environment.
std::string LockDirectory() {
    // NOLINTNEXTLINE(concurrency-mt-unsafe)
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime) {
        return runtime;
    }
    // NOLINTNEXTLINE(concurrency-mt-unsafe)
    if (const char* tmp = std::getenv("TMPDIR"); tmp != nullptr && *tmp) {
        return tmp;
    }
    return "/tmp";
}

} // namespace

SingleInstance::SingleInstance(std::string_view name) {
    // The directory comes from the environment and is already the system's
    // own encoding; only the name is ours.
    Lock(LockDirectory() + "/" + system_path(name) + ".lock", 0600);
}

SingleInstance::SingleInstance(std::string_view name, std::string_view directory) {
    // Readable for every user: a copy run by another user must be able to
    // open the file to find it locked.
    Lock(system_path(join_path(directory, std::string(name) + ".lock")), 0644);
}

void SingleInstance::Lock(const std::string& path, unsigned mode) {
    // The lock needs no write access: a file another user made is opened too.
    fd_ = open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
    if (fd_ < 0) {
        // Nowhere to keep the mark: run rather than refuse to start.
        held_ = true;
        return;
    }
    fchmod(fd_, mode); // whatever the umask took away; refused for another's file
    held_ = flock(fd_, LOCK_EX | LOCK_NB) == 0;
    if (!held_) {
        close(fd_);
        fd_ = -1;
    }
}

SingleInstance::~SingleInstance() {
    Release();
}

void SingleInstance::Release() {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    held_ = false;
}

} // namespace kelmora
