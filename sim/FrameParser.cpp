#include "sim/FrameParser.h"

namespace kelmora::sim {

namespace {

bool checksum_ok(const std::string& frame) {
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
        sum += static_cast<std::uint8_t>(frame[i]);
    }
    return static_cast<std::uint8_t>(sum) == static_cast<std::uint8_t>(frame.back());
}

} // namespace

void FrameParser::push(std::uint8_t byte, SteadyTime at, std::vector<ParsedItem>& out) {
    if (last_byte_ && at - *last_byte_ > gap_) {
        to_junk(frame_.size());
        flush_junk(out);
    }
    last_byte_ = at;
    frame_.push_back(static_cast<char>(byte));
    arrivals_.push_back(at);

    while (frame_.size() >= 2) {
        const auto length = static_cast<std::uint8_t>(frame_[1]);
        if (length >= kMinFrame && length <= kMaxFrame) {
            break;
        }
        to_junk(1);
    }
    if (frame_.size() < 2 || frame_.size() < static_cast<std::uint8_t>(frame_[1])) {
        return;
    }
    flush_junk(out);
    ParsedItem item;
    item.kind = checksum_ok(frame_) ? ParsedItem::Kind::Frame : ParsedItem::Kind::BadChecksum;
    item.bytes = std::move(frame_);
    item.first = arrivals_.front();
    item.last = at;
    out.push_back(std::move(item));
    frame_.clear();
    arrivals_.clear();
}

void FrameParser::expire(SteadyTime now, std::vector<ParsedItem>& out) {
    if (last_byte_ && now - *last_byte_ > gap_) {
        to_junk(frame_.size());
        flush_junk(out);
    }
}

std::optional<std::uint8_t> FrameParser::pending_address() const {
    if (frame_.empty()) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(frame_[0]);
}

std::optional<SteadyTime> FrameParser::next_expiry() const {
    if ((frame_.empty() && junk_.empty()) || !last_byte_) {
        return std::nullopt;
    }
    return *last_byte_ + gap_ + std::chrono::nanoseconds{1};
}

void FrameParser::to_junk(std::size_t n) {
    if (n == 0) {
        return;
    }
    if (junk_.empty()) {
        junk_first_ = arrivals_.front();
    }
    junk_last_ = arrivals_[n - 1];
    junk_.append(frame_, 0, n);
    frame_.erase(0, n);
    arrivals_.erase(arrivals_.begin(), arrivals_.begin() + static_cast<std::ptrdiff_t>(n));
}

void FrameParser::flush_junk(std::vector<ParsedItem>& out) {
    if (junk_.empty()) {
        return;
    }
    ParsedItem item;
    item.kind = ParsedItem::Kind::Junk;
    item.bytes = std::move(junk_);
    item.first = junk_first_;
    item.last = junk_last_;
    out.push_back(std::move(item));
    junk_.clear();
}

} // namespace kelmora::sim
