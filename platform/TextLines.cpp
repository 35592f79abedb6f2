#include "platform/TextLines.h"

#include "platform/Cp1250.h"
#include "platform/Files.h"

#include <limits>
#include <new>

namespace kelmora {

namespace {

std::u16string utf16_units(std::string_view bytes, bool big_endian) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        units += static_cast<char16_t>(big_endian ? (a << 8) | b : (b << 8) | a);
    }
    return units;
}

std::string to_cp1250(std::string_view content) {
    auto starts = [&](std::string_view bom) { return content.substr(0, bom.size()) == bom; };
    if (starts("\xEF\xBB\xBF")) {
        return cp1250_from_utf8(content.substr(3));
    }
    if (starts("\xFF\xFE")) {
        return cp1250_from_utf16(utf16_units(content.substr(2), false));
    }
    if (starts("\xFE\xFF")) {
        return cp1250_from_utf16(utf16_units(content.substr(2), true));
    }
    return std::string(content);
}

// False, with the lines so far, once there would be more than `maxLines`.
bool split_into(std::string_view content, std::vector<std::string>& lines, std::size_t maxLines) {
    const std::string text = to_cp1250(content);
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (lines.size() == maxLines) {
                return false;
            }
            lines.emplace_back(text, start, i - start);
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) {
        if (lines.size() == maxLines) {
            return false;
        }
        lines.emplace_back(text, start);
    }
    return true;
}

} // namespace

std::vector<std::string> split_text_lines(std::string_view content) {
    std::vector<std::string> lines;
    split_into(content, lines, std::numeric_limits<std::size_t>::max());
    return lines;
}

TextFile read_text_file(std::string_view path, std::size_t maxBytes, std::size_t maxLines,
                        Links links) {
    return text_file_of(read_regular_file(path, maxBytes, links), maxLines);
}

TextFile text_file_of(const FileContent& content, std::size_t maxLines) {
    TextFile file;
    file.problem = content.problem;
    if (!content.ok()) {
        return file;
    }
    try {
        if (!split_into(content.bytes, file.lines, maxLines)) {
            file.problem = FileProblem::TooLarge;
        }
    } catch (const std::bad_alloc&) {
        file.problem = FileProblem::TooLarge;
    }
    if (!file.ok()) {
        file.lines = {};
    }
    return file;
}

std::optional<std::vector<std::string>> read_text_lines(std::string_view path) {
    TextFile file = read_text_file(path);
    if (!file.ok()) {
        return std::nullopt;
    }
    return std::move(file.lines);
}

std::string join_crlf_lines(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

} // namespace kelmora
