// The conversion of a picture as streams: every frame (-frames; a picture
// without frames is one), and in each frame each plane of -planes, or the
// planes side by side (-plusmask, -interleave; the one plane otherwise),
// packed, trimmed and compressed on its own, all of them in one source.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/options.hpp"
#include "app/raw_data.hpp"
#include "app/tone_map.hpp"
#include "base/output_file.hpp"
#include "codec/compress.hpp"

namespace pelmo {

// Streams compressed with one codec, with -c best the one whose streams
// take the fewest bytes in all: what each made, its bytes one after the
// other. A single stream's bytes stay in the codec.
struct CompressedStreams {
    std::unique_ptr<CPelmoImgCompress> codec;
    std::vector<CPelmoImgCompress::Made> made;
    std::vector<std::uint8_t> bytes;
    std::int64_t total = 0;

    // Puts stream `stream`'s output back into the codec, to be written.
    void Resume(std::size_t stream, std::size_t offset) const;
};

// The streams to compress: `count` of them, of `bytes` in all, each handed
// out by `at` in turn (the same object may hold each in turn).
struct StreamSource {
    std::size_t count = 0;
    std::size_t bytes = 0;
    std::function<const RawBytes&(std::size_t)> at;
};

// Every stream compressed as `cmd` asks: with the codec -c names, or with
// -c best every codec that can encode them all, after the "Best codec is
// ..." line. Nothing, after the codec's error line, when a stream cannot be.
std::optional<CompressedStreams> CompressAsAsked(const CommandLine& cmd,
                                                 const StreamSource& streams);

// The planes comment of -planes: their names in order, and whether they
// are interleaved; empty without -planes.
std::string PlanesComment(const ImgOptions& options);

// Goes on from a loaded picture to the finished output file, opened with
// `output`'s checks; returns the exit status, as RunConversion does.
int ConvertFrames(const CommandLine& cmd, ImgToneMap& toneMap, const OutputFile::Settings& output);

}  // namespace pelmo
