#include "engine/CommandRunner.h"

#include "engine/Configuration.h"
#include "engine/Console.h"
#include "engine/EventLog.h"
#include "engine/SharedFlags.h"
#include "engine/StatusFile.h"
#include "engine/Terminals.h"
#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/FileWriters.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "platform/Priority.h"
#include "platform/TextLines.h"
#include "terminal/ExecuteCommand.h"
#include "terminal/Tobrin.h"

#include <algorithm>
#include <climits>
#include <exception>

namespace kelmora {

using namespace kelmora::literals;

namespace {

constexpr int kFailedPauseMs = 1000;
constexpr int kRepeatPauseMs = 100;
constexpr std::uint32_t kPauseSliceMs = 50;

std::string Progress(std::size_t i, std::size_t n) {
    return std::to_string(i) + "/" + std::to_string(n);
}

// Restores the noted priority on every way out of an attempt.
class RaisedPriority {
public:
    explicit RaisedPriority(int noted) : noted_(noted), raised_(raise_priority()) {}
    ~RaisedPriority() { restore_priority(noted_); }
    RaisedPriority(const RaisedPriority&) = delete;
    RaisedPriority& operator=(const RaisedPriority&) = delete;

    // False where the system refused (a service's unit allows no raising).
    bool Raised() const { return raised_; }

private:
    int noted_;
    bool raised_;
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

bool CommandRunner::ReportStatus(int a, int b) {
    return kelmora::ReportStatus(log_, console_, config_.DataPath, a, b);
}

CommandRunner::Pair CommandRunner::JobPair() const {
    const TTobrin* t = SelectedTerminal();
    return t != nullptr ? Pair{t->AckCount, t->RecordCount} : Pair{};
}

bool CommandRunner::ReportJobStatus() {
    const Pair pair = JobPair();
    return ReportStatus(pair.a, pair.b);
}

bool CommandRunner::StopAsked() const {
    return flags_.Stopping || flags_.StopRequested;
}

void CommandRunner::Pause(int ms) {
    // A stop ends a pause early: nothing but the job's end follows it then.
    const std::uint32_t start = tick_ms();
    for (;;) {
        const std::uint32_t elapsed = elapsed_ms(start);
        if (StopAsked() || elapsed >= static_cast<std::uint32_t>(ms)) {
            return;
        }
        sleep_ms(std::min<std::uint32_t>(static_cast<std::uint32_t>(ms) - elapsed, kPauseSliceMs));
    }
}

void CommandRunner::SetAside(const std::string& path, const std::string& requestPath,
                             FileProblem problem) {
    const std::string bad = requestPath + std::string(kBadRequestSuffix);
    bool moved = rename_over(path, bad);
    if (!moved && remove_file(bad)) {
        moved = rename_over(path, bad); // a directory does not replace a file
    }
    if (!moved) {
        // Its receipt goes out while the file is still there to own it.
        SendReceipt(requestPath, job_, -1, -1);
        if (!remove_file(path)) {
            log_.LogEvent("Nelze vymazat soubor požadavků"_cp);
            return;
        }
    }
    std::string reason;
    switch (problem) {
    case FileProblem::NotRegular:
        reason = "není to obyčejný soubor"_cp;
        break;
    case FileProblem::Link:
        reason = "je to symbolický odkaz"_cp;
        break;
    case FileProblem::TooLarge:
        reason = std::string("větší než "_cp) + std::to_string(kMaxCommandFileBytes) +
                 std::string(" bajtů nebo "_cp) + std::to_string(kMaxCommandFileLines) +
                 std::string(" řádků"_cp);
        break;
    default:
        reason = "nelze jej přečíst"_cp;
        break;
    }
    log_.LogEvent(std::string("Soubor požadavků nelze převzít ("_cp) + reason + "), " +
                  (moved ? std::string("přejmenován na "_cp) + bad : std::string("vymazán"_cp)));
    ReportStatus(-1, -1);
    if (moved) {
        SendReceipt(requestPath, job_, -1, -1);
    }
}

void CommandRunner::SendReceipt(const std::string& requestPath, const JobFile& job, int a, int b) {
    if (!job.identity) {
        return;
    }
    const JobReceipt receipt{a, b, job.output, job.digest};
    if (WriteReceipt(requestPath, *job.identity, receipt) == ReceiptWritten::Failed) {
        log_.LogEvent(std::string("Nelze zapsat soubor "_cp) +
                      ReceiptPath(requestPath, *job.identity));
    }
}

void CommandRunner::FinishJob(const std::string& requestPath, int a, int b) {
    const std::string workPath = requestPath + std::string(kWorkSuffix);
    if (ReportStatus(a, b)) {
        SendReceipt(requestPath, job_, a, b);
        remove_file(workPath);
        pending_.reset();
        return;
    }
    // The work file stays: the job counts as unfinished until its status is
    // out, also across a restart.
    pending_ = Pending{Pair{a, b}, job_};
    waitLogged_ = false;
    const std::string status = StatusFilePath(config_.DataPath);
    if (remove_file(status)) {
        log_.LogEvent(std::string("Soubor "_cp) + status +
                      std::string(" odstraněn: patří předchozí úloze"_cp));
    }
    log_.LogEvent("Stav úlohy bude zapsán, jakmile to datový adresář dovolí"_cp);
}

bool CommandRunner::ReportPendingStatus(const std::string& requestPath) {
    const std::string work = requestPath + std::string(kWorkSuffix);
    if (!file_exists(work)) {
        pending_.reset();
        return true;
    }
    // The last run's job, if nothing is pending in this one.
    const Pending pending =
        pending_.value_or(Pending{Pair{}, JobFile{file_identity(work), {}, {}}});
    const Pair pair = pending.pair;
    if (!WriteStatusFile(config_.DataPath, pair.a, pair.b)) {
        if (!waitLogged_) {
            waitLogged_ = true;
            log_.LogEvent("Další požadavek čeká: stav předchozí úlohy nelze zapsat"_cp);
        }
        return false;
    }
    const std::string text = FormatStatusPair(pair.a, pair.b);
    log_.LogEvent(std::string("Stav úlohy dodatečně zapsán: "_cp) + text);
    console_.SetStatusPanel(1, text);
    SendReceipt(requestPath, pending.job, pair.a, pair.b);
    remove_file(work);
    pending_.reset();
    return true;
}

void CommandRunner::ProcessRequestFile(const std::string& path) {
    // The host must never read an earlier job's pair as this one's.
    if (!ReportPendingStatus(path)) {
        return;
    }
    CommandList.clear();
    console_.ClearResults();
    ClearStatusPanels();
    job_ = {};
    // Taken away from its writers: renamed to its work name and read while
    // none can come back to it. Another member of the data path's group may
    // have put a link here to a file only this program may read: never
    // followed.
    const std::string work = path + std::string(kWorkSuffix);
    TakenFile taken = take_file(path, work, kMaxCommandFileBytes);
    job_.identity = taken.identity;
    const FileProblem problem = taken.content.problem;
    if (problem == FileProblem::Missing || problem == FileProblem::Busy) {
        return; // gone meanwhile, or a writer has it again: its close brings it back
    }
    if (!taken.moved) {
        if (problem != FileProblem::None) {
            SetAside(path, path, problem);
        } else if (!renameRefusedLogged_) {
            renameRefusedLogged_ = true;
            log_.LogEvent("Nelze vymazat soubor požadavků"_cp);
        }
        return;
    }
    renameRefusedLogged_ = false;
    if (taken.changed) {
        // Its writer came back while it was read: never a job from a cut file.
        // Put back only where no new request has been dropped meanwhile.
        if (place_file(work, path) == Placement::Placed) {
            log_.LogEvent("Soubor požadavků se ještě zapisuje: úloha počká, až bude celý"_cp);
        } else {
            log_.LogEvent("Soubor požadavků se při převzetí měnil: úloha se nespouští"_cp);
            FinishJob(path, -1, -1);
        }
        return;
    }
    const std::optional<FileStamp> takenStamp = file_stamp(work);
    if (taken.content.ok()) {
        job_.digest = RequestDigest(taken.content.bytes);
    }
    TextFile file = text_file_of(taken.content);
    if (!file.ok()) {
        SetAside(work, path, file.problem);
        return;
    }
    CommandList = std::move(file.lines);
    if (CommandList.empty()) {
        FinishJob(path, -1, -1);
        return;
    }
    if (CommandList.front().compare(0, 4, "TERM") == 0) {
        const long n = ReadLong(std::string_view(CommandList.front()).substr(4));
        if (n < 1 || n > kSlotCount || !terminals_.IsConnected(static_cast<int>(n - 1))) {
            FinishJob(path, -1, 0);
            return;
        }
        console_.SelectSlot(static_cast<int>(n - 1));
        CommandList.erase(CommandList.begin());
        if (CommandList.empty()) {
            FinishJob(path, 1, 0);
            return;
        }
        ReportStatus(1, 0);
    }
    if (!RunCommandList()) {
        log_.LogEvent("Úloha nedokončena: program končí"_cp);
        FinishJob(path, -1, -1);
        return;
    }
    if (!SaveResults()) {
        // The host must not take the old output file for this job's.
        FinishJob(path, -1, -1);
        return;
    }
    if (file_stamp(work) != takenStamp) {
        // Something still wrote to it: the job ran from what was there when it
        // was taken, which the host did not mean as the whole request.
        log_.LogEvent("Soubor požadavků se během úlohy změnil: úloha nebyla celá"_cp);
        FinishJob(path, -1, -1);
        return;
    }
    const Pair pair = JobPair();
    FinishJob(path, pair.a, pair.b);
    terminals_.ShowTerminalState(console_.SelectedSlot());
}

void CommandRunner::ReportUnfinishedJob(const std::string& requestPath) {
    const std::string work = requestPath + std::string(kWorkSuffix);
    if (!file_exists(work)) {
        return;
    }
    log_.LogEvent("Úloha ze souboru požadavků nebyla dokončena, znovu se nespouští"_cp);
    job_ = JobFile{file_identity(work), {}, {}};
    FinishJob(requestPath, -1, -1);
}

bool CommandRunner::RunCommandList() {
    console_.SetTrayImage(1);
    cut_ = false;
    TTobrin* t = SelectedTerminal();
    if (t != nullptr) {
        t->AckCount = 0;
    }
    if (t != nullptr && t->IsPresent()) {
        try {
            for (std::size_t i = 1; i <= CommandList.size(); ++i) {
                if (StopAsked()) {
                    cut_ = true;
                    break;
                }
                const std::string line = CommandList[i - 1];
                if (!line.empty() && !RunLine(line) && (cut_ || console_.EndJobOnFailure())) {
                    break;
                }
                const std::string progress = Progress(i, CommandList.size());
                console_.SetStatusPanel(9, progress);
                console_.ShowBalloon("Odesílání"_cp, progress, 200);
                Pause(t->IsMaster() ? 2 : 20);
            }
            if (!cut_) {
                console_.SetStatusPanel(9, "");
            }
        } catch (const std::exception&) {
            // Encoding or decoding refused the configuration: the job ends
            // here, silently; saving and reporting go on.
        }
    }
    console_.SetTrayImage(0);
    return !cut_;
}

bool CommandRunner::RunLine(const std::string& line) {
    switch (ClassifyCommandLine(line)) {
    case LineShape::Empty:
        return true;
    case LineShape::OneFrame:
        return RunCommand(line);
    case LineShape::TwoPart:
        return RunTwoPartLine(line);
    case LineShape::HoldsNul:
        // Its frame would end at the NUL, sending another command.
        log_.LogEvent("Příkaz se znakem NUL nebyl odeslán"_cp);
        return false;
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
        if (k > 1 && StopAsked()) {
            cut_ = true;
            return false;
        }
        console_.SetStatusPanel(5, std::to_string(k));
        CommandOutcome outcome;
        if (console_.HighPriority()) {
            RaisedPriority raised(noted);
            if (!raised.Raised() && !priorityRefusalLogged_) {
                priorityRefusalLogged_ = true;
                log_.LogEvent("Priorita komunikace HIGH_PRIORITY: systém zvýšení priority "
                              "nepovolil"_cp);
            }
            outcome = ExecuteCommand(*t, text);
        } else {
            outcome = ExecuteCommand(*t, text);
        }
        if (outcome != CommandOutcome::Done && StopAsked()) {
            cut_ = true; // the stop may be what cut it: the job is not finished
            return false;
        }
        switch (outcome) {
        case CommandOutcome::Done:
            return true;
        case CommandOutcome::Failed:
            // A line that failed (an adapter pulled out, a connection that
            // ended) is logged now, not only at the next re-test.
            terminals_.NoteFailedPort(t->Line.PortIndex);
            Pause(kFailedPauseMs);
            result = false;
            break;
        case CommandOutcome::Overflow:
            // The terminal holds more than its memory is configured for:
            // sending again would only overflow again.
            return false;
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
    if (first && StopAsked()) {
        cut_ = true; // half a record: the job is not finished
        return false;
    }
    return first && RunCommand(parts->second);
}

bool CommandRunner::SaveResults() {
    const std::string path = join_path(config_.DataPath, config_.OutputFile);
    std::string bytes = join_crlf_lines(console_.Results());
    if (replace_file(path, bytes)) {
        job_.output = std::move(bytes);
        return true;
    }
    log_.LogEvent(std::string("Nelze zapsat soubor "_cp) + path);
    return false;
}

} // namespace kelmora
