#include "math/ReferenceFrame.h"

#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

namespace {

void expectVec(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void expectMat(const glm::mat4& actual, const glm::mat4& expected, float tolerance = 1e-5f) {
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) EXPECT_NEAR(actual[c][r], expected[c][r], tolerance) << "column " << c << " row " << r;
}

TEST(ReferenceFrame, DefaultFrameLooksDownNegativeZWithIdentityView) {
    ReferenceFrame f;
    expectMat(f.cameraMatrix(), glm::mat4(1.0f));
    expectMat(f.objectMatrix(false), glm::mat4(glm::vec4(-1, 0, 0, 0), glm::vec4(0, 1, 0, 0), glm::vec4(0, 0, -1, 0),
                                               glm::vec4(0, 0, 0, 1)));
}

TEST(ReferenceFrame, MovesAlongItsOwnAxes) {
    ReferenceFrame f;
    f.moveRight(1.0f);
    expectVec(f.origin(), {-1, 0, 0});
    f.moveForward(2.0f);
    f.moveUp(3.0f);
    expectVec(f.origin(), {-1, 3, -2});
}

TEST(ReferenceFrame, RotateWorldTurnsByMinusTheAngle) {
    ReferenceFrame f;
    f.rotateWorld(90.0f, 0.0f, 1.0f, 0.0f);
    expectVec(f.forward(), {1, 0, 0});
    expectVec(f.up(), {0, 1, 0});
}

TEST(ReferenceFrame, RotateLocalUsesTheFramesAxes) {
    // A frame looking along +x: its local up axis is still world up, and
    // turning about local (0, 1, 0) matches a world turn about +y.
    ReferenceFrame local, world;
    local.setForward(1, 0, 0);
    world.setForward(1, 0, 0);
    local.rotateLocal(30.0f, 0, 1, 0);
    world.rotateWorld(30.0f, 0, 1, 0);
    expectVec(local.forward(), world.forward());
    // Pitching about the local x axis tilts forward, not sideways.
    ReferenceFrame pitch;
    pitch.rotateLocal(90.0f, 1, 0, 0);
    EXPECT_NEAR(pitch.forward().x, 0.0f, 1e-5f);
    EXPECT_NEAR(std::abs(pitch.forward().y), 1.0f, 1e-5f);
}

TEST(ReferenceFrame, CameraMatrixInvertsTheObjectMatrix) {
    ReferenceFrame f;
    f.setOrigin(30, 7, 50);
    f.setForward(0, 0, 1);
    f.rotateLocal(37.0f, 0, 1, 0);
    // The object matrix places the frame; the camera matrix maps world to
    // eye space looking along -z, so their product flips x and z only.
    const glm::mat4 product = f.cameraMatrix() * f.objectMatrix(false);
    expectMat(product, glm::scale(glm::mat4(1.0f), glm::vec3(-1, 1, -1)), 1e-4f);
}

TEST(Camera, StartsAtThirtyTwoZeroLookingAlongPositiveZ) {
    Camera c;
    expectVec(c.frame().origin(), {30, 2, 0});
    expectVec(c.frame().forward(), {0, 0, 1});
    c.moveForward(50.0f);
    c.moveUp(5.0f);
    expectVec(c.frame().origin(), {30, 7, 50});
}

}  // namespace
