// The conversion of a picture's frames (-frames), or of sprite and mask bytes
// in pairs (-plusmask): each frame packed, trimmed and compressed on its own,
// all of them in one source.
#pragma once

#include "app/options.hpp"
#include "app/tone_map.hpp"
#include "base/output_file.hpp"

namespace pelmo {

// Goes on from a loaded picture to the finished output file, opened with
// `output`'s checks; returns the exit status, as RunConversion does.
int ConvertFrames(const CommandLine& cmd, ImgToneMap& toneMap, const OutputFile::Settings& output);

}  // namespace pelmo
