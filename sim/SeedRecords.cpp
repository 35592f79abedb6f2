#include "sim/SeedRecords.h"

#include "platform/Hex.h"
#include "platform/TextLines.h"

#include <random>
#include <string_view>
#include <unordered_set>

namespace kelmora::sim {

namespace {

constexpr std::size_t kGroup = 14;
constexpr std::size_t kDtDigits = 10;

// Bytes from pairs of hexadecimal digits; false at a character that is none.
template <std::size_t N>
bool parse_hex(std::string_view text, std::array<std::uint8_t, N>& out) {
    for (std::size_t i = 0; i < N; ++i) {
        const int hi = hex_digit_value(text[2 * i]);
        const int lo = hex_digit_value(text[2 * i + 1]);
        if (hi < 0 || lo < 0) {
            return false;
        }
        out[i] = static_cast<std::uint8_t>(hi << 4 | lo);
    }
    return true;
}

class LineReader {
public:
    LineReader(std::size_t line_number, const SeedFormat& format)
        : line_number_(line_number), format_(format) {}

    bool fail(const std::string& what) {
        error = "line " + std::to_string(line_number_) + ": " + what;
        return false;
    }

    // Fourteen meal bytes from three groups starting at `text`.
    bool meals(std::string_view text, bool raw, std::array<std::uint8_t, 14>& out) {
        if (raw) {
            for (std::size_t k = 0; k < kGroup; ++k) {
                out[k] = static_cast<std::uint8_t>(text[k]);
            }
            return true;
        }
        const bool coding = format_.radices.coding;
        for (std::size_t k = 0; k < kGroup; ++k) {
            int codes[3];
            for (std::size_t g = 0; g < 3; ++g) {
                const char c = text[g * kGroup + k];
                const auto value = code_value(c, coding);
                if (!value) {
                    return fail(std::string("'") + c + "' is not a code character " +
                                (coding ? "with coding on" : "with coding off"));
                }
                codes[g] = *value;
            }
            const auto meal = pack_meal(codes[0], codes[1], codes[2], format_.radices);
            if (!meal) {
                return fail("the codes of meal position " + std::to_string(k + 1) + " do not fit " +
                            std::to_string(format_.radices.breakfasts) + " breakfasts and " +
                            std::to_string(format_.radices.dinners) + " dinners in one byte");
            }
            out[k] = static_cast<std::uint8_t>(*meal);
        }
        return true;
    }

    bool read(const std::string& line, std::vector<PersonRecord>& records) {
        const std::size_t extra = format_.dt ? kDtDigits : 0;
        const std::size_t base = line.size() >= extra ? line.size() - extra : 0;
        std::size_t digits = 0;
        bool pair = false;
        if (base == 56 || base == 57) {
            digits = base - 52;
        } else if (base == 98 || base == 99) {
            digits = base - 94;
            pair = true;
        } else {
            return fail(std::to_string(line.size()) + " characters; a record line has 56 or 57 (" +
                        "98 or 99 with a half)" + (format_.dt ? " plus 10 in DT mode" : ""));
        }
        const char letter = line[0];
        if (letter != 'Q' && letter != 'R' && letter != 'q' && letter != 'r') {
            return fail(std::string("the letter '") + letter + "' is not Q, R, q or r");
        }
        if (pair && (letter == 'q' || letter == 'r')) {
            return fail("a half cannot carry a half of its own");
        }
        long number = 0;
        for (std::size_t i = 1; i <= digits; ++i) {
            if (line[i] < '0' || line[i] > '9') {
                return fail("the person number " + line.substr(1, digits) + " is not decimal");
            }
            number = number * 10 + (line[i] - '0');
        }
        if (number > 0xFFFF) {
            return fail("the person number " + std::to_string(number) + " is above 65535");
        }
        PersonRecord record;
        record.letter = letter == 'Q' ? 'Z' : letter;
        record.number = static_cast<std::uint16_t>(number);
        const std::string_view text(line);
        if (!parse_hex(text.substr(1 + digits, 8), record.id)) {
            return fail("the eight characters after the person number are not hexadecimal");
        }
        record.flag = static_cast<std::uint8_t>(line[9 + digits]);
        const bool raw = record.flag >= 0x80;
        const std::size_t groups = 10 + digits;
        if (!meals(text.substr(groups), raw, record.meals)) {
            return false;
        }
        if (format_.dt && !parse_hex(text.substr(line.size() - kDtDigits), record.stamp)) {
            return fail("the ten DT characters at the end are not hexadecimal");
        }
        records.push_back(record);
        if (pair) {
            PersonRecord half = record;
            half.letter = letter == 'Q' ? 'q' : 'r';
            if (!meals(text.substr(groups + 3 * kGroup), raw, half.meals)) {
                return false;
            }
            records.push_back(half);
        }
        return true;
    }

