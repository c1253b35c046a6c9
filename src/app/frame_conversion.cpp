#include "app/frame_conversion.hpp"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/raw_data.hpp"
#include "asm/asm_writer.hpp"
#include "codec/codec_table.hpp"
#include "codec/compress.hpp"

namespace pelmo {

namespace {

// Every frame compressed with the codec of `kind`; empty when a frame cannot
// be (a flagged codec finds no free byte value), after its error line unless
// `quietly`.
Codecs CompressAll(ImgCodecKind kind, std::span<const ImgRawData> frames, const ImgOptions& options,
                   bool quietly) {
    Codecs codecs;
    for (const ImgRawData& frame : frames) {
        codecs.push_back(MakeCodec(kind, options));
        if ((quietly && !codecs.back()->CanCompress(frame)) || !codecs.back()->Compress(frame)) {
            return {};
        }
    }
    return codecs;
}

std::int64_t TotalSize(const Codecs& codecs) {
    std::int64_t total = 0;
    for (const auto& codec : codecs) total += codec->size;
    return total;
}

// -c best: every codec that can encode every frame tried, one codec for all
// of them (the target has one decoder), the one whose frames take the fewest
// bytes in all kept (the first in the table on a tie), and one line that says
// which it is and what each made.
Codecs CompressWithTheSmallest(std::span<const ImgRawData> frames, const ImgOptions& options) {
    Codecs best;
    std::string sizes;
    for (const CodecInfo& info : CodecTable()) {
        Codecs codecs = CompressAll(info.kind, frames, options, true);
        const bool encoded = !codecs.empty() || frames.empty();
        sizes += std::string(sizes.empty() ? "" : ", ") + std::string(info.keyword) + " " +
                 (encoded ? std::to_string(TotalSize(codecs)) : "-");
        if (encoded && (best.empty() || TotalSize(codecs) < TotalSize(best))) {
            best = std::move(codecs);
        }
    }
    if (!options.quiet && !best.empty()) {
        std::printf("Best codec is %s (%s bytes).\n",
                    std::string(CodecFor(best.front()->Kind()).keyword).c_str(), sizes.c_str());
    }
    return best;
}

}  // namespace

Codecs CompressAsAsked(const CommandLine& cmd, std::span<const ImgRawData> frames) {
    return cmd.bestCodec ? CompressWithTheSmallest(frames, cmd.options)
                         : CompressAll(cmd.codec, frames, cmd.options, false);
}

int ConvertFrames(const CommandLine& cmd, ImgToneMap& toneMap, const OutputFile::Settings& output) {
    const ImgOptions& options = cmd.options;
    const FrameGrid grid = toneMap.grid;
    const bool framed = options.Frames();
    if (framed && !options.quiet) {
        const std::int32_t height = options.allFrames
                                        ? toneMap.pictureHeight
                                        : static_cast<std::int32_t>(options.frameHeight);
        std::printf("Frames: %zu of %zux%d.\n", grid.Count(), grid.width, height);
    }
    std::vector<ImgRawData> frames(grid.Count(), ImgRawData(options));
    std::int64_t total = 0;
    for (std::size_t f = 0; f < frames.size(); ++f) {
        frames[f].PackFrame(toneMap, f);
        total += frames[f].length;
    }
    toneMap.plane = std::vector<std::uint8_t>();
    if (!options.quiet) std::printf("RAW image is %lld bytes.\n", static_cast<long long>(total));

    const Codecs codecs = CompressAsAsked(cmd, frames);
    if (codecs.empty()) return 1;

    // The output file is created only now, so a failure before this point
    // leaves any existing file of that name untouched.
    ImgAsmWriter writer(options);
    writer.SetPictureSize(static_cast<std::int32_t>(grid.width),
                          static_cast<std::int32_t>(8 * grid.blocks));
    if (cmd.bestCodec) writer.SetCodecComment(CodecFor(codecs.front()->Kind()).keyword);
    if (!writer.Open(cmd.outputFile, output)) return 1;
    if (framed) writer.WriteFramesHead(static_cast<std::int32_t>(codecs.size()));
    for (std::size_t f = 0; f < codecs.size(); ++f) {
        if (framed) writer.SetFrame(static_cast<std::int32_t>(f));
        codecs[f]->WriteOutput(writer);
    }
    if (!writer.Close()) return 1;
    if (!options.quiet) std::fputs("Operation completed.\n", stdout);
    return 0;
}

}  // namespace pelmo
