#include "sim/Terminal.h"

#include "platform/Hex.h"
#include "platform/LocalTime.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace kelmora::sim {

namespace {

constexpr std::size_t kRecordPayload = 40;
constexpr std::size_t kCreditPayload = 43;
constexpr std::size_t kNumbersPayload = 17;
constexpr std::size_t kClockPayload = 15;
constexpr std::size_t kSRecordSize = 27;
constexpr std::size_t kIdentSize = 16;

std::uint8_t byte_at(std::string_view s, std::size_t i) {
    return static_cast<std::uint8_t>(s[i]);
}

ClockFields pc_clock() {
    const LocalTime t = local_time_now();
    return {t.year % 100, t.month,  t.day,   t.weekday == 0 ? 7 : t.weekday,
            t.hour,       t.minute, t.second};
}

CommandReply refused(std::string why) {
    CommandReply reply;
    reply.refusal = std::move(why);
    return reply;
}

CommandReply acknowledged() {
    CommandReply reply;
    reply.acknowledge = true;
    return reply;
}

} // namespace

Terminal::Terminal(const TerminalSetup& setup, SteadyTime now)
    : address_(setup.address), role_(setup.role), dt_(setup.dt),
      ident_(setup.ident.empty() ? "TOBRIN SIM " + std::to_string(setup.address) : setup.ident),
      memory_(setup.capacity) {
    clock_.set(setup.clock.value_or(pc_clock()), now);
    for (const PersonRecord& record : setup.records) {
        switch (memory_.store(record)) {
        case StoreResult::Full:
            throw std::invalid_argument("more records than the capacity of " +
                                        std::to_string(setup.capacity));
        case StoreResult::NoMain:
            throw std::invalid_argument("a " + std::string(1, record.letter) +
                                        " record for person " + std::to_string(record.number) +
                                        " comes before that person's record");
        case StoreResult::Stored:
        case StoreResult::Replaced:
            break;
        }
    }
}

CommandReply Terminal::handle(std::string_view payload, SteadyTime now) {
    if (payload.empty()) {
        return refused("empty payload");
    }
    switch (payload[0]) {
    case 'X':
    case 'R':
    case 'q':
    case 'r':
        return store_record(payload, now);
    case 'c':
        return store_numbers(payload);
    case 'T':
        return set_clock(payload, now);
    case 'P': {
        CommandReply reply = acknowledged();
        reply.block = memory_.all_bytes(dt_);
        return reply;
    }
    case 'Y': {
        CommandReply reply = acknowledged();
        reply.block = memory_.take_changed_bytes(dt_);
        return reply;
    }
    case 'S': {
        CommandReply reply = acknowledged();
        reply.block = s_record(now);
        return reply;
    }
    case 'C': {
        memory_.clear();
        CommandReply reply = acknowledged();
        reply.cleared = true;
        return reply;
    }
    case 'O': {
        CommandReply reply = acknowledged();
        const Role wanted =
            payload == "O00" ? Role::Slave : (payload == "O11" ? Role::Master : role_);
        reply.role_changed = wanted != role_;
        role_ = wanted;
        return reply;
    }
    default:
        return acknowledged();
    }
}

CommandReply Terminal::store_record(std::string_view payload, SteadyTime now) {
    const bool credit = payload[0] == 'X' && payload.size() == kCreditPayload;
    if (payload.size() != kRecordPayload && !credit) {
        return refused("record payload of " + std::to_string(payload.size()) + " bytes");
    }
    PersonRecord record;
    record.letter = payload[0] == 'X' ? 'Z' : payload[0];
    record.number = static_cast<std::uint16_t>(byte_at(payload, 1) << 8 | byte_at(payload, 2));
    for (std::size_t i = 0; i < record.id.size(); ++i) {
        record.id[i] =
            static_cast<std::uint8_t>(std::max(hex_digit_value(payload[3 + 2 * i]), 0) << 4 |
                                      std::max(hex_digit_value(payload[4 + 2 * i]), 0));
    }
    record.flag = byte_at(payload, 11);
    for (std::size_t i = 0; i < record.meals.size(); ++i) {
        record.meals[i] = byte_at(payload, 12 + i);
    }
    const ClockFields t = clock_.read(now);
    record.stamp = {to_bcd(t.year), to_bcd(t.month), to_bcd(t.day), to_bcd(t.hour),
                    to_bcd(t.minute)};
    record.name = std::string(payload.substr(26, 14));
    if (credit) {
        record.credit = std::string(payload.substr(40, 3));
    }
    switch (memory_.store(record)) {
    case StoreResult::Stored:
    case StoreResult::Replaced:
        return acknowledged();
    case StoreResult::Full:
        return refused("memory full");
    case StoreResult::NoMain:
        return refused("half record without its person's record");
    }
    return refused("record not stored");
}

CommandReply Terminal::store_numbers(std::string_view payload) {
    if (payload.size() != kNumbersPayload) {
        return refused("c payload of " + std::to_string(payload.size()) + " bytes");
    }
    numbers_.received = true;
    numbers_.prefix = std::string(payload.substr(1, 4));
    for (std::size_t i = 0; i < numbers_.values.size(); ++i) {
        numbers_.values[i] = static_cast<std::uint16_t>(byte_at(payload, 5 + 2 * i) << 8 |
                                                        byte_at(payload, 6 + 2 * i));
    }
    return acknowledged();
}

CommandReply Terminal::set_clock(std::string_view payload, SteadyTime now) {
    const auto fields =
        payload.size() == kClockPayload ? parse_clock_digits(payload.substr(1)) : std::nullopt;
    if (!fields) {
        return refused("clock command is not T and fourteen valid digits");
    }
    clock_.set(*fields, now);
    return acknowledged();
}

std::string Terminal::s_record(SteadyTime now) const {
    std::string out(kSRecordSize, '\0');
    out[0] = 'S';
    const auto bcd = clock_.read_bcd(now);
    for (std::size_t i = 0; i < bcd.size(); ++i) {
        out[1 + i] = static_cast<char>(bcd[i]);
    }
    out.replace(9, std::min(ident_.size(), kIdentSize), ident_.substr(0, kIdentSize));
    return out;
}

} // namespace kelmora::sim
