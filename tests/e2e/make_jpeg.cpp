// Writes a colour JPEG of any size row by row, so that even an 8000 x 8000
// image takes a few megabytes of memory and about a second to make (an
// image tool holding the whole picture needs gigabytes). The picture is a
// colour gradient with a grid, the same bytes on every run.
// Usage: make_jpeg PATH WIDTH HEIGHT
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

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
    FILE* file = std::fopen(argv[1], "wb");
    if (!file) {
        std::fprintf(stderr, "make_jpeg: cannot write %s\n", argv[1]);
        return 1;
    }
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 85, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool line = x % 64 == 0 || y % 64 == 0;
            row[3 * x] = static_cast<JSAMPLE>(line ? 255 : x * 255 / width);
            row[3 * x + 1] = static_cast<JSAMPLE>(line ? 255 : y * 255 / height);
            row[3 * x + 2] = static_cast<JSAMPLE>(line ? 255 : 128);
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0 ? 0 : 1;
}
