// A console that records what the core shows, for assertions.
#pragma once

#include "engine/Console.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kelmora::testing {

class RecordingConsole : public Console {
public:
    void SetStatusPanel(int index, std::string_view text) override {
        panels[index] = std::string(text);
        panelHistory.emplace_back(index, std::string(text));
    }

    std::map<int, std::string> panels;
    std::vector<std::pair<int, std::string>> panelHistory;
};

} // namespace kelmora::testing
