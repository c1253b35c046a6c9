#include "render/source_planes.hpp"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "base/errors.hpp"
#include "codec/codec_table.hpp"

namespace pelmo {

namespace {

bool FailAt(const SourcePlane& plane, std::size_t line, const std::string& what,
            std::string& error) {
    error = AtLine(plane, line, what);
    return false;
}

// Reads the source `plane.file`.
bool ReadPlane(const RenderSettings& settings, SourcePlane& plane, std::string& error) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(plane.file.c_str(), "rb"),
                                                               std::fclose);
    if (!file) {
        error = "couldn't read " + Quoted(plane.file);
        return false;
    }
    SourceLines lines(file.get());
    Expected<AsmSource> source = ReadAsmSource(lines, settings.maxPixels);
    if (!source) {
        const Failure& fault = source.failure();
        return FailAt(plane, static_cast<std::size_t>(fault.at), fault.message, error);
    }
    plane.source = std::move(*source);
    return true;
}

// The codec of a picture or frame: as -c gives it, or its include line, or
// the source's codec comment (-c best); and its flag symbol where, and only
// where, the codec has one.
bool CodecOfPlane(const RenderSettings& settings, const SourcePlane& plane, const AsmSource& s,
                  ImgCodecKind& kind, std::string& error) {
    const std::size_t includeLine = s.labelLine + 1;
    const std::optional<ImgCodecKind> comment = plane.source.commentCodec;
    if (!settings.codec && !s.includeCodec && !comment) {
        return FailAt(plane, includeLine, "no include line names the codec: give it with -c",
                      error);
    }
    kind = settings.codec ? *settings.codec : s.includeCodec ? *s.includeCodec : *comment;
    const std::string keyword(CodecFor(kind).keyword);
    if (s.includeCodec && *s.includeCodec != kind) {
        return FailAt(plane, includeLine,
                      "the include line names " + std::string(CodecFor(*s.includeCodec).keyword) +
                          ", not " + keyword,
                      error);
    }
    if (comment && *comment != kind) {
        return FailAt(plane, plane.source.commentLine,
                      "the codec comment names " + std::string(CodecFor(*comment).keyword) +
                          ", not " + keyword,
                      error);
    }
    const bool flagged = kind == ImgCodecKind::Bnp;
    if (flagged && !s.flag) return FailAt(plane, s.labelLine, "the flag symbol is missing", error);
    if (!flagged && s.flag) {
        return FailAt(plane, s.flag->line, "a fourth symbol, but " + keyword + " has no flag",
                      error);
    }
    return true;
}

// Decodes one picture or frame of the source, in `room` bytes at most.
bool DecodeFrame(const RenderSettings& settings, const SourcePlane& plane, const AsmSource& s,
                 std::uint64_t& room, DecodedFrame& frame, ImgCodecKind& kind, std::string& error) {
    if (!CodecOfPlane(settings, plane, s, kind, error)) return false;
    if (s.start.value > room) {
        return FailAt(plane, s.start.line,
                      "more blank bytes than a picture within the pixel limit holds "
                      "(see -maxpixels)",
                      error);
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
        const std::size_t line = fault.at != decode::kAtSymbols
                                     ? s.LineOf(static_cast<std::size_t>(fault.at))
                                 : flagged ? s.flag->line
                                           : s.packets.line;
        return FailAt(plane, line, fault.message, error);
    }
    if (decoded->consumed != s.stream.size()) {
        return FailAt(plane, s.LineOf(decoded->consumed),
                      "the " + std::to_string(s.packets.value) + " packets end after " +
                          std::to_string(decoded->consumed) + " of the " +
                          std::to_string(s.stream.size()) + " bytes",
                      error);
    }
    room -= decoded->bytes.size();
    frame.source = &s;
    frame.bytes = std::move(decoded->bytes);
    // Sprite and mask bytes come in pairs, from the start on.
    if (settings.plusmask && (s.start.value % 2 != 0 || frame.bytes.size() % 2 != 0)) {
        return FailAt(plane, s.size.line,
                      "-plusmask data holds pairs, not " + std::to_string(s.start.value) +
                          " blank bytes and " + std::to_string(frame.bytes.size()) + " more",
                      error);
    }
    return true;
}

}  // namespace

std::string AtLine(const SourcePlane& plane, std::size_t line, const std::string& what) {
    return Quoted(plane.file) + " line " + std::to_string(line) + ": " + what;
}

bool LoadSourcePlane(const RenderSettings& settings, const RenderProgress& progress,
                     SourcePlane& plane, std::string& error) {
    if (!ReadPlane(settings, plane, error)) return false;
    std::vector<const AsmSource*> sections;
    if (plane.Framed()) {
        for (const AsmSource& frame : plane.source.frames) sections.push_back(&frame);
    } else {
        sections.push_back(&plane.source);
    }
    // Every frame within what a picture within the pixel limit holds.
    std::uint64_t room = settings.maxPixels / 8 * (settings.plusmask ? 2 : 1);
    ImgCodecKind kind = ImgCodecKind::Raw;
    std::size_t stream = 0;
    std::size_t decoded = 0;
    plane.frames.resize(sections.size());
    for (std::size_t k = 0; k < sections.size(); ++k) {
        if (!DecodeFrame(settings, plane, *sections[k], room, plane.frames[k], kind, error)) {
            return false;
        }
        stream += sections[k]->stream.size();
        decoded += plane.frames[k].bytes.size();
    }
    if (progress) {
        const std::string frames =
            plane.Framed() ? std::to_string(sections.size()) + " frames, " : std::string();
        progress("Decoded '" + plane.file + "': " + frames + std::to_string(stream) + " bytes of " +
                 std::string(CodecFor(kind).keyword) + " data give " + std::to_string(decoded) +
                 " bytes.\n");
    }
    return true;
}

}  // namespace pelmo
