// The soak run: request files one after another against the simulator with
// NAK and short-answer faults switched on, Kelmora running as the host sees
// it (a headless process). Every file must be taken exactly once, every
// status pair must be what the line traffic of its job implies, and the
// process's resident memory must stay flat.
//
//   soak_requests KELMORA_PROGRAM [files] [fault rate]   (defaults 500, 0.1)
//
// The oracle: the simulator's trace of each job (the P frames it received and
// what it answered: NAK, nothing, or an acknowledgement and an answer block)
// gives the pair the job must end with: (1, records) after a whole block,
// (0, 0) when three attempts got no whole block.
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "platform/TextLines.h"
#include "sim/SeedRecords.h"
#include "sim/Simulator.h"
#include "support/ChildProcess.h"
#include "support/LogMessages.h"
#include "support/TestIni.h"
#include "support/WaitUntil.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

using namespace kelmora;
using namespace kelmora::testing;

namespace {

constexpr std::size_t kRecords = 100;
constexpr int kAttempts = 3;

struct Expectation {
    int acknowledged = 0;
    int records = 0;
    int frames = 0; // P frames the terminal received
};

// Reads the trace lines of one job and works out its status pair.
Expectation FromTrace(const std::vector<std::string>& lines, int previousRecords) {
    Expectation e;
    bool awaitingAnswer = false;
    bool acked = false;
    bool done = false;
    for (const auto& line : lines) {
        std::istringstream in(line);
        std::string time, direction, address, kind;
        in >> time >> direction >> address >> kind;
        if (direction == "RX" && kind == "frame" && line.find(" 04 50 ") != std::string::npos) {
            ++e.frames;
            awaitingAnswer = true;
            acked = false;
        } else if (direction == "TX" && awaitingAnswer && (kind == "nak" || kind == "none")) {
            awaitingAnswer = false;
        } else if (direction == "TX" && awaitingAnswer && kind == "ack") {
            acked = true;
        } else if (direction == "TX" && acked && kind == "block") {
            std::string hex;
            std::size_t bytes = 0;
            while (in >> hex && hex != "#") {
                ++bytes;
            }
            if (bytes % 24 == 0 && !done) {
                done = true;
                e.acknowledged = 1;
                e.records = static_cast<int>(bytes / 24);
            }
            awaitingAnswer = acked = false;
        }
    }
    if (e.frames == 0) {
        e.records = previousRecords; // the terminal was absent: nothing was sent
    }
    return e;
}

std::vector<std::string> NewLines(const std::string& path, std::size_t& offset) {
    const std::string content = read_file(path).value_or("");
    std::vector<std::string> lines =
        split_text_lines(content.substr(std::min(offset, content.size())));
    offset = content.size();
    return lines;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: soak_requests KELMORA_PROGRAM [files] [fault rate]\n");
        return 2;
    }
    const std::string program = std::filesystem::absolute(argv[1]).string();
    const int files = argc > 2 ? std::atoi(argv[2]) : 500;
    const double rate = argc > 3 ? std::atof(argv[3]) : 0.1;

