#include "render/source_planes.hpp"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "base/errors.hpp"
#include "base/limits.hpp"
#include "codec/codec_table.hpp"

namespace pelmo {

namespace {

// The font source `file` (-text): its whole text, read into memory.
Expected<AsmSource> ReadFont(const RenderSettings& settings, std::FILE* file,
                             const std::string& name) {
    std::string text(kMostFontText + 1, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    if (std::ferror(file)) return Failure{"couldn't read " + Quoted(name)};
    if (text.size() > kMostFontText) {
        return Failure{Quoted(name) + " is longer than any font source (" +
                       std::to_string(kMostFontText) + " bytes)"};
    }
    return ReadFontSource(text, settings.maxPixels);
}

// Reads the source `plane.file`: a font's with -text.
Status ReadPlane(const RenderSettings& settings, SourcePlane& plane) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(plane.file.c_str(), "rb"),
                                                               std::fclose);
    if (!file) return Failure{"couldn't read " + Quoted(plane.file)};
    SourceLines lines(file.get());
    Expected<AsmSource> source = settings.text ? ReadFont(settings, file.get(), plane.file)
                                               : ReadAsmSource(lines, settings.maxPixels);
    if (settings.text && !source && source.failure().at == 0) return source.failure();
    if (!source) {
        const Failure& fault = source.failure();
        return AtLine(plane, static_cast<std::size_t>(fault.at), fault.message);
    }
    plane.source = std::move(*source);
    return {};
}

// The codec of a picture or frame: as -c gives it, or its include line (the
// first frame's: the source includes the decoder once), or the source's
// codec comment (-c best); and its flag symbol where, and only where, the
// codec has one.
Expected<ImgCodecKind> CodecOfPlane(const RenderSettings& settings, const SourcePlane& plane,
                                    const AsmSource& s) {
    const std::size_t includeLine = s.labelLine + 1;
    const std::optional<ImgCodecKind> comment = plane.source.commentCodec;
    const std::optional<ImgCodecKind> included = s.includeCodec || plane.source.frames.empty()
                                                     ? s.includeCodec
                                                     : plane.source.frames.front().includeCodec;
    if (!settings.codec && !included && !comment) {
        return AtLine(plane, includeLine, "no include line names the codec: give it with -c");
    }
    const ImgCodecKind kind = settings.codec ? *settings.codec : included ? *included : *comment;
    const std::string keyword(CodecFor(kind).keyword);
    if (s.includeCodec && *s.includeCodec != kind) {
        return AtLine(plane, includeLine,
                      "the include line names " + std::string(CodecFor(*s.includeCodec).keyword) +
                          ", not " + keyword);
    }
    if (comment && *comment != kind) {
        return AtLine(plane, plane.source.commentLine,
                      "the codec comment names " + std::string(CodecFor(*comment).keyword) +
                          ", not " + keyword);
    }
    const bool flagged = kind == ImgCodecKind::Bnp;
    if (flagged && !s.flag) return AtLine(plane, s.labelLine, "the flag symbol is missing");
    if (!flagged && s.flag) {
        return AtLine(plane, s.flag->line, "a fourth symbol, but " + keyword + " has no flag");
    }
    return kind;
}

// Decodes one picture or frame of the source with the codec of `kind`, in
// `room` bytes at most, which it takes from `room`; `pastRoom` tells a
// failure for lack of room.
Expected<DecodedFrame> DecodeFrame(const RenderSettings& settings, const SourcePlane& plane,
                                   const AsmSource& s, ImgCodecKind kind, std::uint64_t& room,
                                   bool& pastRoom) {
    pastRoom = s.start.value > room;
    if (pastRoom) {
        return AtLine(plane, s.start.line,
                      "more blank bytes than a picture within the pixel limit holds "
                      "(see -maxpixels)");
    }
    room -= s.start.value;
    const bool flagged = s.flag.has_value();
    Expected<DecodedStream> decoded = CodecFor(kind).decode(
        {s.stream, s.packets.value,
         flagged ? static_cast<std::int32_t>(std::min<std::uint32_t>(s.flag->value, INT32_MAX))
                 : -1,
         static_cast<std::size_t>(room)});
    if (!decoded) {
        const Failure& fault = decoded.failure();
        pastRoom = fault.message == decode::TooLong(static_cast<std::size_t>(room));
        const std::size_t line = fault.at != decode::kAtSymbols
                                     ? s.LineOf(static_cast<std::size_t>(fault.at))
                                 : flagged ? s.flag->line
                                           : s.packets.line;
        return AtLine(plane, line, fault.message);
    }
    if (decoded->consumed != s.stream.size()) {
        return AtLine(plane, s.LineOf(decoded->consumed),
                      "the " + std::to_string(s.packets.value) + " packets end after " +
                          std::to_string(decoded->consumed) + " of the " +
                          std::to_string(s.stream.size()) + " bytes");
    }
    room -= decoded->bytes.size();
    DecodedFrame frame{&s, std::move(decoded->bytes), s.start.value};
    // The planes' bytes come in whole groups (sprite and mask bytes in
    // pairs), from the start on.
    const AsmSource& top = plane.source;
    const bool planes = top.interleaved;
    const Interleave interleave =
        planes ? Interleave{top.commentPlanes.size()} : settings.Interleaving();
    if (!interleave.Whole(s.start.value) || !interleave.Whole(frame.bytes.size())) {
        const std::string holds =
            planes ? "interleaved planes hold groups of " + std::to_string(interleave.planes)
                   : std::string("-plusmask data holds pairs");
        return AtLine(plane, s.size.line,
                      holds + ", not " + std::to_string(s.start.value) + " blank bytes and " +
                          std::to_string(frame.bytes.size()) + " more");
    }
    return frame;
}

// A source of tiles: its tile set, decoded into the one frame, cut into
// the tiles of the tile count, each a frame (each plane of each a frame
// where the planes are each whole in turn), with blank bytes where the
// stream was trimmed; no more tiles than a picture within the pixel limit
// holds pixels for.
Status CutTiles(const RenderSettings& settings, SourcePlane& plane) {
    const AsmSource& s = plane.source;
    const AsmSource::Tiles& t = *s.tiles;
    const std::uint64_t width = t.width.value;
    const std::uint64_t height = t.height.value;
    if (width == 0 || height == 0 || height % 8 != 0 || width * height > settings.maxPixels ||
        t.count.value == 0 || t.count.value * width * height > settings.maxPixels) {
        return AtLine(plane, t.count.line,
                      std::to_string(t.count.value) + " tiles of " + std::to_string(width) + "x" +
                          std::to_string(height) + " pixels cannot be (see -maxpixels)");
    }
    const std::size_t parts = s.StreamsPerFrame();
    const Interleave interleave =
        s.interleaved ? Interleave{s.commentPlanes.size()} : settings.Interleaving();
    const std::size_t part = interleave.Bytes(static_cast<std::size_t>(width * height / 8));
    const DecodedFrame whole = std::move(plane.frames.front());
    const std::size_t total = t.count.value * parts * part;
    if (static_cast<std::uint64_t>(whole.End()) > total) {
        return AtLine(plane, s.size.line,
                      std::to_string(whole.End()) + " bytes do not fit " +
                          std::to_string(t.count.value) + " tiles of " + std::to_string(width) +
                          "x" + std::to_string(height));
    }
    const PackedPlane packed = whole.Packed();
    plane.frames.assign(t.count.value * parts, DecodedFrame{&s, {}, 0});
    for (std::size_t f = 0; f < plane.frames.size(); ++f) {
        std::vector<std::uint8_t>& bytes = plane.frames[f].bytes;
        bytes.resize(part);
        for (std::size_t k = 0; k < part; ++k) bytes[k] = packed.ByteAt(f * part + k);
    }
    return {};
}

}  // namespace

