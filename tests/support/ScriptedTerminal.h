// A scripted terminal on the far side of a pty (ScriptedTerminal): it can poll like a
// MASTER, collects the frames Kelmora sends, and answers each with the next
// scripted reply. Exact bytes, where the simulator plays a well-behaved
// terminal.
#pragma once

#include "platform/Clock.h"
#include "support/PtyPair.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace kelmora::testing {

using Bytes = std::vector<std::uint8_t>;

struct Reply {
    Bytes bytes;              // sent a few milliseconds after the frame
    bool stopPolling = false; // then falls silent as a MASTER
    int hangUpAfterMs = -1;   // then, this long after, the device is gone
    // Paced as a terminal on a slow line sends: `chunk` bytes at a time,
    // `gapMs` apart (0: all at once).
    std::size_t chunk = 0;
    std::uint32_t gapMs = 0;
    // How long after the frame the answer starts.
    std::uint32_t turnaroundMs = 10;
};

class ScriptedTerminal {
public:
    explicit ScriptedTerminal(PtyPair& pty) : pty_(pty), thread_([this] { Run(); }) {}
    ~ScriptedTerminal() {
        stop_ = true;
        thread_.join();
    }
    ScriptedTerminal(const ScriptedTerminal&) = delete;
    ScriptedTerminal& operator=(const ScriptedTerminal&) = delete;

    void PollEvery(std::uint32_t ms) { pollMs_ = ms; }
    void Script(std::vector<Reply> replies) {
        std::lock_guard lock(mutex_);
        replies_.assign(replies.begin(), replies.end());
    }
    // Sends raw bytes now (noise, a partial frame, anything).
    void Send(const Bytes& bytes) {
        std::lock_guard lock(writeMutex_);
        pty_.send(bytes);
    }
    std::vector<Bytes> Frames() const {
        std::lock_guard lock(mutex_);
        return frames_;
    }
    // Every byte Kelmora sent, frames or not.
    Bytes Received() const {
        std::lock_guard lock(mutex_);
        return received_;
    }
    // Bytes of replies sent so far.
    std::size_t RepliedBytes() const { return replied_; }

private:
    void Run() {
        std::uint32_t lastPoll = tick_ms();
        Bytes pending;
        while (!stop_) {
            if (pollMs_ > 0 && elapsed_ms(lastPoll) >= pollMs_) {
                Send({0x10, 0x04, 0x55, 0x69});
                lastPoll = tick_ms();
            }
            const Bytes got = pty_.receive(1, 1);
            if (got.empty()) {
                continue;
            }
            Bytes more = pty_.take_available();
            pending.insert(pending.end(), got.begin(), got.end());
            pending.insert(pending.end(), more.begin(), more.end());
            {
                std::lock_guard lock(mutex_);
                received_.insert(received_.end(), got.begin(), got.end());
                received_.insert(received_.end(), more.begin(), more.end());
            }
            while (pending.size() >= 2 && pending[1] >= 3 && pending.size() >= pending[1]) {
                const Bytes frame(pending.begin(), pending.begin() + pending[1]);
                pending.erase(pending.begin(), pending.begin() + pending[1]);
                Reply reply;
                bool answer = false;
                {
                    std::lock_guard lock(mutex_);
                    frames_.push_back(frame);
                    if (!replies_.empty()) {
                        reply = replies_.front();
                        replies_.pop_front();
                        answer = true;
                    }
                }
                if (answer) {
                    // A terminal answers only after a turnaround: the PC holds
                    // the line for a few milliseconds after its frame.
                    sleep_ms(reply.turnaroundMs);
                    SendPaced(reply);
                    if (reply.stopPolling) {
                        pollMs_ = 0;
                    }
                    if (reply.hangUpAfterMs >= 0) {
                        sleep_ms(static_cast<std::uint32_t>(reply.hangUpAfterMs));
                        std::lock_guard lock(writeMutex_);
                        pty_.close_master();
                    }
                }
            }
        }
    }

    void SendPaced(const Reply& reply) {
        const std::size_t chunk = reply.chunk > 0 ? reply.chunk : reply.bytes.size();
        for (std::size_t at = 0; at < reply.bytes.size(); at += chunk) {
            if (at > 0) {
                sleep_ms(reply.gapMs);
            }
            const auto from = reply.bytes.begin() + static_cast<std::ptrdiff_t>(at);
            const auto to = reply.bytes.begin() +
                            static_cast<std::ptrdiff_t>(std::min(at + chunk, reply.bytes.size()));
            Send(Bytes(from, to));
            replied_ += static_cast<std::size_t>(to - from);
        }
    }

    PtyPair& pty_;
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> replied_{0};
    std::atomic<std::uint32_t> pollMs_{0};
    mutable std::mutex mutex_;
    std::mutex writeMutex_;
    std::deque<Reply> replies_;
    std::vector<Bytes> frames_;
    Bytes received_;
    std::thread thread_;
};

} // namespace kelmora::testing
