#include "support/TestFiles.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "jpeg_writer.h"

namespace testing_support {

TempDir::TempDir() {
    // create_directory fails on a name that exists, so a folder it makes is
    // this test's alone, also with other test programs running beside it.
    std::random_device seed;
    std::mt19937_64 names(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate =
            std::filesystem::temp_directory_path() / ("tarvello-test-" + std::to_string(names() % 1000000007u));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            path_ = candidate.string();
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeJpeg(const std::string& path, int width, int height, int components,
               const std::vector<unsigned char>& pixels, int quality) {
    if (pixels.size() != static_cast<size_t>(width) * height * components)
        throw std::invalid_argument("writeJpeg: " + std::to_string(pixels.size()) + " bytes for " + path);
    std::string error;
    if (!jpeg_writer::write(path, width, height, components, quality, pixels.data(), error))
        throw std::runtime_error(error);
}

}  // namespace testing_support
