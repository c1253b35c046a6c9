#include "render/render_picture.hpp"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "base/errors.hpp"
#include "base/output_file.hpp"
#include "image/freeimage_session.hpp"
#include "image/grey_picture.hpp"
#include "render/source_planes.hpp"

namespace pelmo {

namespace {

class Rendering {
  public:
    Rendering(RenderSettings settings, const RenderProgress& progress, std::string& error)
        : settings_(std::move(settings)), progress_(progress), error_(error) {}

    bool Run();

  private:
    bool Fail(std::string what) {
        error_ = std::move(what);
        return false;
    }
    bool FailAt(const SourcePlane& plane, std::size_t line, const std::string& what) {
        return Fail(AtLine(plane, line, what));
    }
    bool CheckPictureFile();
    bool TakeSizeFromSources();
    bool PictureHeight();
    bool PlanesBelongTogether(const SourcePlane& full, const SourcePlane& dim);
    bool WritePicture();

    RenderSettings settings_;
    const RenderProgress& progress_;
    std::string& error_;
    FREE_IMAGE_FORMAT format_ = FIF_UNKNOWN;
    std::vector<SourcePlane> planes_;
    std::int32_t height_ = 0;
};

// The picture file: named with an extension the renderer can write, never
// one of the sources through any alias, and an existing file only with -f.
bool Rendering::CheckPictureFile() {
    const std::string& picture = settings_.pictureFile;
    const std::string extension(ExtensionOf(picture));
    format_ = WritableFormatOf(picture);
    if (extension.empty()) return Fail("no picture extension");
    if (format_ == FIF_UNKNOWN) return Fail("unsupported picture extension " + Quoted(extension));
    const std::optional<LinkTarget> target = FollowLinks(picture);
    if (!target || !target->exists) return true;  // nothing to lose; opening it will tell
    for (const std::string& source : {settings_.sourceFile, settings_.dimSourceFile}) {
        if (target->IsFile(source)) {
            return Fail("picture file " + Quoted(picture) + " is the source " + Quoted(source));
        }
    }
    if (!target->InPlace() && !settings_.force) {
        return Fail("picture file " + Quoted(picture) + " exists; give -f to replace it");
    }
    return true;
}

// The picture's size where the sources give it (-dims) and the command line
// does not; the two agree where both do.
bool Rendering::TakeSizeFromSources() {
    for (const SourcePlane& plane : planes_) {
        const AsmSource& s = plane.source;
        for (const auto& [symbol, given, option] :
             {std::tuple{s.width, &settings_.width, "-w"},
              std::tuple{s.height, &settings_.height, "-h"}}) {
            if (!symbol) continue;
            if (symbol->value == 0 || symbol->value > INT32_MAX ||
                (given == &settings_.height && symbol->value % 8 != 0)) {
                return FailAt(plane, symbol->line,
                              "the picture cannot be " + std::to_string(symbol->value) +
                                  " pixels " + (given == &settings_.width ? "wide" : "high"));
            }
            const auto value = static_cast<std::int32_t>(symbol->value);
            if (*given != 0 && *given != value) {
                return FailAt(plane, symbol->line,
                              "the symbol says " + std::to_string(value) + ", " + option +
                                  " says " + std::to_string(*given));
            }
            *given = value;
        }
    }
    if (settings_.width == 0) return Fail("missing picture width (-w)");
    return true;
}

// The picture's height: as given, or the fewest blocks of eight rows that
// hold every plane's bytes; within the pixel limit, and holding the bytes.
bool Rendering::PictureHeight() {
    const std::int64_t width = settings_.width;
    std::int64_t end = 0;
    for (const SourcePlane& plane : planes_) end = std::max(end, plane.End());
    const std::int64_t blocks = settings_.height != 0
                                    ? settings_.height / 8
                                    : std::max<std::int64_t>(1, (end + width - 1) / width);
    const std::int64_t pixels = width * blocks * 8;
    if (static_cast<std::uint64_t>(pixels) > settings_.maxPixels) {
        return Fail("the picture would be " + std::to_string(width) + "x" +
                    std::to_string(blocks * 8) + " pixels, more than the limit of " +
                    std::to_string(settings_.maxPixels) + " (see -maxpixels)");
    }
    height_ = static_cast<std::int32_t>(blocks * 8);
    for (const SourcePlane& plane : planes_) {
        if (plane.End() > pixels / 8) {
            return FailAt(plane, plane.source.size.line,
                          std::to_string(plane.End()) + " bytes do not fit a " +
                              std::to_string(width) + "x" + std::to_string(height_) + " picture");
        }
    }
    return true;
}

// The full plane and the dim plane of one picture: the same size when the
// height is not given, and every pixel the full plane lights lit in the dim
// plane too (a clear bit is a lit pixel).
bool Rendering::PlanesBelongTogether(const SourcePlane& full, const SourcePlane& dim) {
    const std::int64_t width = settings_.width;
    const auto blocks = [&](const SourcePlane& plane) { return (plane.End() + width - 1) / width; };
    if (settings_.height == 0 && blocks(full) != blocks(dim)) {
        return Fail("the planes do not belong together: " + Quoted(full.file) + " gives a " +
                    std::to_string(width) + "x" + std::to_string(8 * blocks(full)) +
                    " picture, its -dimplane source " + Quoted(dim.file) + " a " +
                    std::to_string(width) + "x" + std::to_string(8 * blocks(dim)) + " one");
    }
    // Only where the full plane has bytes can it light a pixel.
    const PackedPlane dimBytes = dim.Packed();
    const std::size_t start = full.source.start.value;
    for (std::size_t k = 0; k < full.bytes.size(); ++k) {
        if ((~full.bytes[k] & dimBytes.ByteAt(start + k) & 0xFF) != 0) {
            return Fail("the planes do not belong together, or are swapped: " + Quoted(full.file) +
                        " lights pixels that its -dimplane source " + Quoted(dim.file) +
                        " does not");
        }
    }
    return true;
}

// Paints the planes into a greyscale picture and puts it in place.
bool Rendering::WritePicture() {
    FreeImageSession session;
    GreyPicture picture;
    if (!picture.Allocate(settings_.width, height_)) return Fail("not enough memory");
    // The dim plane lights the full pixels too; the full plane paints over them.
    for (std::size_t i = planes_.size(); i-- > 0;) {
        const bool first = i + 1 == planes_.size();
        PaintPlane(planes_[i].Packed(), settings_.width, height_, settings_.layout,
                   i == 0 ? 255 : 128, first ? 0 : -1, picture.Rows());
    }
    if (!picture.Encode(format_)) return Fail("failed to encode the picture");

    const std::string& name = settings_.pictureFile;
    OutputFile::Settings output;
    output.replaceExisting = settings_.force;
    OutputFile file(output);
    if (!file.Open(name)) return Fail("couldn't open " + Quoted(name));
    const std::span<const std::uint8_t> bytes = picture.Encoded();
    if (!file.Write(bytes.data(), bytes.size()) || !file.Commit()) {
        return Fail("couldn't write " + Quoted(name));
    }
    if (progress_) {
        progress_("Wrote " + std::to_string(settings_.width) + "x" + std::to_string(height_) +
                  " picture to '" + name + "'.\n");
    }
    return true;
}

bool Rendering::Run() {
    if (!CheckPictureFile()) return false;
    planes_.resize(settings_.dimSourceFile.empty() ? 1 : 2);
    planes_[0].file = settings_.sourceFile;
    if (planes_.size() > 1) planes_[1].file = settings_.dimSourceFile;
    for (SourcePlane& plane : planes_) {
        if (!LoadSourcePlane(settings_, progress_, plane, error_)) return false;
    }
    if (!TakeSizeFromSources()) return false;
    if (planes_.size() > 1 && !PlanesBelongTogether(planes_[0], planes_[1])) return false;
    return PictureHeight() && WritePicture();
}

}  // namespace

bool RenderPicture(RenderSettings settings, const RenderProgress& progress, std::string& error) {
    return Rendering(std::move(settings), progress, error).Run();
}

}  // namespace pelmo
