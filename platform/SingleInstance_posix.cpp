#include "platform/Clock.h"
#include "platform/Path.h"
#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

// Readable for every user: a copy run by another user must be able to open
// the file to find it locked.
constexpr unsigned kDirectoryLockMode = 0644;

} // namespace

SingleInstance::SingleInstance(std::string_view name) {
    // The directory comes from the environment and is already the system's
    // own encoding; only the name is ours.
    Lock(LockDirectory() + "/" + system_path(name) + ".lock", 0600, false);
}

SingleInstance::SingleInstance(std::string_view name, std::string_view directory)
    : lockFile_(join_path(directory, std::string(name) + ".lock")) {
    Lock(system_path(lockFile_), kDirectoryLockMode, true);
}

void SingleInstance::Lock(const std::string& path, unsigned mode, bool replaceLink) {
    // The lock needs no write access: a file another user made is opened too.
    const int flags = O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    fd_ = open(path.c_str(), flags, mode);
    if (fd_ < 0 && errno == ELOOP && replaceLink) {
        // A link planted in a directory others may write: it would make the
        // lock fail, or lock a file elsewhere. The link goes, not its target.
        unlink(path.c_str());
        fd_ = open(path.c_str(), flags, mode);
    }
    struct stat st {};
    if (fd_ >= 0 && (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
        close(fd_); // a FIFO or a device under the name locks nothing
        fd_ = -1;
    }
    if (fd_ < 0) {
        // Nowhere to keep the mark: run rather than refuse to start.
        held_ = true;
        unavailable_ = true;
        return;
    }
    unavailable_ = false;
    fchmod(fd_, mode); // whatever the umask took away; refused for another's file
    held_ = flock(fd_, LOCK_EX | LOCK_NB) == 0;
    // A look of HeldInDirectory holds it for an instant: waited out.
    for (unsigned waited = 0; !held_ && errno == EWOULDBLOCK && waited < kProbeWaitMs; ++waited) {
        sleep_ms(1);
        held_ = flock(fd_, LOCK_EX | LOCK_NB) == 0;
    }
    if (!held_) {
        close(fd_);
        fd_ = -1;
    }
}

bool SingleInstance::StillLocked() const {
    // The name must still lead to the very file this copy locked.
    struct stat held {};
    struct stat named {};
    return fd_ >= 0 && fstat(fd_, &held) == 0 &&
           lstat(system_path(lockFile_).c_str(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

MarkCheck SingleInstance::Recheck() {
    if (lockFile_.empty()) {
        return held_ ? MarkCheck::Kept : MarkCheck::HeldElsewhere;
    }
    if (StillLocked()) {
        return MarkCheck::Kept;
    }
    Release();
    Lock(system_path(lockFile_), kDirectoryLockMode, true);
    if (unavailable_) {
        return MarkCheck::Unavailable;
    }
    return held_ ? MarkCheck::TakenAgain : MarkCheck::HeldElsewhere;
}

bool SingleInstance::HeldInDirectory(std::string_view name, std::string_view directory) {
    const std::string path = system_path(join_path(directory, std::string(name) + ".lock"));
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    bool held = false;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        // A shared lock is refused while a copy holds its exclusive one.
        held = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    }
    close(fd); // gives up the shared lock, if it was had
    return held;
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
