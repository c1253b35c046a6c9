#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "asm/asm_writer.hpp"
#include "bench_data.hpp"
#include "bench_stages.hpp"

namespace pelmo::bench {

namespace {

// Characters of .db text for `count` bytes: "\t.db $XX" plus ",$XX" per
// further byte and a line break, 16 bytes to a line.
std::int64_t DbTextSize(std::int64_t count) {
    const std::int64_t lines = (count + 15) / 16;
    return lines * (5 + 3 + 1) + (count - lines) * 4;
}

// WriteDbLines over kPackedBytes, in MB/s of text produced. The sink is
// /dev/null (formatting alone) or a fresh file (formatting plus the kernel's
// copy into the page cache, as in a real run).
void WriteDb(benchmark::State& state, Shape shape, bool toFile) {
    const ImgRawData& raw = PackedData(shape);
    const std::string path =
        toFile ? (std::filesystem::temp_directory_path() / "pelmo_bench_writer.asm").string()
               : std::string("/dev/null");
    for (auto _ : state) {
        ImgAsmWriter writer{ImgOptions{}};
        if (!writer.Open(path)) state.SkipWithError("Open failed");
        writer.WriteDbLines(raw.buffer.data(), raw.length);
        if (!writer.Close()) state.SkipWithError("Close failed");
    }
    if (toFile) std::remove(path.c_str());
    state.SetBytesProcessed(state.iterations() * DbTextSize(raw.length));
}

}  // namespace

void RegisterWriter() {
    benchmark::RegisterBenchmark("write_db/devnull", WriteDb, Shape::Artwork, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("write_db/file", WriteDb, Shape::Artwork, true)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace pelmo::bench
