// THlidac, the watcher: Kelmora's main loop on a thread of its own. It hands
// the host's request file to the main thread and waits while it is
// processed; about every ten seconds it hands over a re-test of the
// terminals instead. It never talks to a terminal.
//
// It rests until something is due: the file system's notice that the request
// file was written and closed, renamed into place or created (DirectoryWatch)
// wakes it at once; a look every `lookMs` is the safety net where no notice
// comes. A request file is handed over only once no program has it open for
// writing (file_writers), so a host that pauses in the middle of a line, or a
// copy over a slow network, is never cut off, and once it has then stayed the
// same (size, stamp, identity) for `quietMs`, as a script that writes a line
// at a time closes the file between its lines. Where the platform cannot tell
// whether it is open (a directory mounted from another machine), it must have
// stayed the same for `settleMs`. Only a change between two looks counts,
// never the stamp against the clock; a file first seen, or seen changed, is
// looked at again as soon as its time is up.
//
// The heartbeat WatchdogTicks counts `tickMs` units of the watcher's own time
// (not of a job it waits for, nor while it is suspended), so the watchdog's
// display fills in ten seconds as it always has.
//
// Suspend and resume are cooperative: a suspended watcher blocks before its
// next look. A terminate request, and Stopping, end the loop.
#pragma once

#include "engine/HandOver.h"
#include "engine/SharedFlags.h"
#include "platform/FileWriters.h"
#include "platform/Files.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace kelmora {

class DirectoryWatch;

// The exit code of a thread that has not ended.
inline constexpr int kStillActive = 259;

// The existence test of the request file: a file-system search for exactly
// that path.
bool RequestFileExists(const std::string& path);

struct WatcherWork {
    std::function<void(const std::string& requestPath)> processRequestFile;
    std::function<void()> retestTerminals;
    // Whether a program still writes the request file (file_writers unless
    // a test says otherwise).
    std::function<Writers(const std::string& requestPath)> writersOf;
};

// The watcher's cadence, in one place.
struct WatcherTiming {
    std::uint32_t lookMs = 1100;    // a look for the request file without a notice
    std::uint32_t settleMs = 250;   // unchanged this long, where writers cannot be known
    std::uint32_t quietMs = 100;    // unchanged this long after its writer closed it
    std::uint32_t retestMs = 10100; // the terminals' re-test
    std::uint32_t tickMs = 100;     // the heartbeat's unit
};

class THlidac {
public:
    // Created suspended: nothing runs until Resume.
    THlidac(std::string requestPath, SharedFlags& flags, HandOver& handOver, WatcherWork work,
            WatcherTiming timing = {});
    ~THlidac(); // terminates and joins

    THlidac(const THlidac&) = delete;
    THlidac& operator=(const THlidac&) = delete;

    void Resume();
    void Suspend();
    bool Suspended() const;
    void Terminate();
    // Thread-safe: look for the request file now (an operator's job that
    // held the watcher off has ended).
    void LookNow();
    // kStillActive while the thread runs, 0 once it has ended.
    int ExitCode() const;
    // Waits until the thread has ended.
    void Join();

private:
    void Execute();
    bool WaitWhileSuspended();
    bool RequestFileReady(std::uint32_t now);
    void Beat(std::uint32_t now);
    std::uint32_t NextDue(std::uint32_t now) const;

    const std::string requestPath_;
    SharedFlags& flags_;
    HandOver& handOver_;
    WatcherWork work_;
    WatcherTiming timing_;
    std::unique_ptr<DirectoryWatch> watch_;

    // Kept on the watcher's thread only.
    std::uint32_t nextLook_ = 0;
    std::uint32_t nextRetest_ = 0;
    std::uint32_t lastBeat_ = 0;
    bool lookPending_ = true; // a notice, or the start: look as soon as allowed

    // The request file as last seen, and since when it looked like that.
    struct Observation {
        FileStamp stamp;
        std::uint32_t since = 0;
        std::uint32_t unchangedMs = 0; // what it must stay unchanged for
    };
    std::optional<Observation> observed_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool suspended_ = true;
    bool terminate_ = false;
    bool ended_ = false;
    std::thread thread_;
};

} // namespace kelmora
