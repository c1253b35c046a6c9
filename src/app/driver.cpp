#include "app/driver.hpp"

#include <csignal>
#include <cstdio>
#include <memory>

#include "app/options.hpp"
#include "asm/asm_writer.hpp"
#include "codec/codec_table.hpp"
#include "codec/compress.hpp"
#include "image/raw_data.hpp"
#include "image/tone_map.hpp"

namespace pelmo {

int RunConversion(int argc, const char* const* argv) {
    // Past a file-size limit (ulimit -f) a write fails and is reported like
    // any other write error, instead of ending the process half way.
    std::signal(SIGXFSZ, SIG_IGN);
    CommandLine cmd;
    if (!ParseCommandLine(argc, argv, cmd)) {
        // An answer that could not be written is a failure too.
        if (cmd.answered) return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
        return 1;
    }
    PrintBanner();

    ImgToneMap toneMap(cmd.options);
    if (!toneMap.Load(cmd.imageFile)) return 1;
    std::printf("Loaded %dx%d image.\n", toneMap.width, toneMap.height);

    ImgRawData raw(cmd.options);
    if (!raw.Pack(toneMap)) return 1;
    std::printf("RAW image is %d bytes.\n", raw.length);

    std::unique_ptr<CPelmoImgCompress> codec = MakeCodec(cmd.codec, cmd.options);
    if (!codec->Compress(raw)) return 1;

    // The output file is created only now, so a failure before this point
    // leaves any existing file of that name untouched.
    ImgAsmWriter writer(cmd.options);
    if (!writer.Open(cmd.outputFile)) return 1;
    codec->WriteOutput(writer);
    if (!writer.Close()) return 1;
    codec.reset();

    std::fputs("Operation completed.\n", stdout);
    return 0;
}

}  // namespace pelmo
