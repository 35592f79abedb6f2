#include "engine/IniFile.h"

#include "platform/Cp1250.h"
#include "platform/FileAccess.h"
#include "platform/Files.h"
#include "platform/Path.h"

namespace kelmora {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kCrLf = "\r\n";

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

bool is_line_break(char c) {
    return c == '\r' || c == '\n';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && is_blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

char fold(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

// One line of the text: [begin, end) is its content, [end, next) its line end
// (empty only for a last line without one).
struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t next = 0;
};

Line line_at(std::string_view text, std::size_t begin) {
    Line line{begin, begin, begin};
    while (line.end < text.size() && !is_line_break(text[line.end])) {
        ++line.end;
    }
    line.next = line.end;
    if (line.next < text.size()) {
        line.next +=
            text[line.next] == '\r' && line.next + 1 < text.size() && text[line.next + 1] == '\n'
                ? 2
                : 1;
    }
    return line;
}

enum class Kind { Section, Key, Other };

struct Parsed {
    Kind kind = Kind::Other;
    std::string_view name;
    std::string_view value;     // trimmed, quotes still on
    std::size_t valueBegin = 0; // offset in the text where the value may be replaced
};

Parsed parse_line(std::string_view text, const Line& line) {
    const std::string_view raw = text.substr(line.begin, line.end - line.begin);
    const std::string_view body = trim(raw);
    Parsed p;
    if (body.empty() || body.front() == ';' || body.front() == '#') {
        return p;
    }
    if (body.front() == '[') {
        std::string_view name = body.substr(1);
        const std::size_t close = name.find(']');
        if (close != std::string_view::npos) {
            name = name.substr(0, close);
        }
        p.kind = Kind::Section;
        p.name = trim(name);
        return p;
    }
    const std::size_t equals = raw.find('=');
    if (equals == std::string_view::npos) {
        return p;
    }
    p.kind = Kind::Key;
    p.name = trim(raw.substr(0, equals));
    std::size_t valueBegin = equals + 1;
    while (valueBegin < raw.size() && is_blank(raw[valueBegin])) {
        ++valueBegin;
    }
    p.value = trim(raw.substr(valueBegin));
    p.valueBegin = line.begin + valueBegin;
    return p;
}

std::string_view strip_quotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

bool has_line_break(std::string_view s) {
    return s.find_first_of(kCrLf) != std::string_view::npos;
}

bool storable_names(std::string_view section, std::string_view key) {
    if (section.empty() || key.empty() || trim(section) != section || trim(key) != key) {
        return false;
    }
    if (has_line_break(section) || has_line_break(key) || section.find(']') != section.npos ||
        key.find('=') != key.npos) {
        return false;
    }
    return key.front() != '[' && key.front() != ';' && key.front() != '#';
}

} // namespace

std::optional<std::string> IniText::Get(std::string_view section, std::string_view key) const {
    const bool utf8 = content_.starts_with(kUtf8Mark);
    const std::string sectionName = utf8 ? utf8_from_cp1250(section) : std::string(section);
    const std::string keyName = utf8 ? utf8_from_cp1250(key) : std::string(key);
    bool seen = false;
    bool inside = false;
    for (std::size_t pos = utf8 ? kUtf8Mark.size() : 0; pos < content_.size();) {
        const Line line = line_at(content_, pos);
        pos = line.next;
        const Parsed p = parse_line(content_, line);
        if (p.kind == Kind::Section) {
            if (inside) {
                return std::nullopt;
            }
            inside = !seen && same_name(p.name, sectionName);
            seen = seen || inside;
        } else if (inside && p.kind == Kind::Key && same_name(p.name, keyName)) {
            const std::string_view value = strip_quotes(p.value);
            return utf8 ? cp1250_from_utf8(value) : std::string(value);
        }
    }
    return std::nullopt;
}

bool IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
    if (!storable_names(section, key) || has_line_break(value)) {
        return false;
    }
    const bool utf8 = content_.starts_with(kUtf8Mark);
    const std::string sectionName = utf8 ? utf8_from_cp1250(section) : std::string(section);
    const std::string keyName = utf8 ? utf8_from_cp1250(key) : std::string(key);
    const std::string stored = utf8 ? utf8_from_cp1250(value) : std::string(value);
    const std::size_t start = utf8 ? kUtf8Mark.size() : 0;

    bool inside = false;
    std::optional<Line> after; // the line a new key follows
    for (std::size_t pos = start; pos < content_.size();) {
        const Line line = line_at(content_, pos);
        pos = line.next;
        const Parsed p = parse_line(content_, line);
        if (p.kind == Kind::Section) {
            if (inside) {
                break;
            }
            if (same_name(p.name, sectionName)) {
                inside = true;
                after = line;
            }
        } else if (inside && p.kind == Kind::Key) {
            if (same_name(p.name, keyName)) {
                content_.replace(p.valueBegin, line.end - p.valueBegin, stored);
                return true;
            }
            after = line;
        }
    }

    const std::string keyLine = keyName + "=" + stored + std::string(kCrLf);
    if (after) {
        // A last line without its line end gets one before the new line.
        const bool ended = after->next > after->end;
        content_.insert(after->next, ended ? keyLine : std::string(kCrLf) + keyLine);
        return true;
    }
    if (content_.size() > start && !is_line_break(content_.back())) {
        content_ += kCrLf;
    }
    content_ += "[" + sectionName + "]" + std::string(kCrLf) + keyLine;
    return true;
}

std::string IniText::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    auto value = Get(section, key);
    return value ? std::move(*value) : std::string(defaultValue);
}

std::int32_t IniText::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
    const auto value = Get(section, key);
    if (!value) {
        return defaultValue;
    }
    return ParseWholeNumber(*value).value_or(defaultValue);
}

bool IniText::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::optional<std::int32_t> ParseWholeNumber(std::string_view text) {
    text = trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    constexpr std::int64_t kLimit = std::int64_t{1} << 31; // magnitude of INT32_MIN
    std::int64_t magnitude = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > kLimit) {
            return std::nullopt;
        }
    }
    if (!negative && magnitude == kLimit) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

IniText ReadIniFile(std::string_view path) {
    FileContent content = read_regular_file(path, kMaxIniFileBytes);
    return IniText(content.ok() ? std::move(content.bytes) : std::string());
}

bool WriteIniValue(std::string_view path, std::string_view section, std::string_view key,
                   std::string_view value) {
    std::string content;
    if (file_exists(path)) {
        // The rename below would replace a read-only file instead of failing,
        // and a file that cannot be read would be replaced by a lone key.
        if (!is_writable(path)) {
            return false;
        }
        FileContent existing = read_regular_file(path, kMaxIniFileBytes);
        if (!existing.ok()) {
            return false;
        }
        content = std::move(existing.bytes);
    }
    if (!is_writable(directory_of(path))) {
        return false;
    }
    IniText text(std::move(content));
    if (!text.Set(section, key, value)) {
        return false;
    }
    return replace_file(path, text.Content());
}

} // namespace kelmora
