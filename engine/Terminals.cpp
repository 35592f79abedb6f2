#include "engine/Terminals.h"

#include "engine/Console.h"
#include "engine/EventLog.h"
#include "engine/SharedFlags.h"
#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "serial/OpenFailure.h"

#include <algorithm>
#include <string>

namespace kelmora {

using namespace kelmora::literals;

namespace {

constexpr std::uint32_t kAfterCreateMs = 100;

std::string SlotLine(IndicatorState state, int slotNumber) {
    const std::string slot = "TERM " + std::to_string(slotNumber);
    if (state == IndicatorState::PortNotOpen) {
        return std::string(IndicatorWord(state)) + " a " + slot + " " +
               std::string(IndicatorWord(IndicatorState::NotConnected));
    }
    return slot + " " + std::string(IndicatorWord(state));
}

bool ValidComIndex(int comIndex) {
    return comIndex >= 0 && comIndex < int(kComPortCount);
}

} // namespace

Terminals::Terminals(const Configuration& config, TobrinHost& host, Console& console,
                     const EventLog& log, const SharedFlags& flags, PortOpener opener)
    : config_(config), host_(host), console_(console), log_(log), flags_(flags), opener_(opener) {}

Terminals::~Terminals() = default;

bool Terminals::IsConnected(int slot) const {
    return slot >= 0 && slot < kSlotCount && config_.Slots[slot].Connected;
}

TTobrin* Terminals::Terminal(int slot) const {
    return slot >= 0 && slot < kSlotCount ? TerminalTable[slot].get() : nullptr;
}

TSer_Port* Terminals::Port(int comIndex) const {
    return ValidComIndex(comIndex) ? PortTable[comIndex].get() : nullptr;
}

bool Terminals::PortOpen(int slot) const {
    if (!IsConnected(slot)) {
        return false;
    }
    const TSer_Port* port = Port(config_.Slots[slot].ComIndex);
    return port != nullptr && port->IsOpen;
}

IndicatorState Terminals::StateOf(int slot) const {
    if (!PortOpen(slot)) {
        return IndicatorState::PortNotOpen;
    }
    const TTobrin* t = Terminal(slot);
    if (t == nullptr || !t->IsPresent()) {
        return IndicatorState::NotConnected;
    }
    return t->IsMaster() ? IndicatorState::Master : IndicatorState::Slave;
}

void Terminals::OpenTerminals() {
    std::array<bool, kComPortCount> used{};
    for (int slot = 0; slot < kSlotCount; ++slot) {
        // A COM index outside the table (a damaged file) names no port: such a
        // slot is shown and logged like one whose port did not open.
        if (IsConnected(slot) && ValidComIndex(config_.Slots[slot].ComIndex)) {
            used[config_.Slots[slot].ComIndex] = true;
        }
    }
    bool anyOpen = false;
    for (int com = 0; com < int(kComPortCount); ++com) {
        if (!used[com]) {
            continue;
        }
        PortTable[com] = std::make_unique<TSer_Port>(com, config_.BaudRate, opener_);
        PortTable[com]->Trace = trace_;
        const bool open = PortTable[com]->IsOpen;
        portDown_[com] = !open;
        log_.LogEvent("COM" + std::to_string(com + 1) + " " +
                      std::string(open ? "otevřen"_cp : "neotevřen"_cp));
        if (!open) {
            LogWhyNotOpen(com);
        }
        anyOpen = anyOpen || open;
    }
    const auto memory = static_cast<std::size_t>(
        std::clamp<std::int64_t>(config_.MemoryLength, 0, kMaxMemoryLength));
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (!IsConnected(slot)) {
            continue;
        }
        const TerminalSlot& s = config_.Slots[slot];
        if (TSer_Port* port = Port(s.ComIndex)) {
            TerminalTable[slot] = std::make_unique<TTobrin>(*port, s.Address, memory, host_);
            sleep_ms(kAfterCreateMs);
            if (port->IsOpen) {
                TerminalTable[slot]->Detect(true);
            }
        }
        const IndicatorState state = StateOf(slot);
        console_.PaintIndicator(slot, state);
        console_.ShowIndicator(slot);
        shown_[slot] = true;
        log_.LogEvent(SlotLine(state, slot + 1));
    }
    console_.ClearResults();
    if (anyOpen) {
        console_.SetActivePage(Page::Control);
    } else {
        console_.SetActivePage(Page::TerminalConfig);
        console_.ShowMessage({"Neni otevřen žádný COM port\nje nutno provést konfiguraci portu!"_cp,
                              "Pozor!", MessageIcon::Warning, MessageButtons::Ok});
        console_.ShowWindow();
    }
}

void Terminals::ReopenFailedPorts() {
    for (int com = 0; com < int(kComPortCount); ++com) {
        TSer_Port* port = PortTable[com].get();
        if (port == nullptr) {
            continue;
        }
        // Looks for input, as every presence test does first: a device that
        // hung up says so here.
        port->FlushInput();
        if (port->IsOpen && port->Status() == SP_OK) {
            continue;
        }
        NoteFailedPort(com);
        if (port->Open(com, config_.BaudRate)) {
            log_.LogEvent("COM" + std::to_string(com + 1) + " " + std::string("otevřen"_cp));
            portDown_[com] = false;
            whyClosed_[com].clear();
        } else {
            LogWhyNotOpen(com);
        }
    }
}

void Terminals::NoteFailedPort(int comIndex) {
    const TSer_Port* port = Port(comIndex);
    if (port == nullptr || portDown_[comIndex] || (port->IsOpen && port->Status() == SP_OK)) {
        return;
    }
    const std::string com = "COM" + std::to_string(comIndex + 1);
    log_.LogEvent(com + " nepracuje (chyba " + std::to_string(port->Status()) + ")");
    portDown_[comIndex] = true;
    // A network connection that ended says how.
    if (port->Driver != nullptr && port->Driver->open_error != 0) {
        whyClosed_[comIndex] =
            DescribeOpenFailure(comIndex, port->Status(), port->Driver->open_error);
        log_.LogEvent(com + ": " + whyClosed_[comIndex]);
    }
}

void Terminals::LogWhyNotOpen(int comIndex) {
    const TSer_Port& port = *PortTable[comIndex];
    const std::string why = DescribeOpenFailure(comIndex, port.OpenCode, port.OpenError);
    if (why != whyClosed_[comIndex]) {
        whyClosed_[comIndex] = why;
        log_.LogEvent("COM" + std::to_string(comIndex + 1) + ": " + why);
    }
}

void Terminals::RetestTerminals() {
    ReopenFailedPorts();
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (!IsConnected(slot)) {
            continue;
        }
        if (TTobrin* t = Terminal(slot)) {
            t->Detect(true);
        }
        console_.PaintIndicator(slot, StateOf(slot));
    }
}

void Terminals::ShowTerminalState(int slot) {
    if (flags_.Stopping || slot < 0 || slot >= kSlotCount) {
        return;
    }
    console_.PaintIndicator(slot, StateOf(slot));
}

void Terminals::ShowWatchdogStatus(int slot) {
    if (slot < 0 || slot >= kSlotCount || !shown_[slot]) {
        return;
    }
    console_.ShowBalloon("Status WDT", "WDT: " + std::to_string(flags_.WatchdogTicks.load()), 500);
    ShowTerminalState(slot);
}

void Terminals::Release() {
    for (auto& terminal : TerminalTable) {
        terminal.reset();
    }
}

} // namespace kelmora
