#include "font/GLFont.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace {

// File layout (little-endian): texture name as saved, texWidth, texHeight,
// firstChar, lastChar, a pointer placeholder, then one glyph record per
// character and two bytes (luminance, alpha) per texel.
constexpr long long kHeaderBytes = 24;
constexpr long long kGlyphBytes = 24;
// Far beyond any glyph atlas; a larger side only comes from a damaged file
// and would have us allocate gigabytes.
constexpr int kMaxTextureSide = 8192;
constexpr long long kMaxGlyphs = 65536;

uint32_t readU32(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

int32_t readI32(const unsigned char* bytes) {
    const uint32_t bits = readU32(bytes);
    int32_t value = 0;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

float readF32(const unsigned char* bytes) {
    static_assert(sizeof(float) == 4, "glyph records hold 32-bit floats");
    const uint32_t bits = readU32(bytes);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

bool isTextureCoordinate(float value) { return std::isfinite(value) && value >= 0.0f && value <= 1.0f; }

[[noreturn]] void refuse() { throw GLFontError::InvalidFile(); }

// Reads exactly `count` bytes or refuses the file.
void readExactly(std::ifstream& file, unsigned char* out, long long count) {
    file.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(count));
    if (!file || file.gcount() != static_cast<std::streamsize>(count)) refuse();
}

}  // namespace

void GLFontBase::loadFontFile(const std::string& fileName, GLuint textureName, bool pixelPerfect) {
    // Whatever happens below, the previous font is gone.
    glyphs = std::vector<Glyph>();
    ready = false;
    texture = 0;
    texWidth = 0;
    texHeight = 0;
    firstChar = 0;
    lastChar = -1;

    std::ifstream file(fileName, std::ios::binary);
    if (!file) refuse();
    file.seekg(0, std::ios::end);
    const long long fileSize = static_cast<long long>(file.tellg());
    file.seekg(0, std::ios::beg);
    if (!file || fileSize < kHeaderBytes) refuse();

    unsigned char header[kHeaderBytes];
    readExactly(file, header, kHeaderBytes);
    // The stored texture name and glyph pointer (offsets 0 and 20) meant
    // something only to the tool that wrote the file.
    const int width = readI32(header + 4);
    const int height = readI32(header + 8);
    const int first = readI32(header + 12);
    const int last = readI32(header + 16);
    if (width <= 0 || width > kMaxTextureSide || height <= 0 || height > kMaxTextureSide) refuse();
    const long long glyphCount = static_cast<long long>(last) - first + 1;
    if (glyphCount < 1 || glyphCount > kMaxGlyphs) refuse();
    const long long texelBytes = 2LL * width * height;
    // Sizes are checked against the file before anything is allocated.
    if (fileSize < kHeaderBytes + kGlyphBytes * glyphCount + texelBytes) refuse();

    std::vector<unsigned char> table(static_cast<size_t>(kGlyphBytes * glyphCount));
    readExactly(file, table.data(), static_cast<long long>(table.size()));
    std::vector<Glyph> loaded(static_cast<size_t>(glyphCount));
    for (size_t i = 0; i < loaded.size(); ++i) {
        const unsigned char* record = table.data() + i * kGlyphBytes;
        Glyph& glyph = loaded[i];
        glyph.width = readF32(record);
        glyph.height = readF32(record + 4);
        glyph.texLeft = readF32(record + 8);
        glyph.texTop = readF32(record + 12);
        glyph.texRight = readF32(record + 16);
        glyph.texBottom = readF32(record + 20);
        // A glyph rectangle lies inside the texture; one that does not (or
        // holds NaN or infinity) marks a damaged file, which is refused, so
        // pixel sizes stay within the texture and convert to int safely.
        if (!std::isfinite(glyph.width) || !std::isfinite(glyph.height) ||
            !isTextureCoordinate(glyph.texLeft) || !isTextureCoordinate(glyph.texTop) ||
            !isTextureCoordinate(glyph.texRight) || !isTextureCoordinate(glyph.texBottom)) {
            refuse();
        }
    }

    std::vector<unsigned char> texels(static_cast<size_t>(texelBytes));
    readExactly(file, texels.data(), texelBytes);

    GLint maxTextureSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
    if (width > maxTextureSize || height > maxTextureSize) refuse();

    glBindTexture(GL_TEXTURE_2D, textureName);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLfloat>(GL_CLAMP));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLfloat>(GL_CLAMP));
    const GLfloat filter = static_cast<GLfloat>(pixelPerfect ? GL_NEAREST : GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_MODULATE));
    // Rows are 2 x width bytes with no padding; the default 4-byte row
    // alignment would read past the texels for an odd width.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, 2, width, height, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE,
                 texels.data());
    glPopClientAttrib();

    texture = textureName;
    texWidth = width;
    texHeight = height;
    firstChar = first;
    lastChar = last;
    glyphs = std::move(loaded);
    ready = true;
}

