#include "render/Texture.h"

#include "render/GLCapabilities.h"
#include "render/GLError.h"
#include "render/ImageCache.h"
#include "render/RenderChoices.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The texture keeps one channel: an image's luminance, or the red of an RGBA one.
std::vector<float> firstChannel(const ImageData& image) {
    const std::size_t count = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    const std::size_t stride = image.format == GL_RGBA ? 4 : 1;
    std::vector<float> channel(count);
    for (std::size_t p = 0; p < count; ++p) channel[p] = image.pixels[p * stride];
    return channel;
}

// The next mipmap level: each texel the mean of the 2 x 2 block above it (of
// the pair where the level above is one texel wide or high).
std::vector<float> halved(const std::vector<float>& level, int width, int height, int* nextWidth, int* nextHeight) {
    *nextWidth = std::max(1, width / 2);
    *nextHeight = std::max(1, height / 2);
    const int dx = width > 1 ? 1 : 0;
    const int dy = height > 1 ? 1 : 0;
    std::vector<float> next(static_cast<std::size_t>(*nextWidth) * static_cast<std::size_t>(*nextHeight));
    for (int y = 0; y < *nextHeight; ++y) {
        const float* row = &level[static_cast<std::size_t>(2 * y) * width];
        const float* below = row + static_cast<std::size_t>(dy) * width;
        for (int x = 0; x < *nextWidth; ++x) {
            const int a = 2 * x;
            next[static_cast<std::size_t>(y) * *nextWidth + x] =
                0.25f * ((row[a] + row[a + dx]) + (below[a] + below[a + dx]));
        }
    }
    return next;
}

// Hands every level down to 1 x 1 to OpenGL. The levels are made here
// rather than by glGenerateMipmap: on Mesa's software renderer the first
// glGenerateMipmap of a run cost the first frame more than all the levels
// of all the textures made here. With `bytes` each texel is stored in 8
// bits, rounded once from the level's exact mean.
void uploadLevels(const ImageData& image, bool bytes) {
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    std::vector<float> level = firstChannel(image);
    std::vector<GLubyte> stored;
    int width = image.width, height = image.height;
    for (GLint n = 0;; ++n) {
        if (bytes) {
            stored.resize(level.size());
            for (std::size_t p = 0; p < level.size(); ++p)
                stored[p] = static_cast<GLubyte>(std::lround(std::clamp(level[p], 0.0f, 1.0f) * 255.0f));
            glTexImage2D(GL_TEXTURE_2D, n, GL_LUMINANCE8, width, height, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE,
                         stored.data());
        } else {
            glTexImage2D(GL_TEXTURE_2D, n, GL_LUMINANCE32F_ARB, width, height, 0, GL_LUMINANCE, GL_FLOAT,
                         level.data());
        }
        if (width == 1 && height == 1) break;
        level = halved(level, width, height, &width, &height);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

}  // namespace

Texture::Texture(const char* fileName, GLint wrapS, GLint wrapT, GLint magFilter, GLint minFilter)
    : minFilter_(minFilter), magFilter_(magFilter), wrapS_(wrapS), wrapT_(wrapT), state_(std::make_shared<State>()) {
    ImageLoader loader;
    state_->image = loader.load(fileName);
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    state_->name = gl::TextureName::generate();
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    checkGLError();
}

const ImageData& Texture::image() const {
    static const ImageData none;
    return state_ ? state_->image : none;
}

void Texture::upload() {
    if (!state_) return;
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, state_->name.get());
    // On a software rasteriser 16x anisotropy doubles the frame time and
    // stalls single frames at grazing angles, so it is kept for hardware.
    if (!isSoftwareRenderer()) glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, 16.0f);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapS_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapT_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter_);
    ImageData& image = state_->image;
    // A second upload (the pixels already handed over) only refreshes the
    // parameters; an image that failed to decode has no pixels to send.
    if (image.pixels) uploadLevels(image, renderChoices().byteTextures);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    checkGLError();
    image.release();
}

void Texture::bind(GLenum unit) const {
    glActiveTexture(unit);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name());
    glActiveTexture(GL_TEXTURE0);
}

void Texture::unbind(GLenum unit) const {
    glActiveTexture(unit);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
}
