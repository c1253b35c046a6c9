#include <FreeImage.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/tone_map.hpp"
#include "artwork.hpp"
#include "bench_data.hpp"
#include "bench_stages.hpp"
#include "picture/bitmap.hpp"
#include "picture/isolated_decode.hpp"
#include "plane/plane_packing.hpp"
#include "tones/bitmap_rows.hpp"

namespace pelmo::bench {

namespace {

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

// The decoder alone on the BMP: load, then read every red value as decoded.
void LoadFloor(benchmark::State& state) {
    const std::string& path = ArtworkBmpPath();
    for (auto _ : state) {
        Bitmap loaded(FreeImage_Load(FIF_BMP, path.c_str(), 0));
        unsigned sum = 0;
        for (int y = 0; y < kLoadSide; ++y) {
            const BYTE* line = FreeImage_GetScanLine(loaded.get(), y);
            for (int x = 0; x < kLoadSide; ++x) sum += line[3 * x + FI_RGBA_RED];
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kLoadSide * kLoadSide);
}

// The loader: decoding in the child, packing, and placing the blocks.
void Load(benchmark::State& state) {
    const std::string& path = ArtworkBmpPath();
    for (auto _ : state) {
        ImgToneMap map;
        if (!map.Load(path)) state.SkipWithError("Load failed");
        benchmark::DoNotOptimize(map.plane.data());
    }
    state.SetItemsProcessed(state.iterations() * kLoadSide * kLoadSide);
}

// The artwork as decoded bitmaps: 24-bit RGB, and 4-bit with a palette of 16
// greys (see make_picture.cpp).
Bitmap ArtworkBitmap(unsigned bpp) {
    Bitmap bitmap(FreeImage_Allocate(kLoadSide, kLoadSide, bpp));
    if (bpp == 4) {
        RGBQUAD* colours = FreeImage_GetPalette(bitmap.get());
        for (int i = 0; i < 16; ++i) {
            colours[i].rgbRed = colours[i].rgbGreen = colours[i].rgbBlue =
                static_cast<BYTE>(17 * i);
        }
    }
    std::vector<Rgb> row(kLoadSide);
    for (std::int32_t y = 0; y < kLoadSide; ++y) {
        ArtworkRow(kLoadSide, kLoadSide, y, row.data());
        BYTE* line = FreeImage_GetScanLine(bitmap.get(), kLoadSide - 1 - y);
        for (std::int32_t x = 0; x < kLoadSide; ++x) {
            if (bpp == 4) {
                line[x / 2] = static_cast<BYTE>(line[x / 2] | (row[x].r >> 4) << (x % 2 ? 0 : 4));
            } else {
                line[3 * x + FI_RGBA_RED] = row[x].r;
            }
        }
    }
    return bitmap;
}

FIBITMAP* Artwork(unsigned bpp) {
    static const Bitmap rgb = ArtworkBitmap(24);
    static const Bitmap palette = ArtworkBitmap(4);
    return bpp == 4 ? palette.get() : rgb.get();
}

// What the decoder alone does after decoding: each pixel's red value.
void ReadRedFloor(benchmark::State& state, unsigned bpp) {
    FIBITMAP* bitmap = Artwork(bpp);
    const RGBQUAD* palette = FreeImage_GetPalette(bitmap);
    for (auto _ : state) {
        unsigned sum = 0;
        for (int y = 0; y < kLoadSide; ++y) {
            const BYTE* line = FreeImage_GetScanLine(bitmap, y);
            for (int x = 0; x < kLoadSide; ++x) {
                sum += bpp == 4 ? palette[(line[x / 2] >> (x % 2 ? 0 : 4)) & 15].rgbRed
                                : line[3 * x + FI_RGBA_RED];
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kLoadSide * kLoadSide);
}

// What the decoding child does after decoding: read the rows as bits and
// pack each block.
void ReadAndPack(benchmark::State& state, unsigned bpp, bool vectors) {
    const BitmapRows rows(Artwork(bpp), LitFromRed(false), AlphaRule::Ignore, vectors);
    const std::size_t stride = RowBytes(kLoadSide);
    std::vector<std::uint8_t> bits(8 * stride);
    std::vector<std::uint8_t> bytes(kLoadSide);
    for (auto _ : state) {
        for (std::uint32_t k = 0; k < kLoadSide / 8; ++k) {
            for (std::uint32_t i = 0; i < 8; ++i) rows.Read(8 * k + i, bits.data() + i * stride);
            PackBlock(bits.data(), stride, kLoadSide, bytes.data());
        }
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetItemsProcessed(state.iterations() * kLoadSide * kLoadSide);
}

// What the parent does with the blocks: put them in place.
void Place(benchmark::State& state, ImgOptions options) {
    constexpr std::size_t blocks = kLoadSide / 8;
    const std::vector<std::uint8_t> batch(std::size_t{BlocksPerBatch(kLoadSide)} * kLoadSide, 0x5A);
    std::vector<std::uint8_t> plane(kLoadSide * blocks);
    const BlockPlacer placer(options, kLoadSide, blocks, plane.data());
    for (auto _ : state) {
        for (std::size_t k = 0; k < blocks; k += BlocksPerBatch(kLoadSide)) {
            placer.Place(k, std::min<std::size_t>(BlocksPerBatch(kLoadSide), blocks - k),
                         batch.data());
        }
        benchmark::DoNotOptimize(plane.data());
    }
    state.SetItemsProcessed(state.iterations() * kLoadSide * kLoadSide);
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
    for (const unsigned bpp : {24u, 4u}) {
        const std::string name = bpp == 4 ? "palette4_4096" : "rgb24_4096";
        benchmark::RegisterBenchmark(("read_red_floor/" + name).c_str(), ReadRedFloor, bpp)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("read_and_pack/" + name).c_str(), ReadAndPack, bpp, true)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("read_and_pack_plain/" + name).c_str(), ReadAndPack, bpp,
                                     false)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("place/default", Place, ImgOptions{})
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("place/xorder", Place, With(&ImgOptions::xorder))
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("place/unflip", Place, With(&ImgOptions::unflip))
        ->Unit(benchmark::kMillisecond);
}

}  // namespace pelmo::bench
