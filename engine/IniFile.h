// INI text as the Windows private-profile functions read and write it, held
// as the file's own bytes (Windows-1250) so that a write changes one line and
// leaves every other byte of the file as it was.
//
// Reading:
// - Lines end at CR LF, LF or a lone CR. Spaces and tabs around a line's
//   parts are ignored; "first character" below means the first non-blank.
// - A line whose first character is '[' starts a section; its name is the
//   text up to the first ']' (or to the line's end when there is none).
// - A line whose first character is ';' or '#' is a comment.
// - Inside a section, a line holding '=' is a key: the name before the first
//   '=', the value after it, both trimmed. A value wrapped in one pair of
//   matching quotes ('...' or "...") reads without them.
// - Any other line inside a section (text without '=') is not a key: it is
//   kept as it is and never read. Lines before the first section are kept
//   and never read either.
// - Section and key names are compared without regard to ASCII case. The
//   first section of a name and the first key of a name in it win; later
//   duplicates are kept but never read or written.
// - A key present with an empty value reads as the empty string; a missing
//   key reads as no value.
// - A file that starts with the UTF-8 byte-order mark holds UTF-8 text: its
//   values are converted to Windows-1250 when read and written back as UTF-8.
//
// Writing one key:
// - An existing key line keeps everything up to its value (indentation, the
//   name's spelling, the blanks after '=') and its own line end; only the
//   value changes.
// - A new key goes right after the last key line of its section, or right
//   after the section line when the section has no key yet.
// - A new section goes to the end of the file.
// - New lines end with CR LF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace kelmora {

class IniText {
public:
    IniText() = default;
    explicit IniText(std::string content) : content_(std::move(content)) {}

    // The value of the key, or nothing when the key (or its section) is missing.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    // Writes the key as described above. False, with the text unchanged, for
    // what one line cannot hold: an empty section or key name, a line break
    // anywhere, ']' in the section name, '=' in the key name, or a key name
    // that would read as a section or a comment.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    // The file's bytes, with every write applied.
    const std::string& Content() const { return content_; }

    // The typed readers. A boolean or integer value that is not a whole
    // number (see ParseWholeNumber) gives the default, as a missing key does.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

private:
    std::string content_;
};

// A whole number: optional blanks, an optional sign, decimal digits, optional
// blanks, within the 32-bit signed range. Anything else gives nothing.
std::optional<std::int32_t> ParseWholeNumber(std::string_view text);

// A configuration file is a few hundred bytes; a larger one is no INI file.
inline constexpr std::size_t kMaxIniFileBytes = std::size_t{1} << 20;

// The file's text; a missing or unreadable file (or a FIFO, a device, one over
// kMaxIniFileBytes) reads as an empty text.
IniText ReadIniFile(std::string_view path);

// Writes one key to the file at once, creating the file if it is missing.
// The new content goes to a temporary file beside it that is renamed over the
// old one, so a failure never leaves half a file. Fails, leaving the file
// as it was, when the file exists but cannot be read or written (read-only),
// when its directory is missing or cannot be written, or when Set refuses.
bool WriteIniValue(std::string_view path, std::string_view section, std::string_view key,
                   std::string_view value);

} // namespace kelmora
