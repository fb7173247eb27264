#include "render/Texture.h"

#include "render/GLCapabilities.h"
#include "render/ImageCache.h"
#include "support/GlContext.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using namespace testing_support;

namespace {

// What loading printed is handed over by drain().
class TextureTest : public ConsoleGlTest {
protected:
    // A 4 x 2 image: the top row white, the bottom row black.
    std::string twoRowJpeg(int components) {
        std::vector<unsigned char> pixels(4 * 2 * components, 0);
        for (int i = 0; i < 4 * components; ++i) pixels[i] = 255;
        const std::string path = dir.file(components == 1 ? "grey.jpg" : "rgb.jpg");
        writeJpeg(path, 4, 2, components, pixels);
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
    Texture texture("Textures\\no_such.jpg", GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR);
    EXPECT_EQ(drain(), "ERROR: can't load Image Textures\\no_such.jpg\n");
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
    EXPECT_EQ(value, GL_LUMINANCE8);
    // The levels down to 1 x 1, each texel the mean of the four above it:
    // half way between the black and the white row.
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &value);
    EXPECT_EQ(value, 2) << "mipmaps were built";
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH, &value);
    EXPECT_EQ(value, 1) << "the chain reaches 1 x 1";
    float texels[8] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RED, GL_FLOAT, texels);
    EXPECT_LT(texels[0], 0.1f);
    EXPECT_GT(texels[7], 0.9f);
    glGetTexImage(GL_TEXTURE_2D, 1, GL_RED, GL_FLOAT, texels);
    EXPECT_NEAR(texels[0], 0.5f, 0.05f);
    EXPECT_NEAR(texels[1], 0.5f, 0.05f);
    glGetTexImage(GL_TEXTURE_2D, 2, GL_RED, GL_FLOAT, texels);
    EXPECT_NEAR(texels[0], 0.5f, 0.05f);
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
    writeJpeg(dir.file("red.jpg"), 2, 2, 3, pixels);
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

TEST_F(TextureTest, ImagesAboveTheSideLimitAreRefusedWithoutPixels) {
    GLint driver = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &driver);
    const int limit = maxImageSide();
    EXPECT_EQ(limit, std::min(driver, 4096));

    // One pixel more than the limit on either side.
    const std::string wide = dir.file("wide.jpg"), tall = dir.file("tall.jpg"), edge = dir.file("edge.jpg");
    writeJpeg(wide, limit + 1, 2, 3, std::vector<unsigned char>((limit + 1) * 2 * 3, 200));
    writeJpeg(tall, 2, limit + 1, 1, std::vector<unsigned char>((limit + 1) * 2, 200));
    writeJpeg(edge, limit, 1, 1, std::vector<unsigned char>(limit, 200));
    const std::string side = std::to_string(limit);
    const std::string more = std::to_string(limit + 1);
    ImageLoader loader;
    for (int round = 0; round < 2; ++round) {  // the refusal is kept and said again
        drain();
        Texture refused(wide.c_str(), GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR);
        const ImageData high = loader.load(tall.c_str());
        EXPECT_EQ(drain(), "ERROR: can't use Image " + wide + ": " + more + " x 2 pixels, more than " + side +
                               " a side\nERROR: can't use Image " + tall + ": 2 x " + more + " pixels, more than " +
                               side + " a side\n");
        EXPECT_FALSE(refused.hasPixels());
        EXPECT_EQ(high.pixels, nullptr);
        EXPECT_EQ(high.size, 0);
        // It uploads and draws as a texture whose file could not be read.
        refused.upload();
        refused.bind(GL_TEXTURE0);
        refused.unbind(GL_TEXTURE0);
    }
    // A JPEG's header is enough to refuse it: this one claims 9000 x 2 and
    // then ends, where decoding it would only say the file is unreadable.
    std::string header = readFile(wide);
    const std::size_t frame = header.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    header[frame + 7] = static_cast<char>(9000 >> 8);
    header[frame + 8] = static_cast<char>(9000 & 0xFF);
    const std::string claims = dir.file("claims.jpg");
    writeFile(claims, header.substr(0, frame + 20));
    drain();
    loader.load(claims.c_str());
    EXPECT_EQ(drain(),
              "ERROR: can't use Image " + claims + ": 9000 x 2 pixels, more than " + side + " a side\n");

    // Other formats are measured once decoded.
    const std::string pgm = dir.file("wide.pgm");
    writeFile(pgm, "P5\n" + more + " 1\n255\n" + std::string(limit + 1, '\x80'));
    drain();
    const ImageData decoded = loader.load(pgm.c_str());
    EXPECT_EQ(drain(),
              "ERROR: can't use Image " + pgm + ": " + more + " x 1 pixels, more than " + side + " a side\n");
    EXPECT_EQ(decoded.pixels, nullptr);

    drain();
    const ImageData taken = loader.load(edge.c_str());
    EXPECT_EQ(drain(), "");
    EXPECT_EQ(taken.width, limit);
    EXPECT_EQ(taken.size, limit);
    EXPECT_NE(taken.pixels, nullptr);
}

TEST_F(TextureTest, AFileIsDecodedOnceUntilItChanges) {
    const std::string path = twoRowJpeg(1);
    ImageLoader loader;
    const ImageData first = loader.load(path.c_str());
    const std::size_t kept = imageCache::bytes();
    EXPECT_GE(kept, 8 * sizeof(float));

    // A texture built again from the file (a new filter) gets the same
    // pixels, and keeps them after an earlier texture has uploaded its copy.
    Texture mipmapped(path.c_str(), GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR);
    mipmapped.upload();
    Texture nearest(path.c_str(), GL_REPEAT, GL_REPEAT, GL_NEAREST, GL_NEAREST_MIPMAP_NEAREST);
    EXPECT_EQ(nearest.image().pixels, first.pixels);
    EXPECT_EQ(imageCache::bytes(), kept);
    nearest.upload();
    auto filters = [](const Texture& t) {
        GLint mag = 0, min = 0;
        glBindTexture(GL_TEXTURE_2D, t.name());
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
        glBindTexture(GL_TEXTURE_2D, 0);
        return std::make_pair(mag, min);
    };
    EXPECT_EQ(filters(mipmapped), std::make_pair(GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR));
    EXPECT_EQ(filters(nearest), std::make_pair(GL_NEAREST, GL_NEAREST_MIPMAP_NEAREST));
    // Both hold the image: level 0 is 4 x 2 with the white row on top.
    for (const Texture* t : {&mipmapped, &nearest}) {
        float texels[8] = {};
        glBindTexture(GL_TEXTURE_2D, t->name());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RED, GL_FLOAT, texels);
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_LT(texels[0], 0.1f);
        EXPECT_GT(texels[7], 0.9f);
    }

    // A changed file is decoded again: now 32 x 32, all white. (A file
    // rewritten within a clock tick keeps its time stamp; its size tells.)
    writeJpeg(path, 32, 32, 1, std::vector<unsigned char>(32 * 32, 255));
    const ImageData changed = loader.load(path.c_str());
    EXPECT_NE(changed.pixels, first.pixels);
    EXPECT_EQ(changed.width, 32);
    EXPECT_GT(changed.pixels[0], 0.9f);
    EXPECT_EQ(imageCache::bytes(), kept - 8 * sizeof(float) + 32 * 32 * sizeof(float));

    // Clearing frees what only the cache held; what a texture holds stays.
    imageCache::clear();
    EXPECT_EQ(imageCache::bytes(), 0u);
    EXPECT_GT(changed.pixels[3], 0.9f);
    EXPECT_NE(loader.load(path.c_str()).pixels, changed.pixels);
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
