// CommandLetters: what each letter means on the wire, in one table.
//
// A command line's first character says how its text is encoded, whether the
// terminal answers it with a data block, and what the link does once it is
// acknowledged; an answer record's first byte says what record it is. Every
// piece that branches on a letter asks this table: EncodeCommand (the
// payload's layout), ClassifyCommandLine and SplitTwoPartLine (two-part
// record lines), TTobrin::SendCommand (the pause after C, the role tested
// again after O), ExecuteCommand (whether an answer block follows) and
// DecodeAnswer (the records' types). A new letter is one row here.
//
//   letter  as a command                                  in an answer block
//   P, Y    text; a data answer                           -
//   S       text; a data answer                           an S record
//   C       text; 3000 ms pause after it (the terminal    -
//           is deaf while it clears its memory)
//   O       text; the role tested again after it          -
//   Q       person record, sent as X, with the credit;    -
//           a line of 98 to 121 characters is two
//           records, the second one q
//   R       person record; two records as Q, the second r a person record
//   q, r    person record (the second half of a pair)     a person record that
//                                                         completes the one before it
//   Z       text                                          a person record, shown as Q
//   c       four characters and six numbers               -
//   others  text, acknowledged only                       no record (line noise)
#pragma once

#include <array>
#include <cstdint>

namespace kelmora {

// How a command's text becomes its payload (terminal/EncodeCommand.h).
enum class PayloadLayout {
    Text,         // the text itself
    PersonRecord, // 40 bytes, 43 with the credit
    SixNumbers,   // 17 bytes
};

// What the link does once the command has been sent and acknowledged or not.
enum class AfterSend {
    Nothing,
    ClearPause, // wait kClearPauseMs: the terminal is deaf while it clears its memory
    Retest,     // test the terminal's role again, without the probe
};

// What a record of an answer block is, by its first byte (terminal/AnswerDecoding.h).
enum class RecordType {
    None, // no record: the block is line noise
    S,
    Person,
};

inline constexpr std::uint32_t kClearPauseMs = 3000;

struct CommandLetter {
    char letter = '\0';
    // As the first character of a command line.
    PayloadLayout layout = PayloadLayout::Text;
    char sentAs = '\0';      // a record payload's first byte when it is not the letter
    bool credit = false;     // the record carries the credit when Credit is configured
    char secondPart = '\0';  // the letter of a two-part line's second record, if it has one
    bool dataAnswer = false; // an answer block follows the acknowledgement
    AfterSend after = AfterSend::Nothing;
    // As the first byte of a record in an answer block.
    RecordType record = RecordType::None;
    char shownAs = '\0';      // a person record's letter in its line when it is not the letter
    bool pairsBehind = false; // completes the person record before it into one line

    friend constexpr bool operator==(const CommandLetter&, const CommandLetter&) = default;
};

inline constexpr std::array kCommandLetters = {
    CommandLetter{.letter = 'P', .dataAnswer = true},
    CommandLetter{.letter = 'Y', .dataAnswer = true},
    CommandLetter{.letter = 'S', .dataAnswer = true, .record = RecordType::S},
    CommandLetter{.letter = 'C', .after = AfterSend::ClearPause},
    CommandLetter{.letter = 'O', .after = AfterSend::Retest},
    CommandLetter{.letter = 'Q',
                  .layout = PayloadLayout::PersonRecord,
                  .sentAs = 'X',
                  .credit = true,
                  .secondPart = 'q'},
    CommandLetter{.letter = 'R',
                  .layout = PayloadLayout::PersonRecord,
                  .secondPart = 'r',
                  .record = RecordType::Person},
    CommandLetter{.letter = 'q',
                  .layout = PayloadLayout::PersonRecord,
                  .record = RecordType::Person,
                  .pairsBehind = true},
    CommandLetter{.letter = 'r',
                  .layout = PayloadLayout::PersonRecord,
                  .record = RecordType::Person,
                  .pairsBehind = true},
    CommandLetter{.letter = 'Z', .record = RecordType::Person, .shownAs = 'Q'},
    CommandLetter{.letter = 'c', .layout = PayloadLayout::SixNumbers},
};

// The row of `letter`; a letter without one is plain text, acknowledged
// only, and no record in an answer.
const CommandLetter& LookUpLetter(char letter);

} // namespace kelmora
