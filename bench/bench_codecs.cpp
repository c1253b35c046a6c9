#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench_data.hpp"
#include "bench_stages.hpp"
#include "codec/codec_table.hpp"
#include "codec/compress.hpp"

namespace pelmo::bench {

namespace {

// One codec's Compress on kPackedBytes of one shape, in MB/s of input.
void Encode(benchmark::State& state, ImgCodecKind kind, Shape shape) {
    const ImgRawData& raw = PackedData(shape);
    std::unique_ptr<CPelmoImgCompress> codec = MakeCodec(kind, ImgOptions{});
    for (auto _ : state) {
        if (!codec->Compress(raw)) state.SkipWithError("Compress failed");
        benchmark::DoNotOptimize(codec->buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * raw.length);
    state.counters["out/in"] = static_cast<double>(codec->size) / raw.length;
}

}  // namespace

void RegisterCodecs() {
    for (const CodecInfo& info : CodecTable()) {
        for (Shape shape : kShapes) {
            const std::string name = "encode/" + std::string(info.keyword) + "/" + ShapeName(shape);
            benchmark::RegisterBenchmark(name.c_str(), Encode, info.kind, shape)
                ->Unit(benchmark::kMillisecond);
        }
    }
}

}  // namespace pelmo::bench
