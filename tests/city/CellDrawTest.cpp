// Drawing single cells: the material a street leaves in the program, the
// texture upload and where a shared cell object lands.
#include "support/CitySupport.h"

#include "support/GlContext.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class CellDrawTest : public GlTest {
protected:
    SpotLights lights;
};

TEST_F(CellDrawTest, StreetDrawLeavesTheLampColoursInTheProgram) {
    City city = buildCity(lights);
    const GLuint program = city.shader()->programObject();
    TopDownTarget target;
    city.cell(4, 3)->draw(TopDownTarget::view(), glm::vec2(4.0f, 3.0f));
    auto uniform = [&](const char* name) {
        GLfloat v[4] = {};
        glGetUniformfv(program, glGetUniformLocation(program, name), v);
        return glm::vec4(v[0], v[1], v[2], v[3]);
    };
    EXPECT_EQ(uniform("ambient"), glm::vec4(0.01f, 0.01f, 0.01f, 1.0f));
    EXPECT_EQ(uniform("diffuse"), glm::vec4(0.3f, 0.3f, 0.3f, 1.0f));
    EXPECT_EQ(uniform("specular"), glm::vec4(0.2f, 0.2f, 0.2f, 1.0f));
}

TEST_F(CellDrawTest, FirstDrawUploadsTheStreetTexture) {
    City city = buildCity(lights);
    Texture texture("Textures\\street_cross.jpg", GL_REPEAT, GL_REPEAT, MAG_FILTER, MIN_FILTER);
    Street street(25, 25, texture);
    street.init(city.shader());
    EXPECT_TRUE(texture.hasPixels()) << "init only builds the geometry";
    TopDownTarget target;
    street.draw(TopDownTarget::view(), glm::vec2(1.0f, 1.0f));
    EXPECT_FALSE(texture.hasPixels());
    EXPECT_TRUE(glIsTexture(texture.name()));
}

// One object serves many cells: the grid position alone decides where it
// lands, also after a second init.
TEST_F(CellDrawTest, SharedCellObjectIsDrawnWhereTheGridPositionSays) {
    City city = buildCity(lights);
    shaders::ProgramPtr unlit = unlitProgram();
    for (Field* cell : {city.cell(4, 3), city.cell(2, 2), city.cell(0, 0)}) {
        cell->init(unlit.get());
        cell->init(unlit.get());
        TopDownTarget target;
        target.clear(0.0f, 0.0f, 1.0f);
        unlit->bind();
        const glm::mat4 p = TopDownTarget::projection();
        glUniformMatrix4fv(unlit->uniformLocation("pMatrix"), 1, GL_FALSE, &p[0][0]);
        unlit->unbind();
        cell->draw(TopDownTarget::view(), glm::vec2(2.0f, 3.0f));
        cell->draw(TopDownTarget::view(), glm::vec2(7.0f, 1.0f));
        target.read();
        auto drawn = [&](float x, float z) { return target.channel(x, z, 2) != 255 || target.channel(x, z, 0) > 10; };
        for (glm::vec2 centre : {glm::vec2(100.0f, 150.0f), glm::vec2(350.0f, 50.0f)}) {
            for (float dx : {-24.0f, 0.0f, 24.0f})
                for (float dz : {-24.0f, 0.0f, 24.0f})
                    EXPECT_TRUE(drawn(centre.x + dx, centre.y + dz)) << centre.x + dx << ", " << centre.y + dz;
            for (float off : {-26.0f, 26.0f}) {
                EXPECT_FALSE(drawn(centre.x + off, centre.y)) << centre.x + off << ", " << centre.y;
                EXPECT_FALSE(drawn(centre.x, centre.y + off)) << centre.x << ", " << centre.y + off;
            }
        }
        EXPECT_FALSE(drawn(225.0f, 100.0f)) << "nothing between the two cells";
    }
    GLint framebuffer = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(framebuffer, 0) << "the offscreen target gives the window back";
    EXPECT_TRUE(glIsEnabled(GL_FRAMEBUFFER_SRGB));
}

}  // namespace
