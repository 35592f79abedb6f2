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
