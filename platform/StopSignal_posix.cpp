#include "platform/StopSignal.h"

#include <pthread.h>
#include <signal.h>

#include <thread>

namespace kelmora {

void on_stop_signal(std::function<void()> callback) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    // The signals are taken synchronously by one thread, so the callback may
    // do anything a normal thread may.
    std::thread([set, callback = std::move(callback)] {
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) == 0) {
                callback();
            }
        }
    }).detach();
}

} // namespace kelmora

namespace kelmora {

void stop_signal_done() {}

} // namespace kelmora
