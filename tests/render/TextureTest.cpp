#include "render/Texture.h"

#include "support/GlContext.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <vector>

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;
using testing_support::TempDir;

namespace {

class TextureTest : public GlTest {
protected:
    // A 4 x 2 image: the top row white, the bottom row black.
    std::string twoRowJpeg(int components) {
        std::vector<unsigned char> pixels(4 * 2 * components, 0);
        for (int i = 0; i < 4 * components; ++i) pixels[i] = 255;
        const std::string path = dir.file(components == 1 ? "grey.jpg" : "rgb.jpg");
        testing_support::writeJpeg(path, 4, 2, components, pixels);
        return path;
    }

    GLint boundTexture() {
        GLint name = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
        return name;
    }

    TempDir dir;
};

TEST_F(TextureTest, GreyscaleDecodesToOneFloatPerPixelBottomRowFirst) {
    ImageLoader loader;
    ImageData image = loader.load(twoRowJpeg(1).c_str());
    ASSERT_EQ(image.format, static_cast<GLenum>(GL_LUMINANCE));
    ASSERT_EQ(image.width, 4);
    ASSERT_EQ(image.height, 2);
    ASSERT_EQ(image.size, 8);
    EXPECT_LT(image.pixels[0], 0.1f) << "first row is the image's bottom (black) row";
    EXPECT_GT(image.pixels[4], 0.9f);
    image.release();
    EXPECT_EQ(image.pixels, nullptr);
}

TEST_F(TextureTest, RgbDecodesToFourFloatsPerPixel) {
    ImageLoader loader;
    ImageData image = loader.load(twoRowJpeg(3).c_str());
    ASSERT_EQ(image.format, static_cast<GLenum>(GL_RGBA));
    ASSERT_EQ(image.size, 4 * 2 * 4);
    EXPECT_LT(image.pixels[0], 0.1f);
    EXPECT_GT(image.pixels[16], 0.9f);
    EXPECT_FLOAT_EQ(image.pixels[3], 1.0f) << "alpha is opaque";
}

TEST_F(TextureTest, MissingFileIsReportedAndTheGameGoesOn) {
    CaptureStdout();
    Texture texture("Textures\\no_such.jpg", GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR);
    EXPECT_EQ(GetCapturedStdout(), "ERROR: can't load Image Textures\\no_such.jpg\n");
    EXPECT_NE(texture.name(), 0u);
    texture.upload();
    texture.bind(GL_TEXTURE0);
    texture.unbind(GL_TEXTURE0);
}

TEST_F(TextureTest, ConstructionAndUploadLeaveTheBindingAsItWas) {
    GLuint other = 0;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_2D, other);

    Texture texture(twoRowJpeg(1).c_str(), GL_REPEAT, GL_REPEAT, GL_NEAREST, GL_NEAREST_MIPMAP_NEAREST);
    EXPECT_EQ(boundTexture(), static_cast<GLint>(other));
    EXPECT_TRUE(texture.hasPixels());
    texture.upload();
    EXPECT_EQ(boundTexture(), static_cast<GLint>(other));
    EXPECT_FALSE(texture.hasPixels()) << "the processor copy goes once OpenGL holds the pixels";

    glBindTexture(GL_TEXTURE_2D, texture.name());
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_NEAREST_MIPMAP_NEAREST);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_NEAREST);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &value);
    EXPECT_EQ(value, GL_LUMINANCE32F_ARB);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &value);
    EXPECT_EQ(value, 2) << "mipmaps were built";
    float texels[8] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RED, GL_FLOAT, texels);
    EXPECT_LT(texels[0], 0.1f);
    EXPECT_GT(texels[7], 0.9f);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &other);
}

TEST_F(TextureTest, RgbUploadKeepsOnlyTheRedChannelAsLuminance) {
    std::vector<unsigned char> pixels(2 * 2 * 3);
    for (int p = 0; p < 4; ++p) {
        pixels[p * 3 + 0] = 200;
        pixels[p * 3 + 1] = 10;
        pixels[p * 3 + 2] = 10;
    }
    testing_support::writeJpeg(dir.file("red.jpg"), 2, 2, 3, pixels);
    Texture texture(dir.file("red.jpg").c_str(), GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR);
    texture.upload();
    glBindTexture(GL_TEXTURE_2D, texture.name());
    float texels[4] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RED, GL_FLOAT, texels);
    EXPECT_NEAR(texels[0], 200.0f / 255.0f, 0.05f);
    glBindTexture(GL_TEXTURE_2D, 0);
}

TEST_F(TextureTest, BindAndUnbindReturnToUnitZero) {
    Texture texture(twoRowJpeg(1).c_str(), GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR);
    texture.upload();
    GLint unit = 0;
    texture.bind(GL_TEXTURE3);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    EXPECT_EQ(unit, GL_TEXTURE0);
    glActiveTexture(GL_TEXTURE3);
    EXPECT_EQ(boundTexture(), static_cast<GLint>(texture.name()));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    glActiveTexture(GL_TEXTURE0);
    texture.unbind(GL_TEXTURE3);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    EXPECT_EQ(unit, GL_TEXTURE0);
    glActiveTexture(GL_TEXTURE3);
    EXPECT_EQ(boundTexture(), 0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    glActiveTexture(GL_TEXTURE0);
}

TEST_F(TextureTest, CopiesShareOneNameThatIsDeletedAfterTheLastCopy) {
    GLuint name = 0;
    {
        Texture original(twoRowJpeg(1).c_str(), GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR);
        name = original.name();
        Texture copy = original;
        {
            Texture drawn = copy;
            drawn.upload();
            EXPECT_FALSE(original.hasPixels()) << "one upload frees the pixels for every copy";
        }
        original = Texture();
        EXPECT_TRUE(glIsTexture(name)) << "the copy still draws with it";
    }
    EXPECT_FALSE(glIsTexture(name));
}

}  // namespace
