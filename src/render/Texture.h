#pragma once

#include "render/GlObject.h"
#include "render/ImageDecoding.h"

#include <GL/glew.h>

#include <memory>

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
