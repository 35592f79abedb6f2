#include "engine/CommandRunner.h"

#include "engine/Configuration.h"
#include "engine/Console.h"
#include "engine/EventLog.h"
#include "engine/SharedFlags.h"
#include "engine/StatusFile.h"
#include "engine/Terminals.h"
#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "platform/Priority.h"
#include "platform/TextLines.h"
#include "serial/PortDriver.h"
#include "terminal/ExecuteCommand.h"
#include "terminal/Tobrin.h"

#include <climits>
#include <exception>

namespace kelmora {

using namespace kelmora::literals;

namespace {

constexpr int kFailedPauseMs = 1000;
constexpr int kRepeatPauseMs = 100;

std::string Progress(std::size_t i, std::size_t n) {
    return std::to_string(i) + "/" + std::to_string(n);
}

// Restores the noted priority on every way out of an attempt.
class RaisedPriority {
public:
    explicit RaisedPriority(int noted) : noted_(noted) { raise_priority(); }
    ~RaisedPriority() { restore_priority(noted_); }
    RaisedPriority(const RaisedPriority&) = delete;
    RaisedPriority& operator=(const RaisedPriority&) = delete;

private:
    int noted_;
};

} // namespace

long ReadLong(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value > (LONG_MAX - digit) / 10) {
            return negative ? LONG_MIN : LONG_MAX;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

CommandRunner::CommandRunner(const Configuration& config, const EventLog& log, Console& console,
                             Terminals& terminals, SharedFlags& flags)
    : config_(config), log_(log), console_(console), terminals_(terminals), flags_(flags) {}

TTobrin* CommandRunner::SelectedTerminal() const {
    const int slot = console_.SelectedSlot();
    return terminals_.IsConnected(slot) ? terminals_.Terminal(slot) : nullptr;
}

void CommandRunner::ClearStatusPanels() {
    for (const int panel : {1, 3, 5, 7}) {
        console_.SetStatusPanel(panel, "");
    }
}

void CommandRunner::ReportStatus(int a, int b) {
    kelmora::ReportStatus(log_, console_, config_.DataPath, a, b);
}

void CommandRunner::ReportJobStatus() {
    const TTobrin* t = SelectedTerminal();
    ReportStatus(t != nullptr ? t->AckCount : -1, t != nullptr ? t->RecordCount : -1);
}

void CommandRunner::Pause(int ms) {
    sleep_ms(static_cast<std::uint32_t>(ms));
}

void CommandRunner::ProcessRequestFile(const std::string& path) {
    CommandList.clear();
    console_.ClearResults();
    ClearStatusPanels();
    auto lines = read_text_lines(path);
    if (!lines) {
        return;
    }
    if (!remove_file(path)) {
        log_.LogEvent("Nelze vymazat soubor požadavků"_cp);
        return;
    }
    CommandList = std::move(*lines);
    if (CommandList.empty()) {
        ReportStatus(-1, -1);
        return;
    }
    if (CommandList.front().compare(0, 4, "TERM") == 0) {
        const long n = ReadLong(std::string_view(CommandList.front()).substr(4));
        if (n < 1 || n > kSlotCount || !terminals_.IsConnected(static_cast<int>(n - 1))) {
            ReportStatus(-1, 0);
            return;
        }
        console_.SelectSlot(static_cast<int>(n - 1));
        ReportStatus(1, 0);
        CommandList.erase(CommandList.begin());
    }
    if (CommandList.empty()) {
        return;
    }
    RunCommandList();
    if (!SaveResults()) {
        return;
    }
    ReportJobStatus();
    terminals_.ShowTerminalState(console_.SelectedSlot());
}

void CommandRunner::RunCommandList() {
    console_.SetTrayImage(1);
    TTobrin* t = SelectedTerminal();
    if (t != nullptr) {
        t->AckCount = 0;
    }
    if (t != nullptr && t->IsPresent()) {
        try {
            for (std::size_t i = 1; i <= CommandList.size(); ++i) {
                if (flags_.Stopping) {
                    console_.SetTrayImage(0);
                    return;
                }
                const std::string line = CommandList[i - 1];
                if (!line.empty() && !RunLine(line) && console_.EndJobOnFailure()) {
                    break;
                }
                const std::string progress = Progress(i, CommandList.size());
                console_.SetStatusPanel(9, progress);
                console_.ShowBalloon("Odesílání"_cp, progress, 200);
                Pause(t->IsMaster() ? 2 : 20);
            }
            console_.SetStatusPanel(9, "");
        } catch (const std::exception&) {
            // Encoding or decoding refused the configuration: the job ends
            // here, silently; saving and reporting go on.
        }
    }
    console_.SetTrayImage(0);
}

bool CommandRunner::RunLine(const std::string& line) {
    switch (ClassifyCommandLine(line)) {
    case LineShape::Empty:
        return true;
    case LineShape::OneFrame:
        return RunCommand(line);
    case LineShape::TwoPart:
        return RunTwoPartLine(line);
    case LineShape::TooLong:
        break;
    }
    // It fits no frame: not sent, and a failed command for the job.
    log_.LogEvent(std::string("Příliš dlouhý příkaz nebyl odeslán: "_cp) +
                  std::to_string(line.size()) + std::string(" znaků"_cp));
    return false;
}

bool CommandRunner::RunCommand(std::string_view text) {
    TTobrin* t = SelectedTerminal();
    if (t == nullptr) {
        return false;
    }
    const int noted = current_priority();
    int receiveAttempt = 1;
    bool result = false;
    for (int k = 1; k <= console_.Attempts(); ++k) {
        console_.SetStatusPanel(5, std::to_string(k));
        CommandOutcome outcome;
        if (console_.HighPriority()) {
            RaisedPriority raised(noted);
            outcome = ExecuteCommand(*t, text);
        } else {
            outcome = ExecuteCommand(*t, text);
        }
        switch (outcome) {
        case CommandOutcome::Done:
            return true;
        case CommandOutcome::Failed:
            Pause(kFailedPauseMs);
            result = false;
            break;
        case CommandOutcome::Repeat:
            Pause(kRepeatPauseMs);
            ++receiveAttempt;
            console_.SetStatusPanel(7, std::to_string(receiveAttempt));
            --t->AckCount;
            result = true;
            break;
        }
    }
    return result;
}

bool CommandRunner::RunTwoPartLine(std::string_view line) {
    const auto parts = SplitTwoPartLine(line);
    if (!parts) {
        return false;
    }
    const bool first = RunCommand(parts->first);
    const TTobrin* t = SelectedTerminal();
    Pause(t != nullptr && t->IsMaster() ? 5 : 30);
    return first && RunCommand(parts->second);
}

bool CommandRunner::SaveResults() {
    const std::string path = join_path(config_.DataPath, config_.OutputFile);
    if (replace_file(path, join_crlf_lines(console_.Results()))) {
        return true;
    }
    log_.LogEvent(std::string("Nelze zapsat soubor "_cp) + path);
    return false;
}

} // namespace kelmora
