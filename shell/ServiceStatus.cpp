#include "shell/ServiceStatus.h"

#include "engine/Engine.h"
#include "platform/Cp1250.h"

namespace kelmora {

using namespace kelmora::literals;

namespace {

std::string_view StateWord(IndicatorState state) {
    return state == IndicatorState::PortNotOpen ? "neotevřen"_cp : IndicatorWord(state);
}

// Windows-1250, as the engine's texts.
std::string DataPathHint(const Engine& engine) {
    const DataPathGuard* dataPath = engine.DataPath();
    if (dataPath == nullptr || dataPath->WriteProblem() != DirectoryProblem::ReadOnly) {
        return {};
    }
    return std::string("zápis povolí ReadWritePaths="_cp) + dataPath->Path() +
           std::string(" v doplňku služby (systemctl edit kelmora)"_cp);
}

} // namespace

std::string ServiceStatusText(const Engine& engine) {
    std::string text;
    const auto add = [&text](const std::string& part, std::string_view separator) {
        if (!part.empty()) {
            text += (text.empty() ? std::string_view() : separator);
            text += part;
        }
    };
    if (const DataPathGuard* dataPath = engine.DataPath()) {
        add(dataPath->Problem(), "; ");
        add(DataPathHint(engine), " - ");
    }
    std::string slots;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const TerminalSlot& s = engine.Config().Slots[static_cast<std::size_t>(slot)];
        if (s.Connected) {
            slots += (slots.empty() ? "T" : ", T") + std::to_string(slot + 1) + " COM" +
                     std::to_string(s.ComIndex + 1) + " " +
                     std::string(StateWord(engine.SlotState(slot)));
        }
    }
    add(slots, "; ");
    add(engine.LastStatus().empty() ? "" : "stav " + engine.LastStatus(), "; ");
    return utf8_from_cp1250(text);
}

std::string ServiceDataPathHint(const Engine& engine) {
    const std::string hint = DataPathHint(engine);
    if (hint.empty()) {
        return {};
    }
    return utf8_from_cp1250(std::string("Do datového adresáře "_cp) + engine.DataPath()->Path() +
                            std::string(" nelze zapisovat: "_cp) + hint);
}

} // namespace kelmora
