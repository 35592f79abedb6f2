// EncodeCommand: turns one command text into the payload a terminal expects,
// in place in the command's 200-byte working buffer, just before the link
// layer frames and sends it.
//
// The first character selects the layout (its row in terminal/CommandLetters.h):
//   PersonRecord  Q, R, q, r: a person record (fixed-width text, below) -> 40
//                 bytes, or 43 for a letter with the credit (Q) when the
//                 credit flag is on; Q is sent as 'X'.
//   SixNumbers    c: four characters and six numbers -> 17 bytes.
//   Text          every other letter: the text itself, up to its zero byte;
//                 the buffer is untouched.
// A converted payload is written over the start of the buffer, followed by
// one zero byte that is not part of it.
//
// Record text (0-based positions; a short text reads as zero bytes past its end):
//   0       letter                        payload 0 ('X' for Q)
//   1-4     person number (number field)  1-2, big-endian low 16 bits
//   5-13    copied unchanged; 13 is the flag character, its top bit the raw flag
//                                         3-11
//   14-27   first codes of positions 1-14 12-25 meal bytes (raw: copied as they are)
//   28-41   breakfast codes               (packed into 12-25; ignored when raw)
//   42-55   dinner codes                  (packed into 12-25; ignored when raw)
//   56-69   name                          26-39, through the name table
//   70      Q with credit only: copied    40
//   71-76   Q with credit only: credit    41-42, clamped to 31000 either way,
//           ('-' in 71 marks a negative value, stored as one's complement)
//
// Command c: 0-4 copied to payload 0-4; number fields at 6-9, 11-14, 16-19,
// 21-24, 26-29, 31-34 go big-endian to payload 5-6, 7-8, ... 15-16; the
// separators between them are not examined.
//
// Meal coding packs the three rows into the meal bytes (terminal/MealCode.h),
// row by row. A breakfast code of B or more, or a dinner code of V or more,
// is logged ("Spatne kodovani snidani" / "Spatne kodovani veceri", one line
// per position, breakfasts first), leaves that meal byte as the earlier rows
// made it, and is followed by one log line with the command text as it was
// before encoding; the command is still sent.
//
// Errors:
//   - A record command without the raw flag while B or V is below 1 throws
//     CodingError "Snidane nebo večeře = 0!" before anything is logged; the
//     buffer is left unchanged and nothing may be sent. (A negative radix
//     cannot pack a meal byte either, so it is refused like 0.)
//   - A pass-through text longer than kMaxPayload (a frame holds at most 97
//     payload bytes), or one with no zero byte in the whole buffer, returns
//     kPayloadTooLong and leaves the buffer unchanged; the caller sends nothing.
//
// Whatever the buffer holds, nothing outside its 200 bytes is read or written.
// No state is kept between calls.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

namespace kelmora {

inline constexpr std::size_t kCommandBufferSize = 200;

// The working buffer of one command being sent: the text, zero-filled behind it.
using CommandBuffer = std::array<char, kCommandBufferSize>;

// The largest payload a frame carries (address, length and checksum make 100).
inline constexpr int kMaxPayload = 97;

// EncodeCommand's result for a text that does not fit in one frame.
inline constexpr int kPayloadTooLong = -1;

// A zero-filled buffer holding `text`; empty when the text and its closing
// zero byte do not fit, so a long text is never cut into a different command.
std::optional<CommandBuffer> MakeCommandBuffer(std::string_view text);

// The text in the buffer, up to its first zero byte (or the whole buffer).
std::string_view CommandText(const CommandBuffer& buffer);

// The configuration values encoding reads, as they are in force.
struct CodingSettings {
    bool Coding = true;    // selects the code alphabet's column
    int MaxBreakfasts = 4; // B, the breakfast radix
    int MaxDinners = 6;    // V, the dinner radix
    bool Credit = true;    // Q carries a credit value
};

// Where the complaints of meal coding go: the event log's LogEvent.
using EventSink = std::function<void(std::string_view)>;

// The payload length (0 to kMaxPayload), or kPayloadTooLong.
// Throws CodingError as described above.
int EncodeCommand(CommandBuffer& buffer, const CodingSettings& settings, const EventSink& logEvent);

} // namespace kelmora
