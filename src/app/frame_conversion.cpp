#include "app/frame_conversion.hpp"

#include <cstdio>
#include <string>
#include <utility>

#include "asm/asm_writer.hpp"
#include "asm/source_format.hpp"
#include "codec/codec_table.hpp"

namespace pelmo {

namespace {

// Every stream compressed with the codec of `kind`; nothing when one cannot
// be (a flagged codec finds no free byte value), after its error line unless
// `quietly`.
std::optional<CompressedStreams> CompressAll(ImgCodecKind kind, const StreamSource& streams,
                                             const ImgOptions& options, bool quietly) {
    CompressedStreams out;
    out.codec = MakeCodec(kind, options);
    out.made.reserve(streams.count);
    if (streams.count > 1) out.bytes.reserve(streams.bytes);
    for (std::size_t i = 0; i < streams.count; ++i) {
        const RawBytes& raw = streams.at(i);
        if ((quietly && !out.codec->CanCompress(raw)) || !out.codec->Compress(raw)) {
            return std::nullopt;
        }
        out.made.push_back(out.codec->Outcome());
        out.total += out.codec->size;
        if (streams.count > 1) {
            const auto first = out.codec->buffer.begin();
            out.bytes.insert(out.bytes.end(), first, first + out.codec->size);
        }
    }
    return out;
}

// -c best: one codec for every stream (the target has one decoder), the one
// whose streams take the fewest bytes in all (the first in the table on a
// tie), and one line that says which it is and what each made.
std::optional<CompressedStreams> CompressWithTheSmallest(const StreamSource& streams,
                                                         const ImgOptions& options) {
    std::optional<CompressedStreams> best;
    std::string sizes;
    for (const CodecInfo& info : CodecTable()) {
        std::optional<CompressedStreams> made = CompressAll(info.kind, streams, options, true);
        sizes += std::string(sizes.empty() ? "" : ", ") + std::string(info.keyword) + " " +
                 (made ? std::to_string(made->total) : "-");
        if (made && (!best || made->total < best->total)) best = std::move(made);
    }
    if (!options.quiet && best) {
        std::printf("Best codec is %s (%s bytes).\n",
                    std::string(CodecFor(best->codec->Kind()).keyword).c_str(), sizes.c_str());
    }
    return best;
}

// The streams of a picture's frames, packed and trimmed one after the
// other: for each frame, each plane on its own, or the planes side by side.
class PackedStreams {
  public:
    PackedStreams(const ImgOptions& options, const ImgToneMap& toneMap)
        : set_(PlaneSet::Of(options)), raw_(options) {
        const std::size_t perFrame = set_.together ? 1 : set_.count;
        streams_.reserve(toneMap.grid.Count() * perFrame);
        bytes_.reserve(toneMap.plane.size());
        for (std::size_t f = 0; f < toneMap.grid.Count(); ++f) {
            for (std::size_t p = 0; p < perFrame; ++p) {
                raw_.PackFrame(toneMap, f, set_.together ? std::nullopt : std::optional(p));
                streams_.push_back({bytes_.size(), raw_.length, raw_.start});
                bytes_.insert(bytes_.end(), raw_.buffer.begin(), raw_.buffer.begin() + raw_.length);
            }
        }
    }

    std::size_t PerFrame() const { return set_.together ? 1 : set_.count; }
    std::int64_t Total() const { return static_cast<std::int64_t>(bytes_.size()); }
    // Each stream in turn, in one packed bitmap.
    StreamSource Source() {
        return {streams_.size(), bytes_.size(), [this](std::size_t i) -> const RawBytes& {
                    const Stream& s = streams_[i];
                    const auto first = bytes_.begin() + static_cast<std::ptrdiff_t>(s.offset);
                    raw_.buffer.assign(first, first + s.length);
                    raw_.length = s.length;
                    raw_.start = s.start;
                    return raw_;
                }};
    }

