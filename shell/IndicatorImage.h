// A slot's indicator picture in ImageList3, the same in both windows:
// 0 MASTER, 1 SLAVE, 2 absent, 3 the port did not open.
#pragma once

#include "engine/Console.h"

namespace kelmora {

constexpr int IndicatorImage(IndicatorState state) {
    switch (state) {
    case IndicatorState::Master:
        return 0;
    case IndicatorState::Slave:
        return 1;
    case IndicatorState::NotConnected:
        return 2;
    case IndicatorState::PortNotOpen:
        break;
    }
    return 3;
}

} // namespace kelmora
