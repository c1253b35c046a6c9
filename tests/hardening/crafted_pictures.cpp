#include "crafted_pictures.hpp"

#include <array>

namespace pelmo::hardening {

namespace {

void Le16(std::string& s, std::uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Le32(std::string& s, std::uint32_t v) {
    Le16(s, v & 0xFFFF);
    Le16(s, v >> 16);
}
void Be16(std::string& s, std::uint32_t v) {
    s += static_cast<char>((v >> 8) & 0xFF);
    s += static_cast<char>(v & 0xFF);
}
void Be32(std::string& s, std::uint32_t v) {
    Be16(s, v >> 16);
    Be16(s, v & 0xFFFF);
}

std::uint32_t Crc32(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char ch : bytes) {
        crc ^= static_cast<std::uint8_t>(ch);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PngChunk(std::string& png, const std::string& type, const std::string& data) {
    Be32(png, static_cast<std::uint32_t>(data.size()));
    png += type;
    png += data;
    Be32(png, Crc32(type + data));
}

// 8-bit palette PCX header for a window of width x height.
std::string PcxHeader(std::uint16_t width, std::uint16_t height, std::uint16_t bytesPerLine) {
    std::string h;
    h += '\x0A';  // manufacturer
    h += '\x05';  // version
    h += '\x01';  // run-length encoding
    h += '\x08';  // bits per pixel
    Le16(h, 0);
    Le16(h, 0);
    Le16(h, static_cast<std::uint16_t>(width - 1));
    Le16(h, static_cast<std::uint16_t>(height - 1));
    Le16(h, 72);
    Le16(h, 72);
    h.append(48, '\0');  // 16-colour map
    h += '\0';           // reserved
    h += '\x01';         // planes
    Le16(h, bytesPerLine);
    Le16(h, 1);  // palette info
    Le16(h, 0);
    Le16(h, 0);
    h.append(128 - h.size(), '\0');
    return h;
}

}  // namespace

std::string PngWithSize(std::uint32_t width, std::uint32_t height, std::uint8_t bitDepth,
                        std::uint8_t colourType) {
    std::string png = "\x89PNG\r\n\x1A\n";
    std::string ihdr;
    Be32(ihdr, width);
    Be32(ihdr, height);
    ihdr += static_cast<char>(bitDepth);
    ihdr += static_cast<char>(colourType);
    ihdr.append(3, '\0');  // deflate, adaptive filtering, no interlace
    PngChunk(png, "IHDR", ihdr);
    PngChunk(png, "IDAT", std::string("\x78\x9C\x63\x00\x00\x00\x01\x00\x01", 9));
    PngChunk(png, "IEND", "");
    return png;
}

std::string PngWithIdat(std::uint32_t width, std::uint32_t height, std::size_t idatBytes) {
    std::string png = PngWithSize(width, height, 8, 0);
    std::string tail;
    PngChunk(tail, "IDAT", std::string(idatBytes, '\0'));
    PngChunk(tail, "IEND", "");
    return png.substr(0, 33) + tail;
}

std::string BmpWithSize(std::int32_t width, std::int32_t height, std::uint16_t bitCount,
                        std::size_t dataBytes) {
    const std::uint32_t palette = bitCount <= 8 ? (4u << bitCount) : 0;
    const std::uint32_t offset = 14 + 40 + palette;
    std::string bmp = "BM";
    Le32(bmp, offset + static_cast<std::uint32_t>(dataBytes));
    Le32(bmp, 0);
    Le32(bmp, offset);
    Le32(bmp, 40);
    Le32(bmp, static_cast<std::uint32_t>(width));
    Le32(bmp, static_cast<std::uint32_t>(height));
    Le16(bmp, 1);
    Le16(bmp, bitCount);
    Le32(bmp, 0);  // uncompressed
    Le32(bmp, 0);
    Le32(bmp, 2835);
    Le32(bmp, 2835);
    Le32(bmp, 0);
    Le32(bmp, 0);
    for (std::uint32_t i = 0; i < palette / 4; ++i) Le32(bmp, i % 2 == 0 ? 0 : 0x00FFFFFF);
    bmp.append(dataBytes, '\x55');
    return bmp;
}

std::string TgaWithSize(std::uint16_t width, std::uint16_t height) {
    std::string tga;
    tga += '\0';    // no image id
    tga += '\0';    // no colour map
    tga += '\x02';  // uncompressed true colour
    tga.append(5, '\0');
    Le16(tga, 0);
    Le16(tga, 0);
    Le16(tga, width);
    Le16(tga, height);
    tga += '\x18';  // 24 bits per pixel
    tga += '\0';
    tga.append(64, '\x7F');
    return tga;
}

std::string GifWithSize(std::uint16_t width, std::uint16_t height) {
    std::string gif = "GIF89a";
    Le16(gif, width);
    Le16(gif, height);
    gif += '\x80';  // global colour table of two entries
    gif += '\0';
    gif += '\0';
    gif += std::string("\0\0\0\xFF\xFF\xFF", 6);
    gif += '\x2C';
    Le16(gif, 0);
    Le16(gif, 0);
    Le16(gif, width);
    Le16(gif, height);
    gif += '\0';
    gif += '\x02';  // LZW minimum code size
    gif += std::string("\x04\x84\x1D\x81\x7A", 5);
    gif += '\0';
    gif += '\x3B';
    return gif;
}

std::string PcxWithSize(std::uint16_t width, std::uint16_t height) {
    const std::uint16_t bytesPerLine = static_cast<std::uint16_t>(width + (width & 1));
    std::string pcx = PcxHeader(width, height, bytesPerLine);
    pcx += std::string("\xFF\x00\xC3\x01\x05", 5);
    return pcx;
}

std::string PsdWithSize(std::uint32_t width, std::uint32_t height, std::uint16_t version,
                        std::uint16_t channels, std::uint16_t depth) {
    std::string psd = "8BPS";
    Be16(psd, version);
    psd.append(6, '\0');
    Be16(psd, channels);
    Be32(psd, height);
    Be32(psd, width);
    Be16(psd, depth);
    Be16(psd, 3);  // RGB
    Be32(psd, 0);  // colour mode data
    Be32(psd, 0);  // image resources
    if (version == 2) Be32(psd, 0);
    Be32(psd, 0);  // layer and mask information
    Be16(psd, 0);  // raw image data
    psd.append(64, '\x40');
    return psd;
}

namespace {

// Little-endian TIFF of one 8-bit grey strip, its directory first: `pixels`
// follow it. BigTIFF widens the counts and offsets of the header, the
// directory and its entries to 64 bits.
std::string GreyTiff(std::uint32_t width, std::uint32_t height, const std::string& pixels,
                     TiffKind kind) {
    struct Entry {
        std::uint16_t tag;
        std::uint16_t type;  // 3 SHORT, 4 LONG
        std::uint32_t value;
    };
    const bool big = kind == TiffKind::Big;
    constexpr std::uint32_t kEntries = 9;
    const std::uint32_t dataOffset = big ? 16 + 8 + kEntries * 20 + 8 : 8 + 2 + kEntries * 12 + 4;
    const std::array<Entry, kEntries> entries = {{
        {256, 4, width},
        {257, 4, height},
        {258, 3, 8},
        {259, 3, 1},  // no compression
        {262, 3, 1},  // black is zero
        {273, 4, dataOffset},
        {277, 3, 1},
        {278, 4, height},
        {279, 4, static_cast<std::uint32_t>(pixels.size())},
    }};
    const auto number = [big](std::string& s, std::uint32_t v) {
        Le32(s, v);
        if (big) Le32(s, 0);
    };
    std::string tif = "II";
    Le16(tif, big ? 43 : 42);
    if (big) Le32(tif, 8);  // the size of an offset, then a reserved zero
    number(tif, big ? 16 : 8);
    if (big) {
        number(tif, kEntries);
    } else {
        Le16(tif, kEntries);
    }
    for (const Entry& e : entries) {
        Le16(tif, e.tag);
        Le16(tif, e.type);
        number(tif, 1);
        number(tif, e.value);  // a SHORT sits in the low half, little-endian
    }
    number(tif, 0);
    return tif + pixels;
}

}  // namespace

std::string TiffWithSize(std::uint32_t width, std::uint32_t height, TiffKind kind) {
    return GreyTiff(width, height, std::string(16, '\x80'), kind);
}

std::string ValidTiff(std::uint16_t width, std::uint16_t height, TiffKind kind) {
    std::string pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels += (x / 3 + y) % 2 != 0 ? '\xFF' : '\0';
    }
    return GreyTiff(width, height, pixels, kind);
}

std::string IcoWithSize(std::int32_t width, std::int32_t height) {
    std::string ico;
    Le16(ico, 0);
    Le16(ico, 1);  // icon
    Le16(ico, 1);  // one image
    ico += '\0';   // 256 wide
    ico += '\0';   // 256 high
    ico += '\0';
    ico += '\0';
    Le16(ico, 1);
    Le16(ico, 32);
    Le32(ico, 40 + 64);
    Le32(ico, 22);
    Le32(ico, 40);
    Le32(ico, static_cast<std::uint32_t>(width));
    Le32(ico, static_cast<std::uint32_t>(static_cast<std::int64_t>(height) * 2));
    Le16(ico, 1);
    Le16(ico, 32);
    for (int i = 0; i < 6; ++i) Le32(ico, 0);
    ico.append(64, '\x20');
    return ico;
}

bool PatchJpegSize(std::string& jpeg, std::uint16_t width, std::uint16_t height) {
    const std::size_t sof = jpeg.find("\xFF\xC0");
    if (sof == std::string::npos || sof + 9 > jpeg.size()) return false;
    std::string size;
    Be16(size, height);
    Be16(size, width);
    jpeg.replace(sof + 5, 4, size);
    return true;
}

std::string ValidPsd(std::uint16_t width, std::uint16_t height, PsdData data) {
    std::string psd = PsdWithSize(width, height, 1);
    psd.resize(psd.size() - 64);  // keep the header, drop the filler
    const auto red = [](int channel, int x, int y) {
        return channel == 0 && (x / 3 + y) % 2 != 0 ? '\xFF' : '\x10';
    };
    if (data == PsdData::Raw) {
        for (int channel = 0; channel < 3; ++channel) {
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) psd += red(channel, x, y);
            }
        }
        return psd;
    }
    // One resource of the plug-in range, which readers skip: 8BIM, its id,
    // an empty name, then its length and bytes.
    const std::string resource = std::string("8BIM\x0F\xA0\0\0\0\0\0\x04", 12) + "abcd";
    psd.resize(psd.size() - 10);  // the resources, layers and compression again
    Be32(psd, static_cast<std::uint32_t>(resource.size()));
    psd += resource;
    Be32(psd, 0);
    Be16(psd, 1);
    std::string counts;
    std::string rows;
    for (int channel = 0; channel < 3; ++channel) {
        for (int y = 0; y < height; ++y) {
            const std::size_t before = rows.size();
            for (int x = 0; x < width;) {
                int run = 1;
                while (x + run < width && run < 128 &&
                       red(channel, x + run, y) == red(channel, x, y))
                    ++run;
                rows += static_cast<char>(run == 1 ? 0 : 257 - run);  // a literal of one, or a run
                rows += red(channel, x, y);
                x += run;
            }
            Be16(counts, static_cast<std::uint32_t>(rows.size() - before));
        }
    }
    return psd + counts + rows;
}

