#include "platform/Path.h"
#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

namespace kelmora {

namespace {

std::string LockDirectory() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime) {
        return runtime;
    }
    if (const char* tmp = std::getenv("TMPDIR"); tmp != nullptr && *tmp) {
        return tmp;
    }
    return "/tmp";
}

} // namespace

SingleInstance::SingleInstance(std::string_view name) {
    // The directory comes from the environment and is already the system's
    // own encoding; only the name is ours.
    const std::string path = LockDirectory() + "/" + system_path(name) + ".lock";
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        // Nowhere to keep the mark: run rather than refuse to start.
        held_ = true;
        return;
    }
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
