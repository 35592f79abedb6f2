#include "sim/Options.h"

#include "platform/LocalTime.h"
#include "platform/RawLine.h"
#include "sim/SeedRecords.h"

#include <charconv>
#include <cstdlib>
#include <functional>
#include <optional>

namespace kelmora::sim {

namespace {

constexpr int kMaxMs = 600'000;

std::optional<long long> whole_number(const std::string& text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

// A whole number within [low, high], or a message naming the option.
std::string read_int(const std::string& option, const std::string& text, long long low,
                     long long high, long long& out) {
    const auto value = whole_number(text);
    if (!value || *value < low || *value > high) {
        return option + " wants a whole number from " + std::to_string(low) + " to " +
               std::to_string(high) + ", not '" + text + "'";
    }
    out = *value;
    return {};
}

// "ADDR:REST" aims at one terminal; without a colon, at all of them.
struct Aimed {
    int address = -1;
    std::string rest;
};

std::string split_address(const std::string& option, const std::string& text, Aimed& out) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        out = {-1, text};
        return {};
    }
    long long address = 0;
    if (std::string e = read_int(option + " address", text.substr(0, colon), 0, 255, address);
        !e.empty()) {
        return e;
    }
    out = {static_cast<int>(address), text.substr(colon + 1)};
    return {};
}

struct Pending {
    std::vector<std::pair<int, Role>> terminals;
    std::vector<std::pair<int, std::function<void(Faults&)>>> faults;
    std::string records_file;
    long long random_count = -1;
    std::uint64_t seed = 1;
    MealRadices radices;
    std::size_t capacity = 2500;
    bool dt = false;
    std::string ident;
};

using Handler = std::function<std::string(const std::string& name, const std::string& value)>;

struct Option {
    const char* name;
    bool takes_value;
    Handler handle;
};

// Every option with what it does to the command line being built.
std::vector<Option> option_table(CommandLine& result, Pending& p) {
    SimOptions& o = result.options;
    LineTiming& t = o.timing;
    const auto ms_option = [](int& target) -> Handler {
        return [&target](const std::string& name, const std::string& value) {
            long long v = 0;
            std::string e = read_int(name, value, 0, kMaxMs, v);
            target = static_cast<int>(v);
            return e;
        };
    };
    const auto fault_option = [&p](FaultSpec Faults::*member) -> Handler {
        return [&p, member](const std::string& name, const std::string& value) {
            Aimed aimed;
            if (std::string e = split_address(name, value, aimed); !e.empty()) {
                return e;
            }
            FaultSpec spec;
            if (!parse_fault_spec(aimed.rest, spec)) {
                return name + " wants a count such as 3 or a rate such as 0.2 or 20%, not '" +
                       aimed.rest + "'";
            }
            p.faults.emplace_back(aimed.address, [member, spec](Faults& f) { f.*member = spec; });
            return std::string();
        };
    };
    const auto fault_count_option = [&p](int Faults::*member, long long low) -> Handler {
        return [&p, member, low](const std::string& name, const std::string& value) {
            Aimed aimed;
            if (std::string e = split_address(name, value, aimed); !e.empty()) {
                return e;
            }
            long long v = 0;
            if (std::string e = read_int(name, aimed.rest, low, 1'000'000'000, v); !e.empty()) {
                return e;
            }
            p.faults.emplace_back(aimed.address,
                                  [member, v](Faults& f) { f.*member = static_cast<int>(v); });
            return std::string();
        };
    };

    return {
        {"--help", false,
         [&](auto&, auto&) {
             result.help = true;
             return std::string();
         }},
        {"--version", false,
         [&](auto&, auto&) {
             result.version = true;
             return std::string();
         }},
        {"--terminal", true,
         [&](const std::string& name, const std::string& value) {
             const auto colon = value.find(':');
             long long address = 0;
             if (colon == std::string::npos) {
                 return name + " wants ADDR:MODE, such as 1:slave or 2:master, not '" + value + "'";
             }
             if (std::string e =
                     read_int(name + " address", value.substr(0, colon), 0, 255, address);
                 !e.empty()) {
                 return e;
             }
             const std::string mode = value.substr(colon + 1);
             if (mode != "slave" && mode != "master") {
                 return name + " mode is master or slave, not '" + mode + "'";
             }
             p.terminals.emplace_back(static_cast<int>(address),
                                      mode == "master" ? Role::Master : Role::Slave);
             return std::string();
         }},
        {"--device", true,
         [&](auto&, const std::string& v) {
             o.device = v;
             return std::string();
         }},
        {"--link", true,
         [&](auto&, const std::string& v) {
             o.link = v;
             return std::string();
         }},
        {"--baud", true,
         [&](const std::string& name, const std::string& value) {
             const auto v = whole_number(value);
             if (!v || !RawLine::supported_baud(static_cast<int>(*v))) {
                 return name + " wants one of 300, 600, 1200, 2400, 4800, 9600, 19200, 38400, " +
                        "57600, 115200, not '" + value + "'";
             }
             t.baud = static_cast<int>(*v);
             return std::string();
         }},
        {"--mark", false,
         [&](auto&, auto&) {
             t.mark = true;
             return std::string();
         }},
        {"--fast", false,
         [&](auto&, auto&) {
             t.fast = true;
             return std::string();
         }},
        {"--turnaround", true, ms_option(t.turnaround_ms)},
        {"--poll-period", true,
         [&](const std::string& name, const std::string& value) {
             long long v = 0;
             std::string e = read_int(name, value, 1, kMaxMs, v);
             t.poll_period_ms = static_cast<int>(v);
             return e;
         }},
        {"--listen", true, ms_option(t.listen_ms)},
        {"--clear-time", true, ms_option(t.clear_ms)},
        {"--capacity", true,
         [&](const std::string& name, const std::string& value) {
             long long v = 0;
             std::string e = read_int(name, value, 1, 10'000'000, v);
             p.capacity = static_cast<std::size_t>(v);
             return e;
         }},
        {"--dt", false,
         [&](auto&, auto&) {
             p.dt = true;
             return std::string();
         }},
        {"--ident", true,
         [&](const std::string& name, const std::string& value) {
             if (value.size() > 16) {
                 return name + " takes at most 16 characters";
             }
             p.ident = value;
             return std::string();
         }},
        {"--records", true,
         [&](auto&, const std::string& v) {
             p.records_file = v;
             return std::string();
         }},
        {"--random", true,
         [&](const std::string& name, const std::string& value) {
             return read_int(name, value, 0, 65535, p.random_count);
         }},
        {"--seed", true,
         [&](const std::string& name, const std::string& value) {
             long long v = 0;
             std::string e = read_int(name, value, 0, 0x7FFFFFFFFFFFFFFFLL, v);
             p.seed = static_cast<std::uint64_t>(v);
             return e;
         }},
        {"--coding", true,
         [&](const std::string& name, const std::string& value) {
             if (value != "on" && value != "off") {
                 return name + " is on or off, not '" + value + "'";
             }
             p.radices.coding = value == "on";
             return std::string();
         }},
        {"--breakfasts", true,
         [&](const std::string& name, const std::string& value) {
             long long v = 0;
             std::string e = read_int(name, value, 1, 256, v);
             p.radices.breakfasts = static_cast<int>(v);
             return e;
         }},
        {"--dinners", true,
         [&](const std::string& name, const std::string& value) {
             long long v = 0;
             std::string e = read_int(name, value, 1, 256, v);
             p.radices.dinners = static_cast<int>(v);
             return e;
         }},
        {"--nak", true, fault_option(&Faults::nak)},
        {"--no-ack", true, fault_option(&Faults::no_ack)},
        {"--cut-block", true, fault_option(&Faults::cut_block)},
        {"--cut-bytes", true, fault_count_option(&Faults::cut_bytes, 1)},
        {"--bad-checksum", true, fault_option(&Faults::bad_checksum)},
        {"--noise", true, fault_option(&Faults::noise)},
        {"--noise-bytes", true, fault_count_option(&Faults::noise_bytes, 1)},
        {"--stop-polling", true, fault_count_option(&Faults::stop_polling_after, 0)},
        {"--silent-after", true, fault_count_option(&Faults::silent_after, 0)},
        {"--trace", true,
         [&](auto&, const std::string& v) {
             o.trace_path = v;
             return std::string();
         }},
    };
}

} // namespace

bool parse_fault_spec(const std::string& text, FaultSpec& spec) {
    if (text.empty()) {
        return false;
    }
    if (const auto count = whole_number(text)) {
        if (*count < 0 || *count > 1'000'000'000) {
            return false;
        }
        spec = FaultSpec::next(static_cast<int>(*count));
        return true;
    }
    std::string number = text;
    double scale = 1.0;
    if (number.back() == '%') {
        number.pop_back();
        scale = 0.01;
    }
    if (number.empty() || number.find_first_not_of("0123456789.") != std::string::npos) {
        return false;
    }
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    if (end != number.c_str() + number.size()) {
        return false;
    }
    const double rate = value * scale;
    if (rate < 0.0 || rate > 1.0) {
        return false;
    }
    spec = FaultSpec::at_rate(rate);
    return true;
}

CommandLine parse_command_line(const std::vector<std::string>& args) {
    CommandLine result;
    SimOptions& o = result.options;
    Pending p;
    const std::vector<Option> table = option_table(result, p);

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        const Option* option = nullptr;
        for (const Option& candidate : table) {
            if (name == candidate.name) {
                option = &candidate;
            }
        }
        if (option == nullptr) {
            result.error = "unknown option '" + args[i] + "'";
            return result;
        }
        if (option->takes_value && !value) {
            if (i + 1 >= args.size()) {
                result.error = name + " needs a value";
                return result;
            }
            value = args[++i];
        } else if (!option->takes_value && value) {
            result.error = name + " takes no value";
            return result;
        }
        if (std::string e = option->handle(name, value.value_or("")); !e.empty()) {
            result.error = e;
            return result;
        }
    }
    if (result.help || result.version) {
        return result;
    }

