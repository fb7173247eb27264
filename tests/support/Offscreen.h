#pragma once

#include <GL/glew.h>

#include <vector>

namespace testing_support {

// A colour and depth framebuffer of its own size that the game draws into
// while it is bound; the previous framebuffer and viewport come back when it
// goes. The colour buffer is sRGB unless another format is asked for.
class OffscreenFrame {
public:
    OffscreenFrame(int width, int height, GLenum colourFormat = GL_SRGB8_ALPHA8);
    ~OffscreenFrame();
    OffscreenFrame(const OffscreenFrame&) = delete;
    OffscreenFrame& operator=(const OffscreenFrame&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    bool complete() const { return complete_; }

    // Row 0 is the bottom row, as OpenGL reads them.
    std::vector<float> readDepth() const;
    std::vector<unsigned char> readRgba() const;

private:
    int width_;
    int height_;
    bool complete_ = false;
    GLuint framebuffer_ = 0;
    GLuint colour_ = 0;
    GLuint depth_ = 0;
    GLint previousFramebuffer_ = 0;
    GLint previousViewport_[4] = {};
};

}  // namespace testing_support
