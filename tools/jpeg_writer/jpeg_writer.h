// Baseline JPEG output through libjpeg, for the texture generator and the
// tests' images.
#pragma once

#include <functional>
#include <string>

namespace jpeg_writer {

// Fills `row` (width x components bytes) with row `y` of the image, the top
// row being 0.
using RowSource = std::function<void(int y, unsigned char* row)>;

// Encodes a JPEG of `components` 1 (greyscale) or 3 (RGB) at `quality`
// (1 to 100) and writes it to `path`. The rows are asked for one at a time,
// so an image of any size needs one row of memory besides the compressed
// file. Returns false and fills `error` with one line when encoding or
// writing fails.
bool write(const std::string& path, int width, int height, int components, int quality, const RowSource& rows,
           std::string& error);

// The same for an image held whole: `pixels` holds the rows from the top down.
bool write(const std::string& path, int width, int height, int components, int quality,
           const unsigned char* pixels, std::string& error);

}  // namespace jpeg_writer
