// kelmora request: a client of the copy that runs on the configuration's
// data path, for sites without a window. It hands that copy one request file
// the way a careful host does and tells what became of its job.
//
//  1. The lines become one request file: Windows-1250 with CR LF, the line
//     TERM N first for --terminal N. Lines the relay would never send (too
//     long for a frame, a NUL, a line break, TERM further down) are refused
//     here, before anything is written.
//  2. Nothing is written when no copy serves the data path (its lock file
//     "kelmora.lock" is not held): that is said at once.
//  3. The request is written under a name of its own beside the request
//     file, and its receipt is asked for (engine/JobReceipt.h). Then it is
//     renamed to the request file's name by a rename that never replaces a
//     file (place_file): while a request the host dropped is still waiting
//     there, this one waits its turn.
//  4. It waits for the job's receipt, which the relay writes once the job's
//     final status is in "rexcom.sta", and reads it once the request has left
//     the request file's name and the work name. The receipt names the
//     request by its file's identity, so another job's result is never taken
//     for this one's (nor an earlier job's, seen while this request waited);
//     and it carries the digest of what the relay read, so a request another
//     program wrote over in place before it was taken is not taken for this
//     one either.
//  5. The answer lines go to standard output as the console shows them, the
//     status pair after them; what went wrong goes to standard error.
//
// Time-out (and a stop: Ctrl+C, SIGTERM): a request still waiting for its
// turn is not written; one that the relay has not taken yet is taken back,
// and only when it is still this request under the request file's name; a
// job that has begun runs on, nobody waiting for it. The files of the client
// (its request under its own name, its receipt) go on every way out.
#pragma once

#include "engine/JobReceipt.h"
#include "shell/ProgramOptions.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora {

// The exit status of kelmora request.
enum RequestExit : int {
    kRequestDone = 0,          // the job ended and every command was acknowledged
    kRequestCommandFailed = 1, // the job ended, a command was not acknowledged
    kRequestUsage = 2,         // the command line, or a line that cannot be sent
    kRequestJobFailed = 3,     // a failure pair (-1,...): the job did not run as asked
    kRequestTimedOut = 4,      // no final status within the time-out
    kRequestNoRelay = 5,       // no copy serves the data path (or it ended meanwhile)
    kRequestNotWritten = 6,    // the request file cannot be written there
    kRequestStopped = 130,     // Ctrl+C or a stop signal
};

struct BuiltRequest {
    std::string bytes;       // the request file
    int commands = 0;        // the frames its lines send: two for a two-part record line
    bool selectOnly = false; // nothing but TERM N: its job ends with 1,0
    std::string error;       // why these lines make no request (Windows-1250); empty: none
};

// The request of `lines` (Windows-1250), after TERM N for `terminal`.
BuiltRequest BuildRequest(const std::vector<std::string>& lines, std::optional<int> terminal);

struct Verdict {
    int exit = kRequestDone;
    std::string message; // for standard error (Windows-1250); empty: nothing to say
    bool ours = true;    // the job ran this request: its lines and pair are this one's
};

// What the receipt of the job of `request` says to a script.
Verdict JudgeReceipt(const JobReceipt& receipt, const BuiltRequest& request);

// The whole run: `iniPath` and `startDirectory` are those the program would
// run with (shell/ProgramLocations.h). Returns the exit status.
int RunRequest(const RequestOptions& options, std::string_view iniPath,
               std::string_view startDirectory);

} // namespace kelmora
