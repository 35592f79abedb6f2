#include "platform/ConsoleText.h"
#include "platform/Cp1250.h"

#include <cstdio>
#include <string>

namespace kelmora {

void write_console(ConsoleStream stream, std::string_view text) {
    std::FILE* file = stream == ConsoleStream::Output ? stdout : stderr;
    const std::string utf8 = utf8_from_cp1250(text);
    std::fwrite(utf8.data(), 1, utf8.size(), file);
    std::fflush(file);
}

} // namespace kelmora
