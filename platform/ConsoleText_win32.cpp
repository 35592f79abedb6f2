#include "platform/ConsoleText.h"
#include "platform/Cp1250.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace kelmora {

void write_console(ConsoleStream stream, std::string_view text) {
    std::FILE* file = stream == ConsoleStream::Output ? stdout : stderr;
    const HANDLE handle =
        GetStdHandle(stream == ConsoleStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        std::fflush(file); // what went through the C library comes first
        std::u16string wide;
        for (const char c : text) {
            if (c == '\n') {
                wide += u'\r';
            }
            wide += static_cast<char16_t>(unicode_of_cp1250(static_cast<unsigned char>(c)));
        }
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    // A file or a pipe: the program's own bytes; the C library's text mode
    // gives them the line ends of Windows.
    std::fwrite(text.data(), 1, text.size(), file);
    std::fflush(file);
}

} // namespace kelmora
