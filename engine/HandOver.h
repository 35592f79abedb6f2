// The watcher's synchronous hand-over to the main thread: the watcher queues
// a piece of work and blocks until the main thread has run it; an error the
// work raises there is passed back to the watcher. The shell's event loop is
// woken whenever something is queued, and runs the queue when no job is in
// progress.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

namespace kelmora {

class HandOver {
public:
    using Work = std::function<void()>;

    // Called on the watcher's thread each time work is queued; the shell
    // uses it to wake its event loop (a queued call, a condition variable).
    void SetWake(std::function<void()> wake);

    // Watcher side. Blocks until the main thread has run `work` (true) or
    // dropped it at shutdown (false). Rethrows what `work` raised.
    bool Call(Work work);

    // Main thread: runs every piece of work queued so far. Returns how many.
    int RunPending();

    // Main thread, at shutdown: releases every waiting caller without
    // running its work.
    void DropPending();

    bool HasPending() const;

private:
    struct Item {
        Work work;
        bool done = false;
        bool ran = false;
        std::exception_ptr error;
    };

    mutable std::mutex mutex_;
    std::condition_variable finished_;
    std::deque<std::shared_ptr<Item>> queue_;
    std::function<void()> wake_;
};

} // namespace kelmora
