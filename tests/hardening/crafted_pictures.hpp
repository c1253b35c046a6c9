// Picture files written byte by byte: headers that claim absurd dimensions,
// and small valid PCX and PSD pictures written without the image library.
#pragma once

#include <cstdint>
#include <string>

namespace pelmo::hardening {

// PNG signature, IHDR (with a correct CRC), a short IDAT and IEND.
std::string PngWithSize(std::uint32_t width, std::uint32_t height, std::uint8_t bitDepth,
                        std::uint8_t colourType);
// An 8-bit grey PNG whose one IDAT chunk holds `idatBytes` zero bytes (no
// deflate stream: only a decoder would find out).
std::string PngWithIdat(std::uint32_t width, std::uint32_t height, std::size_t idatBytes);
// BITMAPFILEHEADER and BITMAPINFOHEADER, then `dataBytes` bytes of pixels.
std::string BmpWithSize(std::int32_t width, std::int32_t height, std::uint16_t bitCount,
                        std::size_t dataBytes = 64);
// Uncompressed true-colour TGA header and a few pixels.
std::string TgaWithSize(std::uint16_t width, std::uint16_t height);
// GIF89a with a logical screen and one image of the given size, a tiny
// global palette and a few bytes of LZW data.
std::string GifWithSize(std::uint16_t width, std::uint16_t height);
// 8-bit PCX whose window is `width` x `height`, a few RLE bytes of data.
std::string PcxWithSize(std::uint16_t width, std::uint16_t height);
// PSD (version 1) or PSB (version 2) in RGB, its channels (the colours,
// then alpha and extra ones) of `depth` bits, raw data, few bytes.
std::string PsdWithSize(std::uint32_t width, std::uint32_t height, std::uint16_t version,
                        std::uint16_t channels = 3, std::uint16_t depth = 8);
// Little-endian TIFF (classic, or BigTIFF with its 64-bit offsets), one 8-bit
// grey strip of a few bytes.
enum class TiffKind { Classic, Big };
std::string TiffWithSize(std::uint32_t width, std::uint32_t height,
                         TiffKind kind = TiffKind::Classic);
// ICO with one entry whose embedded BITMAPINFOHEADER claims the size (the
// height field counts the colour and the mask rows, so twice the height).
std::string IcoWithSize(std::int32_t width, std::int32_t height);
// A baseline JPEG with the frame size in its SOF0 marker replaced; false
// (and `jpeg` unchanged) when the file has no SOF0 marker.
bool PatchJpegSize(std::string& jpeg, std::uint16_t width, std::uint16_t height);

// A valid 8-bit RGB PSD of `width` x `height` pixels, pixel (x, y) full red
// when (x / 3 + y) is odd: raw channel data with empty sections before it, or
// as image editors write it, PackBits rows after an image resource. (The image
// library can write PSD, but its writer leaks.)
enum class PsdData { Raw, PackBits };
std::string ValidPsd(std::uint16_t width, std::uint16_t height, PsdData data = PsdData::Raw);

// A valid 8-bit grey TIFF of `width` x `height` pixels whose directory comes
// before its one strip, pixel (x, y) full when (x / 3 + y) is odd.
std::string ValidTiff(std::uint16_t width, std::uint16_t height, TiffKind kind = TiffKind::Classic);

// A valid 8-bit palette PCX of `width` x `height` pixels (width even),
// RLE-encoded, pixel (x, y) full when (x / 3 + y) is odd: with runs.
std::string ValidPcx(std::uint16_t width, std::uint16_t height);

// Files of many pages that cost more to walk or to decode than their bytes
// hold: a TIFF whose `pages` directories of 1 x 8 pixels share one list of
// `strips` offsets; a GIF of `frames` frames of `side` x `side` pixels on a
// screen as large, each with its graphic control and pixels of colour 0.
std::string TiffSharingOneStripList(std::uint32_t pages, std::uint32_t strips);
std::string GifOfFrames(std::uint32_t frames, std::uint16_t side);
// A 1 x 1 PCX of four planes of one bit, which the image library cannot open.
std::string FourPlanePcx();

}  // namespace pelmo::hardening
