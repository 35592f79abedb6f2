// Text files as lists of lines, the way request files and command files are
// read: a UTF-8 or UTF-16 (LE or BE) byte-order mark selects that encoding,
// otherwise the bytes are Windows-1250. Lines end at CR LF, LF or CR.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora {

// The lines of `content`, each as Windows-1250 text without its line end.
// A final line end does not start another line; empty content has no lines.
std::vector<std::string> split_text_lines(std::string_view content);

// The lines of the file, or nothing when it cannot be read.
std::optional<std::vector<std::string>> read_text_lines(std::string_view path);

// The lines joined, each ended by CR LF.
std::string join_crlf_lines(const std::vector<std::string>& lines);

} // namespace kelmora
