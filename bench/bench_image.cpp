#include <FreeImage.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "artwork.hpp"
#include "bench_data.hpp"
#include "bench_stages.hpp"
#include "image/raw_data.hpp"
#include "image/tone_map.hpp"

namespace pelmo::bench {

namespace {

struct BitmapDeleter {
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

constexpr std::int32_t kLoadSide = 4096;

// An uncompressed 24-bit BMP of the artwork, so that decoding costs little
// and the loader's own work shows; removed when the program ends.
class ArtworkBmp {
  public:
    ArtworkBmp()
        : path_((std::filesystem::temp_directory_path() /
                 ("pelmo_bench_" + std::to_string(::getpid()) + ".bmp"))
                    .string()) {
        Bitmap bitmap(FreeImage_Allocate(kLoadSide, kLoadSide, 24));
        std::unique_ptr<Rgb[]> row = std::make_unique<Rgb[]>(kLoadSide);
        for (std::int32_t y = 0; y < kLoadSide; ++y) {
            ArtworkRow(kLoadSide, kLoadSide, y, row.get());
            BYTE* line = FreeImage_GetScanLine(bitmap.get(), kLoadSide - 1 - y);
            for (std::int32_t x = 0; x < kLoadSide; ++x) {
                line[3 * x + FI_RGBA_RED] = row[x].r;
                line[3 * x + FI_RGBA_GREEN] = row[x].g;
                line[3 * x + FI_RGBA_BLUE] = row[x].b;
            }
        }
        FreeImage_Save(FIF_BMP, bitmap.get(), path_.c_str(), BMP_DEFAULT);
    }
    ~ArtworkBmp() { std::remove(path_.c_str()); }
    ArtworkBmp(const ArtworkBmp&) = delete;
    ArtworkBmp& operator=(const ArtworkBmp&) = delete;

    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

const std::string& ArtworkBmpPath() {
    static const ArtworkBmp bmp;
    return bmp.Path();
}

// What the image library does for any conversion of the BMP: load, flip,
// convert to 32 bits, read every red byte.
void LoadFloor(benchmark::State& state) {
    const std::string& path = ArtworkBmpPath();
    for (auto _ : state) {
        Bitmap loaded(FreeImage_Load(FIF_BMP, path.c_str(), 0));
        FreeImage_FlipVertical(loaded.get());
        Bitmap converted(FreeImage_ConvertTo32Bits(loaded.get()));
        loaded.reset();
        unsigned sum = 0;
        for (int y = 0; y < kLoadSide; ++y) {
            const BYTE* line = FreeImage_GetScanLine(converted.get(), y);
            for (int x = 0; x < kLoadSide; ++x) sum += line[4 * x + FI_RGBA_RED];
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kLoadSide * kLoadSide);
}

// The loader: the same library calls, then the classification into tones.
void Load(benchmark::State& state) {
    const std::string& path = ArtworkBmpPath();
    for (auto _ : state) {
        ImgToneMap map;
        if (!map.Load(path)) state.SkipWithError("Load failed");
        benchmark::DoNotOptimize(map.pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * kLoadSide * kLoadSide);
}

// Packing the artwork's tone map in the chosen byte order and plane.
void Pack(benchmark::State& state, ImgOptions options) {
    const ImgToneMap& map = ArtworkToneMap();
    ImgRawData raw(options);
    for (auto _ : state) {
        if (!raw.Pack(map)) state.SkipWithError("Pack failed");
        benchmark::DoNotOptimize(raw.buffer.data());
    }
    state.SetItemsProcessed(state.iterations() * map.width * map.height);
    state.counters["Mpixel/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * map.width * map.height / 1e6,
                           benchmark::Counter::kIsRate);
}

ImgOptions With(bool ImgOptions::*flag) {
    ImgOptions options;
    options.*flag = true;
    return options;
}

}  // namespace

void RegisterImageStages() {
    // Real time: the loader decodes in a child process, whose CPU time the
    // benchmark's own clock would not see.
    benchmark::RegisterBenchmark("load_floor/bmp_4096", LoadFloor)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("load/bmp_4096", Load)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("pack/default", Pack, ImgOptions{})->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("pack/xorder", Pack, With(&ImgOptions::xorder))
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("pack/unflip", Pack, With(&ImgOptions::unflip))
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("pack/dim", Pack, With(&ImgOptions::dim))
        ->Unit(benchmark::kMillisecond);
    ImgOptions trims;
    trims.strim = true;
    trims.etrim = true;
    benchmark::RegisterBenchmark("pack/strim_etrim", Pack, trims)->Unit(benchmark::kMillisecond);
}

}  // namespace pelmo::bench
