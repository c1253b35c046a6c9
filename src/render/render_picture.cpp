#include "render/render_picture.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "base/errors.hpp"
#include "base/output_file.hpp"
#include "picture/freeimage_session.hpp"
#include "render/grey_picture.hpp"
#include "render/source_planes.hpp"

namespace pelmo {

namespace {

class Rendering {
  public:
    Rendering(RenderSettings settings, const ClosedStreams& closed, const RenderProgress& progress)
        : settings_(std::move(settings)),
          interleave_(settings_.Interleaving()),
          closed_(closed),
          progress_(progress) {
        planes_.reserve(3);
    }

    Status Run();
    const Rendered& Result() const { return rendered_; }

  private:
    static Failure Fail(std::string what) { return {std::move(what)}; }
    Status CheckPictureFile();
    Status LoadPlanes();
    Status TakePlanesApart();
    Status PlanesOfOneKind(const std::vector<std::string>& roles) const;
    Status TakeSizeFromSources();
    Status PictureHeight();
    Status FrameSize();
    Status FramesFit() const;
    Status SheetSize();
    Status BeyondTheLimit(Status fault);
    Status TileSheet();
    Status TextSize();
    void PaintText(PixelRows rows) const;
    Status PlanesAlike(const SourcePlane& first, const SourcePlane& other,
                       const std::string& role) const;
    Status PlanesBelongTogether(const SourcePlane& full, const SourcePlane& dim) const;
    void WarnOfAGuess();
    Status WithinLimit(std::uint64_t width, std::uint64_t height) const;
    void Paint(PixelRows rows) const;
    Status WritePicture();

