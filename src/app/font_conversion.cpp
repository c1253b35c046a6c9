#include "app/font_conversion.hpp"

#include <cstdio>
#include <optional>
#include <string>

#include "app/frame_conversion.hpp"
#include "app/raw_data.hpp"
#include "asm/asm_writer.hpp"
#include "base/errors.hpp"
#include "base/limits.hpp"
#include "codec/codec_table.hpp"

namespace pelmo {

namespace {

// Whether column `x` of a cell lights a pixel: a byte of it is not blank.
bool ColumnLit(const PlaneLayout& cell, const std::uint8_t* bytes, std::size_t x) {
    for (std::size_t block = 0; block < cell.Blocks(); ++block) {
        if (bytes[cell.Index(x, block)] != 0xFF) return true;
    }
    return false;
}

// The refusal of a font that the target cannot hold, or empty.
std::string FontRefusal(const ImgOptions& options, const FontGlyphs& glyphs) {
    const std::size_t count = glyphs.widths.size();
    if (options.fontFirst + count > kLastCharacterCode + 1) {
        return "Error, " + std::to_string(count) + " glyphs from code " +
               std::to_string(options.fontFirst) + " go past code " +
               std::to_string(kLastCharacterCode) + ".\n";
    }
    if (glyphs.bytes.size() > kMostGlyphBytes) {
        return "Error, the glyphs take " + std::to_string(glyphs.bytes.size()) +
               " bytes, more than the offset table's words reach (" +
               std::to_string(kMostGlyphBytes) + ").\n";
    }
    return {};
}

}  // namespace

FontGlyphs CutGlyphs(const ImgOptions& options, const ImgToneMap& toneMap) {
    const FrameGrid& grid = toneMap.grid;
    const PlaneLayout cell(options, grid.width, grid.blocks);
    FontGlyphs glyphs;
    for (std::size_t f = 0; f < grid.Count(); ++f) {
        const std::uint8_t* bytes = toneMap.plane.data() + f * grid.FrameBytes();
        glyphs.offsets.push_back(static_cast<std::uint32_t>(glyphs.bytes.size()));
        std::optional<std::size_t> first;
        std::size_t last = 0;
        for (std::size_t x = 0; x < grid.width; ++x) {
            if (!ColumnLit(cell, bytes, x)) continue;
            if (!first) first = x;
            last = x;
        }
        if (!first) {
            glyphs.widths.push_back(static_cast<std::uint8_t>(options.SpaceWidth()));
            continue;
        }
        const std::size_t kept = last - *first + 1;
        const PlaneLayout glyph(options, kept, grid.blocks);
        const std::size_t at = glyphs.bytes.size();
        glyphs.bytes.resize(at + glyph.Size());
        for (std::size_t x = 0; x < kept; ++x) {
            for (std::size_t block = 0; block < grid.blocks; ++block) {
                glyphs.bytes[at + glyph.Index(x, block)] = bytes[cell.Index(*first + x, block)];
            }
        }
        glyphs.widths.push_back(static_cast<std::uint8_t>(kept + options.fontSpace));
    }
    glyphs.offsets.push_back(static_cast<std::uint32_t>(glyphs.bytes.size()));
    return glyphs;
}

int ConvertFont(const CommandLine& cmd, ImgToneMap& toneMap, const OutputFile::Settings& output) {
    const ImgOptions& options = cmd.options;
    const FrameGrid& grid = toneMap.grid;
    FontGlyphs glyphs = CutGlyphs(options, toneMap);
    toneMap.plane = std::vector<std::uint8_t>();
    if (const std::string refusal = FontRefusal(options, glyphs); !refusal.empty()) {
        PrintError(refusal);
        return 1;
    }
    if (!options.quiet) {
        std::printf("Font: %zu glyphs of %ux%u from code %u.\n", grid.Count(), options.frameWidth,
                    options.frameHeight, options.fontFirst);
        std::printf("RAW image is %zu bytes.\n", glyphs.bytes.size());
    }
    ImgRawData raw(options);
    raw.Take(std::move(glyphs.bytes), Interleave());
    std::optional<CompressedStreams> done =
        CompressAsAsked(cmd, {1, static_cast<std::size_t>(raw.length),
                              [&raw](std::size_t) -> const RawBytes& { return raw; }});
    if (!done) return 1;

    // The output file is created only now, so a failure before this point
    // leaves any existing file of that name untouched.
    ImgAsmWriter writer(options);
    if (cmd.bestCodec) writer.SetCodecComment(CodecFor(done->codec->Kind()).keyword);
    if (!writer.Open(cmd.outputFile, output)) return 1;
    writer.WriteFontHead(options.fontFirst, static_cast<std::int32_t>(8 * grid.blocks),
                         glyphs.widths, glyphs.offsets);
    done->codec->WriteOutput(writer);
    if (!writer.Close()) return 1;
    if (!options.quiet) std::fputs("Operation completed.\n", stdout);
    return 0;
}

}  // namespace pelmo
