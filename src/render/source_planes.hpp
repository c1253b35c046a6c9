// The sources a rendering reads: each read as the converter wrote it, its
// codec settled, and its stream (each frame's, for a source of frames)
// decoded back into packed bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "asm/asm_reader.hpp"
#include "base/failure.hpp"
#include "plane/plane_layout.hpp"
#include "render/render_settings.hpp"

namespace pelmo {

// One picture's (or frame's) decoded bytes, which follow its start count of
// blank ones.
struct DecodedFrame {
    const AsmSource* source = nullptr;  // its symbols and lines
    std::vector<std::uint8_t> bytes;
    std::size_t start = 0;  // the blank bytes before them

    PackedPlane Packed() const { return {bytes, start}; }
    std::int64_t End() const {
        return static_cast<std::int64_t>(start) + static_cast<std::int64_t>(bytes.size());
    }
};

// One source, read and decoded; or one plane of a source of planes.
struct SourcePlane {
    std::string file;
    AsmSource source;
    std::vector<DecodedFrame> frames;  // one for a source of one picture
    PlaneKind kind = PlaneKind::Full;  // of a plane of a source of planes
    // Its decoding stopped where the data of a picture within the pixel
    // limit end, all frames before counted.
    bool pastLimit = false;

    bool Framed() const { return source.frameCount.has_value(); }
    // A source of tiles, whose frames are its tiles (each plane of each tile
    // where the planes are streams of their own), each as its source says.
    bool Tiled() const { return source.tiles.has_value(); }
};

// The planes of a source of planes (`combined`, which must outlive them),
// each a plane of its own: its frames' bytes (taken apart where they are
// interleaved), under the source's symbols.
std::vector<SourcePlane> SplitPlanes(const SourcePlane& combined);

// `what` at line `line` of the plane's source: the failure that names both.
Failure AtLine(const SourcePlane& plane, std::size_t line, const std::string& what);

// Reads, checks and decodes the source `plane.file`, with the codec that
// `settings` or its include lines name; a source of tiles's tile set cut
// into its tiles. A Failure (the reason after "Error, ")
// when it cannot be read or is not as the converter writes it.
Status LoadSourcePlane(const RenderSettings& settings, const RenderProgress& progress,
                       SourcePlane& plane);

}  // namespace pelmo
