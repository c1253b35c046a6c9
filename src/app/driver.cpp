#include "app/driver.hpp"

#include <cstdio>
#include <span>
#include <string>

#include "app/font_conversion.hpp"
#include "app/frame_conversion.hpp"
#include "app/options.hpp"
#include "app/raw_data.hpp"
#include "app/tile_conversion.hpp"
#include "app/tone_map.hpp"
#include "asm/asm_writer.hpp"
#include "base/errors.hpp"
#include "base/output_file.hpp"
#include "codec/codec_table.hpp"
#include "codec/compress.hpp"

namespace pelmo {

int RunConversion(int argc, const char* const* argv, const ClosedStreams& closed) {
    CommandLine cmd;
    if (!ParseCommandLine(argc, argv, cmd)) {
        // An answer that could not be written is a failure too.
        if (cmd.answered) return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
        return 1;
    }
    const bool quiet = cmd.options.quiet;
    if (!quiet) PrintBanner();

    ImgToneMap toneMap(cmd.options);
    if (!toneMap.Load(cmd.imageFile)) return 1;
    if (!quiet) std::printf("Loaded %dx%d image.\n", toneMap.width, toneMap.pictureHeight);
    if (toneMap.strays.count != 0) PrintError(StrayWarning(toneMap.strays, cmd.imageFile));

    // The output file is created only after compression, so a failure before
    // that leaves any existing file of that name untouched. The picture check
    // is made again on what its name leads to then, and once more at the
    // commit.
    OutputFile::Settings output;
    output.closedStreams = closed;
    output.check = [&cmd](const LinkTarget& target) { return PictureRefusal(cmd, target); };
    if (cmd.options.tiles) return ConvertTiles(cmd, toneMap, output);
    if (cmd.options.font) return ConvertFont(cmd, toneMap, output);
    if (cmd.options.Frames() || cmd.options.plusmask || cmd.options.planeCount > 0) {
        return ConvertFrames(cmd, toneMap, output);
    }

    // Nothing to write, whichever step found it: packing (which a loaded map
    // always passes) or compressing.
    ImgRawData raw(cmd.options);
    std::optional<CompressedStreams> done;
    if (raw.Pack(toneMap)) {
        if (!quiet) std::printf("RAW image is %d bytes.\n", raw.length);
        done = CompressAsAsked(cmd, {1, static_cast<std::size_t>(raw.length),
                                     [&raw](std::size_t) -> const RawBytes& { return raw; }});
    }
    if (!done) return 1;
    CPelmoImgCompress& codec = *done->codec;

    ImgAsmWriter writer(cmd.options);
    writer.SetPictureSize(toneMap.width, toneMap.height);
    if (cmd.bestCodec) writer.SetCodecComment(CodecFor(codec.Kind()).keyword);
    if (!writer.Open(cmd.outputFile, output)) return 1;
    codec.WriteOutput(writer);
    if (!writer.Close()) return 1;
    done.reset();

    if (!quiet) std::fputs("Operation completed.\n", stdout);
    return 0;
}

}  // namespace pelmo
