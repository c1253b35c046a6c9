// The conversion of a picture cut into tiles (-tiles): each different tile
// once in one stream, the tile set, packed, trimmed and compressed as a
// picture's stream is, and the map of the tiles' numbers cell by cell; with
// -tileset the tiles of a source written before come first, as numbered
// there.
#pragma once

#include "app/options.hpp"
#include "app/tone_map.hpp"
#include "base/output_file.hpp"

namespace pelmo {

// Goes on from a picture loaded as tiles to the finished output file, opened
// with `output`'s checks; returns the exit status, as RunConversion does.
int ConvertTiles(const CommandLine& cmd, ImgToneMap& toneMap, const OutputFile::Settings& output);

}  // namespace pelmo
