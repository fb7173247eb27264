#include "render/Texture.h"

#include "render/GLCapabilities.h"
#include "render/GLError.h"
#include "render/ImageCache.h"
#include "render/RenderChoices.h"

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
    if (image.pixels) {
        const GLint storage = renderChoices().byteTextures ? GL_LUMINANCE8 : GL_LUMINANCE32F_ARB;
        glTexImage2D(GL_TEXTURE_2D, 0, storage, image.width, image.height, 0, image.format, GL_FLOAT,
                     image.pixels.get());
        glGenerateMipmap(GL_TEXTURE_2D);
    }
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
