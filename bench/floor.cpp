// The least any conversion must do through the image library: load the PNG,
// flip it, convert it to 32 bits per pixel and read every red byte. The
// converter's time and memory are measured against this program's.
// Usage: pelmo_floor PICTURE.png   (prints the sum of the red bytes)
#include <FreeImage.h>

#include <cstdint>
#include <cstdio>
#include <memory>

#include "picture/bitmap.hpp"

using pelmo::Bitmap;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: pelmo_floor PICTURE.png\n", stderr);
        return 2;
    }
    FreeImage_Initialise(FALSE);
    Bitmap loaded(FreeImage_Load(FIF_PNG, argv[1], 0));
    if (!loaded) {
        std::fprintf(stderr, "pelmo_floor: cannot load %s\n", argv[1]);
        return 1;
    }
    FreeImage_FlipVertical(loaded.get());
    Bitmap converted(FreeImage_ConvertTo32Bits(loaded.get()));
    loaded.reset();
    if (!converted) {
        std::fputs("pelmo_floor: conversion failed\n", stderr);
        return 1;
    }
    const unsigned width = FreeImage_GetWidth(converted.get());
    const unsigned height = FreeImage_GetHeight(converted.get());
    std::uint64_t sum = 0;
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* line = FreeImage_GetScanLine(converted.get(), static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x) sum += line[4 * x + FI_RGBA_RED];
    }
    converted.reset();
    FreeImage_DeInitialise();
    std::printf("%llu\n", static_cast<unsigned long long>(sum));
    return 0;
}
