// Keeps the image library initialised and quiet for as long as it lives, and
// hears what its decoders report.
#pragma once

#include <FreeImage.h>

#include <string_view>

namespace pelmo {

// The image library and the TIFF decoder beneath it would otherwise print
// their own warnings and errors on standard error; only this program's lines
// belong there. Nesting sessions is fine: the library counts them.
class FreeImageSession {
  public:
    FreeImageSession();
    ~FreeImageSession();
    FreeImageSession(const FreeImageSession&) = delete;
    FreeImageSession& operator=(const FreeImageSession&) = delete;
};

// Where a decoder's report comes from: the image library itself (its
// plugins, and the JPEG and PNG decoders through it), or the TIFF decoder's
// error or warning handler, which name the module that reports.
enum class ReportSource { Library, TiffError, TiffWarning };

// True when a report means that pixels of the picture were lost: data cut
// short or corrupt, which the decoders go on from with pixels of their own
// making. Reports that lose nothing (stray bytes between a JPEG's markers, a
// tag the TIFF decoder does not know, a damaged ancillary chunk) are
// harmless.
bool ReportLosesPixels(ReportSource source, FREE_IMAGE_FORMAT format, std::string_view module,
                       std::string_view text);

// Hears the reports of the library's decoders for as long as it lives (one
// at a time; a session must be open), and tells whether any of them lost
// pixels. Every warning of the JPEG decoder reaches it, not only the first
// as the library would have it.
class DecoderReports {
  public:
    DecoderReports();
    ~DecoderReports();
    DecoderReports(const DecoderReports&) = delete;
    DecoderReports& operator=(const DecoderReports&) = delete;

    bool PixelsLost() const { return lost_; }
    void Hear(ReportSource source, FREE_IMAGE_FORMAT format, std::string_view module,
              std::string_view text);

  private:
    DecoderReports* previous_;
    bool lost_ = false;
};

}  // namespace pelmo
