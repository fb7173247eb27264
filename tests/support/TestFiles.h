#pragma once

#include <string>
#include <vector>

namespace testing_support {

// A fresh folder under the system's temporary directory, removed with the
// object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

// Writes a JPEG: `components` 1 (greyscale) or 3 (RGB); `pixels` holds rows
// from the top of the image down. Throws when it cannot.
void writeJpeg(const std::string& path, int width, int height, int components,
               const std::vector<unsigned char>& pixels, int quality = 100);

}  // namespace testing_support
