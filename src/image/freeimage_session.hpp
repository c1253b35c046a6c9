// Keeps the image library initialised and quiet for as long as it lives.
#pragma once

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

}  // namespace pelmo
