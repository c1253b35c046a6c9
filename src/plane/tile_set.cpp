#include "plane/tile_set.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

namespace pelmo {

namespace {

// A 64-bit hash of `size` bytes, eight at a time.
std::uint64_t HashBytes(const std::uint8_t* bytes, std::size_t size) {
    constexpr std::uint64_t kOdd = 0x9E3779B97F4A7C15ULL;
    std::uint64_t h = size * kOdd;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        h = (h ^ word) * kOdd;
        h ^= h >> 29;
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, bytes + i, size - i);
    h = (h ^ tail) * kOdd;
    // The bits mixed throughout, as the bucket index takes the low ones.
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    return h;
}

// The pool's first block: room for the nodes and buckets of this many tiles
// before it grows.
constexpr std::size_t kFirstTiles = 1024;

}  // namespace

TileSet::TileSet(std::size_t tileBytes, std::size_t most)
    : tileBytes_(tileBytes),
      most_(most),
      pool_(kFirstTiles * 4 * sizeof(void*)),
      numbers_(0, ByBytes{this}, ByBytes{this}, &pool_) {}

std::size_t TileSet::ByBytes::operator()(std::uint32_t number) const {
    return static_cast<std::size_t>(HashBytes(set->tiles_[number], set->tileBytes_));
}

bool TileSet::ByBytes::operator()(std::uint32_t a, std::uint32_t b) const {
    return std::memcmp(set->tiles_[a], set->tiles_[b], set->tileBytes_) == 0;
}

std::uint32_t TileSet::NumberOf(const std::uint8_t* bytes) {
    const auto next = static_cast<std::uint32_t>(tiles_.size());
    tiles_.push_back(bytes);
    const auto [at, added] = numbers_.insert(next);
    if (!added) tiles_.pop_back();
    return *at;
}

void TileSet::AddKnown(std::vector<std::uint8_t> bytes) {
    known_ = std::move(bytes);
    knownCount_ = known_.size() / tileBytes_;
    tiles_.reserve(knownCount_);
    numbers_.reserve(knownCount_);
    for (std::size_t k = 0; k < knownCount_; ++k) {
        const std::uint8_t* tile = known_.data() + k * tileBytes_;
        // Every known tile keeps its number, an equal one before it or not.
        if (NumberOf(tile) != k) tiles_.push_back(tile);
    }
}

bool TileSet::MapCells(std::span<const std::uint8_t> sheet) {
    const std::size_t cells = sheet.size() / tileBytes_;
    map_.reserve(map_.size() + cells);
    // Room for every tile the set may hold, so that the table never grows.
    numbers_.reserve(std::min(tiles_.size() + cells, most_ + 1));
    for (std::size_t c = 0; c < cells; ++c) {
        map_.push_back(NumberOf(sheet.data() + c * tileBytes_));
        if (tiles_.size() > most_) return false;
    }
    return true;
}

std::vector<std::uint8_t> TileSet::Stream(std::size_t planes, bool together) const {
    std::vector<std::uint8_t> bytes(tiles_.size() * tileBytes_);
    for (std::size_t k = 0; k < tiles_.size(); ++k) {
        TileToStream(tiles_[k], planes, tileBytes_ / planes, together,
                     bytes.data() + k * tileBytes_);
    }
    return bytes;
}

void TileToStream(const std::uint8_t* from, std::size_t planes, std::size_t perPlane, bool together,
                  std::uint8_t* to) {
    if (together || planes == 1) {
        std::memcpy(to, from, planes * perPlane);
        return;
    }
    for (std::size_t p = 0; p < planes; ++p) {
        for (std::size_t k = 0; k < perPlane; ++k) to[p * perPlane + k] = from[k * planes + p];
    }
}

void TileFromStream(const std::uint8_t* from, std::size_t planes, std::size_t perPlane,
                    bool together, std::uint8_t* to) {
    if (together || planes == 1) {
        std::memcpy(to, from, planes * perPlane);
        return;
    }
    for (std::size_t p = 0; p < planes; ++p) {
        for (std::size_t k = 0; k < perPlane; ++k) to[k * planes + p] = from[p * perPlane + k];
    }
}

}  // namespace pelmo
