#include "support/Offscreen.h"

namespace testing_support {

OffscreenFrame::OffscreenFrame(int width, int height, GLenum colourFormat) : width_(width), height_(height) {
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previousFramebuffer_);
    glGetIntegerv(GL_VIEWPORT, previousViewport_);
    glGenFramebuffers(1, &framebuffer_);
    glGenRenderbuffers(1, &colour_);
    glGenRenderbuffers(1, &depth_);
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    // By default an sRGB colour buffer, so the game's sRGB output looks as on screen.
    glRenderbufferStorage(GL_RENDERBUFFER, colourFormat, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth_);
    complete_ = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glViewport(0, 0, width, height);
}

OffscreenFrame::~OffscreenFrame() {
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previousFramebuffer_));
    glViewport(previousViewport_[0], previousViewport_[1], previousViewport_[2], previousViewport_[3]);
    glDeleteRenderbuffers(1, &colour_);
    glDeleteRenderbuffers(1, &depth_);
    glDeleteFramebuffers(1, &framebuffer_);
}

std::vector<float> OffscreenFrame::readDepth() const {
    std::vector<float> depth(static_cast<std::size_t>(width_) * height_);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return depth;
}

std::vector<unsigned char> OffscreenFrame::readRgba() const {
    std::vector<unsigned char> rgba(static_cast<std::size_t>(width_) * height_ * 4);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

}  // namespace testing_support
