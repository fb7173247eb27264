#include "font/GLFont.h"

#include "support/GlContext.h"
#include "support/TestFiles.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <set>

namespace {

struct Record {
    float width, height, left, top, right, bottom;
};

// A ".glf" file; the texel bytes follow a pattern so a round trip shows.
std::string glf(int texWidth, int texHeight, int first, int last, const std::vector<Record>& glyphs,
                uint32_t storedName = 0) {
    std::string out;
    auto put = [&out](uint32_t v) { for (int s = 0; s < 32; s += 8) out += static_cast<char>(v >> s); };
    for (int v : {static_cast<int>(storedName), texWidth, texHeight, first, last, 0}) put(static_cast<uint32_t>(v));
    for (const Record& g : glyphs) {
        for (float f : {g.width, g.height, g.left, g.top, g.right, g.bottom}) {
            uint32_t bits;
            std::memcpy(&bits, &f, 4);
            put(bits);
        }
    }
    for (int i = 0; i < 2 * texWidth * texHeight; ++i) out += static_cast<char>(i * 37 + 11);
    return out;
}

// 'A'..'C' on 256 x 2 texels: 'A' spans 8 texels (the file claims 99 units),
// 'B' 7.9 and 'C' 12.8 from right to left.
const std::string kSample = glf(256, 2, 'A', 'C',
    {{99, 2, 0, 0, 0.03125f, 1}, {5, 5, 0.5f, 0.5f, 0.5f + 7.9f / 256, 1}, {5, 5, 0.75f, 0, 0.7f, 1}});
// A font small enough to damage in every place.
const std::string kSmall = glf(16, 2, 'A', 'B', {{8, 2, 0, 0, 0.5f, 1}, {1, 1, 0.5f, 0, 1, 0.5f}});

// Rounded corners (x, y down, s, t) of the polygons drawn.
using Corners = std::set<std::array<long, 4>>;
std::array<long, 4> corner(float x, float y, float s, float t) {
    return {std::lround(x * 100), std::lround(y * 100), std::lround(s * 1e4), std::lround(t * 1e4)};
}
Corners quad(float x0, float y0, float x1, float y1, float s0, float t0, float s1, float t1) {
    return {corner(x0, y0, s0, t0), corner(x0, y1, s0, t1), corner(x1, y1, s1, t1), corner(x1, y0, s1, t0)};
}

// What `draw` sends down the pipeline in a pixel projection with y down,
// captured in feedback mode (Mesa hands back each quad as two triangles).
Corners feedback(const std::function<void()>& draw) {
    GLint view[4];
    glGetIntegerv(GL_VIEWPORT, view);
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, view[2], view[3], 0, -1, 1);
    std::vector<GLfloat> buffer(8192);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    Corners corners;
    for (GLint i = 0; i < used; i += 2 + 11 * static_cast<int>(buffer[i + 1])) {
        EXPECT_EQ(buffer[i], GL_POLYGON_TOKEN);
        for (const GLfloat* v = &buffer[i + 2]; v < &buffer[i + 2 + 11 * static_cast<int>(buffer[i + 1])]; v += 11) {
            corners.insert(corner(v[0], view[3] - v[1], v[7], v[8]));
        }
    }
    return corners;
}

class FontTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        glGenTextures(2, names);
        testing_support::writeFile(valid, kSample);
    }
    void TearDown() override {
        glDeleteTextures(2, names);
        GlTest::TearDown();
    }
    std::string file(const std::string& bytes) {
        // Rewriting a file in place makes the file system flush it on close,
        // which a thousand loads cannot afford.
        std::remove(dir.file("f.glf").c_str());
        testing_support::writeFile(dir.file("f.glf"), bytes);
        return dir.file("f.glf");
    }
    GLint level0(GLenum name) {
        GLint value = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, name, &value);
        return value;
    }
    // A refused file throws InvalidFile, leaves even a loaded font unable to
    // draw, and touches neither the binding nor the texture.
    void expectRefused(const std::string& path, const std::string& what) {
        PixelPerfectGLFont font;
        font.loadFont(valid, names[0]);
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_THROW(font.loadFont(path, names[1]), GLFontError::InvalidFile) << what;
        EXPECT_THROW(font.beginText(), GLFontError::InvalidFont) << what;
        EXPECT_THROW(font.drawText("A", 0, 0, 0), GLFontError::InvalidFont) << what;
        GLint bound = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(bound, 0) << what;
        glBindTexture(GL_TEXTURE_2D, names[1]);
        EXPECT_EQ(level0(GL_TEXTURE_WIDTH), 0) << what;
    }

    testing_support::TempDir dir;
    const std::string valid = dir.file("valid.glf");
    GLuint names[2] = {};
};

TEST_F(FontTest, GlyphsAreDrawnFromTheirTextureRectangles) {
    PixelPerfectGLFont pixel;
    pixel.loadFont(valid, names[0]);
    EXPECT_EQ(pixel.glyphWidth('A'), 8);
    EXPECT_EQ(pixel.glyphHeight('B'), 1);
    EXPECT_EQ(pixel.glyphWidth('B'), 7);
    EXPECT_EQ(pixel.glyphWidth('C'), -12) << "truncated toward zero";
    EXPECT_EQ(pixel.textWidth("AB\xC1@D"), 15) << "uncovered bytes take no room";

    EXPECT_TRUE(feedback([&] { pixel.drawText("", 10, 20, 0); }).empty());
    Corners expected = quad(10, 20, 18, 22, 0, 0, 0.03125f, 1);
    expected.merge(quad(18, 20, 25, 21, 0.5f, 0.5f, 0.5f + 7.9f / 256, 1));
    EXPECT_EQ(feedback([&] { pixel.drawText("A\xC1@B", 10, 20, 0); }), expected);

    GLFont smooth;
    smooth.loadFont(valid, names[1]);
    EXPECT_EQ(feedback([&] { smooth.drawText("A", 10.5f, 20.25f, 0); }),
              quad(10.5f, 20.25f, 109.5f, 22.25f, 0, 0, 0.03125f, 1));
}

