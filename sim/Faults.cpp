#include "sim/Faults.h"

namespace kelmora::sim {

void FaultState::reset(const Faults& faults) {
    faults_ = faults;
}

bool FaultState::strike(FaultSpec& spec) {
    if (spec.count > 0) {
        --spec.count;
        return true;
    }
    if (spec.rate <= 0.0) {
        return false;
    }
    // 53 random bits make a uniform fraction in [0, 1).
    const double draw = static_cast<double>(rng_() >> 11) * 0x1.0p-53;
    return draw < spec.rate;
}

int FaultState::noise() {
    if (faults_.noise_bytes <= 0 || !strike(faults_.noise)) {
        return 0;
    }
    return 1 + static_cast<int>(rng_() % static_cast<std::uint64_t>(faults_.noise_bytes));
}

bool FaultState::hear_frame() {
    if (faults_.silent_after > 0) {
        --faults_.silent_after;
        return false;
    }
    return faults_.silent_after == 0;
}

void FaultState::polled() {
    if (faults_.stop_polling_after > 0) {
        --faults_.stop_polling_after;
    }
}

} // namespace kelmora::sim
