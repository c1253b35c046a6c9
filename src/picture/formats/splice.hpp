// A picture made of pieces of a file, so that the image library reads one
// page of a file of several as the file's one picture: the file with a few
// bytes patched (a TIFF whose first directory is the page's, an ICO whose
// directory holds the page's image alone), or pieces put together (a GIF's
// screen and one frame). A single picture is the whole file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace pelmo {

// Random access to a file's bytes, wherever they come from.
class ByteReader {
  public:
    virtual ~ByteReader() = default;
    // Copies up to `size` bytes from `offset` on into `data`; fewer at the
    // end of the file (or past what may be read of a stream).
    virtual std::size_t ReadAt(std::uint64_t offset, void* data, std::size_t size) = 0;
    // The number of bytes there are; of a stream, read no further than it
    // takes to tell that there are `atLeast` of them (or to its end, or to
    // what may be read of it).
    virtual std::uint64_t Size(
        std::uint64_t atLeast = std::numeric_limits<std::uint64_t>::max()) = 0;
};

struct Splice {
    static constexpr std::uint64_t kToEnd = std::numeric_limits<std::uint64_t>::max();

    struct Piece {
        std::uint64_t from = 0;           // where in the file the piece starts
        std::uint64_t length = kToEnd;    // its length: to the end of the file
        std::vector<std::uint8_t> bytes;  // when not empty: these, not the file's
    };
    std::vector<Piece> pieces{Piece{}};

    static Splice Whole() { return {}; }
    // The file with `bytes` in place of its own from `at` on, for each
    // patch, in order of `at` and apart from each other.
    struct Patch {
        std::uint64_t at;
        std::vector<std::uint8_t> bytes;
    };
    static Splice Patched(std::vector<Patch> patches) {
        Splice splice;
        splice.pieces.clear();
        std::uint64_t from = 0;
        for (Patch& patch : patches) {
            splice.pieces.push_back(Piece{from, patch.at - from, {}});
            from = patch.at + patch.bytes.size();
            splice.pieces.push_back(Piece{0, 0, std::move(patch.bytes)});
        }
        splice.pieces.push_back(Piece{from, kToEnd, {}});
        return splice;
    }
    bool IsWhole() const {
        return pieces.size() == 1 && pieces[0].from == 0 && pieces[0].length == kToEnd;
    }
};

// The bytes of a splice of `file`.
class SplicedBytes final : public ByteReader {
  public:
    SplicedBytes(ByteReader& file, Splice splice) : file_(file), splice_(std::move(splice)) {}

    std::size_t ReadAt(std::uint64_t offset, void* data, std::size_t size) override;
    std::uint64_t Size(std::uint64_t atLeast = Splice::kToEnd) override;

  private:
    ByteReader& file_;
    Splice splice_;
};

}  // namespace pelmo