    std::string error;

private:
    std::size_t line_number_;
    const SeedFormat& format_;
};

} // namespace

SeedResult parse_record_lines(const std::vector<std::string>& lines, const SeedFormat& format) {
    SeedResult result;
    if (format.radices.breakfasts <= 0 || format.radices.dinners <= 0) {
        result.error = "breakfasts and dinners must both be at least 1";
        return result;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty() || line[0] == '#') {
            continue;
        }
        LineReader reader(i + 1, format);
        if (!reader.read(line, result.records)) {
            result.records.clear();
            result.error = reader.error;
            return result;
        }
    }
    return result;
}

SeedResult load_record_file(const std::string& path, const SeedFormat& format) {
    const auto lines = read_text_lines(path);
    if (!lines) {
        return {{}, "cannot read the record file " + path};
    }
    SeedResult result = parse_record_lines(*lines, format);
    if (!result.error.empty()) {
        result.error = path + ", " + result.error;
    }
    return result;
}

std::vector<PersonRecord> random_records(std::size_t count, std::uint64_t seed,
                                         const MealRadices& radices, const ClockFields& stamp) {
    // Plain modulo on the generator's output: the standard distributions may
    // differ between libraries, and the records must not.
    std::mt19937_64 rng(seed);
    const auto below = [&rng](std::uint64_t n) { return n == 0 ? 0 : rng() % n; };
    const std::uint64_t numbers = count <= 9999 ? 9999 : 65535;
    std::unordered_set<std::uint16_t> used;
    std::vector<PersonRecord> out;
    out.reserve(count);
    while (out.size() < count && used.size() < numbers) {
        PersonRecord record;
        do {
            record.number = static_cast<std::uint16_t>(1 + below(numbers));
        } while (!used.insert(record.number).second);
        record.letter = below(2) == 0 ? 'Z' : 'R';
        for (auto& b : record.id) {
            b = static_cast<std::uint8_t>(below(256));
        }
        record.flag = '0';
        const auto fill_meals = [&](PersonRecord& r) {
            for (auto& meal : r.meals) {
                const auto packed = pack_meal(
                    static_cast<int>(below(3)),
                    static_cast<int>(below(static_cast<std::uint64_t>(radices.breakfasts))),
                    static_cast<int>(below(static_cast<std::uint64_t>(radices.dinners))), radices);
                meal = static_cast<std::uint8_t>(packed.value_or(0));
            }
        };
        fill_meals(record);
        record.stamp = {to_bcd(stamp.year), to_bcd(stamp.month), to_bcd(stamp.day),
                        to_bcd(stamp.hour), to_bcd(stamp.minute)};
        std::string name = "OSOBA " + std::to_string(record.number);
        name.resize(14, ' ');
        record.name = name;
        out.push_back(record);
        if (out.size() < count && below(8) == 0) {
            PersonRecord half = record;
            half.letter = record.letter == 'Z' ? 'q' : 'r';
            fill_meals(half);
            out.push_back(half);
        }
    }
    return out;
}

} // namespace kelmora::sim
