#include "bench_data.hpp"

#include <cstdio>
#include <cstdlib>
#include <random>

#include "artwork.hpp"

namespace pelmo::bench {

namespace {

ImgToneMap MakeArtworkToneMap() {
    ImgToneMap map;
    map.width = kArtworkSide;
    map.height = kArtworkSide;
    map.pixels.resize(static_cast<std::size_t>(kArtworkSide) * kArtworkSide);
    std::vector<Rgb> row(kArtworkSide);
    std::uint8_t* out = map.pixels.data();
    for (std::int32_t y = 0; y < kArtworkSide; ++y) {
        ArtworkRow(kArtworkSide, kArtworkSide, y, row.data());
        for (const Rgb& pixel : row) *out++ = ToneOf(pixel.r);
    }
    return map;
}

std::vector<std::uint8_t> MakeBytes(Shape shape) {
    std::vector<std::uint8_t> bytes(kPackedBytes);
    std::mt19937 random(12345);
    switch (shape) {
        case Shape::Artwork: {
            ImgRawData raw{ImgOptions{}};
            if (!raw.Pack(ArtworkToneMap()) || raw.buffer.size() != kPackedBytes) {
                std::fputs("bench: packing the artwork failed\n", stderr);
                std::abort();
            }
            return raw.buffer;
        }
        case Shape::Distinct: {
            std::uint8_t previous = 0;
            for (std::uint8_t& b : bytes) {
                std::uint8_t v;
                do {
                    v = static_cast<std::uint8_t>(random() % 255);  // 0x00 to 0xFE
                    if (v == 0xFE) v = 0xFF;  // so the flagged codecs find a flag
                } while (v == previous);
                b = v;
                previous = v;
            }
            return bytes;
        }
        case Shape::ShortRuns: {
            std::size_t i = 0;
            std::uint8_t value = 0x00;
            while (i < bytes.size()) {
                const std::size_t run = 1 + random() % 12;
                for (std::size_t k = 0; k < run && i < bytes.size(); ++k) bytes[i++] = value;
                value = static_cast<std::uint8_t>(~value);
            }
            return bytes;
        }
        case Shape::Zeros:
            return bytes;
    }
    return bytes;
}

ImgRawData MakePacked(Shape shape) {
    ImgRawData raw{ImgOptions{}};
    raw.buffer = MakeBytes(shape);
    raw.length = static_cast<std::int32_t>(raw.buffer.size());
    return raw;
}

}  // namespace

const ImgToneMap& ArtworkToneMap() {
    static const ImgToneMap map = MakeArtworkToneMap();
    return map;
}

const char* ShapeName(Shape shape) {
    switch (shape) {
        case Shape::Artwork:
            return "artwork";
        case Shape::Distinct:
            return "distinct";
        case Shape::ShortRuns:
            return "short_runs";
        case Shape::Zeros:
            return "zeros";
    }
    return "?";
}

const ImgRawData& PackedData(Shape shape) {
    static const ImgRawData artwork = MakePacked(Shape::Artwork);
    static const ImgRawData distinct = MakePacked(Shape::Distinct);
    static const ImgRawData shortRuns = MakePacked(Shape::ShortRuns);
    static const ImgRawData zeros = MakePacked(Shape::Zeros);
    switch (shape) {
        case Shape::Artwork:
            return artwork;
        case Shape::Distinct:
            return distinct;
        case Shape::ShortRuns:
            return shortRuns;
        case Shape::Zeros:
            return zeros;
    }
    return artwork;
}

}  // namespace pelmo::bench
