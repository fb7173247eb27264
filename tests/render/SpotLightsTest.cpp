// The spot light arrays as the lighting program holds them, read back.
#include "support/CitySupport.h"

#include "support/GlContext.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <string>

using namespace testing_support;

namespace {

class SpotLightsTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        city = buildCity(lights);
        program = city.shader()->programObject();
    }

    glm::vec4 read(const char* array, int index) {
        const std::string name = std::string(array) + "[" + std::to_string(index) + "]";
        GLfloat v[4] = {};
        glGetUniformfv(program, glGetUniformLocation(program, name.c_str()), v);
        return glm::vec4(v[0], v[1], v[2], v[3]);
    }
    glm::vec4 lightPos(int i) { return read("lightPos", i); }
    glm::vec3 spotDir(int i) { return glm::vec3(read("spotDir", i)); }
    float cutoff(int i) { return read("spotCosCutoff", i).x; }

    void expectFixedLightsAsBuilt() {
        const glm::vec4 lamps[] = {{175, 500, 175, 1}, {200, 20, 50, 1}, {250, 20, 50, 1}, {300, 20, 50, 1},
                                   {350, 20, 50, 1},   {400, 20, 50, 1}, {50, 20, 150, 1}, {50, 20, 100, 1}};
        for (int i = 2; i < 10; ++i) {
            EXPECT_EQ(lightPos(i), lamps[i - 2]) << "light " << i;
            EXPECT_EQ(spotDir(i), glm::vec3(0, -1, 0)) << "light " << i;
            EXPECT_EQ(cutoff(i), i == 2 ? 0.5f : 0.8f) << "light " << i;
        }
    }

    void expectHeadLights(float sideways, float cosCutoff) {
        EXPECT_EQ(spotDir(0), glm::vec3(sideways, -0.3f, -1.0f));
        EXPECT_EQ(spotDir(1), glm::vec3(-sideways, -0.3f, -1.0f));
        EXPECT_EQ(cutoff(0), cosCutoff);
        EXPECT_EQ(cutoff(1), cosCutoff);
    }

    SpotLights lights;
    City city;
    GLuint program = 0;
};

TEST_F(SpotLightsTest, ConstructionSendsTheWideBeamAndTheFixedLamps) {
    EXPECT_EQ(lights.shader(), city.shader());
    EXPECT_EQ(lightPos(0), glm::vec4(0, 5, 0, 1));
    EXPECT_EQ(lightPos(1), glm::vec4(0, 5, 0, 1));
    expectHeadLights(0.25f, 0.9f);
    expectFixedLightsAsBuilt();
}

TEST_F(SpotLightsTest, BeamSwitchSendsOnlyTheHeadLightCones) {
    lights.setHighBeam(false);
    expectHeadLights(0.2f, 0.94f);
    expectFixedLightsAsBuilt();
    lights.setHighBeam(true);
    expectHeadLights(0.25f, 0.9f);
    expectFixedLightsAsBuilt();
}

TEST_F(SpotLightsTest, FollowingTheVanReachesTheProgramOnlyWithTheNextCity) {
    const glm::vec3 vanPosition(200.0f, 3.0f, 150.0f), vanDirection(0.0f, -0.2f, 1.0f);
    lights.followVan(vanPosition, vanDirection);
    EXPECT_EQ(lightPos(0), glm::vec4(0, 5, 0, 1));
    expectHeadLights(0.25f, 0.9f);

    City rebuilt = buildCity(lights);
    program = rebuilt.shader()->programObject();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(lightPos(i), glm::vec4(vanPosition, 1.0f));
        EXPECT_EQ(spotDir(i), vanDirection);
        EXPECT_EQ(cutoff(i), 0.9f);
    }
    expectFixedLightsAsBuilt();
}

TEST_F(SpotLightsTest, EyePositionsUseCameraXAndZAndWorldHeight) {
    ReferenceFrame camera;  // at the origin, looking along -z
    lights.uploadEyePositions(camera);
    for (int i = 0; i < 10; ++i) {
        const glm::vec4 world = lights.positions()[i];
        EXPECT_EQ(lightPos(i), glm::vec4(world.x, world.y - 10.0f, world.z, 1.0f)) << "light " << i;
    }
    EXPECT_EQ(lights.positions()[2], glm::vec4(175, 500, 175, 1)) << "the world positions stay";

    // Lamp 3 at (200, 20, 50) lies straight ahead of a camera looking along +x.
    camera.setOrigin(100.0f, 20.0f, 50.0f);
    camera.setForward(1.0f, 0.0f, 0.0f);
    lights.uploadEyePositions(camera);
    const glm::vec4 ahead = lightPos(3);
    EXPECT_NEAR(ahead.x, 0.0f, 1e-4f);
    EXPECT_EQ(ahead.y, 10.0f);
    EXPECT_NEAR(ahead.z, -100.0f, 1e-3f);
    EXPECT_EQ(lights.eyePositions(camera)[3], ahead);
}

TEST_F(SpotLightsTest, VanUploadsGoToTheGivenProgramOnly) {
    // The van's own set sends to a program without taking it as its own.
    SpotLights vanLights;
    vanLights.followVan(glm::vec3(175.0f, 0.0f, 175.0f), glm::vec3(1.0f, 0.0f, 0.0f));
    vanLights.uploadTo(city.shader());
    EXPECT_EQ(vanLights.shader(), nullptr);
    EXPECT_EQ(lightPos(0), glm::vec4(175, 0, 175, 1));
    EXPECT_EQ(spotDir(1), glm::vec3(1, 0, 0));

    // Light 2 hangs straight above a van at (175, 0, 175), whichever way it turns.
    ReferenceFrame van;
    van.setOrigin(175.0f, 0.0f, 175.0f);
    van.rotateWorld(30.0f, 0.0f, 1.0f, 0.0f);
    vanLights.uploadModelPositions(van.origin(), van.objectMatrix(false), city.shader());
    const glm::vec4 above = lightPos(2);
    EXPECT_NEAR(above.x, 0.0f, 1e-4f);
    EXPECT_EQ(above.y, 500.0f);
    EXPECT_NEAR(above.z, 0.0f, 1e-4f);
    EXPECT_EQ(vanLights.modelPositions(van.origin(), van.objectMatrix(false))[2], above);
}

}  // namespace
