#include "app/render_driver.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/output_file.hpp"
#include "app/render_options.hpp"
#include "asm/asm_reader.hpp"
#include "codec/codec_table.hpp"
#include "image/freeimage_session.hpp"
#include "image/grey_picture.hpp"

namespace pelmo {

namespace {

// The most pixels a picture may have, as for the converter: 2^31 - 1.
constexpr std::int64_t kMaxPixels = INT32_MAX;

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
    std::fflush(stdout);
    std::fprintf(stderr, "Error, %s.\n", what.c_str());
    return false;
}

bool FailAt(const Plane& plane, std::size_t line, const std::string& what) {
    return Error("\"" + plane.file + "\" line " + std::to_string(line) + ": " + what);
}

bool ReadWholeFile(const std::string& path, std::string& text) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                               std::fclose);
    if (!file) return false;
    // Read at the size the file has now, then on until its end in any case.
    struct stat info {};
    std::size_t size = 0;
    if (::fstat(::fileno(file.get()), &info) == 0 && S_ISREG(info.st_mode)) {
        size = static_cast<std::size_t>(info.st_size);
    }
    text.resize(size + 1);
    std::size_t used = 0;
    while (true) {
        used += std::fread(text.data() + used, 1, text.size() - used, file.get());
        if (used < text.size()) break;
        text.resize(2 * text.size() + 4096);
    }
    text.resize(used);
    return std::ferror(file.get()) == 0;
}

// Reads, checks and decodes the source `plane.file`.
bool LoadPlane(const RenderCommandLine& cmd, Plane& plane) {
    std::string text;
    if (!ReadWholeFile(plane.file, text)) return Error("couldn't read \"" + plane.file + "\"");
    SourceError error;
    if (!ReadAsmSource(text, plane.source, error)) return FailAt(plane, error.line, error.what);
    text = std::string();
    const AsmSource& s = plane.source;

    const std::size_t includeLine = s.labelLine + 1;
    if (!cmd.codec && !s.includeCodec) {
        return FailAt(plane, includeLine, "no include line names the codec: give it with -c");
    }
    const ImgCodecKind kind = cmd.codec ? *cmd.codec : *s.includeCodec;
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

    const std::int64_t room = kMaxPixels / 8 - std::int64_t{s.start.value};
    if (room < 0) return FailAt(plane, s.start.line, "more blank bytes than any picture holds");
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
    std::printf("Decoded '%s': %zu bytes of %s data give %zu bytes.\n", plane.file.c_str(),
                s.stream.size(), keyword.c_str(), plane.bytes.size());
    return true;
}

}  // namespace

int RunRender(int argc, const char* const* argv) {
    RenderCommandLine cmd;
    if (!ParseRenderCommandLine(argc, argv, cmd)) {
        if (cmd.answered) return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
        return 1;
    }
    PrintBanner();

    const auto fail = [](const std::string& what) {
        Error(what);
        return 1;
    };
    const std::string extension(ExtensionOf(cmd.pictureFile));
    const FREE_IMAGE_FORMAT format = WritableFormatOf(cmd.pictureFile);
    if (extension.empty()) return fail("no picture extension");
    if (format == FIF_UNKNOWN) return fail("unsupported picture extension \"" + extension + "\"");

    std::vector<Plane> planes(cmd.dimSourceFile.empty() ? 1 : 2);
    planes[0].file = cmd.sourceFile;
    if (planes.size() > 1) planes[1].file = cmd.dimSourceFile;
    for (Plane& plane : planes) {
        if (!LoadPlane(cmd, plane)) return 1;
    }

    std::int32_t height = cmd.height;
    if (height == 0) {
        std::int64_t end = 0;
        for (const Plane& plane : planes) end = std::max(end, plane.End());
        const std::int64_t blocks = std::max<std::int64_t>(1, (end + cmd.width - 1) / cmd.width);
        if (cmd.width * blocks * 8 > kMaxPixels) {
            return fail("the picture would have more than 2^31 - 1 pixels");
        }
        height = static_cast<std::int32_t>(blocks * 8);
    }
    const std::int64_t pixels = std::int64_t{cmd.width} * height;
    if (pixels > kMaxPixels) return fail("the picture would have more than 2^31 - 1 pixels");
    for (const Plane& plane : planes) {
        if (plane.End() > pixels / 8) {
            FailAt(plane, plane.source.size.line,
                   std::to_string(plane.End()) + " bytes do not fit a " +
                       std::to_string(cmd.width) + "x" + std::to_string(height) + " picture");
            return 1;
        }
    }

    FreeImageSession session;
    GreyPicture picture;
    if (!picture.Allocate(cmd.width, height)) return fail("not enough memory");
    // The dim plane lights the full pixels too; the full plane paints over them.
    for (std::size_t i = planes.size(); i-- > 0;) {
        const bool first = i + 1 == planes.size();
        PaintPlane({planes[i].bytes, planes[i].source.start.value}, cmd.width, height, cmd.layout,
                   i == 0 ? 255 : 128, first ? 0 : -1, picture.Rows());
    }
    if (!picture.Encode(format)) return fail("failed to encode the picture");

    OutputFile output;
    if (!output.Open(cmd.pictureFile)) return fail("couldn't open \"" + cmd.pictureFile + "\"");
    const std::span<const std::uint8_t> bytes = picture.Encoded();
    if (!output.Write(bytes.data(), bytes.size()) || !output.Commit()) {
        return fail("couldn't write \"" + cmd.pictureFile + "\"");
    }
    std::printf("Wrote %dx%d picture to '%s'.\n", cmd.width, height, cmd.pictureFile.c_str());
    std::fputs("Operation completed.\n", stdout);
    return 0;
}

}  // namespace pelmo