    if (p.terminals.empty()) {
        p.terminals.emplace_back(1, Role::Slave);
    }
    std::vector<PersonRecord> seed_records;
    if (!p.records_file.empty() && p.random_count >= 0) {
        result.error = "--records and --random cannot be used together";
        return result;
    }
    if (!p.records_file.empty()) {
        SeedResult loaded = load_record_file(p.records_file, SeedFormat{p.radices, p.dt});
        if (!loaded.error.empty()) {
            result.error = loaded.error;
            return result;
        }
        seed_records = std::move(loaded.records);
    } else if (p.random_count > 0) {
        if (static_cast<std::size_t>(p.random_count) > p.capacity) {
            result.error = "--random " + std::to_string(p.random_count) +
                           " is more than the capacity of " + std::to_string(p.capacity);
            return result;
        }
        const LocalTime now = local_time_now();
        const ClockFields stamp{now.year % 100, now.month,  now.day,   1,
                                now.hour,       now.minute, now.second};
        seed_records =
            random_records(static_cast<std::size_t>(p.random_count), p.seed, p.radices, stamp);
    }
    if (seed_records.size() > p.capacity) {
        result.error = std::to_string(seed_records.size()) +
                       " records do not fit the capacity of " + std::to_string(p.capacity);
        return result;
    }

