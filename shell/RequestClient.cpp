#include "shell/RequestClient.h"

#include "engine/CommandRunner.h"
#include "engine/Configuration.h"
#include "engine/DataPathGuard.h"
#include "platform/Clock.h"
#include "platform/ConsoleText.h"
#include "platform/Cp1250.h"
#include "platform/DirectoryWatch.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "platform/StopSignal.h"
#include "platform/TextLines.h"
#include "terminal/CommandLine.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <random>

namespace kelmora {

using namespace kelmora::literals;

namespace {

// How often the client looks at its request and its receipt (the receipt's
// arrival also wakes it at once), and at the copy that serves the data path.
constexpr std::uint32_t kLookMs = 50;
constexpr std::uint32_t kRelayLookMs = 1000;
// How long a request taken back by mistake (the host's, dropped the instant
// this one was taken) is offered back under the request file's name.
constexpr std::uint32_t kPutBackMs = 5000;
// How long the request may be neither waiting nor running before its receipt
// comes: a request set aside is renamed first and gets its receipt after its
// pair is written, and one its writer came back to is put back by a rename.
constexpr std::uint32_t kGoneMs = 2000;

bool IsTermLine(std::string_view line) {
    return line.substr(0, 4) == "TERM";
}

std::string Str(std::string_view text) {
    return std::string(text);
}

void Say(std::string_view message) {
    write_console(ConsoleStream::Error, "kelmora: " + Str(message) + "\n");
}

// "120", or "2.5" for a time-out given with decimals.
std::string Seconds(std::uint32_t ms) {
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0) {
        std::string fraction = std::to_string(1000 + ms % 1000).substr(1);
        fraction.erase(fraction.find_last_not_of('0') + 1);
        text += "." + fraction;
    }
    return text;
}

// A path of the configuration as the copy started in `startDirectory` means it.
std::string FromStartDirectory(std::string_view startDirectory, const std::string& path) {
    return is_absolute_path(path) ? path : join_path(startDirectory, path);
}

std::string RandomName() {
    std::random_device random;
    const std::uint64_t value = (static_cast<std::uint64_t>(random()) << 32) ^ random();
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name(16, '0');
    for (std::size_t i = 0; i < name.size(); ++i) {
        name[i] = kDigits[(value >> (4 * i)) & 0xF];
    }
    return name;
}

// This client's request in the data path, from its own name to the request
// file's name, and its receipt. Its files go when it ends, on every way out.
class Drop {
public:
    explicit Drop(std::string requestPath)
        : request_(std::move(requestPath)), work_(request_ + std::string(kWorkSuffix)),
          own_(request_ + "." + RandomName() + ".new") {}
    ~Drop() {
        if (Ours(own_)) {
            remove_file(own_);
        }
        if (identity_) {
            remove_file(ReceiptPath(request_, *identity_));
        }
    }
    Drop(const Drop&) = delete;
    Drop& operator=(const Drop&) = delete;

    // The request under its own name, and its receipt asked for.
    bool Write(std::string_view bytes) {
        if (!write_new_file(own_, bytes)) {
            remove_file(own_);
            return false;
        }
        identity_ = file_identity(own_);
        return identity_ && write_new_file(ReceiptFile(), "");
    }

    std::string ReceiptFile() const { return ReceiptPath(request_, identity_.value_or(0)); }

    Placement Place() {
        // Not placed yet: whatever the receipt file holds is an earlier job's.
        if (auto bytes = read_file(ReceiptFile(), Links::Refuse); bytes && !bytes->empty()) {
            earlier_ = std::move(*bytes);
        }
        return place_file(own_, request_);
    }

    enum class Where {
        Waiting, // under the request file's name: not taken yet
        Running, // under the work name: its job runs
        Gone,    // neither: its job ended, or it was set aside
    };
    Where Locate() const {
        if (Ours(request_)) {
            return Where::Waiting;
        }
        return Ours(work_) ? Where::Running : Where::Gone;
    }

    // The receipt, once the request has left both names (its job's receipt
    // is written before its file goes, over what was there). What the file
    // held while the request was still waiting is an earlier job's, of a
    // file with this identity that its writer removed before that job's
    // receipt went out (a request taken back, a .bad copy removed by the
    // host): it never counts, though a set-aside request shows it for a
    // moment before its own receipt comes.
    std::optional<JobReceipt> Receipt(Where where) {
        const auto bytes = read_file(ReceiptFile(), Links::Refuse);
        if (!bytes || bytes->empty()) {
            return std::nullopt;
        }
        if (where == Where::Waiting) {
            if (Locate() == Where::Waiting) {
                earlier_ = *bytes;
            }
            return std::nullopt;
        }
        return where == Where::Gone && *bytes != earlier_ ? ParseReceipt(*bytes) : std::nullopt;
    }

