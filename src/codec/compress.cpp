#include "codec/compress.hpp"

#include <algorithm>

#include "base/huge_pages.hpp"
#include "codec/codec_table.hpp"

namespace pelmo {

std::uint8_t* CPelmoImgCompress::BeginOutput(const RawBytes& raw, std::size_t capacity) {
    capacity = std::max<std::size_t>(capacity, 1);
    // The room of the last output, where it is enough (the many small
    // streams of frames); else the old room goes before the new is taken.
    if (buffer.capacity() < capacity) {
        buffer = OutputBytes();
        buffer.reserve(capacity);
        AdviseHugePages(buffer.data(), capacity);
    }
    buffer.resize(capacity);
    start = raw.start;
    size = 0;
    packets = 0;
    return buffer.data();
}

bool CPelmoImgCompress::Compress(const RawBytes& raw) {
    const auto n = static_cast<std::size_t>(raw.length);
    std::uint8_t* out = BeginOutput(raw, n);
    std::copy_n(raw.buffer.data(), n, out);
    size = raw.length;
    return true;
}

Expected<DecodedStream> CPelmoImgCompress::Decode(const EncodedStream& in) {
    if (in.packets != 0) {
        return decode::Fail(decode::kAtSymbols,
                            "raw data has no packets, not " + std::to_string(in.packets));
    }
    if (in.bytes.size() > in.limit) return decode::Fail(in.limit, decode::TooLong(in.limit));
    DecodedStream out;
    out.bytes.assign(in.bytes.begin(), in.bytes.end());
    out.consumed = in.bytes.size();
    return out;
}

void CPelmoImgCompress::WriteCommonSymbols(SourceSink& writer) const {
    writer.WriteSymbol(SymbolKind::Size, size);
    writer.WriteSymbol(SymbolKind::Packets, packets);
    writer.WriteSymbol(SymbolKind::Start, start);
}

bool CPelmoImgCompress::WriteOutput(SourceSink& writer) {
    WriteCommonSymbols(writer);
    writer.WriteData(buffer.data(), size, *this);
    return true;
}

bool CPelmoImgCompress::CanCompress(const RawBytes&) const {
    return true;
}

void CPelmoImgCompress::Resume(const Made& made, const std::uint8_t* bytes) {
    buffer.assign(bytes, bytes + made.size);
    start = made.start;
    size = made.size;
    packets = made.packets;
}

void CPelmoImgCompress::WriteTableCode(TextStream& stream) const {
    stream.Write("\t.include \"");
    stream.Write(CodecFor(kind_).includeFile);
    stream.Write("\"\n");
}

}  // namespace pelmo
