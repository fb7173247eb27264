#pragma once

#include "render/GlObject.h"

#include <GL/glew.h>

#include <cstddef>
#include <memory>

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

// The largest side, in pixels, of an image that is made into a texture:
// the driver's maximum, but never more than 4096 (a city tile shows no
// more detail, and a larger image costs seconds and gigabytes as floats).
int maxImageSide();

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

// A 2D texture made from an image file. The file is decoded at once; the
// pixels reach OpenGL in upload(), which the drawing code calls on its first
// draw. Copies share the OpenGL name and the decoded pixels; the name is
// deleted once, when the last copy goes, and the pixels as soon as one copy
// has uploaded them.
class Texture {
public:
    Texture() = default;
    Texture(const char* fileName, GLint wrapS, GLint wrapT, GLint magFilter, GLint minFilter);

    void upload();
    void bind(GLenum unit) const;
    void unbind(GLenum unit) const;

    GLuint name() const { return state_ ? state_->name.get() : 0; }
    GLint minFilter() const { return minFilter_; }
    GLint magFilter() const { return magFilter_; }
    // True while the decoded pixels are still held in memory.
    bool hasPixels() const { return state_ && state_->image.pixels != nullptr; }
    const ImageData& image() const;

private:
    struct State {
        gl::TextureName name;
        ImageData image;
    };

    GLint minFilter_ = GL_LINEAR;
    GLint magFilter_ = GL_LINEAR;
    GLint wrapS_ = GL_REPEAT;
    GLint wrapT_ = GL_REPEAT;
    std::shared_ptr<State> state_;
};

// True when the OpenGL renderer is one of Mesa's software rasterisers.
bool isSoftwareRenderer();
