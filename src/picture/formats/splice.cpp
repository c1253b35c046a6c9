#include "picture/formats/splice.hpp"

#include <algorithm>
#include <cstring>

#include "base/cost.hpp"

namespace pelmo {

std::size_t SplicedBytes::ReadAt(std::uint64_t offset, void* data, std::size_t size) {
    auto* out = static_cast<std::uint8_t*>(data);
    std::size_t got = 0;
    std::uint64_t start = 0;  // where the piece starts in the splice
    for (const Splice::Piece& piece : splice_.pieces) {
        if (got == size) break;
        const std::uint64_t at = offset + got;
        if (!piece.bytes.empty()) {
            const std::uint64_t end = start + piece.bytes.size();
            if (at < end) {
                const auto n =
                    static_cast<std::size_t>(std::min<std::uint64_t>(size - got, end - at));
                std::memcpy(out + got, piece.bytes.data() + (at - start), n);
                got += n;
            }
            start = end;
            continue;
        }
        if (piece.length == Splice::kToEnd) {
            if (at >= start) {
                got += file_.ReadAt(piece.from + (at - start), out + got, size - got);
            }
            break;  // nothing follows a piece that runs to the end
        }
        const std::uint64_t end = start + piece.length;
        if (at < end) {
            const auto want =
                static_cast<std::size_t>(std::min<std::uint64_t>(size - got, end - at));
            const std::size_t n = file_.ReadAt(piece.from + (at - start), out + got, want);
            got += n;
            if (n < want) break;  // the file ends inside the piece
        }
        start = end;
    }
    return got;
}

std::uint64_t SplicedBytes::Size(std::uint64_t atLeast) {
    std::uint64_t size = 0;
    for (const Splice::Piece& piece : splice_.pieces) {
        if (!piece.bytes.empty()) {
            size = cost::Add(size, piece.bytes.size());
            continue;
        }
        const bool open = piece.length == Splice::kToEnd;
        const std::uint64_t needed = open ? (atLeast > size ? atLeast - size : 0) : piece.length;
        const std::uint64_t end = file_.Size(cost::Add(piece.from, needed));
        const std::uint64_t held = end > piece.from ? std::min(end - piece.from, piece.length) : 0;
        size = cost::Add(size, held);
        if (open || held < piece.length) break;  // the file ends in this piece
    }
    return size;
}

}  // namespace pelmo
