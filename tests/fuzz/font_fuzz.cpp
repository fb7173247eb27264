// libFuzzer target for the ".glf" font loader. Every input is written to a
// file and loaded with both font classes into a texture of a real OpenGL
// context. A file is either refused with GLFontError::InvalidFile, leaving
// the font unusable, or loaded into a font whose glyphs lie inside its
// texture; either way no OpenGL error is left behind. The sanitizers catch
// reads past the data, and the checks below catch a loaded font that lies.
#include "app/Window.h"
#include "font/GLFont.h"

#include <GLFW/glfw3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

GLuint texture = 0;
std::string inputPath;

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "font fuzz: %s\n", what);
    std::abort();
}

void writeInput(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(inputPath.c_str(), "wb");
    if (!file) fault("cannot write the input file");
    if (size > 0 && std::fwrite(data, 1, size, file) != size) fault("cannot write the input file");
    std::fclose(file);
}

void checkLoadedPixelFont(const PixelPerfectGLFont& font, size_t fileSize) {
    if (!font.isReady() || font.textureName() != texture) fault("a loaded font is not ready on its texture");
    const long long texels = 2LL * font.textureWidth() * font.textureHeight();
    const long long glyphs = static_cast<long long>(font.lastCharacter()) - font.firstCharacter() + 1;
    if (texels <= 0 || glyphs <= 0 || 24 + 24 * glyphs + texels > static_cast<long long>(fileSize)) {
        fault("a loaded font claims more than its file holds");
    }
    std::string text;
    for (int c = -128; c < 128; ++c) {
        const char ch = static_cast<char>(c);
        const int w = font.glyphWidth(ch);
        const int h = font.glyphHeight(ch);
        if (w < -font.textureWidth() || w > font.textureWidth() || h < -font.textureHeight() ||
            h > font.textureHeight()) {
            fault("a glyph is larger than the texture");
        }
        if (c >= font.firstCharacter() && c <= font.lastCharacter()) text += ch;
    }
    font.beginText();
    font.drawText(text, 0, 0, 0);
}

template <typename Font>
bool load(Font& font) {
    try {
        font.loadFont(inputPath, texture);
        return true;
    } catch (const GLFontError::InvalidFile&) {
        if (font.isReady()) fault("a refused file left the font ready");
        try {
            font.beginText();
        } catch (const GLFontError::InvalidFont&) {
            return false;
        }
        fault("a refused font still draws");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!startGameWindow({"font fuzz", false})) fault("cannot start OpenGL (is an X server running?)");
    // Text is drawn into a framebuffer of its own: drawing into the window
    // would ask the X server about the window on every flush.
    GLuint framebuffer = 0, colour = 0;
    glGenFramebuffers(1, &framebuffer);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 64, 64);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) fault("cannot make a framebuffer");
    glGenTextures(1, &texture);
    char dir[] = "/tmp/tarvello-font-fuzz-XXXXXX";
    if (!mkdtemp(dir)) fault("cannot make a folder for the input file");
    inputPath = std::string(dir) + "/input.glf";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    writeInput(data, size);
    PixelPerfectGLFont pixelFont;
    if (load(pixelFont)) checkLoadedPixelFont(pixelFont, size);
    GLFont font;
    if (load(font) != pixelFont.isReady()) fault("the two font classes disagree about a file");
    if (font.isReady()) {
        font.beginText();
        font.drawText("Tarvello 0123", 0.5f, 0.5f, 0.0f);
    }
    if (const GLenum error = glGetError(); error != GL_NO_ERROR) {
        std::fprintf(stderr, "font fuzz: OpenGL error 0x%x\n", error);
        fault("the loader left an OpenGL error");
    }
    return 0;
}
