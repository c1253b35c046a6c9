#include "picture/library_reading.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "base/limits.hpp"

namespace pelmo {

namespace {

unsigned DLL_CALLCONV WriteNothing(void*, unsigned, unsigned, fi_handle) {
    return 0;
}

}  // namespace

// Some decoders ignore short reads at the end of a damaged file and go on
// with whatever their buffer held; the part a short read leaves unset is
// zeroed (up to kMostZeroed bytes a read), so such a file always decodes the
// same way, and never from memory that nobody wrote.
unsigned DLL_CALLCONV LibraryReading::Read(void* buffer, unsigned size, unsigned count,
                                           fi_handle handle) {
    auto& reading = *static_cast<LibraryReading*>(handle);
    const std::size_t wanted = std::size_t{size} * count;
    const std::size_t got = reading.bytes_.ReadAt(reading.position_, buffer, wanted);
    reading.position_ += got;
    if (got < wanted) {
        std::memset(static_cast<char*>(buffer) + got, 0, std::min(wanted - got, kMostZeroed));
        reading.shortRead_ = true;
    }
    return size == 0 ? 0 : static_cast<unsigned>(got / size);
}

int DLL_CALLCONV LibraryReading::Seek(fi_handle handle, long offset, int origin) {
    auto& reading = *static_cast<LibraryReading*>(handle);
    std::uint64_t base = 0;
    if (origin == SEEK_CUR) base = reading.position_;
    if (origin == SEEK_END) base = reading.bytes_.Size();
    // Within what a long can hold, either way: the most negative offset has
    // no positive counterpart to compare with.
    constexpr auto kMost = static_cast<std::uint64_t>(std::numeric_limits<long>::max());
    if (base > kMost) return -1;
    const auto magnitude = offset < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(offset)
                                      : static_cast<std::uint64_t>(offset);
    if (offset < 0 ? magnitude > base : magnitude > kMost - base) return -1;
    reading.position_ = offset < 0 ? base - magnitude : base + magnitude;
    return 0;
}

long DLL_CALLCONV LibraryReading::Tell(fi_handle handle) {
    return static_cast<long>(static_cast<LibraryReading*>(handle)->position_);
}

Bitmap LibraryReading::Load(FREE_IMAGE_FORMAT format, int flags) {
    position_ = 0;
    shortRead_ = false;
    FreeImageIO io{Read, WriteNothing, Seek, Tell};
    return Bitmap(FreeImage_LoadFromHandle(format, &io, this, flags));
}

int LibraryReading::PageCount(FREE_IMAGE_FORMAT format) {
    position_ = 0;
    FreeImageIO io{Read, WriteNothing, Seek, Tell};
    FIMULTIBITMAP* pages = FreeImage_OpenMultiBitmapFromHandle(format, &io, this, 0);
    if (pages == nullptr) return 0;
    const int count = FreeImage_GetPageCount(pages);
    FreeImage_CloseMultiBitmap(pages, 0);
    return count;
}

bool LibraryReading::EndedEarly(DataEnd end) const {
    switch (end) {
        case DataEnd::AnyShortRead:
            return shortRead_;
        case DataEnd::Checked:
            break;
    }
    return false;
}

}  // namespace pelmo
