// Construction, position queries and release of a real city.
#include "support/CitySupport.h"

#include "support/GlContext.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <sstream>

using namespace testing_support;

namespace {

// Every "ERROR: can't load Image" line of a construction, in order.
std::vector<std::string> imageErrors(const std::string& output) {
    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("ERROR: can't load Image", 0) == 0) lines.push_back(line);
    return lines;
}

GLfloat uniformFloat(GLuint program, const char* name, int index = 0) {
    GLfloat values[4] = {};
    glGetUniformfv(program, glGetUniformLocation(program, name), values);
    return values[index];
}

void expectLampRecord(const Spot* spot) {
    ASSERT_NE(spot, nullptr);
    EXPECT_EQ(spot->ambient, glm::vec4(0.01f, 0.01f, 0.01f, 1.0f));
    EXPECT_EQ(spot->diffuse, glm::vec4(0.3f, 0.3f, 0.3f, 1.0f));
    EXPECT_EQ(spot->specular, glm::vec4(0.2f, 0.2f, 0.2f, 1.0f));
    EXPECT_EQ(spot->position, glm::vec3(0.0f, 12.0f, 0.0f));
}

class CityTest : public GlTest {
protected:
    SpotLights lights;
};

TEST_F(CityTest, CellQueriesFollowTheLayout) {
    City city = buildCity(lights);
    EXPECT_EQ(city.isStreet(4, 3), 1);
    EXPECT_EQ(city.isStreet(4, 4), 1);
    EXPECT_EQ(city.isStreet(3, 4), 0);
    EXPECT_EQ(city.isStreet(0, 0), 0);
    for (int i = 0; i < City::SIZE; ++i) {
        for (int j = 0; j < City::SIZE; ++j) {
            const bool street = openSides(layoutTile(i, j)) != 0;
            EXPECT_EQ(city.cell(i, j)->isStreet(), street ? 1 : 0) << "(" << i << ", " << j << ")";
            if (street) {
                // Anywhere on the cell, borders towards -x and -z included.
                for (float dx : {-25.0f, 0.0f, 24.9f})
                    for (float dz : {-25.0f, 7.0f, 24.9f})
                        expectLampRecord(city.spotAt(glm::vec3(50.0f * i + dx, 3.0f, 50.0f * j + dz)));
            } else {
                const Spot* spot = city.cell(i, j)->spot();
                EXPECT_EQ(spot->ambient, glm::vec4(0, 0, 0, 1));
                EXPECT_EQ(spot->diffuse, glm::vec4(0, 0, 0, 1));
                EXPECT_EQ(spot->specular, glm::vec4(0, 0, 0, 1));
            }
        }
    }
    EXPECT_EQ(city.spotOf(-1, 5), city.spotOf(0, 0));
    EXPECT_EQ(city.spotOf(10, 5), city.spotOf(0, 0));
    EXPECT_EQ(city.spotOf(0, 0), city.cell(0, 0)->spot());
}

TEST_F(CityTest, CollisionUsesTheCellUnderThePosition) {
    City city = buildCity(lights);
    EXPECT_FALSE(city.isBlocked(200.0f, 150.0f));
    EXPECT_FALSE(city.isBlocked(200.0f, 175.0f)) << "a border counts to the cell towards +z";
    EXPECT_FALSE(city.isBlocked(175.0f, 200.0f)) << "a border counts to the cell towards +x";
    EXPECT_TRUE(city.isBlocked(174.9f, 200.0f));
    EXPECT_TRUE(city.isBlocked(-30.0f, 200.0f)) << "cell 0 reaches a little below -25";
    // Off the map the van stops rather than reading outside the grid.
    EXPECT_TRUE(city.isBlocked(-80.0f, 200.0f));
    EXPECT_TRUE(city.isBlocked(500.0f, 200.0f));
    EXPECT_TRUE(city.isBlocked(200.0f, 1e9f));
    EXPECT_TRUE(city.isBlocked(std::numeric_limits<float>::quiet_NaN(), 200.0f));
    EXPECT_EQ(city.fieldCoordinates(glm::vec3(175.0f, 9.0f, -25.0f)), glm::vec2(4.0f, 0.0f));
}

TEST_F(CityTest, ShippedTexturesAllLoad) {
    std::string output;
    City city = buildCity(lights, &output);
    EXPECT_EQ(imageErrors(output), std::vector<std::string>{});
    EXPECT_EQ(output.find("Error Loading"), std::string::npos) << output;
}

