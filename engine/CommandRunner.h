// The command runner: a job is a list of command lines sent one by one to the
// terminal of the selected slot, each with the attempts chosen by the
// operator, and ended by the output file and the status pair that tell the
// host application what happened.
//
// Status pairs ("rexcom.sta"):
//   request file read but holds no line                    -1,-1
//   TERM names a slot outside 1..4 or one not connected    -1,0
//   TERM names a connected slot (before its commands run)   1,0
//   end of a job on a connected slot          AckCount,RecordCount
//   end of a request-file or command-file job on a slot
//   that is not connected                                  -1,-1
//   command file chosen but empty                           0,0
#pragma once

#include "terminal/CommandLine.h"

#include <string>
#include <string_view>
#include <vector>

namespace kelmora {

class Console;
class EventLog;
class Terminals;
struct Configuration;
struct SharedFlags;
class TTobrin;

class CommandRunner {
public:
    CommandRunner(const Configuration& config, const EventLog& log, Console& console,
                  Terminals& terminals, SharedFlags& flags);

    // The host's request file: read, delete, the TERM line, the job, the
    // output file and the status pair. A file that cannot be read or deleted
    // stays where it is and is taken up again at the next poll.
    void ProcessRequestFile(const std::string& path);

    // Runs CommandList on the selected slot. An error raised while a line is
    // encoded or executed ends the run at once, without a message.
    void RunCommandList();

    // One command with its attempts: success or failure.
    bool RunCommand(std::string_view text);

    // A two-part record line: part two only after part one succeeded.
    bool RunTwoPartLine(std::string_view line);

    // The result list into the output file; false (and logged) when the file
    // cannot be written.
    bool SaveResults();

    // Empties panels 1, 3, 5 and 7.
    void ClearStatusPanels();

    // The status pair at the end of a job: the selected terminal's counts,
    // or -1,-1 when the selected slot is not connected.
    void ReportJobStatus();

    void ReportStatus(int a, int b);

    // The selected slot's terminal, or none when the slot is not connected.
    TTobrin* SelectedTerminal() const;

    std::vector<std::string> CommandList;

private:
    bool RunLine(const std::string& line);
    void Pause(int ms);

    const Configuration& config_;
    const EventLog& log_;
    Console& console_;
    Terminals& terminals_;
    SharedFlags& flags_;
};

// atol: leading white space, a sign, then decimal digits up to the first
// other character; no digits give 0. Saturates instead of overflowing.
long ReadLong(std::string_view text);

} // namespace kelmora
