// The sources a rendering reads: each read as the converter wrote it, its
// codec settled, and its stream decoded back into packed bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "asm/asm_reader.hpp"
#include "image/plane_layout.hpp"
#include "render/render_settings.hpp"

namespace pelmo {

// One source, read and decoded.
struct SourcePlane {
    std::string file;
    AsmSource source;
    std::vector<std::uint8_t> bytes;  // the decoded bytes, which follow `source.start` blank ones

    PackedPlane Packed() const { return {bytes, source.start.value}; }
    std::int64_t End() const {
        return std::int64_t{source.start.value} + std::int64_t(bytes.size());
    }
};

// `what` at line `line` of the plane's source, as an error names it.
std::string AtLine(const SourcePlane& plane, std::size_t line, const std::string& what);

// Reads, checks and decodes the source `plane.file`, with the codec that
// `settings` or its include line name. False, with `error` (the reason after
// "Error, "), when it cannot be read or is not as the converter writes it.
bool LoadSourcePlane(const RenderSettings& settings, const RenderProgress& progress,
                     SourcePlane& plane, std::string& error);

}  // namespace pelmo