std::vector<SourcePlane> SplitPlanes(const SourcePlane& combined) {
    const AsmSource& source = combined.source;
    const std::size_t count = source.commentPlanes.size();
    const std::size_t perFrame = source.StreamsPerFrame();
    const Interleave interleave{source.interleaved ? count : 1};
    std::vector<SourcePlane> planes(count);
    for (std::size_t p = 0; p < count; ++p) {
        SourcePlane& plane = planes[p];
        plane.file = combined.file;
        plane.kind = source.commentPlanes[p];
        // The source's symbols, without its streams.
        plane.source.size = source.size;
        plane.source.width = source.width;
        plane.source.height = source.height;
        plane.source.frameCount = source.frameCount;
        plane.source.tiles = source.tiles;
        for (std::size_t f = p % perFrame; f < combined.frames.size(); f += perFrame) {
            const DecodedFrame& frame = combined.frames[f];
            DecodedFrame& own = plane.frames.emplace_back();
            own.source = frame.source;
            own.bytes = perFrame == 1 ? interleave.Take(frame.bytes, p) : frame.bytes;
            own.start = perFrame == 1 ? frame.start / count : frame.start;
        }
    }
    return planes;
}

Failure AtLine(const SourcePlane& plane, std::size_t line, const std::string& what) {
    return {Quoted(plane.file) + " line " + std::to_string(line) + ": " + what, line};
}

Status LoadSourcePlane(const RenderSettings& settings, const RenderProgress& progress,
                       SourcePlane& plane) {
    if (Status read = ReadPlane(settings, plane); !read) return read;
    std::vector<const AsmSource*> sections;
    for (const AsmSource& frame : plane.source.frames) sections.push_back(&frame);
    if (sections.empty()) sections.push_back(&plane.source);
    // Every frame within what a picture within the pixel limit holds.
    std::uint64_t room = settings.Interleaving().Bytes(settings.maxPixels / 8);
    ImgCodecKind kind = ImgCodecKind::Raw;
    std::size_t stream = 0;
    std::size_t decoded = 0;
    plane.frames.reserve(sections.size());
    for (const AsmSource* section : sections) {
        const Expected<ImgCodecKind> codec = CodecOfPlane(settings, plane, *section);
        if (!codec) return codec.failure();
        kind = *codec;
        Expected<DecodedFrame> frame =
            DecodeFrame(settings, plane, *section, kind, room, plane.pastLimit);
        if (!frame) return frame.failure();
        plane.frames.push_back(std::move(*frame));
        stream += section->stream.size();
        decoded += plane.frames.back().bytes.size();
    }
    if (progress) {
        const std::size_t count = sections.size() / plane.source.StreamsPerFrame();
        const std::string frames =
            plane.Tiled()    ? std::to_string(plane.source.tiles->count.value) + " tiles, "
            : plane.Framed() ? std::to_string(count) + " frames, "
                             : std::string();
        progress("Decoded '" + plane.file + "': " + frames + std::to_string(stream) + " bytes of " +
                 std::string(CodecFor(kind).keyword) + " data give " + std::to_string(decoded) +
                 " bytes.\n");
    }
    return plane.Tiled() ? CutTiles(settings, plane) : Status();
}

}  // namespace pelmo
