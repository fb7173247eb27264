#pragma once

#include <GL/glew.h>

#include <string>
#include <vector>

// The HUD cannot write anything without its font, so the font classes are
// the one place the game throws; the HUD turns these into a message and
// ends the program.
namespace GLFontError {
// The ".glf" file cannot be opened, is shorter than its header promises or
// holds values no font can have.
struct InvalidFile {};
// Text was drawn with a font that has not been loaded.
struct InvalidFont {};
}  // namespace GLFontError

// A bitmap font read from a ".glf" file: one luminance-alpha texture with
// every glyph in it, and a table of where each glyph lies in the texture.
// The texture name belongs to the caller, who creates it before loading and
// deletes it after the font; the font only fills it.
//
// Drawing: enable GL_TEXTURE_2D, set the colour with glColor3f, call
// beginText() once, then drawText() for each string. Each byte of text is one
// quad from the pen position, which starts at the glyph's top-left corner
// and moves right by the glyph's width; y grows downwards, as in the HUD's
// projection. Bytes the font does not cover (those above 127 are negative
// as signed characters) are skipped and take no room.
class GLFontBase {
public:
    GLFontBase() = default;
    virtual ~GLFontBase() = default;

    // Binds the font texture; throws GLFontError::InvalidFont before a load.
    void beginText() const;

    bool isReady() const { return ready; }
    GLuint textureName() const { return texture; }
    int textureWidth() const { return texWidth; }
    int textureHeight() const { return texHeight; }
    int firstCharacter() const { return firstChar; }
    int lastCharacter() const { return lastChar; }

protected:
    // One record of the file: the drawn size, then the glyph's rectangle in
    // texture coordinates (0..1, top edge above bottom edge).
    struct Glyph {
        float width = 0.0f;
        float height = 0.0f;
        float texLeft = 0.0f;
        float texTop = 0.0f;
        float texRight = 0.0f;
        float texBottom = 0.0f;
    };

    // Reads the file and uploads its texels into `textureName`, leaving that
    // texture bound. A refused file throws GLFontError::InvalidFile with the
    // font not ready and no OpenGL state changed.
    void loadFontFile(const std::string& fileName, GLuint textureName, bool pixelPerfect);

    // The glyph drawn for a byte of text, or nullptr when the font has none.
    const Glyph* glyphFor(char c) const;

    void requireReady() const;

    GLuint texture = 0;
    int texWidth = 0;
    int texHeight = 0;
    int firstChar = 0;
    int lastChar = -1;
    std::vector<Glyph> glyphs;
    bool ready = false;
};

// Draws at whole-pixel positions with nearest-texel sampling. Glyph sizes
// are the texel sizes of their rectangles, whatever the file says, so every
// glyph texel lands on exactly one screen pixel in a pixel-sized projection.
class PixelPerfectGLFont : public GLFontBase {
public:
    void loadFont(const std::string& fileName, GLuint textureName);
    void drawText(const std::string& text, int x, int y, int z) const;

    // Sizes in whole units; 0 for a character the font does not draw.
    int glyphWidth(char c) const;
    int glyphHeight(char c) const;
    // How far drawText moves the pen for this text.
    int textWidth(const std::string& text) const;
};

// Draws at float positions with the sizes stored in the file and linear
// sampling, for text that is scaled or placed between pixels.
class GLFont : public GLFontBase {
public:
    void loadFont(const std::string& fileName, GLuint textureName);
    void drawText(const std::string& text, float x, float y, float z) const;
};
