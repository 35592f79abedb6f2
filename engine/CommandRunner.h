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
//   request file that cannot be taken, a job cut short by a
//   stop request or left unfinished by the last run, a job
//   whose output file cannot be written                    -1,-1
//
// A command whose answer did not come whole and right counts as failed, so
// the pair never reports it as acknowledged.
//
// A request file is taken by renaming it to its work name (kWorkSuffix added)
// and runs under that name; the work file goes once the job's final status
// is in "rexcom.sta". One still there at start belongs to a job the last run
// never finished (a power cut, a kill): it is reported, never run again, as
// its record commands may already have reached the terminal.
//
// A final status that cannot be written (a full or read-only data directory)
// stays pending with its work file: the old "rexcom.sta" is removed where
// that is possible, so the host cannot take the last job's pair for this
// one's; the pending pair is written as soon as the directory lets it
// (ReportPendingStatus, before every request and at every re-test), and no
// request is taken before that.
//
// A request file that cannot be taken (a FIFO, a directory or a device under
// its name, a symbolic link, more than kMaxCommandFileBytes or
// kMaxCommandFileLines, unreadable) is logged once,
// renamed aside (kBadRequestSuffix added, replacing an older one) and
// reported; the next request is served as usual.
//
// Every final status of a request file goes into the job's receipt as well,
// where one was asked for (engine/JobReceipt.h), after "rexcom.sta" and
// while the file it belongs to still exists.
#pragma once

#include "engine/JobReceipt.h"
#include "platform/Files.h"
#include "terminal/CommandLine.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora {

inline constexpr std::string_view kWorkSuffix = ".job";
inline constexpr std::string_view kBadRequestSuffix = ".bad";

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

    // The host's request file: read, taken under its work name, the TERM
    // line, the job, the output file and the status pair. A file that is
    // still held by its writer, or cannot be renamed, stays where it is and
    // is taken up again at the next poll.
    void ProcessRequestFile(const std::string& path);

    // At start: a work file left by a job the last run never finished is
    // logged and reported as a failure, and removed once that is written.
    void ReportUnfinishedJob(const std::string& requestPath);

    // Writes the final status of the request's last job if it is still
    // pending (logged when it finally is). Whether nothing is pending now:
    // only then may the next request be taken.
    bool ReportPendingStatus(const std::string& requestPath);

    // Runs CommandList on the selected slot. An error raised while a line is
    // encoded or executed ends the run at once, without a message. False when
    // a stop (Stopping, or the system's stop request) cut it short.
    bool RunCommandList();

    // One command with its attempts: success or failure. With the high
    // priority on ("Priorita komunikace HIGH_PRIORITY"), each attempt runs at
    // a raised priority; where the system refuses it, that is logged once.
    bool RunCommand(std::string_view text);

    // A two-part record line: part two only after part one succeeded.
    bool RunTwoPartLine(std::string_view line);

    // The result list into the output file; false (and logged) when the file
    // cannot be written.
    bool SaveResults();

    // Empties panels 1, 3, 5 and 7.
    void ClearStatusPanels();

    // The status pair at the end of a job: the selected terminal's counts,
    // or -1,-1 when the selected slot is not connected. Whether
    // "rexcom.sta" was written.
    bool ReportJobStatus();

    // Whether "rexcom.sta" was written.
    bool ReportStatus(int a, int b);

    // The selected slot's terminal, or none when the slot is not connected.
    TTobrin* SelectedTerminal() const;

    std::vector<std::string> CommandList;

private:
    bool RunLine(const std::string& line);
    void Pause(int ms);
    bool StopAsked() const;
    struct Pair {
        int a = -1;
        int b = -1;
    };
    // The selected terminal's counts, or -1,-1 when its slot is not connected.
    Pair JobPair() const;
    // `path` (the request file, or its work file) aside under the request
    // file's name with kBadRequestSuffix; logged and reported.
    void SetAside(const std::string& path, const std::string& requestPath, FileProblem problem);
    // The job's final status, and its receipt; the work file goes once the
    // status is written.
    void FinishJob(const std::string& requestPath, int a, int b);
    // The request file of a job, for its receipt: its identity, the digest of
    // what was read from it, and the output file the job wrote (empty until it did).
    struct JobFile {
        std::optional<std::uint64_t> identity;
        std::optional<std::uint64_t> digest;
        std::string output;
    };
    // The receipt of `job` with the pair a,b, where one was asked for.
    void SendReceipt(const std::string& requestPath, const JobFile& job, int a, int b);

    const Configuration& config_;
    const EventLog& log_;
    Console& console_;
    Terminals& terminals_;
    SharedFlags& flags_;
    bool cut_ = false;                   // a stop cut the current run short
    bool priorityRefusalLogged_ = false; // said once per run of the program
    JobFile job_;                        // the job in progress
    // The final status of a job whose work file is still there because the
    // pair could not be written (none: the job is the last run's, -1,-1).
    struct Pending {
        Pair pair;
        JobFile job;
    };
    std::optional<Pending> pending_;
    bool waitLogged_ = false;          // "a request waits" said once while pending
    bool renameRefusedLogged_ = false; // a request that cannot be moved, said once
};

// atol: leading white space, a sign, then decimal digits up to the first
// other character; no digits give 0. Saturates instead of overflowing.
long ReadLong(std::string_view text);

} // namespace kelmora
