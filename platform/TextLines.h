// Text files as lists of lines, the way request files and command files are
// read: a UTF-8 or UTF-16 (LE or BE) byte-order mark selects that encoding,
// otherwise the bytes are Windows-1250. Lines end at CR LF, LF or CR.
#pragma once

#include "platform/Files.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora {

// The lines of `content`, each as Windows-1250 text without its line end.
// A final line end does not start another line; empty content has no lines.
std::vector<std::string> split_text_lines(std::string_view content);

// The most a request file or command file may hold. The largest sensible one,
// 2,500 two-part record lines, is about 300 KB (600 KB in UTF-16). A terminal
// holds at most 65,536 persons, one record line each, and a TERM line may come
// first; the line bound also keeps a file of nothing but line breaks from
// taking tens of bytes of memory per byte.
inline constexpr std::size_t kMaxCommandFileBytes = std::size_t{4} << 20;
inline constexpr std::size_t kMaxCommandFileLines = 65537;

struct TextFile {
    std::vector<std::string> lines;
    FileProblem problem = FileProblem::None;

    bool ok() const { return problem == FileProblem::None; }
};

// The lines of content read from a file, at most `maxLines` of them (more
// is TooLarge); a content that could not be read keeps its problem.
TextFile text_file_of(const FileContent& content, std::size_t maxLines = kMaxCommandFileLines);

// The lines of a regular file of at most `maxBytes` bytes and `maxLines`
// lines, or why it cannot be taken (see read_regular_file; more lines is
// TooLarge as well).
TextFile read_text_file(std::string_view path, std::size_t maxBytes = kMaxCommandFileBytes,
                        std::size_t maxLines = kMaxCommandFileLines, Links links = Links::Follow);

// The lines of the file, or nothing when it cannot be taken.
std::optional<std::vector<std::string>> read_text_lines(std::string_view path);

// The lines joined, each ended by CR LF.
std::string join_crlf_lines(const std::vector<std::string>& lines);

} // namespace kelmora
