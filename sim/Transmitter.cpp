#include "sim/Transmitter.h"

#include <algorithm>
#include <cstdint>

namespace kelmora::sim {

void Transmitter::push(Transmission transmission) {
    if (!transmission.bytes.empty()) {
        queue_.push_back(std::move(transmission));
    }
}

SteadyTime Transmitter::start_of_front() const {
    if (front_started_) {
        return front_start_;
    }
    const Transmission& t = queue_.front();
    return std::max(t.not_before, previous_end_ + t.gap);
}

std::string_view Transmitter::due(SteadyTime now) {
    if (queue_.empty()) {
        return {};
    }
    const SteadyTime start = start_of_front();
    if (now < start + byte_time_) {
        return {};
    }
    const std::string& bytes = queue_.front().bytes;
    std::size_t due_count = bytes.size();
    if (byte_time_.count() > 0) {
        const auto elapsed_bytes = static_cast<std::size_t>((now - start) / byte_time_);
        due_count = std::min(due_count, elapsed_bytes);
    }
    if (due_count <= sent_) {
        return {};
    }
    return std::string_view(bytes).substr(sent_, due_count - sent_);
}

void Transmitter::commit(std::size_t n, SteadyTime now, std::vector<TxEvent>& events) {
    if (n == 0 || queue_.empty()) {
        return;
    }
    if (!front_started_) {
        front_start_ = start_of_front();
        front_started_ = true;
        events.push_back({TxEvent::What::Started, queue_.front(), front_start_});
    }
    sent_ += n;
    const Transmission& front = queue_.front();
    if (sent_ < front.bytes.size()) {
        return;
    }
    // A write held up by the reader ends late; the next transmission counts
    // its gap from the real end.
    const auto scheduled_end =
        front_start_ + byte_time_ * static_cast<std::int64_t>(front.bytes.size());
    previous_end_ = std::max(scheduled_end, now);
    events.push_back({TxEvent::What::Finished, front, previous_end_});
    queue_.pop_front();
    front_started_ = false;
    sent_ = 0;
}

std::optional<SteadyTime> Transmitter::next_deadline() const {
    if (queue_.empty()) {
        return std::nullopt;
    }
    return start_of_front() + byte_time_ * static_cast<std::int64_t>(sent_ + 1);
}

} // namespace kelmora::sim
