#include "image/freeimage_session.hpp"

#include <FreeImage.h>
#include <tiffio.h>

namespace pelmo {

namespace {
void DropLibraryMessage(FREE_IMAGE_FORMAT, const char*) {}
}  // namespace

FreeImageSession::FreeImageSession() {
    FreeImage_Initialise(FALSE);
    FreeImage_SetOutputMessage(DropLibraryMessage);
    TIFFSetWarningHandler(nullptr);
    TIFFSetErrorHandler(nullptr);
}

FreeImageSession::~FreeImageSession() {
    FreeImage_DeInitialise();
}

}  // namespace pelmo
