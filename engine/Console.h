// The operator console: the only way the core reaches a person. The Qt main
// window, the headless console and the tests' recording fake implement it.
#pragma once

#include <string_view>

namespace kelmora {

class Console {
public:
    virtual ~Console() = default;

    // Status-bar panels by index: 1 the status pair, 3 the bytes of the last
    // answer, 5 the attempt, 7 the receive attempt, 9 the job's progress.
    virtual void SetStatusPanel(int index, std::string_view text) = 0;
};

} // namespace kelmora