// The stored texture name is another live texture here; the odd width
// catches rows read with the default 4-byte alignment.
TEST_F(FontTest, LoadFillsTheCallersTextureWithTheFileTexels) {
    const std::string bytes = glf(3, 2, 'a', 'a', {{1, 1, 0, 0, 1, 1}}, names[1]);
    GLFont font;
    font.loadFont(file(bytes), names[0]);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, static_cast<GLint>(names[0]));
    EXPECT_EQ(level0(GL_TEXTURE_WIDTH) * 10 + level0(GL_TEXTURE_HEIGHT), 32);
    EXPECT_GT(level0(GL_TEXTURE_LUMINANCE_SIZE) * level0(GL_TEXTURE_ALPHA_SIZE), 0);
    EXPECT_EQ(level0(GL_TEXTURE_RED_SIZE), 0);
    std::string texels(12, '\0');
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, &texels[0]);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    EXPECT_EQ(texels, bytes.substr(bytes.size() - 12));

    glBindTexture(GL_TEXTURE_2D, names[1]);
    EXPECT_EQ(level0(GL_TEXTURE_WIDTH), 0) << "the stored name was used";
}

TEST_F(FontTest, MissingTruncatedAndInconsistentFilesAreRefused) {
    EXPECT_THROW(GLFont().drawText("", 0, 0, 0), GLFontError::InvalidFont);
    expectRefused(dir.file("missing.glf"), "missing");
    expectRefused(dir.path(), "a folder");
    for (size_t length = 0; length < kSmall.size() && !HasFailure(); ++length) {
        expectRefused(file(kSmall.substr(0, length)), "cut at " + std::to_string(length));
    }
    const std::vector<Record> one = {{1, 1, 0, 0, 1, 1}};
    std::string huge = glf(2, 1, 'a', 'a', one);
    std::memset(&huge[4], 0x7f, 8);
    const std::pair<std::string, const char*> damaged[] = {
        {glf(0, 2, 'a', 'a', one), "zero width"}, {glf(2, -1, 'a', 'a', one), "negative height"},
        {glf(8193, 1, 'a', 'a', one), "8193 wide"}, {huge, "huge texture"},
        {glf(2, 1, 'b', 'a', {}), "last below first"}, {glf(2, 1, 0, 65536, one), "65537 glyphs"},
        {glf(2, 1, -0x7fffffff - 1, 0x7fffffff, one), "every int"},
        {glf(2, 1, 'a', 'a', {{1, 1, std::nanf(""), 0, 1, 1}}), "NaN coordinate"},
        {glf(2, 1, 'a', 'a', {{1, 1, 0, 0, INFINITY, 1}}), "infinite coordinate"},
        {glf(2, 1, 'a', 'a', {{1, 1, 0, 0, 1, 40}}), "beyond the texture"},
    };
    for (const auto& [bytes, what] : damaged) expectRefused(file(bytes), what);
}

// Deterministic random damage: every variant loads or is refused, and a
// loaded one draws every byte.
TEST_F(FontTest, MutatedFilesLoadOrAreRefused) {
    std::mt19937 random(20240611u);
    std::string everyByte;
    for (int c = 0; c < 256; ++c) everyByte += static_cast<char>(c);
    PixelPerfectGLFont font;
    int loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = kSmall;
        for (unsigned n = random() % 4 + 1; n > 0 && !bytes.empty(); --n) {
            const size_t at = random() % bytes.size();
            switch (random() % 4) {
                case 0: bytes[at] = static_cast<char>(random()); break;
                case 1: bytes[at] ^= static_cast<char>(1u << random() % 8); break;
                case 2: bytes.erase(at, random() % 8 + 1); break;
                default: bytes.insert(at, random() % 8 + 1, static_cast<char>(random()));
            }
        }
        try {
            font.loadFont(file(bytes), names[0]);
        } catch (const GLFontError::InvalidFile&) {
            continue;
        }
        ++loaded;
        feedback([&] { font.drawText(everyByte, 0, 0, 0); });
    }
    EXPECT_GT(loaded, 100) << "the damage should leave some files whole";
}

TEST_F(FontTest, GameFontCoversPrintableAsciiInOneLineHeight) {
    PixelPerfectGLFont font;
    font.loadFont("arial.glf", names[0]);
    EXPECT_EQ(font.firstCharacter(), 32);
    EXPECT_EQ(font.lastCharacter(), 126);
    EXPECT_GT(font.glyphHeight(' '), 0);
    for (char c = 32; c < 127; ++c) {
        EXPECT_EQ(font.glyphHeight(c), font.glyphHeight(' ')) << c;
        EXPECT_GT(font.glyphWidth(c), 0) << c << " does not move the pen";
    }
}

}  // namespace
