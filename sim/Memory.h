// A terminal's person memory. Records are kept by person number in the order
// in which each person was first stored; a replaced record keeps its place.
// A person has a main record (R, or Z from an X command) and at most one
// half (q or r) that always follows it. The capacity counts records, halves
// included, so a full memory answers P with exactly capacity * record size
// bytes.
#pragma once

#include "sim/Record.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kelmora::sim {

enum class StoreResult {
    Stored,   // a record for a new person, or a new half
    Replaced, // took the place of the person's main record, or of its half (q or r alike)
    Full,     // a new record would exceed the capacity
    NoMain,   // a half for a person without a main record
};

class PersonMemory {
public:
    explicit PersonMemory(std::size_t capacity) : capacity_(capacity) {}

    StoreResult store(const PersonRecord& record);
    void clear();

    std::size_t capacity() const { return capacity_; }

    // Main records followed by their halves, in memory order.
    std::vector<PersonRecord> records() const;

    // The answer to P: every record.
    std::string all_bytes(bool dt) const;
    // The answer to Y: every person changed since the last call (main record
    // and half together, so a half never arrives without its record), and
    // marks them unchanged.
    std::string take_changed_bytes(bool dt);

private:
    struct Person {
        PersonRecord main;
        std::optional<PersonRecord> half;
        bool changed = true;
    };

    void append_person(const Person& person, bool dt, std::string& out) const;

    std::size_t capacity_;
    std::size_t count_ = 0;
    std::vector<Person> persons_;
    std::unordered_map<std::uint16_t, std::size_t> index_;
};

} // namespace kelmora::sim
