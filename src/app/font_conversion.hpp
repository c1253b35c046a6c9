// The conversion of a font sheet (-font): its cells in reading order, one
// glyph each, kept from its first lit column to its last; a width table, an
// offset table and the glyphs' columns as one stream.
#pragma once

#include <cstdint>
#include <vector>

#include "app/options.hpp"
#include "app/tone_map.hpp"
#include "base/output_file.hpp"

namespace pelmo {

// The glyphs of a font: each one's width (its kept columns and -fontspace
// blank ones; -spacewidth for a glyph with no lit pixel), its offset into
// `bytes` and, last, the end of `bytes`. A glyph's bytes are laid out as a
// frame of its kept width is (plane/plane_layout.hpp): column by column, or
// block by block with -xorder.
struct FontGlyphs {
    std::vector<std::uint8_t> widths;
    std::vector<std::uint32_t> offsets;
    std::vector<std::uint8_t> bytes;
};

// The glyphs of the cells that `toneMap` loaded, as `options` ask.
FontGlyphs CutGlyphs(const ImgOptions& options, const ImgToneMap& toneMap);

// Goes on from a loaded font sheet to the finished output file, opened with
// `output`'s checks; returns the exit status, as RunConversion does.
int ConvertFont(const CommandLine& cmd, ImgToneMap& toneMap, const OutputFile::Settings& output);

}  // namespace pelmo
