#include "bench_data.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "artwork.hpp"
#include "plane/plane_packing.hpp"

namespace pelmo::bench {

namespace {

// The artwork's default plane, packed as the converter packs it.
std::vector<std::uint8_t> PackArtwork() {
    constexpr std::size_t side = kArtworkSide;
    std::vector<std::uint8_t> plane(side * side / 8);
    const BlockPlacer placer(ImgOptions{}, side, side / 8, plane.data());
    std::vector<Rgb> row(side);
    std::vector<std::uint8_t> bits(side);  // eight rows of side / 8 bytes
    std::vector<std::uint8_t> block(side);
    for (std::size_t k = 0; k < side / 8; ++k) {
        std::fill(bits.begin(), bits.end(), 0);
        for (std::size_t i = 0; i < 8; ++i) {
            ArtworkRow(kArtworkSide, kArtworkSide, static_cast<std::int32_t>(8 * k + i),
                       row.data());
            for (std::size_t x = 0; x < side; ++x) {
                if (row[x].r < LitFromRed(false)) bits[i * side / 8 + x / 8] |= 0x80 >> (x % 8);
            }
        }
        PackBlock(bits.data(), side / 8, side, block.data());
        placer.Place(k, 1, block.data());
    }
    return plane;
}

std::vector<std::uint8_t> MakeBytes(Shape shape) {
    std::vector<std::uint8_t> bytes(kPackedBytes);
    std::mt19937 random(12345);
    switch (shape) {
        case Shape::Artwork:
            return PackArtwork();
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
