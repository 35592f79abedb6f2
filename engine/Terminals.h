// The port and terminal tables. Several terminals may share one line, so the
// ports (by COM index) and the terminals (by slot) are two tables, built once
// at start: a port for every COM index a connected slot uses, a terminal
// object for every connected slot. A changed configuration acts after a
// restart.
//
// A port that works is never touched. One that failed (a USB adapter pulled
// out: the device hung up) or never opened is opened again at every re-test,
// from its configured path, so a device plugged back in (at the same path, or
// behind the same link) is used again without a restart. The failure is
// logged once ("COM%d nepracuje (chyba %d)"), as soon as a job meets it or at
// the re-test, the recovery once ("COM%d otevřen"). Why a port does not open ("COM%d: zařízení ...
// neexistuje") is logged after "COM%d neotevřen" and whenever it changes, not at every re-test.
#pragma once

#include "engine/Configuration.h"
#include "engine/Console.h"
#include "serial/Customport.h"
#include "terminal/Tobrin.h"

#include <array>
#include <memory>
#include <string>

namespace kelmora {

class EventLog;
struct SharedFlags;
class TobrinHost;

inline constexpr int kSlotCount = 4;

// The answer buffer holds a terminal's whole memory. Person numbers have 16
// bits and a person takes at most two records, so a memory never holds more
// than this; a larger configured capacity (a damaged file) is cut to it
// rather than allocated.
inline constexpr std::int64_t kMaxMemoryLength = 65536LL * 2 * 29;

class Terminals {
public:
    Terminals(const Configuration& config, TobrinHost& host, Console& console, const EventLog& log,
              const SharedFlags& flags, PortOpener opener = open_port);
    ~Terminals();

    // Opens the ports, creates and classifies the terminals, paints and shows
    // the indicators and logs "COM%d %s" per port, then one line per slot.
    // Without any open port it turns to the configuration page and warns.
    void OpenTerminals();

    // The ports opened from now on write to this trace (none: no trace).
    void TraceLines(LineTrace* trace) { trace_ = trace; }

    // Opens again the ports that failed or never opened, then tests every
    // connected slot again and repaints its indicator.
    void RetestTerminals();

    // Logs a port that failed in use ("COM%d nepracuje (chyba %d)", and for a
    // network port how its connection ended), once until it works again; the
    // re-test opens it again. Nothing for a port that works.
    void NoteFailedPort(int comIndex);

    // Repaints one indicator (slot 0..3) from the roles as they stand.
    void ShowTerminalState(int slot);

    // A click on a slot's indicator icon (slot 0..3): the watchdog balloon,
    // then a repaint. The icons of slots that are not connected never react.
    void ShowWatchdogStatus(int slot);

    // Destroys the terminal objects (at shutdown, after the watcher stopped).
    void Release();

    bool IsConnected(int slot) const;
    // What the indicator of a connected slot (0..3) shows as the roles stand.
    IndicatorState StateOf(int slot) const;
    // The terminal of a slot (0..3); none when the slot is not connected or
    // after Release.
    TTobrin* Terminal(int slot) const;
    // The port of a COM index; none when no connected slot uses it.
    TSer_Port* Port(int comIndex) const;

private:
    bool PortOpen(int slot) const;
    void ReopenFailedPorts();
    void LogWhyNotOpen(int comIndex);

    const Configuration& config_;
    TobrinHost& host_;
    Console& console_;
    const EventLog& log_;
    const SharedFlags& flags_;
    PortOpener opener_;
    LineTrace* trace_ = nullptr;
    std::array<std::unique_ptr<TSer_Port>, kComPortCount> PortTable;
    std::array<std::unique_ptr<TTobrin>, kSlotCount> TerminalTable;
    std::array<bool, kSlotCount> shown_{};
    std::array<bool, kComPortCount> portDown_{};         // its failure has been logged
    std::array<std::string, kComPortCount> whyClosed_{}; // the reason last logged
};

} // namespace kelmora