const GLFontBase::Glyph* GLFontBase::glyphFor(char c) const {
    const int code = static_cast<signed char>(c);
    if (!ready || code < firstChar || code > lastChar) return nullptr;
    return &glyphs[static_cast<size_t>(static_cast<long long>(code) - firstChar)];
}

void GLFontBase::requireReady() const {
    if (!ready) throw GLFontError::InvalidFont();
}

void GLFontBase::beginText() const {
    requireReady();
    glBindTexture(GL_TEXTURE_2D, texture);
}

void PixelPerfectGLFont::loadFont(const std::string& fileName, GLuint textureName) {
    loadFontFile(fileName, textureName, true);
    // The sizes become the glyph rectangles' texel sizes, truncated toward
    // zero. They are kept in the float fields, where whole numbers up to the
    // texture size are exact.
    for (Glyph& glyph : glyphs) {
        glyph.width = std::trunc((glyph.texRight - glyph.texLeft) * static_cast<float>(texWidth));
        glyph.height = std::trunc((glyph.texBottom - glyph.texTop) * static_cast<float>(texHeight));
    }
}

int PixelPerfectGLFont::glyphWidth(char c) const {
    const Glyph* glyph = glyphFor(c);
    return glyph ? static_cast<int>(glyph->width) : 0;
}

int PixelPerfectGLFont::glyphHeight(char c) const {
    const Glyph* glyph = glyphFor(c);
    return glyph ? static_cast<int>(glyph->height) : 0;
}

int PixelPerfectGLFont::textWidth(const std::string& text) const {
    int width = 0;
    for (char c : text) width += glyphWidth(c);
    return width;
}

void PixelPerfectGLFont::drawText(const std::string& text, int x, int y, int z) const {
    requireReady();
    glBegin(GL_QUADS);
    for (char c : text) {
        const Glyph* glyph = glyphFor(c);
        if (!glyph) continue;
        const int width = static_cast<int>(glyph->width);
        const int height = static_cast<int>(glyph->height);
        glTexCoord2f(glyph->texLeft, glyph->texTop);
        glVertex3i(x, y, z);
        glTexCoord2f(glyph->texLeft, glyph->texBottom);
        glVertex3i(x, y + height, z);
        glTexCoord2f(glyph->texRight, glyph->texBottom);
        glVertex3i(x + width, y + height, z);
        glTexCoord2f(glyph->texRight, glyph->texTop);
        glVertex3i(x + width, y, z);
        x += width;
    }
    glEnd();
}

void GLFont::loadFont(const std::string& fileName, GLuint textureName) {
    loadFontFile(fileName, textureName, false);
}

void GLFont::drawText(const std::string& text, float x, float y, float z) const {
    requireReady();
    glBegin(GL_QUADS);
    for (char c : text) {
        const Glyph* glyph = glyphFor(c);
        if (!glyph) continue;
        glTexCoord2f(glyph->texLeft, glyph->texTop);
        glVertex3f(x, y, z);
        glTexCoord2f(glyph->texLeft, glyph->texBottom);
        glVertex3f(x, y + glyph->height, z);
        glTexCoord2f(glyph->texRight, glyph->texBottom);
        glVertex3f(x + glyph->width, y + glyph->height, z);
        glTexCoord2f(glyph->texRight, glyph->texTop);
        glVertex3f(x + glyph->width, y, z);
        x += glyph->width;
    }
    glEnd();
}
