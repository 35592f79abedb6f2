#include "platform/TraceLine.h"

#include <cstdio>

namespace kelmora {

std::string trace_line_text(const TraceLine& line) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(40 + line.port.size() + 3 * line.bytes.size() + line.note.size());
    char head[32];
    std::snprintf(head, sizeof head, "%10.3f ", line.ms);
    text += head;
    if (!line.port.empty()) {
        text += line.port;
        text += ' ';
    }
    text += line.direction;
    text += ' ';
    if (line.address < 0) {
        text += "--";
    } else {
        text += kHex[(line.address >> 4) & 0x0F];
        text += kHex[line.address & 0x0F];
    }
    text += ' ';
    text += line.kind;
    if (line.kind.size() < 8) {
        text.append(8 - line.kind.size(), ' ');
    }
    for (const char c : line.bytes) {
        const auto b = static_cast<unsigned char>(c);
        text += ' ';
        text += kHex[b >> 4];
        text += kHex[b & 0x0F];
    }
    if (!line.note.empty()) {
        text += " # ";
        text += line.note;
    }
    return text;
}

} // namespace kelmora
