// A private scratch folder for one test, removed with everything in it.
#pragma once

#include <string>

namespace pelmo::unit {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // The path of `name` inside the folder.
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// The whole contents of `path`; an empty string when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// Creates or replaces `path` with `contents`; false when that fails.
bool WriteWholeFile(const std::string& path, const std::string& contents);
bool FileExists(const std::string& path);
// The names in a folder, sorted, "." and ".." left out.
std::string ListFolder(const std::string& path);

}  // namespace pelmo::unit
