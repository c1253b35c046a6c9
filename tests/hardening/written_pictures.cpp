#include "written_pictures.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "child_run.hpp"
#include "support/unit_temp_dir.hpp"

#ifndef PELMO_MATRIX_SCRIPT
#error "PELMO_MATRIX_SCRIPT names the pictures' generator"
#endif

namespace pelmo::hardening {

std::string WrittenPicture::Describe() const {
    return name + " (" + writer + ", " + variant + ", seed " + PictureSeed() + ")";
}

std::string PictureSeed() {
    const char* seed = std::getenv("PELMO_MATRIX_SEED");
    return seed != nullptr && *seed != '\0' ? seed : "23";
}

std::vector<WrittenPicture> WritePictures(const std::string& folder, const std::string& set,
                                          const std::string& extension) {
    // Debian's interpreter, which has the imaging library (python3-pil).
    const Outcome run = RunProgram(
        "/usr/bin/python3", {PELMO_MATRIX_SCRIPT, folder, PictureSeed(), set, extension}, {});
    if (!run.exited || run.status != 0) {
        ADD_FAILURE() << "the generator could not write the " << set << " " << extension
                      << " pictures (" << run.Describe()
                      << "; /usr/bin/python3 needs python3-pil): " << run.err;
        return {};
    }
    std::vector<WrittenPicture> pictures;
    std::istringstream manifest(unit::ReadWholeFile(folder + "/manifest.tsv"));
    std::string flags;
    for (WrittenPicture p;
         std::getline(manifest, p.name, '\t') && std::getline(manifest, p.writer, '\t') &&
         std::getline(manifest, p.variant, '\t') && std::getline(manifest, flags, '\t') &&
         std::getline(manifest, p.expect);) {
        p.path = folder + "/" + p.name;
        p.lossless = flags.find('L') != std::string::npos;
        p.opacity = flags.find('A') != std::string::npos   ? Opacity::Channel
                    : flags.find('T') != std::string::npos ? Opacity::Palette
                                                           : Opacity::None;
        pictures.push_back(p);
    }
    if (pictures.empty()) ADD_FAILURE() << "the generator wrote no " << set << " " << extension;
    return pictures;
}

}  // namespace pelmo::hardening
