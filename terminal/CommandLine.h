// The shape of a command line, as the command runner sees it before sending.
//
//   Empty     nothing to send (the line still counts in the job's progress).
//   OneFrame  1 to 97 characters: one command, one frame. A frame carries at
//             most 97 payload bytes, and a text that is not converted is sent
//             as it is.
//   TwoPart   98 to 121 characters beginning with a letter that has a second
//             part (Q or R, terminal/CommandLetters.h): a person record with
//             28 meal positions, sent as two record commands (below).
//   HoldsNul  a line with a NUL byte anywhere: a frame would end at the NUL
//             (a line of only a NUL would go out as an empty frame). Never
//             sent; a failed command, logged.
//   TooLong   anything else: a two-part line over 121 characters (its parts
//             would not fit the 80-byte part buffers), any other line over 97
//             (it fits no frame), and so every line over 200 (the working
//             buffer). Such a line is never sent, and nothing is copied from
//             it; the runner counts it as a failed command and logs it.
//
// Two-part record line (0-based positions):
//   0-13    letter, person number, the nine unchanged characters
//   14-55   first, breakfast and dinner codes of positions 1 to 14
//   56-97   first, breakfast and dinner codes of positions 15 to 28
//   98-111  name; then for Q with credit: 112 copied, 113-118 credit
// Part one is characters 0-55 then 98-end, keeping Q or R: positions 1 to 14,
// the name and the credit. Part two is characters 0-13 then 56-end, with the
// letter in lower case (q or r): positions 15 to 28 and the name. Each part
// has (line length - 42) characters.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kelmora {

inline constexpr std::size_t kMaxOneFrameLine = 97;
inline constexpr std::size_t kMaxTwoPartLine = 121;

enum class LineShape { Empty, OneFrame, TwoPart, HoldsNul, TooLong };

LineShape ClassifyCommandLine(std::string_view line);

struct TwoPartRecord {
    std::string first;  // Q or R: positions 1 to 14, name, credit
    std::string second; // q or r: positions 15 to 28, name
};

// The two record commands of a two-part line; empty when the line is not one
// (ClassifyCommandLine would not say TwoPart).
std::optional<TwoPartRecord> SplitTwoPartLine(std::string_view line);

} // namespace kelmora
