// The part of the raw line both halves share.
#include "platform/RawLine.h"

#include <algorithm>
#include <iterator>

namespace kelmora {

namespace {

constexpr int kSpeeds[] = {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

} // namespace

bool RawLine::supported_baud(int baud) {
    return std::find(std::begin(kSpeeds), std::end(kSpeeds), baud) != std::end(kSpeeds);
}

} // namespace kelmora
