// The conversion of a picture's frames (-frames), or of sprite and mask bytes
// in pairs (-plusmask): each frame packed, trimmed and compressed on its own,
// all of them in one source. A single picture is compressed as one frame.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "app/options.hpp"
#include "app/raw_data.hpp"
#include "app/tone_map.hpp"
#include "base/output_file.hpp"
#include "codec/compress.hpp"

namespace pelmo {

// A codec object for each frame, in order, all of one codec.
using Codecs = std::vector<std::unique_ptr<CPelmoImgCompress>>;

// Every frame compressed as `cmd` asks (a single picture is one frame): with
// the codec -c names, or with -c best the one whose frames take the fewest
// bytes, after the "Best codec is ..." line. Empty when a frame cannot be,
// after the codec's error line.
Codecs CompressAsAsked(const CommandLine& cmd, std::span<const ImgRawData> frames);

// Goes on from a loaded picture to the finished output file, opened with
// `output`'s checks; returns the exit status, as RunConversion does.
int ConvertFrames(const CommandLine& cmd, ImgToneMap& toneMap, const OutputFile::Settings& output);

}  // namespace pelmo
