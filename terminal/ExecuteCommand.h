// ExecuteCommand: one attempt of one command line on one terminal, there and
// back. It sends the line (SendCommand), and for the data commands P, S and
// Y reads the answer block, stores it whole in "binarni.bin" when so
// configured, and appends its decoded lines to the result list.
//
// The answer block ends when MasterTestMs pass without a byte, or at the poll
// frame 10 04 55 69 of a MASTER (which is not part of the block). A block
// larger than the terminal's memory (the answer buffer) is abandoned with a
// message to the operator: no line, record count 0, outcome Done; panel 3
// shows the bytes taken before it overflowed and "binarni.bin" is written
// empty, so that no earlier answer can be mistaken for this one. A block the
// line cut off (the device hung up in the middle) is a failed attempt, never
// a complete answer, however many whole records it held; its acknowledgement
// does not count either.
#pragma once

#include <string_view>

namespace kelmora {

class TTobrin;

enum class CommandOutcome {
    Done,   // acknowledged; a data answer, if any, has been handled
    Failed, // not acknowledged (or not sent at all), or the line failed during the answer
    Repeat, // a data answer that is not a whole number of records: send again
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
};

// Reads one answer block into the terminal's answer buffer and sets its
// received count.
AnswerBlock ReadAnswerBlock(TTobrin& terminal);

} // namespace kelmora
