#include "app/render_driver.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "app/render_options.hpp"
#include "asm/asm_reader.hpp"
#include "base/errors.hpp"
#include "base/output_file.hpp"
#include "codec/codec_table.hpp"
#include "image/freeimage_session.hpp"
#include "image/grey_picture.hpp"

namespace pelmo {

namespace {

// One source, read and decoded.
struct Plane {
    std::string file;
    AsmSource source;
    std::vector<std::uint8_t> bytes;  // the decoded bytes, which follow `source.start` blank ones

    std::int64_t End() const {
        return std::int64_t{source.start.value} + std::int64_t(bytes.size());
    }
};

bool Error(const std::string& what) {
    PrintError("Error, " + what + ".\n");
    return false;
}

bool FailAt(const Plane& plane, std::size_t line, const std::string& what) {
    return Error(Quoted(plane.file) + " line " + std::to_string(line) + ": " + what);
}

// Reads the source `plane.file`.
bool ReadPlane(const RenderCommandLine& cmd, Plane& plane) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(plane.file.c_str(), "rb"),
                                                               std::fclose);
    if (!file) return Error("couldn't read " + Quoted(plane.file));
    SourceLines lines(file.get());
    SourceError error;
    if (!ReadAsmSource(lines, cmd.maxPixels, plane.source, error)) {
        return FailAt(plane, error.line, error.what);
    }
    return true;
}

// The codec of a source: as -c gives it, or its include line; and its flag
// symbol where, and only where, the codec has one.
bool CodecOfPlane(const RenderCommandLine& cmd, const Plane& plane, ImgCodecKind& kind) {
    const AsmSource& s = plane.source;
    const std::size_t includeLine = s.labelLine + 1;
    if (!cmd.codec && !s.includeCodec) {
        return FailAt(plane, includeLine, "no include line names the codec: give it with -c");
    }
    kind = cmd.codec ? *cmd.codec : *s.includeCodec;
    const std::string keyword(CodecFor(kind).keyword);
    if (s.includeCodec && *s.includeCodec != kind) {
        return FailAt(plane, includeLine,
                      "the include line names " + std::string(CodecFor(*s.includeCodec).keyword) +
                          ", not " + keyword);
    }
    const bool flagged = kind == ImgCodecKind::Bnp;
    if (flagged && !s.flag) return FailAt(plane, s.labelLine, "the flag symbol is missing");
    if (!flagged && s.flag) {
        return FailAt(plane, s.flag->line, "a fourth symbol, but " + keyword + " has no flag");
    }
    return true;
}

// Reads, checks and decodes the source `plane.file`.
bool LoadPlane(const RenderCommandLine& cmd, Plane& plane) {
    ImgCodecKind kind = ImgCodecKind::Raw;
    if (!ReadPlane(cmd, plane) || !CodecOfPlane(cmd, plane, kind)) return false;
    const AsmSource& s = plane.source;
    const std::int64_t room =
        static_cast<std::int64_t>(cmd.maxPixels / 8) - std::int64_t{s.start.value};
    if (room < 0) {
        return FailAt(plane, s.start.line,
                      "more blank bytes than a picture within the pixel limit holds "
                      "(see -maxpixels)");
    }
    const bool flagged = s.flag.has_value();
    DecodedStream decoded = CodecFor(kind).decode(
        {s.stream, s.packets.value,
         flagged ? static_cast<std::int32_t>(std::min<std::uint32_t>(s.flag->value, INT32_MAX))
                 : -1,
         static_cast<std::size_t>(room)});
    if (!decoded.ok()) {
        const std::size_t line = decoded.errorOffset != DecodedStream::kAtSymbols
                                     ? s.LineOf(decoded.errorOffset)
                                 : flagged ? s.flag->line
                                           : s.packets.line;
        return FailAt(plane, line, decoded.error);
    }
    if (decoded.consumed != s.stream.size()) {
        return FailAt(plane, s.LineOf(decoded.consumed),
                      "the " + std::to_string(s.packets.value) + " packets end after " +
                          std::to_string(decoded.consumed) + " of the " +
                          std::to_string(s.stream.size()) + " bytes");
    }
    plane.bytes = std::move(decoded.bytes);
    if (!cmd.quiet) {
        std::printf("Decoded '%s': %zu bytes of %s data give %zu bytes.\n", plane.file.c_str(),
                    s.stream.size(), std::string(CodecFor(kind).keyword).c_str(),
                    plane.bytes.size());
    }
    return true;
}

}  // namespace

