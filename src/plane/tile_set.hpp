// The tiles of a sheet cut as frames are (-tiles): each distinct tile kept
// once, numbered in the order first seen, and a map that names the tile of
// every cell in reading order. A tile's bytes are a frame's: its planes side
// by side as they come from the decoder (see FrameGrid), so two tiles are the
// same only when all their planes are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <span>
#include <unordered_set>
#include <vector>

namespace pelmo {

class TileSet {
  public:
    // Tiles of `tileBytes` bytes each (at least one), `most` of them at most.
    TileSet(std::size_t tileBytes, std::size_t most);
    TileSet(const TileSet&) = delete;
    TileSet& operator=(const TileSet&) = delete;

    // The tiles of a set made before, one after the other in `bytes`, each
    // keeping its number (the first of equal ones is the one a cell names).
    void AddKnown(std::vector<std::uint8_t> bytes);
    // Maps each of the tiles one after the other in `sheet`, which must
    // outlive the set: a tile seen before takes its number, a new one the
    // next. False, the map left short, as soon as the set holds more than
    // its most tiles.
    bool MapCells(std::span<const std::uint8_t> sheet);

    std::size_t TileBytes() const { return tileBytes_; }
    std::size_t Count() const { return tiles_.size(); }
    std::size_t KnownCount() const { return knownCount_; }
    // The tile number of every cell mapped, in order.
    const std::vector<std::uint32_t>& Map() const { return map_; }
    // Tile `number`'s bytes.
    std::span<const std::uint8_t> Tile(std::size_t number) const {
        return {tiles_[number], tileBytes_};
    }

    // Every tile's bytes in number order, each tile's `planes` planes as a
    // stream holds them (see TileToStream).
    std::vector<std::uint8_t> Stream(std::size_t planes, bool together) const;

  private:
    // A tile number is hashed and compared by the tile's bytes.
    struct ByBytes {
        const TileSet* set;
        std::size_t operator()(std::uint32_t number) const;
        bool operator()(std::uint32_t a, std::uint32_t b) const;
    };
    // Looks `bytes` up; a new tile takes the next number.
    std::uint32_t NumberOf(const std::uint8_t* bytes);

    std::size_t tileBytes_;
    std::size_t most_;
    std::vector<std::uint8_t> known_;
    std::size_t knownCount_ = 0;
    std::vector<const std::uint8_t*> tiles_;  // each number's bytes, in `known_` or a sheet
    std::vector<std::uint32_t> map_;
    // The table's nodes and buckets come from one growing pool, not an
    // allocation each.
    std::pmr::monotonic_buffer_resource pool_;
    std::pmr::unordered_set<std::uint32_t, ByBytes, ByBytes> numbers_;
};

// A tile's planes as a stream holds them: side by side as they come
// (`together`), or each plane's bytes whole, one plane after the other.
// `planes` planes of `perPlane` bytes each; `to` holds as many bytes.
void TileToStream(const std::uint8_t* from, std::size_t planes, std::size_t perPlane, bool together,
                  std::uint8_t* to);
// The reverse: the planes side by side again.
void TileFromStream(const std::uint8_t* from, std::size_t planes, std::size_t perPlane,
                    bool together, std::uint8_t* to);

}  // namespace pelmo
