// Decoding a full terminal memory into result lines: 2500 person records of
// 24 bytes (60000 bytes), and the same with DT (29 bytes, 72500 bytes), every
// fifth record followed by its q half so that pair lines are made too.
#include "terminal/AnswerDecoding.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace kelmora;

namespace {

std::vector<std::uint8_t> Memory(std::size_t records, std::size_t size) {
    std::vector<std::uint8_t> block;
    block.reserve(records * size);
    for (std::size_t i = 0; i < records; ++i) {
        const char letter = i == 0 ? 'R' : (i % 5 == 4 ? 'q' : (i % 2 == 0 ? 'R' : 'Z'));
        std::vector<std::uint8_t> r(size, 0);
        r[0] = static_cast<std::uint8_t>(letter);
        r[1] = static_cast<std::uint8_t>(i >> 8);
        r[2] = static_cast<std::uint8_t>(i);
        for (int k = 3; k <= 6; ++k) {
            r[k] = static_cast<std::uint8_t>(i * 7 + k);
        }
        r[7] = '0';
        for (int k = 0; k < 14; ++k) {
            r[8 + k] = static_cast<std::uint8_t>((i + k) % 96);
        }
        block.insert(block.end(), r.begin(), r.end());
    }
    return block;
}

void DecodeMemory(benchmark::State& state, bool dt) {
    const std::size_t size = dt ? kPersonRecordSizeDt : kPersonRecordSize;
    const auto block = Memory(2500, size);
    DecodeSettings settings;
    settings.DtUse = dt;
    std::size_t lines = 0;
    for (auto _ : state) {
        std::vector<std::string> out;
        const DecodeResult r = DecodeAnswer(block, settings, out);
        benchmark::DoNotOptimize(r);
        lines = out.size();
    }
    state.counters["bytes"] = static_cast<double>(block.size());
    state.counters["lines"] = static_cast<double>(lines);
}

} // namespace

BENCHMARK_CAPTURE(DecodeMemory, records_24, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeMemory, records_29_dt, true)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