std::string ValidPcx(std::uint16_t width, std::uint16_t height) {
    std::string pcx = PcxHeader(width, height, width);
    for (std::uint16_t y = 0; y < height; ++y) {
        std::uint16_t x = 0;
        while (x < width) {
            const char value = ((x / 3 + y) % 2) != 0 ? '\x01' : '\x00';
            std::uint16_t run = 1;
            while (x + run < width && run < 63 && (((x + run) / 3 + y) % 2 != 0) == (value != 0))
                ++run;
            if (run > 1) pcx += static_cast<char>(0xC0 | run);
            pcx += value;
            x = static_cast<std::uint16_t>(x + run);
        }
    }
    pcx += '\x0C';
    std::string palette(768, '\0');
    palette[3] = palette[4] = palette[5] = '\xFF';  // index 1 is white
    return pcx + palette;
}

std::string TiffSharingOneStripList(std::uint32_t pages, std::uint32_t strips) {
    std::string tiff("II*\0", 4);
    Le32(tiff, 8 + strips);  // the first directory, after the list
    tiff.append(strips, '\0');
    for (std::uint32_t page = 0; page < pages; ++page) {
        Le16(tiff, 3);  // entries: the width, the height, the strips' offsets as BYTEs
        for (const auto [tag, type, count, value] :
             {std::array<std::uint32_t, 4>{256, 3, 1, 1}, {257, 3, 1, 8}, {273, 1, strips, 8}}) {
            Le16(tiff, tag);
            Le16(tiff, type);
            Le32(tiff, count);
            Le32(tiff, value);
        }
        Le32(tiff, page + 1 < pages ? static_cast<std::uint32_t>(tiff.size() + 4) : 0);
    }
    return tiff;
}

