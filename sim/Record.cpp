#include "sim/Record.h"

namespace kelmora::sim {

std::string record_bytes(const PersonRecord& record, bool dt) {
    std::string out(record_size(dt), '\0');
    out[0] = record.letter;
    out[1] = static_cast<char>(record.number >> 8);
    out[2] = static_cast<char>(record.number & 0xFF);
    for (std::size_t i = 0; i < record.id.size(); ++i) {
        out[3 + i] = static_cast<char>(record.id[i]);
    }
    out[7] = static_cast<char>(record.flag);
    for (std::size_t i = 0; i < record.meals.size(); ++i) {
        out[8 + i] = static_cast<char>(record.meals[i]);
    }
    if (dt) {
        for (std::size_t i = 0; i < record.stamp.size(); ++i) {
            out[22 + i] = static_cast<char>(record.stamp[i]);
        }
    }
    return out;
}

} // namespace kelmora::sim
