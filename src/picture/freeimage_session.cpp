#include "picture/freeimage_session.hpp"

#include <dlfcn.h>
#include <tiffio.h>

#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The JPEG decoder's own header, for the layout of its error manager.
#include <jpeglib.h>

namespace pelmo {

namespace {

// The reports' listener. The library and the TIFF decoder call plain
// functions without a word of context, so whoever listens must be found in
// static storage: this is set only by DecoderReports, for its lifetime, in
// the decoding process, which has one thread.
DecoderReports* g_listener = nullptr;

void OnLibraryMessage(FREE_IMAGE_FORMAT format, const char* text) {
    if (g_listener != nullptr) g_listener->Hear(ReportSource::Library, format, {}, text);
}

void OnTiff(ReportSource source, const char* module, const char* format, va_list args) {
    if (g_listener == nullptr) return;
    std::array<char, 512> text{};
    std::vsnprintf(text.data(), text.size(), format, args);
    g_listener->Hear(source, FIF_TIFF, module != nullptr ? module : "", text.data());
}

void OnTiffError(const char* module, const char* format, va_list args) {
    OnTiff(ReportSource::TiffError, module, format, args);
}

void OnTiffWarning(const char* module, const char* format, va_list args) {
    OnTiff(ReportSource::TiffWarning, module, format, args);
}

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

bool ContainsAny(std::string_view text, std::initializer_list<std::string_view> parts) {
    for (const std::string_view part : parts) {
        if (Contains(text, part)) return true;
    }
    return false;
}

// The JPEG decoder's warnings that mean its data ran out or broke, after
// which it makes up the rest of the picture; the others (stray bytes before a
// marker, an unknown JFIF revision, an odd colour transform) lose nothing.
bool JpegWarningLosesPixels(std::string_view text) {
    return ContainsAny(text, {"Premature end of JPEG file", "premature end of data segment",
                              "bad Huffman code", "bad arithmetic code", "instead of RST"});
}

// TIFF decoder errors that lose no pixel: the library asks for tags to find
// its metadata, and the decoder complains of every one it does not know, and
// of what is wrong in directories other than the picture's (whose own faults
// fail the load).
bool TiffErrorIsHarmless(std::string_view module) {
    for (const std::string_view harmless :
         {"TIFFFieldWithTag", "TIFFFetchNormalTag", "TIFFReadCustomDirectory",
          "TIFFReadEXIFDirectory", "TIFFReadGPSDirectory", "TIFFReadDirectory",
          "MissingRequired"}) {
        if (module == harmless) return true;
    }
    return false;
}

// The JPEG decoder's own routine for its messages, which shows a warning
// only while it has counted none.
void (*g_decoderEmit)(j_common_ptr, int) = nullptr;

// Every warning to the JPEG decoder's output routine, which the library and
// the TIFF decoder hand on to the handlers above: the decoder's routine,
// each time as if no warning had come before. (The count is for a program
// that ends with a status telling that warnings came, which this is not.)
void EmitEveryWarning(j_common_ptr decoder, int level) {
    decoder->err->num_warnings = 0;
    g_decoderEmit(decoder, level);
}

}  // namespace

bool ReportLosesPixels(ReportSource source, FREE_IMAGE_FORMAT format, std::string_view module,
                       std::string_view text) {
    switch (source) {
        case ReportSource::Library:
            // The TIFF plugin's word for a strip or tile it could not decode.
            if (format == FIF_TIFF) return ContainsAny(text, {"parsing error", "Parsing error"});
            return format == FIF_JPEG && JpegWarningLosesPixels(text);
        case ReportSource::TiffError:
            return !TiffErrorIsHarmless(module);
        case ReportSource::TiffWarning:
            // Codecs that warn where their data is damaged and go on.
            if (module == "JPEGLib") return JpegWarningLosesPixels(text);
            return module == "PackBitsDecode" || module.starts_with("Fax");
    }
    return false;
}

DecoderReports::DecoderReports() : previous_(g_listener) {
    g_listener = this;
}

DecoderReports::~DecoderReports() {
    g_listener = previous_;
}

void DecoderReports::Hear(ReportSource source, FREE_IMAGE_FORMAT format, std::string_view module,
                          std::string_view text) {
    if (ReportLosesPixels(source, format, module, text)) lost_ = true;
}

FreeImageSession::FreeImageSession() {
    FreeImage_Initialise(FALSE);
    FreeImage_SetOutputMessage(OnLibraryMessage);
    TIFFSetWarningHandler(OnTiffWarning);
    TIFFSetErrorHandler(OnTiffError);
}

FreeImageSession::~FreeImageSession() {
    FreeImage_DeInitialise();
}

}  // namespace pelmo

extern "C" {

// The JPEG decoder tells its user of the first warning of a picture only, so
// a picture cut short after a harmless warning would read as whole. This
// stands in for the decoder's own jpeg_std_error, which the image library and
// the TIFF decoder call to set up each decoder's error manager (the
// executables export it for them: see CMakeLists.txt), and lets every
// warning through.
jpeg_error_mgr* jpeg_std_error(jpeg_error_mgr* errors) {
    using StdError = jpeg_error_mgr* (*)(jpeg_error_mgr*);
    static const StdError real = [] {
        void* found = ::dlvsym(RTLD_NEXT, "jpeg_std_error", "LIBJPEG_6.2");
        if (found == nullptr) found = ::dlsym(RTLD_NEXT, "jpeg_std_error");
        return reinterpret_cast<StdError>(found);
    }();
    if (real == nullptr) {
        // No JPEG decoder is there to stand in for: an error manager that
        // ends the process at the first error (only the decoding child
        // decodes) and tells nothing.
        *errors = jpeg_error_mgr{};
        errors->error_exit = [](j_common_ptr) { std::_Exit(1); };
        errors->emit_message = [](j_common_ptr, int) {};
        errors->output_message = [](j_common_ptr) {};
        errors->format_message = [](j_common_ptr, char* buffer) { buffer[0] = '\0'; };
        errors->reset_error_mgr = [](j_common_ptr) {};
        return errors;
    }
    real(errors);
    pelmo::g_decoderEmit = errors->emit_message;
    errors->emit_message = pelmo::EmitEveryWarning;
    return errors;
}

}  // extern "C"
