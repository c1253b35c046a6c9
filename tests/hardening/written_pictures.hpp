// Pictures as the tools people have write them (the Python imaging library,
// ImageMagick, libtiff's, libjpeg's and netpbm's tools), made when the tests
// run by tests/matrix/make_matrix.py.
#pragma once

#include <string>
#include <vector>

namespace pelmo::hardening {

// What opacity a file declares: none, an alpha channel, or a palette entry
// that is transparent.
enum class Opacity { None, Channel, Palette };

struct WrittenPicture {
    std::string path;
    std::string name;  // the file's name, which says its writer and variant
    std::string writer;
    std::string variant;
    bool lossless = false;  // `path` + ".rgba" holds the source's RGBA pixels, top row first
    Opacity opacity = Opacity::None;
    std::string expect;  // of a damaged picture: refuse, same:NAME, valid or alpha-dropped

    // "name (writer, variant, seed S)".
    std::string Describe() const;
};

// The seed of the pictures' pixels: PELMO_MATRIX_SEED, or a fixed one.
std::string PictureSeed();

// Writes the pictures of `set` ("valid" or "damaged") whose extension is
// `extension` into `folder`. On failure (a writer missing, say) the test
// fails with the generator's message and there are none.
std::vector<WrittenPicture> WritePictures(const std::string& folder, const std::string& set,
                                          const std::string& extension);

}  // namespace pelmo::hardening
