#include "platform/Clock.h"
#include "platform/Path.h"
#include "platform/SingleInstance.h"

#include <windows.h>

namespace kelmora {

SingleInstance::SingleInstance(std::string_view name) {
    const std::string text(name);
    HANDLE h = CreateMutexA(nullptr, FALSE, text.c_str());
    if (h != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(h);
        return;
    }
    handle_ = h;
    held_ = true;
}

SingleInstance::SingleInstance(std::string_view name, std::string_view directory)
    : lockFile_(join_path(directory, std::string(name) + ".lock")) {
    Open();
}

bool SingleInstance::Open() {
    // Open without sharing: every other open fails while this copy runs, for
    // any user and over a network share too.
    const auto open = [this] {
        return CreateFileA(lockFile_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    };
    HANDLE h = open();
    // A look of HeldInDirectory holds it for an instant: waited out.
    for (unsigned waited = 0; h == INVALID_HANDLE_VALUE &&
                              GetLastError() == ERROR_SHARING_VIOLATION && waited < kProbeWaitMs;
         ++waited) {
        sleep_ms(1);
        h = open();
    }
    if (h == INVALID_HANDLE_VALUE) {
        held_ = GetLastError() != ERROR_SHARING_VIOLATION;
        unavailable_ = held_;
        return held_;
    }
    handle_ = h;
    held_ = true;
    unavailable_ = false;
    return true;
}

MarkCheck SingleInstance::Recheck() {
    // The open lock file keeps its directory from being removed: only a
    // mark this copy did not get is taken again.
    if (handle_ != nullptr) {
        return MarkCheck::Kept;
    }
    if (lockFile_.empty()) {
        return held_ ? MarkCheck::Kept : MarkCheck::HeldElsewhere;
    }
    Open();
    if (unavailable_) {
        return MarkCheck::Unavailable;
    }
    return held_ ? MarkCheck::TakenAgain : MarkCheck::HeldElsewhere;
}

bool SingleInstance::HeldInDirectory(std::string_view name, std::string_view directory) {
    // The lock file goes when its copy ends; while it runs, it shares nothing.
    const std::string path = join_path(directory, std::string(name) + ".lock");
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_SHARING_VIOLATION;
    }
    CloseHandle(h);
    return false;
}

SingleInstance::~SingleInstance() {
    Release();
}

void SingleInstance::Release() {
    if (handle_ != nullptr) {
        CloseHandle(static_cast<HANDLE>(handle_));
        handle_ = nullptr;
    }
    held_ = false;
}

} // namespace kelmora
