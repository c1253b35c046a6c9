// In-process benchmarks of every stage after decoding, with memcpy beside
// them as the machine's bound. Run: pelmo_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include "bench_stages.hpp"

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    pelmo::bench::RegisterMemcpy();
    pelmo::bench::RegisterImageStages();
    pelmo::bench::RegisterCodecs();
    pelmo::bench::RegisterWriter();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
