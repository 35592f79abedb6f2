// An event log in a test's directory whose clock stands still at 7 March
// 2013, 09:05:03, so that its lines compare byte for byte.
#pragma once

#include "engine/EventLog.h"
#include "support/TempDir.h"

namespace kelmora::testing {

inline const LocalTime kMarch7 = {2013, 3, 7, 4, 9, 5, 3};

inline EventLog FixedLog(const TempDir& dir) {
    return EventLog(dir.str(), [] { return kMarch7; });
}

} // namespace kelmora::testing
