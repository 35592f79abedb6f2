// Text for a person at a console: Windows-1250 inside the program, written
// the way the console shows it. POSIX consoles take UTF-8. A Windows console
// takes UTF-16 (WriteConsoleW), whatever its code page; a file or a pipe
// instead of a console gets the Windows-1250 bytes themselves, as a script
// on Windows reads them, with CR LF line ends.
#pragma once

#include <string_view>

namespace kelmora {

enum class ConsoleStream { Output, Error };

// Writes `text` (Windows-1250, with LF line ends) and flushes it.
void write_console(ConsoleStream stream, std::string_view text);

} // namespace kelmora
