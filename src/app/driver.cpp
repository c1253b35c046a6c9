#include "app/driver.hpp"

#include <cstdio>
#include <memory>
#include <string>

#include "app/frame_conversion.hpp"
#include "app/options.hpp"
#include "app/raw_data.hpp"
#include "app/tone_map.hpp"
#include "asm/asm_writer.hpp"
#include "base/output_file.hpp"
#include "codec/codec_table.hpp"
#include "codec/compress.hpp"

namespace pelmo {

namespace {

// -c best: every codec that can encode the data, the smallest output kept
// (the first in the table on a tie), and one line that says which it is and
// what each made.
std::unique_ptr<CPelmoImgCompress> CompressWithTheSmallest(const ImgRawData& raw,
                                                           const ImgOptions& options) {
    std::unique_ptr<CPelmoImgCompress> best;
    std::string sizes;
    for (const CodecInfo& info : CodecTable()) {
        std::unique_ptr<CPelmoImgCompress> codec = MakeCodec(info.kind, options);
        const bool encoded = codec->CanCompress(raw) && codec->Compress(raw);
        sizes += std::string(sizes.empty() ? "" : ", ") + std::string(info.keyword) + " " +
                 (encoded ? std::to_string(codec->size) : "-");
        if (encoded && (!best || codec->size < best->size)) best = std::move(codec);
    }
    if (!options.quiet) {
        std::printf("Best codec is %s (%s bytes).\n",
                    std::string(CodecFor(best->Kind()).keyword).c_str(), sizes.c_str());
    }
    return best;
}

}  // namespace

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

    // The output file is created only after compression, so a failure before
    // that leaves any existing file of that name untouched. The picture check
    // is made again on what its name leads to then, and once more at the
    // commit.
    OutputFile::Settings output;
    output.closedStreams = closed;
    output.check = [&cmd](const LinkTarget& target) { return PictureRefusal(cmd, target); };
    if (cmd.options.Frames() || cmd.options.plusmask) return ConvertFrames(cmd, toneMap, output);

    ImgRawData raw(cmd.options);
    if (!raw.Pack(toneMap)) return 1;
    if (!quiet) std::printf("RAW image is %d bytes.\n", raw.length);

    std::unique_ptr<CPelmoImgCompress> codec;
    if (cmd.bestCodec) {
        codec = CompressWithTheSmallest(raw, cmd.options);
    } else {
        codec = MakeCodec(cmd.codec, cmd.options);
        if (!codec->Compress(raw)) return 1;
    }

    ImgAsmWriter writer(cmd.options);
    writer.SetPictureSize(toneMap.width, toneMap.height);
    if (cmd.bestCodec) writer.SetCodecComment(CodecFor(codec->Kind()).keyword);
    if (!writer.Open(cmd.outputFile, output)) return 1;
    codec->WriteOutput(writer);
    if (!writer.Close()) return 1;
    codec.reset();

    if (!quiet) std::fputs("Operation completed.\n", stdout);
    return 0;
}

}  // namespace pelmo