std::string GifOfFrames(std::uint32_t frames, std::uint16_t side) {
    std::string gif = GifWithSize(side, side);
    gif.resize(19);  // the screen and its colour table
    // LZW codes of 3 bits, the table cleared after every second pixel.
    std::string data;
    std::uint32_t bits = 0, held = 0;
    const auto code = [&](std::uint32_t c) {
        bits |= c << held;
        for (held += 3; held >= 8; held -= 8, bits >>= 8) data += static_cast<char>(bits & 0xFF);
    };
    for (std::uint32_t pixel = 0; pixel < std::uint32_t{side} * side; ++pixel) {
        if (pixel % 2 == 0) code(4);
        code(0);
    }
    code(5);
    if (held > 0) data += static_cast<char>(bits & 0xFF);
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        gif += std::string("\x21\xF9\x04\x04\x01\0\0\0", 8);  // left in place
        gif += '\x2C';
        Le32(gif, 0);
        Le16(gif, side);
        Le16(gif, side);
        gif += std::string("\0\x02", 2);
        for (std::size_t at = 0; at < data.size(); at += 255) {
            const std::string block = data.substr(at, 255);
            gif += static_cast<char>(block.size()) + block;
        }
        gif += '\0';
    }
    return gif + '\x3B';
}

std::string FourPlanePcx() {
    std::string pcx = PcxHeader(1, 1, 2);
    pcx[3] = '\x01';   // a bit a pixel
    pcx[65] = '\x04';  // in four planes
    return pcx + std::string(8, '\0');
}

}  // namespace pelmo::hardening