namespace {

// The line that refuses `target`, what the picture file's name resolves to:
// one of the sources through any alias, or without -f an existing regular
// file, whether replaced or written in place (/dev/fd/N, /dev/stdout on a
// file). Empty when it may be written; asked before anything is read, and
// again when the file is opened and put in place.
std::string PictureFileRefusal(const RenderCommandLine& cmd, const LinkTarget& target) {
    if (!target.exists) return {};  // nothing to lose
    const std::string start = "Error, picture file " + Quoted(cmd.pictureFile);
    for (const std::string& source : {cmd.sourceFile, cmd.dimSourceFile}) {
        if (target.IsFile(source)) return start + " is the source " + Quoted(source) + ".\n";
    }
    // A device or a pipe written in place loses nothing; a file does.
    if (S_ISREG(target.info.st_mode) && !cmd.force) {
        return start + " exists; give -f to replace it.\n";
    }
    return {};
}

// The picture file: named with an extension the renderer can write, and
// nothing PictureFileRefusal refuses.
bool CheckPictureFile(const RenderCommandLine& cmd, FREE_IMAGE_FORMAT& format) {
    const std::string extension(ExtensionOf(cmd.pictureFile));
    format = WritableFormatOf(cmd.pictureFile);
    if (extension.empty()) return Error("no picture extension");
    if (format == FIF_UNKNOWN) return Error("unsupported picture extension " + Quoted(extension));
    const std::optional<LinkTarget> target = FollowLinks(cmd.pictureFile);
    if (!target) return true;  // opening it will tell
    const std::string refusal = PictureFileRefusal(cmd, *target);
    if (!refusal.empty()) PrintError(refusal);
    return refusal.empty();
}

// The picture's size where the sources give it (-dims) and the command line
// does not; the two agree where both do.
bool TakeSizeFromSources(RenderCommandLine& cmd, const std::vector<Plane>& planes) {
    for (const Plane& plane : planes) {
        const AsmSource& s = plane.source;
        for (const auto& [symbol, given, option] :
             {std::tuple{s.width, &cmd.width, "-w"}, std::tuple{s.height, &cmd.height, "-h"}}) {
            if (!symbol) continue;
            if (symbol->value == 0 || symbol->value > INT32_MAX ||
                (given == &cmd.height && symbol->value % 8 != 0)) {
                return FailAt(plane, symbol->line,
                              "the picture cannot be " + std::to_string(symbol->value) +
                                  " pixels " + (given == &cmd.width ? "wide" : "high"));
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
    if (cmd.width == 0) return Error("missing picture width (-w)");
    return true;
}

// The picture's height: as given, or the fewest blocks of eight rows that
// hold every plane's bytes; within the pixel limit, and holding the bytes.
bool PictureHeight(const RenderCommandLine& cmd, const std::vector<Plane>& planes,
                   std::int32_t& height) {
    std::int64_t end = 0;
    for (const Plane& plane : planes) end = std::max(end, plane.End());
    const std::int64_t blocks = cmd.height != 0
                                    ? cmd.height / 8
                                    : std::max<std::int64_t>(1, (end + cmd.width - 1) / cmd.width);
    const std::int64_t pixels = cmd.width * blocks * 8;
    if (static_cast<std::uint64_t>(pixels) > cmd.maxPixels) {
        return Error("the picture would be " + std::to_string(cmd.width) + "x" +
                     std::to_string(blocks * 8) + " pixels, more than the limit of " +
                     std::to_string(cmd.maxPixels) + " (see -maxpixels)");
    }
    height = static_cast<std::int32_t>(blocks * 8);
    for (const Plane& plane : planes) {
        if (plane.End() > pixels / 8) {
            return FailAt(plane, plane.source.size.line,
                          std::to_string(plane.End()) + " bytes do not fit a " +
                              std::to_string(cmd.width) + "x" + std::to_string(height) +
                              " picture");
        }
    }
    return true;
}

// The byte at `index` of a plane: blank before the source's start and after
// its bytes.
std::uint8_t ByteAt(const Plane& plane, std::int64_t index) {
    const std::int64_t at = index - std::int64_t{plane.source.start.value};
    return at >= 0 && at < std::int64_t(plane.bytes.size()) ? plane.bytes[std::size_t(at)]
                                                            : std::uint8_t{0xFF};
}

// The full plane and the dim plane of one picture: the same size when the
// height is not given, and every pixel the full plane lights lit in the dim
// plane too (a clear bit is a lit pixel).
bool PlanesBelongTogether(const RenderCommandLine& cmd, const Plane& full, const Plane& dim) {
    const auto blocks = [&](const Plane& plane) {
        return (plane.End() + cmd.width - 1) / cmd.width;
    };
    if (cmd.height == 0 && blocks(full) != blocks(dim)) {
        return Error("the planes do not belong together: " + Quoted(full.file) + " gives a " +
                     std::to_string(cmd.width) + "x" + std::to_string(8 * blocks(full)) +
                     " picture, its -dimplane source " + Quoted(dim.file) + " a " +
                     std::to_string(cmd.width) + "x" + std::to_string(8 * blocks(dim)) + " one");
    }
    // Only where the full plane has bytes can it light a pixel.
    const std::int64_t start = full.source.start.value;
    for (std::size_t k = 0; k < full.bytes.size(); ++k) {
        if ((~full.bytes[k] & ByteAt(dim, start + std::int64_t(k)) & 0xFF) != 0) {
            return Error("the planes do not belong together, or are swapped: " + Quoted(full.file) +
                         " lights pixels that its -dimplane source " + Quoted(dim.file) +
                         " does not");
        }
    }
    return true;
}

// The refusal of `output`'s check, or else `what` as an error line.
bool OutputError(const OutputFile& output, const std::string& what) {
    if (output.Refusal().empty()) return Error(what);
    PrintError(output.Refusal());
    return false;
}

// Paints the planes into a greyscale picture and puts it in place.
bool WritePicture(const RenderCommandLine& cmd, const ClosedStreams& closed,
                  const std::vector<Plane>& planes, std::int32_t height, FREE_IMAGE_FORMAT format) {
    FreeImageSession session;
    GreyPicture picture;
    if (!picture.Allocate(cmd.width, height)) return Error("not enough memory");
    // The dim plane lights the full pixels too; the full plane paints over them.
    for (std::size_t i = planes.size(); i-- > 0;) {
        const bool first = i + 1 == planes.size();
        PaintPlane({planes[i].bytes, planes[i].source.start.value}, cmd.width, height, cmd.layout,
                   i == 0 ? 255 : 128, first ? 0 : -1, picture.Rows());
    }
    if (!picture.Encode(format)) return Error("failed to encode the picture");

    OutputFile::Settings settings;
    settings.replaceExisting = cmd.force;
    settings.closedStreams = closed;
    settings.check = [&cmd](const LinkTarget& target) { return PictureFileRefusal(cmd, target); };
    OutputFile output(settings);
    if (!output.Open(cmd.pictureFile)) {
        return OutputError(output, "couldn't open " + Quoted(cmd.pictureFile));
    }
    const std::span<const std::uint8_t> bytes = picture.Encoded();
    if (!output.Write(bytes.data(), bytes.size()) || !output.Commit()) {
        return OutputError(output, "couldn't write " + Quoted(cmd.pictureFile));
    }
    if (!cmd.quiet) {
        std::printf("Wrote %dx%d picture to '%s'.\n", cmd.width, height, cmd.pictureFile.c_str());
    }
    return true;
}

}  // namespace

int RunRender(int argc, const char* const* argv, const ClosedStreams& closed) {
    RenderCommandLine cmd;
    if (!ParseRenderCommandLine(argc, argv, cmd)) {
        if (cmd.answered) return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
        return 1;
    }
    if (!cmd.quiet) PrintBanner();

    FREE_IMAGE_FORMAT format = FIF_UNKNOWN;
    if (!CheckPictureFile(cmd, format)) return 1;
    std::vector<Plane> planes(cmd.dimSourceFile.empty() ? 1 : 2);
    planes[0].file = cmd.sourceFile;
    if (planes.size() > 1) planes[1].file = cmd.dimSourceFile;
    for (Plane& plane : planes) {
        if (!LoadPlane(cmd, plane)) return 1;
    }
    if (!TakeSizeFromSources(cmd, planes)) return 1;
    if (planes.size() > 1 && !PlanesBelongTogether(cmd, planes[0], planes[1])) return 1;
    std::int32_t height = 0;
    if (!PictureHeight(cmd, planes, height) || !WritePicture(cmd, closed, planes, height, format)) {
        return 1;
    }
    if (!cmd.quiet) std::fputs("Operation completed.\n", stdout);
    return 0;
}

}  // namespace pelmo
