#pragma once

#include "render/ImageDecoding.h"

#include <cstddef>

// Decodes image files through DevIL. Each loader initialises the library
// and asks for the bottom row first, as OpenGL expects.
class ImageLoader {
public:
    ImageLoader();
    // Prints "ERROR: can't load Image <name>" and returns what the library
    // reports for a file it cannot decode. An image with a side above
    // maxImageSide() is reported too and comes back without pixels.
    // Decoded files are kept (see imageCache) and handed out again.
    ImageData load(const char* fileName);
};

// The images decoded so far, by path, with what their decoding printed, so
// that building the city again (a new texture filter) decodes nothing. An
// entry is decoded again when its file's size or time stamp changed.
// Images are kept up to a total of BUDGET bytes; larger ones are decoded
// each time.
namespace imageCache {
constexpr std::size_t BUDGET = std::size_t(256) << 20;
std::size_t bytes();
// Frees every kept image (copies still held by textures stay valid).
void clear();
}  // namespace imageCache
