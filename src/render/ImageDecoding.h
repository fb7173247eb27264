#pragma once

#include <GL/glew.h>

#include <memory>
#include <string>

// One decoded image: floats row by row from the bottom row up, one per
// pixel for GL_LUMINANCE, four (RGBA) otherwise.
struct ImageData {
    ImageData() = default;
    ImageData(std::shared_ptr<float[]> pixels, int size, int width, int height, GLenum format)
        : pixels(std::move(pixels)), size(size), width(width), height(height), format(format) {}

    // Drops this holder's reference to the pixels.
    void release() { pixels.reset(); }

    std::shared_ptr<float[]> pixels;
    int size = 0;
    int width = 0;
    int height = 0;
    GLenum format = GL_LUMINANCE;
};

// What one decoding gave: the image and the line it has to print, if any.
struct DecodedImage {
    ImageData image;
    std::string message;
};

// Decodes the file at `path` (named `fileName` in messages) through DevIL,
// bottom row first as OpenGL expects. A failure gives the library's image
// and "ERROR: can't load Image <name>"; an image with a side above
// maxImageSide() comes back without pixels and with a message saying so,
// a JPEG before it is decoded at all. Needs a current OpenGL context and
// the library set up by an ImageLoader.
DecodedImage decodeImage(const char* fileName, const std::string& path);
