// THlidac, the watcher: Kelmora's main loop on a thread of its own. It ticks
// every 100 ms; on every 11th tick it looks for the host's request file and,
// when it is there, hands its processing to the main thread and waits; about
// every ten seconds it hands over a re-test of the terminals instead. It never
// talks to a terminal and touches no file but by the existence test.
//
// A request file is taken only once it has settled: its size and stamp
// unchanged across two looks at least `settleMs` apart, whatever the stamp
// says (a host on a share may run its clock ahead or behind). A file first
// seen, or seen changed, is looked at again on the first tick after that time
// instead of waiting for the next poll.
//
// Suspend and resume are cooperative: a suspended watcher blocks at the top
// of its next tick. A terminate request ends the loop at the next tick (it
// also wakes a suspended watcher), and so does Stopping.
#pragma once

#include "engine/HandOver.h"
#include "engine/SharedFlags.h"
#include "platform/Files.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace kelmora {

// The exit code of a thread that has not ended.
inline constexpr int kStillActive = 259;

// The existence test of the request file: a file-system search for exactly
// that path.
bool RequestFileExists(const std::string& path);

struct WatcherWork {
    std::function<void(const std::string& requestPath)> processRequestFile;
    std::function<void()> retestTerminals;
};

struct WatcherTiming {
    std::uint32_t tickMs = 100;
    // How long a request file must stay unchanged before it is taken; zero
    // takes it as soon as it is there.
    std::uint32_t settleMs = 0;
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
    // kStillActive while the thread runs, 0 once it has ended.
    int ExitCode() const;
    // Waits until the thread has ended.
    void Join();

private:
    void Execute();
    bool WaitWhileSuspended();
    bool RequestFileReady();
    bool RecheckDue() const;

    const std::string requestPath_;
    SharedFlags& flags_;
    HandOver& handOver_;
    WatcherWork work_;
    WatcherTiming timing_;

    // Counted on the watcher's thread only; they wrap from 127 to -128.
    std::int8_t PollTicks = 0;
    std::int8_t RetestTicks = 0;

    // The request file as last seen, and since when it looked like that.
    struct Observation {
        FileStamp stamp;
        std::uint32_t since = 0;
    };
    std::optional<Observation> observed_;
    bool recheckPending_ = false;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool suspended_ = true;
    bool terminate_ = false;
    bool ended_ = false;
    std::thread thread_;
};

} // namespace kelmora