    for (const auto& [address, role] : p.terminals) {
        StationSetup station;
        station.terminal.address = address;
        station.terminal.role = role;
        station.terminal.capacity = p.capacity;
        station.terminal.dt = p.dt;
        station.terminal.ident = p.ident;
        station.terminal.records = seed_records;
        o.terminals.push_back(std::move(station));
    }
    for (const auto& [address, apply] : p.faults) {
        bool found = false;
        for (StationSetup& station : o.terminals) {
            if (address < 0 || station.terminal.address == address) {
                apply(station.faults);
                found = true;
            }
        }
        if (!found) {
            result.error = "a fault is aimed at address " + std::to_string(address) +
                           ", which has no terminal";
            return result;
        }
    }
    o.seed = p.seed;
    return result;
}

std::vector<std::string> option_names() {
    CommandLine scratch;
    Pending pending;
    std::vector<std::string> names;
    for (const Option& option : option_table(scratch, pending)) {
        names.emplace_back(option.name);
    }
    return names;
}

std::string usage_text() {
    return R"(Usage: tobrin-sim [OPTION]...
Plays Tobrin meal terminals on one serial line, for Kelmora to talk to.
Opens a new pseudo-terminal and prints the path of its slave side (the port
to give Kelmora), or serves a real serial device. On Windows, which has no
pseudo-terminals, it serves a COM port (--device COM2): join it to Kelmora's
port with a null-modem cable or a virtual COM pair. Runs until Ctrl+C (SIGINT
or SIGTERM). Options take their value as --option VALUE or --option=VALUE.

Line:
  --terminal ADDR:MODE    a terminal on the line: address 0 to 255, mode master
                          or slave; repeat for more terminals (default 1:slave)
  --device PATH           serve this serial device instead of a pseudo-terminal
                          (on Windows a COM port such as COM2: required there)
  --link PATH             also make PATH a symbolic link to the pseudo-terminal
                          (replaces an older link there, never another file;
                          not on Windows)
  --baud N                line speed: 300, 600, 1200, 2400, 4800, 9600, 19200,
                          38400, 57600 or 115200 (default 19200)
  --mark                  mark parity: 11 bits a byte instead of 10
  --fast                  no pacing: bytes go out at once and count as arrived
                          when read (the turnaround stays; --turnaround 0 for
                          answers at once)
  --turnaround MS         pause before an answer, counted from the moment the
                          frame's last byte arrived at the line speed, and
                          between an acknowledgement and its answer block
                          (default 10)
  --poll-period MS        how often a MASTER sends its poll frame (default 50)
  --listen MS             how long after its poll frame a MASTER takes a frame
                          (default: the poll period)

Terminals:
  --capacity N            records a terminal holds, halves included (default 2500)
  --dt                    DT mode: 29-byte records that carry the date and time
                          of their last change
  --clear-time MS         how long the C command leaves a terminal deaf
                          (default 2000)
  --ident TEXT            identification text of the S record, at most 16
                          characters (default "TOBRIN SIM" and the address)
  --records FILE          start every terminal with the records of FILE, lines
                          in the layout of Kelmora's result lines
  --random N              start every terminal with N random records
  --seed S                seed of --random and of fault rates (default 1)
  --coding on|off         code alphabet of the lines in --records (default on)
  --breakfasts B          breakfast codes of the lines in --records (default 4)
  --dinners V             dinner codes of the lines in --records (default 6)

Faults (every terminal, or one with an ADDR: prefix, e.g. --nak 2:0.1).
SPEC is a count (3: the next 3 occasions) or a rate (0.2 or 20%: each
occasion with that probability); a count is used up before the rate applies.
  --nak SPEC              answer NAK (0x15) instead of ACK; the command is not
                          carried out
  --no-ack SPEC           answer nothing; the command is not carried out
  --cut-block SPEC        send answer blocks short by --cut-bytes
  --cut-bytes K           bytes missing from a cut answer block (default 1)
  --bad-checksum SPEC     send poll frames with a wrong checksum
  --noise SPEC            send 1 to --noise-bytes random bytes before a poll,
                          an acknowledgement or an answer block
  --noise-bytes N         most noise bytes at a time (default 3)
  --stop-polling K        a MASTER stops polling after K more polls
  --silent-after K        a terminal goes deaf and dumb after K more frames
                          addressed to it (0: from the start)

Other:
  --trace FILE            write one line per frame received and sent: time in
                          ms, RX or TX, address, what it was, bytes in hex
  --help                  show this text
  --version               show the version

Exit status: 0 after a clean stop, 1 when the line cannot be opened or fails,
2 for a bad option.
)";
}

} // namespace kelmora::sim
