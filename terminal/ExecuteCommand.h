// ExecuteCommand: one attempt of one command line on one terminal, there and
// back. It sends the line (SendCommand), and for a data command (P, S and Y:
// a data answer in terminal/CommandLetters.h) reads the answer block, stores
// it whole in "binarni.bin" when so configured, and appends its decoded
// lines to the result list.
//
// The answer block ends when the line has been quiet for MasterTestMs, or at
// the poll frame 10 04 55 69 of a MASTER (which is not part of the block).
// Quiet is the line's, not this process's clock: when the time is up, a byte
// that is already waiting (it came while the process was held up) is stored
// and the quiet time starts again from it.
//
// Only a whole, right answer is Done. A block that is not a whole number of
// records, or holds something that is no record (line noise: a record that
// does not start with its letter), is Repeat, logged, with no line. A block
// larger than the terminal's memory is abandoned with a message to the
// operator and in the event log (Overflow): no line, record count 0. A block
// the line cut off (the device hung up in the middle), one a stop request
// cut short, and one whose "binarni.bin" cannot be written are a failed
// attempt, never a complete answer, however many whole records they held.
// In every case but Done and Repeat the acknowledgement does not count, and
// "binarni.bin" is left empty where it can be written, so that no earlier
// answer can be mistaken for this one.
#pragma once

#include <string_view>

namespace kelmora {

class TTobrin;

enum class CommandOutcome {
    Done,     // acknowledged; a data answer, if any, has been handled
    Failed,   // not acknowledged (or not sent at all), or the answer did not come whole
    Repeat,   // a data answer that is not a whole number of records: send again
    Overflow, // a data answer larger than the memory: sending again cannot help
};

// `text` is one command line of at most 97 characters; it is copied, never
// changed. A text that does not fit the 200-byte working buffer is not sent
// (Failed). Throws CodingError from encoding or decoding; the cursor and the
// result list are restored before it leaves.
CommandOutcome ExecuteCommand(TTobrin& terminal, std::string_view text);

enum class AnswerBlock {
    Complete,   // ended by MasterTestMs of silence or by the poll frame
    Overflow,   // more than the memory holds (the operator has been told)
    LineFailed, // the line failed before the block ended
    Stopped,    // the system asked the program to stop before the block ended
};

// Reads one answer block into the terminal's answer buffer and sets its
// received count.
AnswerBlock ReadAnswerBlock(TTobrin& terminal);

} // namespace kelmora
