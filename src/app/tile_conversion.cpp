#include "app/tile_conversion.hpp"

#include <cstdio>
#include <string>
#include <vector>

#include "app/frame_conversion.hpp"
#include "app/raw_data.hpp"
#include "asm/asm_writer.hpp"
#include "asm/source_format.hpp"
#include "base/errors.hpp"
#include "codec/codec_table.hpp"
#include "plane/tile_set.hpp"
#include "render/source_planes.hpp"

namespace pelmo {

namespace {

// "8x8", and the planes of -planes when there are any: what a tile set's
// tiles are.
std::string TileKind(std::uint64_t width, std::uint64_t height, const std::string& planes) {
    return std::to_string(width) + "x" + std::to_string(height) +
           (planes.empty() ? "" : " of the planes " + planes);
}

// The planes comment a source of planes gives back.
std::string PlanesOf(const AsmSource& source) {
    std::string text;
    for (const PlaneKind kind : source.commentPlanes) {
        text.append(text.empty() ? "" : ",").append(PlaneName(kind));
    }
    if (!text.empty() && source.interleaved) text += kInterleavedSuffix;
    return text;
}

// The tiles of the source -tileset names into `tiles`, their planes side by
// side as the decoder gives a picture's: read and decoded as the renderer
// reads a source. False, after the error line, when it cannot be read or
// holds no tiles like this run's.
bool LoadKnownTiles(const CommandLine& cmd, const FrameGrid& grid, TileSet& tiles) {
    RenderSettings settings;
    settings.maxPixels = cmd.options.maxPixels;
    settings.plusmask = cmd.options.plusmask;
    SourcePlane plane;
    plane.file = cmd.tileSetFile;
    if (Status loaded = LoadSourcePlane(settings, {}, plane); !loaded) {
        PrintError("Error, " + loaded.failure().message + ".\n");
        return false;
    }
    const AsmSource& source = plane.source;
    if (!source.tiles) {
        PrintError("Error, " + Quoted(plane.file) + " holds no tiles.\n");
        return false;
    }
    const std::string theirs =
        TileKind(source.tiles->width.value, source.tiles->height.value, PlanesOf(source));
    const std::string ours = TileKind(grid.width, 8 * grid.blocks, PlanesComment(cmd.options));
    if (theirs != ours) {
        PrintError("Error, the tiles of " + Quoted(plane.file) + " are " + theirs + ", not " +
                   ours + ".\n");
        return false;
    }
    // Each tile's frames (one, or one for each plane) make its stream bytes.
    const std::size_t parts = source.StreamsPerFrame();
    const std::size_t planes = grid.interleave.planes;
    const std::size_t size = tiles.TileBytes();
    std::vector<std::uint8_t> stream(size);
    std::vector<std::uint8_t> known(plane.frames.size() / parts * size);
    for (std::size_t k = 0; k * parts < plane.frames.size(); ++k) {
        for (std::size_t p = 0; p < parts; ++p) {
            const std::vector<std::uint8_t>& bytes = plane.frames[k * parts + p].bytes;
            std::copy(bytes.begin(), bytes.end(), stream.begin() + p * (size / parts));
        }
        TileFromStream(stream.data(), planes, size / planes, parts == 1, &known[k * size]);
    }
    tiles.AddKnown(std::move(known));
    return true;
}

// The "Tiles: ..." line.
void PrintTiles(const CommandLine& cmd, const TileSet& tiles, const FrameGrid& grid) {
    const std::string known = tiles.KnownCount() == 0
                                  ? std::string()
                                  : ", " + std::to_string(tiles.KnownCount()) + " of them from '" +
                                        cmd.tileSetFile + "',";
    std::printf("Tiles: %zu of %ux%u%s in a map of %zux%zu.\n", tiles.Count(),
                cmd.options.frameWidth, cmd.options.frameHeight, known.c_str(), grid.across,
                grid.down);
}

// Writes the source: the head, the tile set's stream and the map.
int WriteTileSource(const CommandLine& cmd, const TileSet& tiles, const FrameGrid& grid,
                    const CompressedStreams& done, const OutputFile::Settings& output) {
    ImgAsmWriter writer(cmd.options);
    writer.SetPictureSize(static_cast<std::int32_t>(grid.SheetWidth()),
                          static_cast<std::int32_t>(8 * grid.SheetBlocks()));
    // A source of tiles names its codec, for -tileset and the renderer to read it back.
    writer.SetCodecComment(CodecFor(done.codec->Kind()).keyword);
    writer.SetPlanesComment(PlanesComment(cmd.options));
    if (!writer.Open(cmd.outputFile, output)) return 1;
    const ImgAsmWriter::TilesHead head{
        static_cast<std::int32_t>(tiles.Count()), static_cast<std::int32_t>(grid.width),
        static_cast<std::int32_t>(8 * grid.blocks), static_cast<std::int32_t>(grid.across),
        static_cast<std::int32_t>(grid.down)};
    writer.WriteTilesHead(head);
    done.codec->WriteOutput(writer);
    writer.WriteMap(tiles.Map(), head, tiles.Count() > kMostByteTiles);
    if (!writer.Close()) return 1;
    if (!cmd.options.quiet) std::fputs("Operation completed.\n", stdout);
    return 0;
}

}  // namespace

int ConvertTiles(const CommandLine& cmd, ImgToneMap& toneMap, const OutputFile::Settings& output) {
    const ImgOptions& options = cmd.options;
    const FrameGrid grid = toneMap.grid;
    TileSet tiles(grid.FrameBytes(), kMostTiles);
    if (!cmd.tileSetFile.empty() && !LoadKnownTiles(cmd, grid, tiles)) return 1;
    if (tiles.Count() > kMostTiles || !tiles.MapCells(toneMap.plane)) {
        PrintError("Error, the picture holds more different tiles than a map numbers (" +
                   std::to_string(kMostTiles) + ").\n");
        return 1;
    }
    if (!options.quiet) PrintTiles(cmd, tiles, grid);

    const PlaneSet set = PlaneSet::Of(options);
    ImgRawData raw(options);
    raw.Take(tiles.Stream(grid.interleave.planes, set.together),
             set.together ? set.Carried() : Interleave());
    if (!options.quiet) std::printf("RAW image is %d bytes.\n", raw.length);
    const std::optional<CompressedStreams> done =
        CompressAsAsked(cmd, {1, static_cast<std::size_t>(raw.length),
                              [&raw](std::size_t) -> const RawBytes& { return raw; }});
    if (!done) return 1;
    return WriteTileSource(cmd, tiles, grid, *done, output);
}

}  // namespace pelmo