    // Takes the request back from under the request file's name, where the
    // relay has not taken it yet. False when it was taken meanwhile.
    bool TakeBack() {
        if (!Ours(request_) || place_file(request_, own_) != Placement::Placed) {
            return false;
        }
        if (Ours(own_)) {
            remove_file(own_);
            return true;
        }
        // Between the look and the move the relay took this request and the
        // host dropped its next one: that one goes back where it was.
        const std::uint32_t start = tick_ms();
        while (place_file(own_, request_) == Placement::Occupied &&
               elapsed_ms(start) < kPutBackMs) {
            sleep_ms(kLookMs);
        }
        if (file_exists(own_)) {
            Say(std::string("Cizí požadavek zůstal pod jménem "_cp) + own_);
            own_.clear();
        }
        return false;
    }

private:
    bool Ours(const std::string& path) const {
        return identity_ && !path.empty() && file_identity(path) == identity_;
    }

    std::string request_;
    std::string work_;
    std::string own_;
    std::optional<std::uint64_t> identity_;
    std::string earlier_; // an earlier job's receipt, seen while this request waited
};

// The lines to send: those of the file, or the arguments as Windows-1250.
std::optional<std::vector<std::string>> GivenLines(const RequestOptions& options) {
    if (options.file) {
        const std::string path = path_from_system(*options.file);
        TextFile file = read_text_file(path);
        if (!file.ok()) {
            Say(std::string("Soubor příkazů "_cp) + path + std::string(" nelze přečíst"_cp));
            return std::nullopt;
        }
        return std::move(file.lines);
    }
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < options.lines.size(); ++i) {
        const std::string& given = options.lines[i];
        std::string line = path_from_system(given);
        if (system_path(line) != given) {
            Say(std::string("Řádek "_cp) + std::to_string(i + 1) +
                std::string(" obsahuje znak, který kódování Windows-1250 nemá"_cp));
            return std::nullopt;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

// The receipt's lines on standard output, the pair last: where they are this
// request's.
int Report(const JobReceipt& receipt, const BuiltRequest& request) {
    const Verdict verdict = JudgeReceipt(receipt, request);
    if (verdict.ours) {
        std::string text;
        for (const std::string& line : split_text_lines(receipt.output)) {
            text += line + "\n";
        }
        text += std::to_string(receipt.a) + "," + std::to_string(receipt.b) + "\n";
        write_console(ConsoleStream::Output, text);
    }
    if (!verdict.message.empty()) {
        Say(verdict.message);
    }
    return verdict.exit;
}

} // namespace

BuiltRequest BuildRequest(const std::vector<std::string>& lines, std::optional<int> terminal) {
    BuiltRequest request;
    const auto refuse = [&request](std::size_t number, std::string_view why) {
        request.error = std::string("Řádek "_cp) + std::to_string(number) + ": " + Str(why);
        return request;
    };
    std::vector<std::string> all;
    if (terminal) {
        if (!lines.empty() && IsTermLine(lines.front())) {
            request.error = "--terminal a řádek TERM: zadejte jen jedno"_cp;
            return request;
        }
        all.push_back("TERM " + std::to_string(*terminal));
    }
    if (lines.empty() && all.empty()) {
        request.error = "Požadavek je prázdný: zadejte příkazy, --file nebo --terminal"_cp;
        return request;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.find_first_of("\r\n") != std::string::npos) {
            return refuse(i + 1, "obsahuje konec řádku"_cp);
        }
        if (IsTermLine(line)) {
            if (i > 0 || terminal) {
                return refuse(i + 1, "TERM platí jen na prvním řádku požadavku"_cp);
            }
            continue;
        }
        switch (ClassifyCommandLine(line)) {
        case LineShape::Empty:
            break;
        case LineShape::OneFrame:
            request.commands += 1;
            break;
        case LineShape::TwoPart:
            request.commands += 2;
            break;
        case LineShape::HoldsNul:
            return refuse(i + 1, "obsahuje znak NUL"_cp);
        case LineShape::TooLong:
            return refuse(i + 1, std::to_string(line.size()) +
                                     std::string(" znaků se do rámce nevejde (nejvýše 97, záznam "
                                                 "o dvou částech Q nebo R 98 až 121)"_cp));
        }
    }
    all.insert(all.end(), lines.begin(), lines.end());
    request.selectOnly = all.size() == 1 && IsTermLine(all.front());
    request.bytes = join_crlf_lines(all);
    if (all.size() > kMaxCommandFileLines || request.bytes.size() > kMaxCommandFileBytes) {
        request.error = std::string("Požadavek je větší než "_cp) +
                        std::to_string(kMaxCommandFileBytes) + std::string(" bajtů nebo "_cp) +
                        std::to_string(kMaxCommandFileLines) + std::string(" řádků"_cp);
    }
    return request;
}

Verdict JudgeReceipt(const JobReceipt& receipt, const BuiltRequest& request) {
    if (receipt.digest && *receipt.digest != RequestDigest(request.bytes)) {
        return {kRequestJobFailed,
                std::string("Požadavek přepsal jiný program dřív, než jej Kelmora převzala: "
                            "úloha, která proběhla, nebyla tato"_cp),
                false};
    }
    const std::string pair = std::to_string(receipt.a) + "," + std::to_string(receipt.b);
    if (receipt.a < 0) {
        return {kRequestJobFailed,
                std::string("Úloha skončila stavem "_cp) + pair +
                    (receipt.b == 0 ? std::string(": řádek TERM volí terminál mimo 1 až 4, nebo "
                                                  "terminál, který není připojen"_cp)
                                    : std::string(": příčinu uvádí protokol událostí"_cp))};
    }
    const int expected = request.selectOnly ? 1 : request.commands;
    if (receipt.a == expected) {
        return {};
    }
    return {kRequestCommandFailed, std::string("Terminál potvrdil "_cp) +
                                       std::to_string(receipt.a) + " z " +
                                       std::to_string(expected) + std::string(" příkazů"_cp)};
}

int RunRequest(const RequestOptions& options, std::string_view iniPath,
               std::string_view startDirectory) {
    const auto lines = GivenLines(options);
    if (!lines) {
        return kRequestUsage;
    }
    const BuiltRequest request = BuildRequest(*lines, options.terminal);
    if (!request.error.empty()) {
        Say(request.error);
        return kRequestUsage;
    }
    const Configuration config = LoadConfiguration(iniPath, startDirectory);
    const std::string dataPath = FromStartDirectory(startDirectory, config.DataPath);
    if (!DataPathServed(dataPath)) {
        Say(std::string("V datovém adresáři "_cp) + dataPath +
            std::string(" neběží Kelmora (konfigurace "_cp) + Str(iniPath) +
            std::string("): požadavek se neodesílá"_cp));
        return kRequestNoRelay;
    }
    // Set before anything is written: the files go on the way out.
    const auto stop = std::make_shared<std::atomic<bool>>(false);
    on_stop_signal([stop] { *stop = true; });

    const std::string requestPath =
        FromStartDirectory(startDirectory, join_path(config.DataPath, config.RequestFile));
    Drop drop(requestPath);
    if (!drop.Write(request.bytes)) {
        Say(std::string("Soubor požadavků nelze zapsat do "_cp) + dataPath);
        return kRequestNotWritten;
    }
    DirectoryWatch receiptWatch(drop.ReceiptFile());
    const std::string waited = Seconds(options.timeoutMs);
    const std::uint32_t start = tick_ms();
    std::uint32_t relayLooked = start;
    const auto timeUp = [&] { return elapsed_ms(start) >= options.timeoutMs; };
    const auto relayGone = [&] {
        if (elapsed_ms(relayLooked) < kRelayLookMs) {
            return false;
        }
        relayLooked = tick_ms();
        return !DataPathServed(dataPath);
    };

    bool saidWaiting = false;
    for (;;) {
        const Placement placed = drop.Place();
        if (placed == Placement::Placed) {
            break;
        }
        if (placed == Placement::Refused) {
            Say(std::string("Soubor požadavků nelze zapsat: "_cp) + requestPath);
            return kRequestNotWritten;
        }
        if (!saidWaiting) {
            saidWaiting = true;
            Say(std::string("Předchozí požadavek "_cp) + requestPath +
                std::string(" ještě nebyl převzat: tento počká, až na něj přijde řada"_cp));
        }
        if (*stop) {
            Say("Přerušeno: požadavek se neodesílá"_cp);
            return kRequestStopped;
        }
        if (timeUp()) {
            Say(std::string("Předchozí požadavek nebyl převzat do "_cp) + waited +
                std::string(" s: tento se neodesílá"_cp));
            return kRequestTimedOut;
        }
        if (relayGone()) {
            Say("Kelmora skončila: požadavek se neodesílá"_cp);
            return kRequestNoRelay;
        }
        sleep_ms(kLookMs);
    }

    bool gone = false;
    std::uint32_t goneSince = 0;
    for (;;) {
        const Drop::Where where = drop.Locate();
        if (const auto receipt = drop.Receipt(where)) {
            return Report(*receipt, request);
        }
        if (where != Drop::Where::Gone) {
            gone = false;
        } else if (!gone) {
            gone = true;
            goneSince = tick_ms();
        } else if (elapsed_ms(goneSince) >= kGoneMs) {
            Say("Kelmora požadavek převzala, ale jeho výsledek nepotvrdila: příčinu uvádí "
                "protokol událostí"_cp);
            return kRequestJobFailed;
        }
        const bool stopped = *stop;
        const bool late = !stopped && timeUp();
        if (stopped || late || relayGone()) {
            const bool takenBack = where == Drop::Where::Waiting && drop.TakeBack();
            const std::string what = stopped ? std::string("Přerušeno"_cp)
                                     : late  ? (takenBack ? std::string("Kelmora požadavek "
                                                                         "nepřevzala do "_cp)
                                                          : std::string("Úloha neskončila do "_cp)) +
                                                  waited + " s"
                                            : std::string("Kelmora skončila"_cp);
            if (takenBack) {
                Say(what + std::string(": požadavek odvolán"_cp));
            } else if (stopped || late) {
                Say(what + std::string(": úloha doběhne bez čekání na výsledek"_cp));
            } else {
                Say(what +
                    std::string(" během úlohy: při dalším startu ji ohlásí stavem -1,-1"_cp));
            }
            return stopped ? kRequestStopped : late ? kRequestTimedOut : kRequestNoRelay;
        }
        receiptWatch.Wait(kLookMs);
    }
}

} // namespace kelmora