    const auto dir = std::filesystem::temp_directory_path() / "kelmora-soak";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "data");
    const std::string base = dir.string();
    const std::string data = join_path(base, "data");
    const std::string trace = join_path(base, "trace.txt");

    sim::SimOptions options;
    sim::StationSetup station;
    station.terminal.address = 1;
    station.terminal.records = sim::random_records(kRecords, 3, {}, {});
    station.faults.nak = sim::FaultSpec::at_rate(rate);
    station.faults.cut_block = sim::FaultSpec::at_rate(rate);
    options.terminals.push_back(station);
    options.timing.baud = 115200; // quick, but with the turnaround a real terminal keeps
    options.trace_path = trace;
    options.seed = 11;
    sim::Simulator simulator(options);
    const auto started = simulator.start();
    if (!started.ok()) {
        std::fprintf(stderr, "simulator: %s\n", started.error.c_str());
        return 1;
    }
    if (!WriteIni(join_path(base, "kelmora.ini"), data, {{0, 1, 0}}, {{0, started.path}},
                  kAttempts)) {
        std::fprintf(stderr, "cannot write the configuration\n");
        return 1;
    }
    ChildProcess kelmora(program, {"--headless", "--config", join_path(base, "kelmora.ini")}, base,
                         {"XDG_RUNTIME_DIR=" + base}, join_path(base, "stderr.txt"));
    if (!kelmora.Started()) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        return 1;
    }
    const std::string log = join_path(base, "errorlog.txt");
    // The status pairs in the event log ("a,b", nothing else on the line).
    auto pairsLogged = [&] {
        int n = 0;
        for (const auto& m : LogMessages(read_file(log).value_or(""))) {
            n += m.find(',') != std::string::npos && m.find(' ') == std::string::npos;
        }
        return n;
    };
    auto waitFor = [](auto done, std::uint32_t limitMs) { return WaitUntil(done, limitMs); };
    if (!waitFor([&] { return read_file(log).value_or("").find("TERM 1") != std::string::npos; },
                 20000)) {
        std::fprintf(stderr, "kelmora did not start\n");
        return 1;
    }

    std::size_t traceOffset = 0;
    NewLines(trace, traceOffset);
    int previousRecords = 0;
    int wrong = 0;
    int whole = 0;
    int absent = 0;
    long rssAt50 = 0;
    long rssMax = 0;
    const std::uint32_t t0 = tick_ms();
    for (int i = 1; i <= files; ++i) {
        const int before = pairsLogged();
        const std::string request = join_path(data, "request.cfg");
        write_file(request + ".part", "TERM 1\r\nP\r\n");
        std::filesystem::rename(request + ".part", request);
        // The work file goes only once the final pair is in rexcom.sta; the
        // log has it a moment before.
        if (!waitFor(
                [&] {
                    return !file_exists(request) && !file_exists(request + ".job") &&
                           pairsLogged() >= before + 2;
                },
                60000)) {
            std::fprintf(stderr, "file %d was not processed\n", i);
            return 1;
        }
        const std::vector<std::string> jobTrace = NewLines(trace, traceOffset);
        const Expectation e = FromTrace(jobTrace, previousRecords);
        const std::string expected =
            std::to_string(e.acknowledged) + "," + std::to_string(e.records) + "\r\n";
        const std::string got = read_file(join_path(data, "rexcom.sta")).value_or("?");
        if (got != expected || e.frames > kAttempts ||
            (e.frames > 0 && e.acknowledged == 0 && e.frames != kAttempts)) {
            ++wrong;
            std::fprintf(stderr, "file %d: status %s, the line implies %s (%d P frames)\n", i,
                         got.c_str(), expected.c_str(), e.frames);
            for (const auto& l : jobTrace) {
                std::fprintf(stderr, "    %.100s\n", l.c_str());
            }
        }
        whole += e.acknowledged;
        absent += e.frames == 0;
        previousRecords = e.records;
        const long rss = kelmora.ResidentKb();
        rssMax = std::max(rssMax, rss);
        if (i == 50) {
            rssAt50 = rss;
        }
        if (i % 50 == 0) {
            std::printf("%4d files, %.0f s, resident %ld kB\n", i, elapsed_ms(t0) / 1000.0, rss);
            std::fflush(stdout);
        }
    }
    const long rssEnd = kelmora.ResidentKb();
    // Each file once: two pairs logged for each (TERM's 1,0 and the job's).
    const int pairs = pairsLogged();
    kelmora.Signal(SIGTERM);
    const auto exit = kelmora.Wait(20000);
    const auto state = simulator.state(1);
    std::printf("files %d, pairs logged %d, jobs with a whole answer %d, jobs on an absent "
                "terminal %d, NAKs %llu, wrong pairs %d\n",
                files, pairs, whole, absent,
                static_cast<unsigned long long>(state ? state->counters.naks_sent : 0), wrong);
    std::printf("resident memory: %ld kB after 50 files, %ld kB at the end, %ld kB at most\n",
                rssAt50, rssEnd, rssMax);
    std::printf("kelmora exit code %d, %.0f s in all\n", exit.value_or(-1),
                elapsed_ms(t0) / 1000.0);
    const bool flat = rssAt50 == 0 || rssEnd <= rssAt50 + rssAt50 / 10;
    const bool ok = wrong == 0 && pairs == 2 * files && exit == 0 && flat;
    std::printf("%s\n", ok ? "soak: PASSED" : "soak: FAILED");
    return ok ? 0 : 1;
}