TEST_F(CityTest, MissingTexturesAreReportedInLoadingOrderAndTheCityIsStillBuilt) {
    TempDir dir;
    gameFolderCopy(dir.path(), false);
    std::string output;
    {
        WorkingDir there(dir.path());
        City city = buildCity(lights, &output);
        EXPECT_NE(city.shader(), nullptr);
        EXPECT_EQ(city.isStreet(4, 3), 1);
        TopDownTarget target;
        city.render(TopDownTarget::view(), TopDownTarget::projection(), glm::mat3(1.0f));
    }
    std::vector<std::string> expected;
    for (const char* name : {"paving", "wall_3windows", "oldhouse", "street_straight_h", "street_straight_v",
                             "street_cross", "street_cross_1", "street_cross_2", "street_cross_3", "street_curve_1",
                             "street_curve_2", "street_curve_3", "street_curve_4"})
        expected.push_back(std::string("ERROR: can't load Image Textures\\") + name + ".jpg");
    EXPECT_EQ(imageErrors(output), expected);
}

TEST_F(CityTest, EveryConstructionSetsTheFog) {
    for (int build = 0; build < 2; ++build) {
        City city = buildCity(lights);
        const GLuint program = city.shader()->programObject();
        EXPECT_EQ(uniformFloat(program, "fog_start"), 0.0f);
        EXPECT_EQ(uniformFloat(program, "fog_end"), 150.0f);
        for (int c = 0; c < 3; ++c) EXPECT_EQ(uniformFloat(program, "fog_color", c), 0.01f);
        EXPECT_EQ(uniformFloat(program, "fog_color", 3), 1.0f);
        EXPECT_EQ(city.fogColor(), glm::vec3(0.01f));
    }
}

TEST_F(CityTest, LastCopyReleasesProgramsAndTextures) {
    // Texture names only count as textures once bound, which the first draw does.
    auto liveTextures = [] {
        std::vector<GLuint> names;
        for (GLuint n = 1; n < 4096; ++n)
            if (glIsTexture(n)) names.push_back(n);
        return names;
    };
    const std::vector<GLuint> before = liveTextures();
    City first = buildCity(lights);
    {
        TopDownTarget target;
        first.render(TopDownTarget::view(), TopDownTarget::projection(), glm::mat3(1.0f));
    }
    std::vector<GLuint> cityTextures;
    for (GLuint n : liveTextures())
        if (std::find(before.begin(), before.end(), n) == before.end()) cityTextures.push_back(n);
    EXPECT_EQ(cityTextures.size(), 12u) << "every placed texture was drawn";

    const GLuint program = first.shader()->programObject();
    const GLuint fontProgram = first.fontShader()->programObject();
    City second = first;
    EXPECT_EQ(second.cell(4, 3), first.cell(4, 3));
    EXPECT_EQ(second.shader(), first.shader());

    // The copy left alone keeps the programs and every texture.
    first = City();
    EXPECT_TRUE(glIsProgram(program));
    EXPECT_TRUE(glIsProgram(fontProgram));
    for (GLuint n : cityTextures) EXPECT_TRUE(glIsTexture(n)) << "texture " << n;
    EXPECT_EQ(second.isStreet(4, 3), 1);

    second = City();
    EXPECT_FALSE(glIsProgram(program));
    EXPECT_FALSE(glIsProgram(fontProgram));
    for (GLuint n : cityTextures) EXPECT_FALSE(glIsTexture(n)) << "texture " << n;
}

TEST_F(CityTest, BrokenLightingProgramLeavesACityThatAnswersButDrawsNothing) {
    TempDir dir;
    gameFolderCopy(dir.path(), true, "this is not a fragment shader\n");
    std::string output;
    WorkingDir there(dir.path());
    City city = buildCity(lights, &output);
    EXPECT_NE(output.find("Error Loading, compiling or linking shader\n"), std::string::npos) << output;
    EXPECT_EQ(city.shader(), nullptr);
    EXPECT_NE(city.fontShader(), nullptr);

    TopDownTarget target;
    target.clear(0.0f, 0.0f, 1.0f);
    city.render(TopDownTarget::view(), TopDownTarget::projection(), glm::mat3(1.0f));
    target.read();
    int drawn = 0;
    for (float x = -20.0f; x < 475.0f; x += 10.0f)
        for (float z = -20.0f; z < 475.0f; z += 10.0f) drawn += target.channel(x, z, 2) != 255;
    EXPECT_EQ(drawn, 0);

    EXPECT_EQ(city.isStreet(4, 3), 1);
    EXPECT_FALSE(city.isBlocked(200.0f, 150.0f));
    expectLampRecord(city.spotAt(glm::vec3(200.0f, 0.0f, 150.0f)));
}

}  // namespace