  private:
    struct Stream {
        std::size_t offset;
        std::int32_t length;
        std::int32_t start;
    };
    PlaneSet set_;
    ImgRawData raw_;
    std::vector<std::uint8_t> bytes_;
    std::vector<Stream> streams_;
};

// Writes every stream, frame by frame, and with -ftable the frames' table.
void WriteStreams(const CommandLine& cmd, const CompressedStreams& done, std::size_t perFrame,
                  ImgAsmWriter& writer) {
    const ImgOptions& options = cmd.options;
    const PlaneSet set = PlaneSet::Of(options);
    const bool framed = options.Frames();
    const bool sized = done.codec->Kind() != ImgCodecKind::Raw;
    std::vector<std::vector<TableEntry>> table;
    std::size_t offset = 0;
    for (std::size_t i = 0; i < done.made.size(); ++i) {
        const std::size_t frame = i / perFrame;
        if (framed && i % perFrame == 0) writer.SetFrame(static_cast<std::int32_t>(frame));
        if (!set.together) writer.SetPlane(set.kinds[i % perFrame]);
        if (done.made.size() > 1) done.Resume(i, offset);
        offset += static_cast<std::size_t>(done.made[i].size);
        done.codec->WriteOutput(writer);
        if (!options.ftable) continue;
        if (i % perFrame == 0) table.emplace_back();
        table.back().push_back({writer.DataLabel(), sized ? writer.SizeSymbol() : std::string()});
    }
    if (options.ftable) writer.WriteFrameTable(table);
}

}  // namespace

std::string PlanesComment(const ImgOptions& options) {
    std::string text;
    for (std::size_t p = 0; p < options.planeCount; ++p) {
        text.append(p == 0 ? "" : ",").append(PlaneName(options.planes[p]));
    }
    if (!text.empty() && options.interleave) text += kInterleavedSuffix;
    return text;
}

void CompressedStreams::Resume(std::size_t stream, std::size_t offset) const {
    codec->Resume(made[stream], bytes.data() + offset);
}

std::optional<CompressedStreams> CompressAsAsked(const CommandLine& cmd,
                                                 const StreamSource& streams) {
    return cmd.bestCodec ? CompressWithTheSmallest(streams, cmd.options)
                         : CompressAll(cmd.codec, streams, cmd.options, false);
}

int ConvertFrames(const CommandLine& cmd, ImgToneMap& toneMap, const OutputFile::Settings& output) {
    const ImgOptions& options = cmd.options;
    const FrameGrid grid = toneMap.grid;
    const bool framed = options.Frames();
    if (framed && !options.quiet) {
        const std::int32_t height = options.allFrames
                                        ? toneMap.pictureHeight
                                        : static_cast<std::int32_t>(options.frameHeight);
        std::printf("Frames: %zu of %zux%d.\n", grid.Count(), grid.width, height);
    }
    PackedStreams packed(options, toneMap);
    toneMap.plane = std::vector<std::uint8_t>();
    if (!options.quiet) {
        std::printf("RAW image is %lld bytes.\n", static_cast<long long>(packed.Total()));
    }
    const std::optional<CompressedStreams> done = CompressAsAsked(cmd, packed.Source());
    if (!done) return 1;

    // The output file is created only now, so a failure before this point
    // leaves any existing file of that name untouched.
    ImgAsmWriter writer(options);
    writer.SetPictureSize(static_cast<std::int32_t>(grid.width),
                          static_cast<std::int32_t>(8 * grid.blocks));
    if (cmd.bestCodec) writer.SetCodecComment(CodecFor(done->codec->Kind()).keyword);
    writer.SetPlanesComment(PlanesComment(options));
    if (!writer.Open(cmd.outputFile, output)) return 1;
    if (framed) writer.WriteFramesHead(static_cast<std::int32_t>(grid.Count()));
    WriteStreams(cmd, *done, packed.PerFrame(), writer);
    if (!writer.Close()) return 1;
    if (!options.quiet) std::fputs("Operation completed.\n", stdout);
    return 0;
}

}  // namespace pelmo
