// A blocking call run on a thread of its own, so that its caller waits for
// it no longer than it wants to (a host name's look-up, which may wait on a
// name server for many seconds). Both halves of platform/Socket use it, through
// AddressLookup.h.
#pragma once

#include "platform/Clock.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace kelmora {

// Runs `call` on a thread of its own and waits for its answer until
// `limit_ms` since `start` have passed or `wait_step(context)` (called about
// every 10 ms, with no lock held) answers false; nothing then. An answer that
// comes after its caller gave up is handed to `discard` on that thread.
template <typename Answer, typename Call, typename Discard>
std::optional<Answer> call_bounded(Call call, Discard discard, std::uint32_t start,
                                   std::uint32_t limit_ms, bool (*wait_step)(void*),
                                   void* context) {
    struct Shared {
        std::mutex mutex;
        std::condition_variable done_cv;
        bool done = false;
        bool abandoned = false;
        Answer answer{};
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, call, discard]() mutable {
        Answer answer = call();
        std::unique_lock lock(shared->mutex);
        if (shared->abandoned) {
            lock.unlock();
            discard(answer);
            return;
        }
        shared->answer = answer;
        shared->done = true;
        shared->done_cv.notify_all();
    }).detach();
    for (bool give_up = false;; give_up = wait_step != nullptr && !wait_step(context)) {
        std::unique_lock lock(shared->mutex);
        if (shared->done_cv.wait_for(lock, std::chrono::milliseconds(give_up ? 0 : 10),
                                     [&] { return shared->done; })) {
            return shared->answer;
        }
        if (give_up || elapsed_ms(start) >= limit_ms) {
            shared->abandoned = true;
            return std::nullopt;
        }
    }
}

} // namespace kelmora
