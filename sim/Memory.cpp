#include "sim/Memory.h"

namespace kelmora::sim {

StoreResult PersonMemory::store(const PersonRecord& record) {
    const auto found = index_.find(record.number);
    if (record.is_half()) {
        if (found == index_.end()) {
            return StoreResult::NoMain;
        }
        Person& person = persons_[found->second];
        const bool had_half = person.half.has_value();
        if (!had_half && count_ >= capacity_) {
            return StoreResult::Full;
        }
        person.half = record;
        person.changed = true;
        if (had_half) {
            return StoreResult::Replaced;
        }
        ++count_;
        return StoreResult::Stored;
    }
    if (found != index_.end()) {
        Person& person = persons_[found->second];
        person.main = record;
        person.changed = true;
        return StoreResult::Replaced;
    }
    if (count_ >= capacity_) {
        return StoreResult::Full;
    }
    index_.emplace(record.number, persons_.size());
    persons_.push_back(Person{record, std::nullopt, true});
    ++count_;
    return StoreResult::Stored;
}

void PersonMemory::clear() {
    persons_.clear();
    index_.clear();
    count_ = 0;
}

std::vector<PersonRecord> PersonMemory::records() const {
    std::vector<PersonRecord> out;
    out.reserve(count_);
    for (const Person& person : persons_) {
        out.push_back(person.main);
        if (person.half) {
            out.push_back(*person.half);
        }
    }
    return out;
}

void PersonMemory::append_person(const Person& person, bool dt, std::string& out) const {
    out += record_bytes(person.main, dt);
    if (person.half) {
        out += record_bytes(*person.half, dt);
    }
}

std::string PersonMemory::all_bytes(bool dt) const {
    std::string out;
    out.reserve(count_ * record_size(dt));
    for (const Person& person : persons_) {
        append_person(person, dt, out);
    }
    return out;
}

std::string PersonMemory::take_changed_bytes(bool dt) {
    std::string out;
    for (Person& person : persons_) {
        if (person.changed) {
            append_person(person, dt, out);
            person.changed = false;
        }
    }
    return out;
}

} // namespace kelmora::sim
