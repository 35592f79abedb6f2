#include "platform/ParentConsole.h"

#include <windows.h>

#include <cstdio>

namespace kelmora {

namespace {

bool Leads(DWORD stream) {
    HANDLE handle = GetStdHandle(stream);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

void UseConsole(bool allocate) {
    if (GetConsoleWindow() != nullptr) {
        return; // one is there already
    }
    const bool errorLeads = Leads(STD_ERROR_HANDLE);
    const bool outputLeads = Leads(STD_OUTPUT_HANDLE);
    if (!AttachConsole(ATTACH_PARENT_PROCESS) && !(allocate && AllocConsole())) {
        return;
    }
    if (!errorLeads) {
        std::freopen("CONOUT$", "w", stderr);
    }
    if (!outputLeads) {
        std::freopen("CONOUT$", "w", stdout);
    }
}

} // namespace

void attach_parent_console() {
    UseConsole(false);
}

void use_console() {
    UseConsole(true);
}

} // namespace kelmora
