// The main window's controls as both windows must show them, read from
// tests/data/window_controls.tsv (its head says what the columns mean).
// Texts stay UTF-8; "\n" becomes a line break and the number ranges {a..b}
// and {a..b..step} become their entries.
#pragma once

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelmora::testing {

struct ControlRow {
    std::string name;
    int page = -1; // -1: outside the pages
    std::string kind;
    std::string text; // "*": any
    std::string hint;
    std::string buddy;
    std::string size;
};

inline constexpr const char* kAnyText = "*";

namespace detail {

// "COM{1..3}" gives "COM1|COM2|COM3"; text without a range stays.
inline std::string ExpandRanges(const std::string& text) {
    const std::size_t open = text.find('{');
    const std::size_t close = text.find('}', open);
    if (open == std::string::npos || close == std::string::npos) {
        return text;
    }
    const std::string prefix = text.substr(0, open);
    const std::string suffix = text.substr(close + 1);
    const std::string range = text.substr(open + 1, close - open - 1);
    const std::size_t dots = range.find("..");
    const std::size_t stepDots = range.find("..", dots + 2);
    const int first = std::stoi(range.substr(0, dots));
    const int last = std::stoi(range.substr(dots + 2, stepDots - dots - 2));
    const int step = stepDots == std::string::npos ? 1 : std::stoi(range.substr(stepDots + 2));
    std::string out;
    for (int n = first; n <= last; n += step) {
        out += (out.empty() ? "" : "|") + prefix + std::to_string(n) + suffix;
    }
    return out;
}

inline std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace detail

// Every row in the file's order; throws when the file cannot be read or a
// row is malformed, so a broken table fails the test instead of passing it.
inline std::vector<ControlRow> ReadControlTable(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read the control table " + path);
    }
    std::vector<ControlRow> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) {
            fields.push_back(field);
        }
        fields.resize(7);
        if (fields[0].empty() || fields[2].empty()) {
            throw std::runtime_error("malformed control table row: " + line);
        }
        ControlRow row;
        row.name = fields[0];
        row.page = fields[1] == "-" ? -1 : std::stoi(fields[1]);
        row.kind = fields[2];
        row.text = detail::ExpandRanges(detail::Unescape(fields[3]));
        row.hint = fields[4];
        row.buddy = fields[5];
        row.size = fields[6];
        rows.push_back(std::move(row));
    }
    return rows;
}

// The rows of one kind, in the file's order.
inline std::vector<ControlRow> RowsOfKind(const std::vector<ControlRow>& rows,
                                          const std::string& kind) {
    std::vector<ControlRow> out;
    for (const ControlRow& row : rows) {
        if (row.kind == kind) {
            out.push_back(row);
        }
    }
    return out;
}

} // namespace kelmora::testing
