#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench_data.hpp"
#include "bench_stages.hpp"

namespace pelmo::bench {

namespace {

// The machine's copy bandwidth over buffers the size of the packed data and
// of the .db text: no stage that reads and writes every byte can beat it.
void Memcpy(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0));
    std::vector<char> from(bytes, 'x');
    std::vector<char> to(bytes, 'y');
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

}  // namespace

void RegisterMemcpy() {
    benchmark::RegisterBenchmark("memcpy", Memcpy)
        ->Arg(static_cast<std::int64_t>(kPackedBytes))
        ->Arg(static_cast<std::int64_t>(kPackedBytes * 69 / 16))
        ->Unit(benchmark::kMillisecond);
}

}  // namespace pelmo::bench
