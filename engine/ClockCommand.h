// The clock command: the PC's local time as one command line,
// "T" YY MM DD WD hh mm ss, fourteen digits. The week day counts Monday 1 to
// Sunday 7.
#pragma once

#include "platform/LocalTime.h"

#include <string>

namespace kelmora {

std::string ClockCommandLine(const LocalTime& time);

} // namespace kelmora
