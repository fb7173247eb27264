// Writes a colour JPEG of any size row by row, so that even an 8000 x 8000
// image takes a few megabytes of memory and about a second to make (an
// image tool holding the whole picture needs gigabytes). The picture is a
// colour gradient with a grid, the same bytes on every run.
// Usage: make_jpeg PATH WIDTH HEIGHT
#include <cstdio>
#include <cstdlib>
#include <string>

#include "jpeg_writer.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_jpeg PATH WIDTH HEIGHT\n");
        return 2;
    }
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    if (width < 1 || height < 1 || width > 65500 || height > 65500) {
        std::fprintf(stderr, "make_jpeg: a side must be 1 to 65500 pixels\n");
        return 2;
    }
    std::string error;
    const bool written = jpeg_writer::write(
        argv[1], width, height, 3, 85,
        [&](int y, unsigned char* row) {
            for (int x = 0; x < width; ++x) {
                const bool line = x % 64 == 0 || y % 64 == 0;
                row[3 * x] = static_cast<unsigned char>(line ? 255 : x * 255 / width);
                row[3 * x + 1] = static_cast<unsigned char>(line ? 255 : y * 255 / height);
                row[3 * x + 2] = static_cast<unsigned char>(line ? 255 : 128);
            }
        },
        error);
    if (!written) std::fprintf(stderr, "make_jpeg: %s\n", error.c_str());
    return written ? 0 : 1;
}