    RenderSettings settings_;
    Interleave interleave_;  // the planes whose bytes take turns in each source
    ClosedStreams closed_;
    const RenderProgress& progress_;
    Rendered rendered_;
    FREE_IMAGE_FORMAT format_ = FIF_UNKNOWN;
    // The source's plane, then the -dimplane source's and the -over source's
    // where given.
    std::vector<SourcePlane> planes_;
    const SourcePlane* dim_ = nullptr;
    const SourcePlane* over_ = nullptr;
    // A source of planes, which its planes in `planes_` refer to.
    SourcePlane combined_;
    // What is painted, in order: each plane's lit pixels in its grey, over
    // black, or over the checkerboard where a mask is.
    struct Layer {
        const SourcePlane* plane;
        std::uint8_t lit;
    };
    std::vector<Layer> layers_;
    bool checks_ = false;
    std::int32_t height_ = 0;
    // The frames shown, in reading order, `across` to a row of the picture
    // (one, the whole picture, for a source of one picture), each
    // `frameWidth` x `frameHeight` pixels.
    std::vector<std::size_t> shown_{0};
    std::size_t across_ = 1;
    std::int32_t frameWidth_ = 0;
    std::int32_t frameHeight_ = 0;
};

// What refuses `target`, what the picture file's name resolves to: one of
// the sources through any alias, or without -f an existing regular file,
// whether replaced or written in place (/dev/fd/N, /dev/stdout on a file).
// Empty when it may be written; asked before anything is read, and again
// when the file is opened and put in place.
std::string PictureFileRefusal(const RenderSettings& settings, const LinkTarget& target) {
    if (!target.exists) return {};  // nothing to lose
    const std::string start = "picture file " + Quoted(settings.pictureFile);
    for (const std::string& source :
         {settings.sourceFile, settings.dimSourceFile, settings.overSourceFile}) {
        if (target.IsFile(source)) return start + " is the source " + Quoted(source);
    }
    // A device or a pipe written in place loses nothing; a file does.
    if (S_ISREG(target.info.st_mode) && !settings.force) {
        return start + " exists; give -f to replace it";
    }
    return {};
}

// The picture file: named with an extension the renderer can write, and
// nothing PictureFileRefusal refuses.
Status Rendering::CheckPictureFile() {
    const std::string& picture = settings_.pictureFile;
    const std::string extension(ExtensionOf(picture));
    format_ = WritableFormatOf(picture);
    if (extension.empty()) return Fail("no picture extension");
    if (format_ == FIF_UNKNOWN) return Fail("unsupported picture extension " + Quoted(extension));
    const std::optional<LinkTarget> target = FollowLinks(picture);
    if (!target) return {};  // opening it will tell
    const std::string refusal = PictureFileRefusal(settings_, *target);
    if (!refusal.empty()) return Fail(refusal);
    return {};
}

// The picture's size where the sources give it (-dims) and the command line
// does not; the two agree where both do.
Status Rendering::TakeSizeFromSources() {
    for (const SourcePlane& plane : planes_) {
        const AsmSource& s = plane.source;
        for (const auto& [symbol, given, option] :
             {std::tuple{s.width, &settings_.width, "-w"},
              std::tuple{s.height, &settings_.height, "-h"}}) {
            if (!symbol) continue;
            if (symbol->value == 0 || symbol->value > INT32_MAX ||
                (given == &settings_.height && symbol->value % 8 != 0)) {
                return AtLine(plane, symbol->line,
                              "the picture cannot be " + std::to_string(symbol->value) +
                                  " pixels " + (given == &settings_.width ? "wide" : "high"));
            }
            const auto value = static_cast<std::int32_t>(symbol->value);
            if (*given != 0 && *given != value) {
                return AtLine(plane, symbol->line,
                              "the symbol says " + std::to_string(value) + ", " + option +
                                  " says " + std::to_string(*given));
            }
            *given = value;
        }
    }
    if (settings_.width == 0) return Fail("missing picture width (-w)");
    return {};
}

// The picture's height: as given, or the fewest blocks of eight rows that
// hold every plane's bytes; within the pixel limit, and holding the bytes.
Status Rendering::PictureHeight() {
    const std::int64_t width = settings_.width;
    // The picture's bytes of each plane (-plusmask data holds two for each).
    const auto bytesOf = [&](const SourcePlane& plane) {
        return plane.frames[0].End() / static_cast<std::int64_t>(interleave_.planes);
    };
    std::int64_t end = 0;
    for (const SourcePlane& plane : planes_) end = std::max(end, bytesOf(plane));
    const std::int64_t blocks = settings_.height != 0
                                    ? settings_.height / 8
                                    : std::max<std::int64_t>(1, (end + width - 1) / width);
    const std::int64_t pixels = width * blocks * 8;
    const Status within =
        WithinLimit(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(blocks * 8));
    if (!within) return within;
    height_ = static_cast<std::int32_t>(blocks * 8);
    for (const SourcePlane& plane : planes_) {
        if (bytesOf(plane) > pixels / 8) {
            return AtLine(plane, plane.source.size.line,
                          std::to_string(plane.frames[0].End()) + " bytes do not fit a " +
                              std::to_string(width) + "x" + std::to_string(height_) + " picture");
        }
    }
    frameWidth_ = settings_.width;
    frameHeight_ = height_;
    if (settings_.height == 0) WarnOfAGuess();
    return {};
}

// The frame's size for a source of frames: as -frames gives it, or the -dims
// symbols; the two agree where both do.
Status Rendering::FrameSize() {
    const SourcePlane& first = planes_[0];
    const AsmSource& s = first.source;
    frameWidth_ = settings_.frameWidth;
    frameHeight_ = settings_.frameHeight;
    if (s.width && s.height) {
        const bool told = frameWidth_ != 0;
        if (s.width->value == 0 || s.width->value > INT32_MAX || s.height->value == 0 ||
            s.height->value > INT32_MAX || s.height->value % 8 != 0) {
            return AtLine(first, s.width->line,
                          "frames cannot be " + std::to_string(s.width->value) + "x" +
                              std::to_string(s.height->value) + " pixels");
        }
        const auto width = static_cast<std::int32_t>(s.width->value);
        const auto height = static_cast<std::int32_t>(s.height->value);
        if (told && (width != frameWidth_ || height != frameHeight_)) {
            return AtLine(first, s.width->line,
                          "the symbols say " + std::to_string(width) + "x" +
                              std::to_string(height) + ", -frames says " +
                              std::to_string(frameWidth_) + "x" + std::to_string(frameHeight_));
        }
        frameWidth_ = width;
        frameHeight_ = height;
    }
    if (frameWidth_ == 0) return Fail("missing frame size: give -frames WxH");
    return {};
}

// Every frame's bytes within the frame.
Status Rendering::FramesFit() const {
    const auto bytes = static_cast<std::int64_t>(interleave_.Bytes(
        static_cast<std::size_t>(frameWidth_) * static_cast<std::size_t>(frameHeight_ / 8)));
    for (const SourcePlane& plane : planes_) {
        for (const DecodedFrame& frame : plane.frames) {
            if (frame.End() > bytes) {
                return AtLine(plane, frame.source->size.line,
                              std::to_string(frame.End()) + " bytes do not fit a " +
                                  std::to_string(frameWidth_) + "x" + std::to_string(frameHeight_) +
                                  " frame");
            }
        }
    }
    return {};
}

// The sheet of a source of frames: frames of the frame's size in reading
// order, as many to a row as -w holds (one without it), in as many rows as
// -h holds (as they need without it); or only the frame -frame names.
Status Rendering::SheetSize() {
    const std::size_t count = planes_[0].frames.size();
    if (settings_.frame) {
        const auto frame = static_cast<std::size_t>(*settings_.frame);
        if (frame >= count) {
            return Fail("frame " + std::to_string(frame) + " is not in " + Quoted(planes_[0].file) +
                        ", whose frames are 0 to " + std::to_string(count - 1));
        }
        shown_ = {frame};
        settings_.width = frameWidth_;
        settings_.height = frameHeight_;
    } else {
        shown_.resize(count);
        for (std::size_t k = 0; k < count; ++k) shown_[k] = k;
    }
    const std::int32_t width = settings_.width != 0 ? settings_.width : frameWidth_;
    if (width % frameWidth_ != 0) {
        return Fail("the picture's width " + std::to_string(width) +
                    " is not a whole number of frames " + std::to_string(frameWidth_) + " wide");
    }
    across_ = static_cast<std::size_t>(width / frameWidth_);
    const std::size_t rows = settings_.height != 0
                                 ? static_cast<std::size_t>(settings_.height / frameHeight_)
                                 : (shown_.size() + across_ - 1) / across_;
    if (rows * across_ < shown_.size() ||
        (settings_.height != 0 && settings_.height % frameHeight_ != 0)) {
        return Fail("a " + std::to_string(width) + "x" + std::to_string(settings_.height) +
                    " picture holds no whole " + std::to_string(shown_.size()) + " frames of " +
                    std::to_string(frameWidth_) + "x" + std::to_string(frameHeight_));
    }
    const std::uint64_t height = rows * static_cast<std::uint64_t>(frameHeight_);
    if (Status within = WithinLimit(static_cast<std::uint32_t>(width), height); !within) {
        return within;
    }
    settings_.width = width;
    height_ = static_cast<std::int32_t>(height);
    return {};
}

// The picture of a source of tiles: each cell of the map, in reading order,
// shows its tile; as large as the map, which -w and -h only confirm. With
// -tileset the tiles themselves, in number order, as a sheet of frames.
Status Rendering::TileSheet() {
    const AsmSource::Tiles& tiles = *planes_[0].source.tiles;
    frameWidth_ = static_cast<std::int32_t>(tiles.width.value);
    frameHeight_ = static_cast<std::int32_t>(tiles.height.value);
    if (settings_.tileSet) return SheetSize();  // the tiles as frames
    across_ = tiles.mapWidth.value;
    const std::uint64_t width = std::uint64_t{tiles.mapWidth.value} * tiles.width.value;
    const std::uint64_t height = std::uint64_t{tiles.mapHeight.value} * tiles.height.value;
    for (const auto& [given, value, option] :
         {std::tuple{settings_.width, width, "-w"}, std::tuple{settings_.height, height, "-h"}}) {
        if (given != 0 && static_cast<std::uint64_t>(given) != value) {
            return AtLine(planes_[0], tiles.mapWidth.line,
                          "the map is " + std::to_string(width) + "x" + std::to_string(height) +
                              " pixels, " + option + " says " + std::to_string(given));
        }
    }
    if (Status within = WithinLimit(width, height); !within) return within;
    shown_.assign(tiles.map.begin(), tiles.map.end());
    settings_.width = static_cast<std::int32_t>(width);
    height_ = static_cast<std::int32_t>(height);
    return {};
}

// Two planes of one picture, `other` the source's `role`: as many frames,
// and the same size when the height is not given.
Status Rendering::PlanesAlike(const SourcePlane& first, const SourcePlane& other,
                              const std::string& role) const {
    const std::int64_t width = settings_.width;
    const auto blocks = [&](const SourcePlane& plane) {
        return (plane.frames[0].End() + width - 1) / width;
    };
    if (first.frames.size() != other.frames.size()) {
        return Fail("the planes do not belong together: " + Quoted(first.file) + " holds " +
                    std::to_string(first.frames.size()) + " frames, its " + role + " " +
                    Quoted(other.file) + " " + std::to_string(other.frames.size()));
    }
    if (!first.Framed() && settings_.height == 0 && blocks(first) != blocks(other)) {
        return Fail("the planes do not belong together: " + Quoted(first.file) + " gives a " +
                    std::to_string(width) + "x" + std::to_string(8 * blocks(first)) +
                    " picture, its " + role + " " + Quoted(other.file) + " a " +
                    std::to_string(width) + "x" + std::to_string(8 * blocks(other)) + " one");
    }
    return {};
}

// The full plane and the dim plane of one picture: alike, and every pixel
// the full plane lights lit in the dim plane too (a clear bit is a lit
// pixel).
Status Rendering::PlanesBelongTogether(const SourcePlane& full, const SourcePlane& dim) const {
    if (Status alike = PlanesAlike(full, dim, "-dimplane source"); !alike) return alike;
    // Only where the full plane has bytes can it light a pixel.
    for (std::size_t f = 0; f < full.frames.size(); ++f) {
        const DecodedFrame& lit = full.frames[f];
        const PackedPlane dimBytes = dim.frames[f].Packed();
        const std::size_t start = lit.source->start.value;
        for (std::size_t k = 0; k < lit.bytes.size(); ++k) {
            if ((~lit.bytes[k] & dimBytes.ByteAt(start + k) & 0xFF) != 0) {
                return Fail(
                    "the planes do not belong together, or are swapped: " + Quoted(full.file) +
                    " lights pixels that its -dimplane source " + Quoted(dim.file) + " does not");
            }
        }
    }
    return {};
}

// A source whose height no -h and no symbol gives is as high as the fewest
// blocks of eight rows that hold its data; -etrim may have cut blank bytes
// from its end, and with them blocks of rows. A plane says its height when
// its data fills whole rows of blocks and nothing shows such a cut: the data
// ends in a blank byte (which -etrim never leaves), or all of it is blank
// bytes counted by the start symbol, or the converter trimmed nothing from
// its start either (a start symbol of 0, as every source written without
// -strim has). Data that stops inside a row of blocks was cut; data that
// -strim trimmed may have lost its end to -etrim as well. Where no plane
// says it, the height is a guess, and the warning says so.
void Rendering::WarnOfAGuess() {
    // The stream bytes of a row of blocks of every plane.
    const auto row =
        static_cast<std::int64_t>(interleave_.Bytes(static_cast<std::size_t>(settings_.width)));
    for (const SourcePlane& plane : planes_) {
        const DecodedFrame& data = plane.frames[0];
        const bool endsBlank = !data.bytes.empty() && data.bytes.back() == 0xFF;
        const bool allBlank = data.bytes.empty() && data.start > 0;
        const bool startKept = !data.bytes.empty() && data.start == 0;
        if ((endsBlank || allBlank || startKept) && data.End() % row == 0) return;
    }
    rendered_.warning = "the height of " + Quoted(planes_[0].file) +
                        " is a guess: " + std::to_string(height_) +
                        " rows hold its data, and -etrim may have cut more from its end; give -h "
                        "(or convert with -dims) to be sure";
}

// Decoding stopped at the pixel limit (`fault`, the source's line): the
// picture the sizes and symbols give is refused for its size where it is over
// the limit, as SheetSize or PictureHeight would refuse it; of a source of
// frames, the sheet of them all, even with -frame, which shows one: every
// frame is decoded all the same. Else the data are more than those sizes
// hold, the source's fault; and so where the sizes are not known.
Status Rendering::BeyondTheLimit(Status fault) {
    const SourcePlane& first = planes_[0];
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    if (first.Framed()) {
        if (!FrameSize()) return fault;
        // The sheet as SheetSize makes it without -frame; with it, which
        // takes no -w or -h, a column.
        const bool shown = settings_.frame.has_value();
        width = settings_.width != 0 && !shown ? settings_.width : frameWidth_;
        if (width % frameWidth_ != 0) return fault;
        const std::uint64_t across = width / frameWidth_;
        const std::uint64_t count = first.source.frames.size() / first.source.StreamsPerFrame();
        height = settings_.height != 0 && !shown ? settings_.height
                                                 : (count + across - 1) / across * frameHeight_;
    } else {
        if (!TakeSizeFromSources() || settings_.height == 0) return fault;
        width = settings_.width;
        height = settings_.height;
    }
    const Status within = WithinLimit(width, height);
    return within ? fault : within;
}

// Whether a picture of `width` x `height` pixels, shown with -zoom, is
// within the pixel limit.
Status Rendering::WithinLimit(std::uint64_t width, std::uint64_t height) const {
    const auto zoom = static_cast<std::uint64_t>(settings_.zoom);
    // Both sides at most 2^31 before they are multiplied, and below 2^59 (a
    // map's cells of a tile's size) with the zoom at most 16: no product wraps.
    if (width <= INT32_MAX && height <= INT32_MAX &&
        width * height <= settings_.maxPixels / (zoom * zoom) && width * zoom <= INT32_MAX &&
        height * zoom <= INT32_MAX) {
        return {};
    }
    return Fail("the picture would be " + std::to_string(width * zoom) + "x" +
                std::to_string(height * zoom) + " pixels, more than the limit of " +
                std::to_string(settings_.maxPixels) + " (see -maxpixels)");
}

// The two greys of the checkerboard that shows where a mask is off (-plusmask,
// -over), in squares of four pixels: darker than the dim tone, lighter than
// off.
constexpr std::uint8_t kChecks[] = {64, 96};
constexpr std::int32_t kCheckSide = 4;

// Paints each frame shown where the sheet puts it: the dim plane first,
// which lights the full pixels too, the full plane over it; a mask (of
// -plusmask or -over) black over the checkerboard, the sprite over that.
void Rendering::Paint(PixelRows rows) const {
    if (settings_.text) return PaintText(rows);
    if (checks_) {
        for (std::int32_t y = 0; y < height_; ++y) {
            for (std::int32_t x = 0; x < settings_.width; ++x) {
                rows.top[y * rows.stride + x] = kChecks[(x / kCheckSide + y / kCheckSide) % 2];
            }
        }
    }
    for (std::size_t n = 0; n < shown_.size(); ++n) {
        const std::ptrdiff_t x0 = static_cast<std::ptrdiff_t>(n % across_) * frameWidth_;
        const std::ptrdiff_t y0 = static_cast<std::ptrdiff_t>(n / across_) * frameHeight_;
        const PixelRows at{rows.top + y0 * rows.stride + x0, rows.stride};
        if (settings_.plusmask) {
            const DecodedFrame& frame = planes_[0].frames[shown_[n]];
            const std::vector<std::uint8_t> sprite = interleave_.Take(frame.bytes, 0);
            const std::vector<std::uint8_t> mask = interleave_.Take(frame.bytes, 1);
            const std::size_t start = frame.start / interleave_.planes;
            PaintPlane({mask, start}, frameWidth_, frameHeight_, settings_.layout, 0, -1, at);
            PaintPlane({sprite, start}, frameWidth_, frameHeight_, settings_.layout, 255, -1, at);
            continue;
        }
        // Each plane over the ones before it: the first over black, or the
        // mask over the checkerboard.
        int unlit = checks_ ? -1 : 0;
        for (const Layer& layer : layers_) {
            PaintPlane(layer.plane->frames[shown_[n]].Packed(), frameWidth_, frameHeight_,
                       settings_.layout, layer.lit, unlit, at);
            unlit = -1;
        }
    }
}

// A line of text of the font: as high as the font, each character as wide
// as its glyph's width; a character the font has no glyph for is refused.
Status Rendering::TextSize() {
    const SourcePlane& font = planes_[0];
    const FontHead& head = *font.source.font;
    const std::uint32_t first = head.first.value;
    std::uint64_t width = 0;
    for (const char c : *settings_.text) {
        const auto code = static_cast<unsigned char>(c);
        if (code < first || code - first >= head.widths.size()) {
            return Fail(Quoted(font.file) + " has no glyph for " + Quoted(std::string(1, c)) +
                        " (code " + std::to_string(code) + "): its codes are " +
                        std::to_string(first) + " to " +
                        std::to_string(first + head.widths.size() - 1));
        }
        width += head.widths[code - first];
    }
    if (width == 0) return Fail("the text " + Quoted(*settings_.text) + " is 0 pixels wide");
    if (Status within = WithinLimit(width, head.height.value); !within) return within;
    settings_.width = static_cast<std::int32_t>(width);
    height_ = static_cast<std::int32_t>(head.height.value);
    return {};
}

// Each character's glyph columns, then its blank ones up to its width.
void Rendering::PaintText(PixelRows rows) const {
    const FontHead& head = *planes_[0].source.font;
    const PackedPlane data = planes_[0].frames[0].Packed();
    const std::size_t column = static_cast<std::size_t>(height_) / 8;
    for (std::int32_t y = 0; y < height_; ++y) {
        std::fill_n(rows.top + y * rows.stride, settings_.width, std::uint8_t{0});
    }
    std::ptrdiff_t x = 0;
    for (const char c : *settings_.text) {
        const std::size_t glyph = static_cast<unsigned char>(c) - head.first.value;
        const std::uint32_t from = head.offsets[glyph];
        std::vector<std::uint8_t> bytes(head.offsets[glyph + 1] - from);
        for (std::size_t k = 0; k < bytes.size(); ++k) bytes[k] = data.ByteAt(from + k);
        const auto columns = static_cast<std::int32_t>(bytes.size() / column);
        if (columns > 0) {
            PaintPlane({bytes, 0}, columns, height_, settings_.layout, 255, 0,
                       {rows.top + x, rows.stride});
        }
        x += head.widths[glyph];
    }
}

// Paints the planes into a greyscale picture and puts it in place.
Status Rendering::WritePicture() {
    FreeImageSession session;
    GreyPicture picture;
    const std::int32_t zoom = settings_.zoom;
    if (!picture.Allocate(settings_.width * zoom, height_ * zoom)) return Fail("not enough memory");
    if (zoom == 1) {
        Paint(picture.Rows());
    } else {
        // Painted as it is, then each pixel made a square of zoom x zoom.
        const auto width = static_cast<std::size_t>(settings_.width);
        std::vector<std::uint8_t> pixels(width * static_cast<std::size_t>(height_));
        Paint({pixels.data(), static_cast<std::ptrdiff_t>(width)});
        const PixelRows rows = picture.Rows();
        for (std::int32_t y = 0; y < height_ * zoom; ++y) {
            const std::uint8_t* from = pixels.data() + static_cast<std::size_t>(y / zoom) * width;
            std::uint8_t* to = rows.top + y * rows.stride;
            for (std::size_t x = 0; x < width * static_cast<std::size_t>(zoom); ++x) {
                to[x] = from[x / static_cast<std::size_t>(zoom)];
            }
        }
    }
    if (!picture.Encode(format_)) return Fail("failed to encode the picture");

    const std::string& name = settings_.pictureFile;
    OutputFile::Settings output;
    output.replaceExisting = settings_.force;
    output.closedStreams = closed_;
    output.check = [this](const LinkTarget& target) {
        return PictureFileRefusal(settings_, target);
    };
    OutputFile file(output);
    // The check's refusal, or else `what`.
    const auto fail = [&](const std::string& what) {
        return Fail(file.Refusal().empty() ? what : file.Refusal());
    };
    if (!file.Open(name)) return fail("couldn't open " + Quoted(name));
    const std::span<const std::uint8_t> bytes = picture.Encoded();
    if (!file.Write(bytes.data(), bytes.size()) || !file.Commit()) {
        return fail("couldn't write " + Quoted(name));
    }
    if (progress_) {
        progress_("Wrote " + std::to_string(settings_.width * zoom) + "x" +
                  std::to_string(height_ * zoom) + " picture to '" + name + "'.\n");
    }
    return {};
}

// The source, then the -dimplane and -over sources where given, each read
// and decoded.
Status Rendering::LoadPlanes() {
    std::vector<std::string> roles{"first source"};
    planes_.resize(1);
    planes_[0].file = settings_.sourceFile;
    for (const auto& [file, role] : {std::pair{&settings_.dimSourceFile, "-dimplane source"},
                                     {&settings_.overSourceFile, "-over source"}}) {
        if (file->empty()) continue;
        planes_.emplace_back().file = *file;
        roles.emplace_back(role);
    }
    for (SourcePlane& plane : planes_) {
        if (Status loaded = LoadSourcePlane(settings_, progress_, plane); !loaded) {
            return plane.pastLimit ? BeyondTheLimit(loaded) : loaded;
        }
    }
    for (const SourcePlane& plane : planes_) {
        if (plane.Tiled() && planes_.size() > 1) {
            return Fail(Quoted(plane.file) + " holds tiles: give no -dimplane or -over with it");
        }
    }
    dim_ = settings_.dimSourceFile.empty() ? nullptr : &planes_[1];
    over_ = settings_.overSourceFile.empty() ? nullptr : &planes_.back();
    if (!planes_[0].source.commentPlanes.empty()) return TakePlanesApart();
    checks_ = settings_.plusmask || over_ != nullptr;
    for (const Layer layer : {Layer{over_, 0}, {dim_, 128}, {&planes_[0], 255}}) {
        if (layer.plane != nullptr) layers_.push_back(layer);
    }
    return PlanesOfOneKind(roles);
}

// A source of planes shows them all, in three tones, the sprite over the
// checkerboard where its mask is off: its planes are its first source's,
// its dim plane's and its mask's, and no other source is given.
Status Rendering::TakePlanesApart() {
    if (planes_.size() > 1 || settings_.plusmask) {
        return Fail(Quoted(planes_[0].file) +
                    " holds its planes: give no -dimplane, -over or -plusmask with it");
    }
    combined_ = std::move(planes_[0]);
    planes_ = SplitPlanes(combined_);
    // The full plane first where there is one, then the dim plane, the mask.
    std::stable_sort(planes_.begin(), planes_.end(),
                     [](const SourcePlane& a, const SourcePlane& b) { return a.kind < b.kind; });
    const auto find = [&](PlaneKind kind) -> const SourcePlane* {
        for (const SourcePlane& plane : planes_) {
            if (plane.kind == kind) return &plane;
        }
        return nullptr;
    };
    const SourcePlane* full = find(PlaneKind::Full);
    dim_ = full != nullptr ? find(PlaneKind::Dim) : nullptr;
    over_ = find(PlaneKind::Mask);
    checks_ = over_ != nullptr;
    for (const PlaneKind kind : {PlaneKind::Mask, PlaneKind::Dim, PlaneKind::Full}) {
        if (const SourcePlane* plane = find(kind)) {
            layers_.push_back({plane, kind == PlaneKind::Mask  ? std::uint8_t{0}
                                      : kind == PlaneKind::Dim ? std::uint8_t{128}
                                                               : std::uint8_t{255}});
        }
    }
    return PlanesOfOneKind(std::vector<std::string>(planes_.size(), "plane"));
}

// Every plane a source of frames, or none, the planes having the `roles`
// that name them; frames shown (-frames, -frame) only of a source of frames.
Status Rendering::PlanesOfOneKind(const std::vector<std::string>& roles) const {
    const bool framed = planes_[0].Framed();
    for (std::size_t i = 1; i < planes_.size(); ++i) {
        if (planes_[i].Framed() == framed) continue;
        return Fail("the planes do not belong together: " + Quoted(planes_[framed ? 0 : i].file) +
                    " holds frames, its " + roles[framed ? i : 0] + " " +
                    Quoted(planes_[framed ? i : 0].file) + " does not");
    }
    if (settings_.tileSet && !planes_[0].Tiled()) {
        return Fail(Quoted(planes_[0].file) + " holds no tiles (-tileset shows a source's tiles)");
    }
    if (!framed && (settings_.frameWidth != 0 || settings_.frame.value_or(0) != 0)) {
        return Fail(Quoted(planes_[0].file) + " holds no frames (-frames and -frame show frames)");
    }
    return {};
}

// The steps in their order; the first that fails ends the rendering, before
// the picture file is touched unless it is the writing itself.
Status Rendering::Run() {
    Status step = CheckPictureFile();
    if (step) step = LoadPlanes();
    if (!step) return step;
    if (settings_.text) {
        step = TextSize();
        return step ? WritePicture() : step;
    }
    const bool framed = planes_[0].Framed();
    if (planes_[0].Tiled()) {
        step = TileSheet();
        return step ? WritePicture() : step;
    }
    if (framed) step = FrameSize();
    if (step && framed) step = FramesFit();
    if (step) step = framed ? SheetSize() : TakeSizeFromSources();
    if (step && dim_ != nullptr) step = PlanesBelongTogether(planes_[0], *dim_);
    if (step && over_ != nullptr) step = PlanesAlike(planes_[0], *over_, "-over source");
    if (step && !framed) step = PictureHeight();
    if (step) step = WritePicture();
    return step;
}

}  // namespace

Expected<Rendered> RenderPicture(RenderSettings settings, const ClosedStreams& closed,
                                 const RenderProgress& progress) {
    Rendering rendering(std::move(settings), closed, progress);
    if (Status run = rendering.Run(); !run) return run.failure();
    return rendering.Result();
}

}  // namespace pelmo
