// The van in the real city, frame by frame through the key seam: throttle,
// steering, collisions with buildings, the chase camera, delivering, and
// the light positions its model sends.
#include "vehicle/MoveableObject.h"

#include "city/City.h"
#include "game/JobManager.h"
#include "render/SpotLights.h"
#include "support/GlContext.h"

#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using Keys = std::set<int>;

constexpr float A = 0.70710678f;  // cos 45 degrees: diagonal headings

void expectNear(glm::vec3 actual, glm::vec3 expected, float tolerance, const std::string& what = "") {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

// One van built as the game builds it, copied for every test (the copies
// share the model's OpenGL objects, as the game's copy does).
class VanTest : public ConsoleGlTest {
protected:
    static void SetUpTestSuite() {
        testing_support::CapturedConsole console;
        console.start();
        lights = new SpotLights;
        city = new City(*lights, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR);
        prototype = new MoveableObject(Camera(), city, "vito.obj", lights);
        // The game's start: camera at (30, 7, 50) looking +z, van point at z = 75.
        prototype->chaseCamera.moveForward(50.0f);
        prototype->chaseCamera.moveUp(5.0f);
        console.stop();
    }
    static void TearDownTestSuite() {
        delete prototype;
        delete city;
        delete lights;
    }

    void SetUp() override {
        ConsoleGlTest::SetUp();
        van = *prototype;
        testing_support::holdKeys(held);
    }

    // One frame with these keys held; the van point it reports.
    glm::vec3 frame(const Keys& keys, float dt = 0.1f) {
        held = keys;
        glm::vec3 point(-1.0f);
        van.move(&point, dt, &jobManager);
        return point;
    }

    // Puts the van point at `point` (camera height 7), heading along the
    // horizontal `forward`, with the camera chaseDistance behind it.
    void place(glm::vec3 point, glm::vec3 forward) {
        ReferenceFrame& f = van.chaseCamera.frame();
        f.setUp(0.0f, 1.0f, 0.0f);
        f.setForward(forward.x, forward.y, forward.z);
        const glm::vec3 camera = point - van.chaseDistance * forward;
        f.setOrigin(camera.x, camera.y, camera.z);
    }

    glm::vec3 vanPoint() const {
        const ReferenceFrame& f = van.chaseCamera.frame();
        return f.origin() + van.chaseDistance * f.forward();
    }
    glm::vec3 forward() const { return van.chaseCamera.frame().forward(); }
    float minZ() const { return van.geometry().minZ(); }
    float maxZ() const { return van.geometry().maxZ(); }
    float maxX() const { return van.geometry().maxX(); }

    static SpotLights* lights;
    static City* city;
    static MoveableObject* prototype;

    MoveableObject van;
    Keys held;
    JobManager jobManager{nullptr};
};
SpotLights* VanTest::lights = nullptr;
City* VanTest::city = nullptr;
MoveableObject* VanTest::prototype = nullptr;

glm::vec4 sentLightPosition(shaders::GLShader* program, int i) {
    const GLuint p = program->programObject();
    glm::vec4 v(-99.0f);
    glGetUniformfv(p, glGetUniformLocation(p, ("lightPos[" + std::to_string(i) + "]").c_str()), &v[0]);
    return v;
}

TEST_F(VanTest, ModelLightsAreSentRelativeToTheVan) {
    shaders::GLShader* body = van.geometry().bodyShader();
    ASSERT_NE(body, nullptr);
    // Light 8 hangs at (50, 20, 150); the van stands right under it.
    ReferenceFrame frame;
    frame.setForward(0.6f, 0.0f, 0.8f);
    frame.setOrigin(10.0f, 4.0f, -3.0f);
    lights->uploadModelPositions(glm::vec3(50, 0, 150), frame.objectMatrix(false), body);
    const glm::vec4 above = sentLightPosition(body, 8);
    EXPECT_NEAR(above.x, 0.0f, 1e-4f);
    EXPECT_FLOAT_EQ(above.y, 20.0f);
    EXPECT_NEAR(above.z, 0.0f, 1e-4f);
    EXPECT_FLOAT_EQ(above.w, 1.0f);

    // Through draw: van point (180, -3, 40), heading (0.6, 0, 0.8), so the
    // frame's x axis is cross(up, forward) = (0.8, 0, -0.6). Light 3 at
    // (200, 20, 50) is 20, 23, 10 away: x = -(16 - 6), z = -(12 + 8).
    place(glm::vec3(180, 4, 40), glm::vec3(0.6f, 0.0f, 0.8f));
    van.draw(glm::mat4(1.0f), glm::mat4(1.0f), glm::mat3(1.0f));
    const glm::vec4 offAxis = sentLightPosition(body, 3);
    EXPECT_NEAR(offAxis.x, -10.0f, 1e-4f);
    EXPECT_FLOAT_EQ(offAxis.y, 20.0f);
    EXPECT_NEAR(offAxis.z, -20.0f, 1e-4f);
}

TEST_F(VanTest, ThrottleFromRestThenRollingResistance) {
    const glm::vec3 point = frame({GLFW_KEY_UP});
    EXPECT_FLOAT_EQ(van.speed, 8.0f);
    expectNear(point, glm::vec3(30, 7, 75.4f), 1e-4f);
    EXPECT_FLOAT_EQ(van.acceleration, -10.0f);
    frame({});
    EXPECT_FLOAT_EQ(van.speed, 7.0f);
}

TEST_F(VanTest, DownBrakesOrReversesWhetherOrNotUpIsHeld) {
    struct Case {
        float speed;
        Keys keys;
        float expected;
    };
    const Case cases[] = {
        {50, {GLFW_KEY_DOWN}, 30},  {50, {GLFW_KEY_UP, GLFW_KEY_DOWN}, 30},  {0, {GLFW_KEY_DOWN}, -8},
        {0, {GLFW_KEY_UP, GLFW_KEY_DOWN}, -8}, {-10, {GLFW_KEY_DOWN}, -18},
    };
    for (const Case& c : cases) {
        van = *prototype;
        place(glm::vec3(50, 7, 100), glm::vec3(0, 0, 1));
        van.speed = c.speed;
        frame(c.keys);
        EXPECT_FLOAT_EQ(van.speed, c.expected) << "from " << c.speed << " with " << c.keys.size() << " keys";
    }
}

TEST_F(VanTest, SpeedStaysBetweenMinus30And150) {
    place(glm::vec3(50, 7, 100), glm::vec3(0, 0, 1));
    van.speed = 149.0f;
    expectNear(frame({GLFW_KEY_UP}), glm::vec3(50, 7, 107.5f), 1e-3f);
    EXPECT_FLOAT_EQ(van.speed, 150.0f);

    place(glm::vec3(50, 7, 100), glm::vec3(0, 0, 1));
    van.speed = -29.0f;
    expectNear(frame({GLFW_KEY_DOWN}), glm::vec3(50, 7, 98.5f), 1e-3f);
    EXPECT_FLOAT_EQ(van.speed, -30.0f);
}

TEST_F(VanTest, LetterKeysDriveLikeTheArrowsAndLeftWinsOverRight) {
    struct Step {
        Keys arrows;
        Keys letters;
        int frames;
    };
    const int up = GLFW_KEY_UP, down = GLFW_KEY_DOWN, left = GLFW_KEY_LEFT, right = GLFW_KEY_RIGHT;
    const Step script[] = {
        {{up, left}, {GLFW_KEY_W, GLFW_KEY_A}, 8}, {{up}, {GLFW_KEY_W}, 3},
        {{down, right}, {GLFW_KEY_S, GLFW_KEY_D}, 6}, {{down}, {GLFW_KEY_S}, 10},
        {{down, left}, {GLFW_KEY_S, GLFW_KEY_A}, 5}, {{}, {}, 4},
    };
    auto drive = [&](int variant) {
        van = *prototype;
        place(glm::vec3(50, 7, 90), glm::vec3(0, 0, 1));
        std::vector<float> trace;
        for (const Step& step : script) {
            Keys keys = variant == 1 ? step.letters : step.arrows;
            if (variant == 2 && keys.count(left)) keys.insert(right);
            for (int n = 0; n < step.frames; ++n) {
                const glm::vec3 p = frame(keys);
                const glm::vec3 f = forward();
                trace.insert(trace.end(), {p.x, p.z, f.x, f.z, van.speed, van.acceleration, van.steer,
                                           van.modelFrame.forward().x, van.chaseDistance});
            }
        }
        return trace;
    };
    const std::vector<float> arrows = drive(0);
    EXPECT_EQ(drive(1), arrows);
    EXPECT_EQ(drive(2), arrows);
}

TEST_F(VanTest, AtRestTheSteeringKeysNeitherTurnNorSteer) {
    const ReferenceFrame before = van.chaseCamera.frame();
    frame({GLFW_KEY_LEFT});
    frame({GLFW_KEY_RIGHT});
    EXPECT_EQ(van.chaseCamera.frame().forward(), before.forward());
    EXPECT_EQ(van.chaseCamera.frame().origin(), before.origin());
    EXPECT_EQ(van.steer, 0.0f);

    // Holding Left keeps a deflection; any other key lets it return.
    van.steer = 5.0f;
    frame({GLFW_KEY_LEFT});
    EXPECT_EQ(van.steer, 5.0f);
    frame({GLFW_KEY_RIGHT});
    EXPECT_FLOAT_EQ(van.steer, 3.0f);
}

TEST_F(VanTest, ReversingTurnsTheOtherWay) {
    auto turnWithLeft = [&](float speed) {
        van = *prototype;
        place(glm::vec3(50, 7, 100), glm::vec3(0, 0, 1));
        van.speed = speed;
        frame({GLFW_KEY_LEFT});
        return forward().x;
    };
    const float ahead = turnWithLeft(20.0f);
    const float reversing = turnWithLeft(-20.0f);
    EXPECT_GT(std::fabs(ahead), 1e-3f);
    EXPECT_GT(std::fabs(reversing), 1e-3f);
    EXPECT_LT(ahead * reversing, 0.0f);
}

TEST_F(VanTest, AtFullSpeedFactorLeftTurnsAboutAPointEightUnitsBehind) {
    const glm::vec3 start(50, 7, 100);
    const glm::vec3 ahead(0, 0, 1);
    place(start, ahead);
    van.speed = 100.0f;  // speed factor 1, kept: no throttle, no resistance yet
    van.acceleration = 0.0f;
    const glm::vec3 point = frame({GLFW_KEY_LEFT}, 0.1f);
    const glm::vec3 turned = forward();
    // Heading: 90 x 50 x 0.1 degrees of turning, less the 90 x 20 x 0.1 the
    // steering gives back to the drawn model: 4.712 degrees.
    const float degrees = glm::degrees(std::acos(std::min(1.0f, glm::dot(turned, ahead))));
    EXPECT_NEAR(degrees, 1.5707964f * 30.0f * 0.1f, 1e-3f);
    EXPECT_NEAR(van.steer, 2.0f, 1e-5f);
    EXPECT_NEAR(glm::degrees(std::acos(std::min(1.0f, glm::dot(van.modelFrame.forward(), glm::vec3(0, 0, -1))))),
                1.5707964f * 2.0f, 1e-3f);
    // 5 units ahead, 8 back, the turn, then 8 ahead on the new heading.
    expectNear(point, start - 3.0f * ahead + 8.0f * turned, 1e-3f);
}

TEST_F(VanTest, SteeringStopsAtTenAndReturnsAtTwentyPerSecond) {
    const float dt = 0.05f;  // one steering step of 1.0
    for (int key : {GLFW_KEY_LEFT, GLFW_KEY_RIGHT}) {
        const float sign = key == GLFW_KEY_LEFT ? 1.0f : -1.0f;
        van = *prototype;
        place(glm::vec3(50, 7, 80), glm::vec3(0, 0, 1));
        float previous = 0.0f;
        for (int n = 0; n < 14; ++n) {
            van.speed = 100.0f;  // speed factor k close to 1
            frame({key}, dt);
            EXPECT_LT(sign * van.steer, 10.0f + 1.0f) << "frame " << n;
            if (sign * previous >= 10.0f) {
                EXPECT_EQ(van.steer, previous) << "frame " << n;
            }
            previous = van.steer;
        }
        EXPECT_GE(sign * van.steer, 10.0f);

        // Released (and stopped, so the van stays put): 1.0 back per frame.
        van.speed = 0.0f;
        van.acceleration = 0.0f;
        for (int n = 0; n < 30; ++n) {
            frame({}, dt);
            if (sign * previous >= 1.0f) {
                EXPECT_NEAR(van.steer, previous - sign * 1.0f, 1e-4f) << "frame " << n;
            } else {
                EXPECT_GE(van.steer, 0.0f) << "frame " << n;
                EXPECT_LT(van.steer, 1.0f) << "frame " << n;
            }
            previous = van.steer;
        }
    }
}

// Building cell (2, 2) fills x > 75, z > 75 near its corner (75, 75); the
// three cells around that corner are streets. Approaching the corner
// diagonally, only the centre probe at one end of the van enters it.
TEST_F(VanTest, FrontHitStopsTheVanAndThrowsItBackByTheFrontLength) {
    const glm::vec3 f(A, 0, A);
    const glm::vec3 start = glm::vec3(74.7f, 7, 74.7f) - maxZ() * f;  // front 0.3 short of the corner
    place(start, f);
    van.speed = 20.0f;  // one frame of 0.1 s moves 1.0
    van.acceleration = 0.0f;
    const glm::vec3 point = frame({GLFW_KEY_LEFT});
    EXPECT_EQ(van.speed, 0.0f);
    expectNear(point, start - maxZ() * f, 1e-3f);
    expectNear(forward(), f, 1e-6f);                 // the turn of this frame is undone
    EXPECT_GT(van.steer, 0.0f);                      // the steering is not
    EXPECT_FLOAT_EQ(van.chaseDistance, 25.0f);
    expectNear(van.chaseCamera.frame().origin(), point - 25.0f * f, 1e-3f);
}

TEST_F(VanTest, RearHitThrowsTheVanForward) {
    const glm::vec3 f(-A, 0, -A);
    const glm::vec3 start = glm::vec3(74.7f, 7, 74.7f) - minZ() * f;  // rear 0.3 short of the corner
    place(start, f);
    van.speed = -20.0f;
    van.acceleration = 0.0f;
    const glm::vec3 point = frame({});
    EXPECT_EQ(van.speed, 0.0f);
    expectNear(point, start - minZ() * f, 1e-3f);
    expectNear(forward(), f, 1e-6f);
}

TEST_F(VanTest, FrontCornerHitAlsoThrowsTheVanSideways) {
    // Heading +z just left of x = 75: only the +x front corner reaches
    // past z = 75 into the building.
    const glm::vec3 f(0, 0, 1);
    const glm::vec3 start(74.0f, 7, 74.5f - maxZ());  // front at z = 75.5 after the frame
    place(start, f);
    van.speed = 20.0f;
    van.acceleration = 0.0f;
    const glm::vec3 point = frame({});
    EXPECT_EQ(van.speed, 0.0f);
    const glm::vec3 side = glm::cross(glm::vec3(0, 1, 0), f);
    expectNear(point, start - maxZ() * f - maxX() * side, 1e-3f);
}

TEST_F(VanTest, CameraCreepsOutOfABuildingWhileTheDrawnVanStaysPut) {
    // Heading +x in street cell (2, 4) with building (1, 4) behind: the
    // camera 25 back stands at x = 65, inside it, and comes to x = 75.
    place(glm::vec3(90, 7, 200), glm::vec3(1, 0, 0));
    van.modelFrame.setForward(0.1f, 0.0f, -1.0f);  // as if steered
    const glm::vec3 model = van.modelFrame.origin();
    const glm::vec3 point = frame({});
    expectNear(point, glm::vec3(90, 7, 200), 1e-4f);
    EXPECT_FLOAT_EQ(van.chaseDistance, 15.0f);
    expectNear(van.chaseCamera.frame().origin(), glm::vec3(75, 7, 200), 1e-4f);
    // The model moved 10 back along the view axis, so it is drawn where it was.
    expectNear(van.modelFrame.origin(), model + glm::vec3(0, 0, 10), 1e-4f);
    expectNear(van.modelFrame.forward(), glm::vec3(0.1f, 0.0f, -1.0f), 0.0f);

    // In an open street the camera goes all the way back in one frame.
    van = *prototype;
    van.chaseDistance = 10.0f;
    place(glm::vec3(30, 7, 75), glm::vec3(0, 0, 1));
    van.modelFrame.setOrigin(0.0f, -7.4f, -10.0f);
    expectNear(frame({}), glm::vec3(30, 7, 75), 1e-4f);
    EXPECT_FLOAT_EQ(van.chaseDistance, 25.0f);
    expectNear(van.modelFrame.origin(), glm::vec3(0, -7.4f, -25), 1e-4f);

    // With no street anywhere near, it stops at minZ.
    van = *prototype;
    place(glm::vec3(-20, 7, 200), glm::vec3(0, 0, 1));
    frame({});
    EXPECT_FLOAT_EQ(van.chaseDistance, minZ());
}

TEST_F(VanTest, ReadingThePositionLeavesTheCameraAlone) {
    const ReferenceFrame before = van.chaseCamera.frame();
    expectNear(van.position(), glm::vec3(30, 0, 75), 1e-5f);
    expectNear(van.headlightPosition(), glm::vec3(30, 7, 75 + maxZ()), 1e-5f);
    expectNear(van.headlightDirection(), glm::vec3(0, 0, -1), 0.0f);
    EXPECT_EQ(van.chaseCamera.frame().origin(), before.origin());
    EXPECT_EQ(van.chaseCamera.frame().forward(), before.forward());
    EXPECT_EQ(van.chaseCamera.frame().up(), before.up());
}

TEST_F(VanTest, SpaceDeliversAJobNearTheVan) {
    jobManager.addJob(Job(50, 100, 30.0f, 75.0f, 20, nullptr, 0));   // 20 and 25 from the van point
    jobManager.addJob(Job(200, 200, 30.0f, 75.0f, 20, nullptr, 1));  // far away
    drain();

    frame({});
    EXPECT_EQ(drain(), "");
    EXPECT_EQ(jobManager.jobs().size(), 2u);

    frame({GLFW_KEY_SPACE});
    const std::string out = drain();
    EXPECT_EQ(out.rfind("Job delivered ", 0), 0u) << out;
    ASSERT_EQ(jobManager.jobs().size(), 1u);
    EXPECT_EQ(jobManager.jobs().front().destX(), 200.0f);
}

// Drives through the city by keys alone, 1/60 s a frame. First it follows
// the streets from cell to neighbouring street cell, steering towards the
// next cell's centre; then it rams on at full throttle, backing off and
// turning after every wall it hits. After every frame the van point is on a
// street and the camera is out of the buildings.
TEST_F(VanTest, ScriptedDriveNeverLeavesTheStreets) {
    const City& streets = *city;  // the van holds a copy of it
    using Cell = std::pair<int, int>;
    auto cellOf = [](glm::vec3 p) {
        return Cell(static_cast<int>((p.x + 25.0f) / 50.0f), static_cast<int>((p.z + 25.0f) / 50.0f));
    };
    auto centre = [](Cell c) { return glm::vec3(50.0f * c.first, 7.0f, 50.0f * c.second); };

    std::set<Cell> visited;
    Cell previous = cellOf(vanPoint());
    Cell target(previous.first, previous.second + 1);
    unsigned choice = 0;
    int backing = 0;
    int hits = 0;
    const int following = 3000;
    for (int n = 0; n < following + 2000; ++n) {
        Keys keys;
        if (backing > 0) {
            --backing;
            keys = {GLFW_KEY_DOWN, GLFW_KEY_LEFT};
        } else if (n >= following) {
            keys = {GLFW_KEY_UP};
        } else {
            const glm::vec3 here = vanPoint();
            if (cellOf(here) == target) {
                std::vector<Cell> next;
                for (Cell d : {Cell(1, 0), Cell(-1, 0), Cell(0, 1), Cell(0, -1)}) {
                    const Cell c(target.first + d.first, target.second + d.second);
                    if (streets.isStreet(c.first, c.second) == 1 && c != previous) next.push_back(c);
                }
                if (next.empty()) next.push_back(previous);
                previous = target;
                target = next[choice++ % next.size()];
            }
            const glm::vec3 f = forward();
            const glm::vec3 to = glm::normalize(centre(target) - here);
            const float side = f.z * to.x - f.x * to.z;  // > 0: the target is to the left
            const float ahead = glm::dot(f, to);
            if (van.speed < (ahead > 0.95f ? 30.0f : 15.0f)) keys.insert(GLFW_KEY_UP);
            if (std::fabs(side) > 0.05f || ahead < 0.0f) keys.insert(side > 0.0f ? GLFW_KEY_LEFT : GLFW_KEY_RIGHT);
        }
        const float speedBefore = van.speed;
        const glm::vec3 point = frame(keys, 1.0f / 60.0f);
        if (speedBefore > 0.0f && van.speed == 0.0f) {
            ++hits;
            backing = 60;
        }

        ASSERT_FALSE(streets.isBlocked(point.x, point.z)) << "van point on a building, frame " << n;
        const ReferenceFrame& camera = van.chaseCamera.frame();
        const glm::vec3 c = camera.origin();
        const glm::vec3 oneStepIn = c + 0.25f * camera.forward();
        // On a street, or at its closest, or just stepped 0.25 into a wall on
        // its way back out (the next frame pulls it in again).
        const bool placed = !streets.isBlocked(c.x, c.z) || van.chaseDistance <= minZ() + 0.25f ||
                            !streets.isBlocked(oneStepIn.x, oneStepIn.z);
        ASSERT_TRUE(placed) << "camera inside a building, frame " << n;
        visited.insert(cellOf(point));
    }
    EXPECT_GE(visited.size(), 10u);
    EXPECT_GE(hits, 3);
}

TEST_F(VanTest, AVeryLongFrameDoesNotCarryTheVanOffTheGrid) {
    // 375 units at full speed from cell (4, 4) towards -x would end far
    // beyond the outer ring of buildings.
    place(glm::vec3(200, 7, 200), glm::vec3(-1, 0, 0));
    van.speed = 150.0f;
    const glm::vec3 point = frame({GLFW_KEY_UP}, 5.0f);
    EXPECT_EQ(van.speed, 0.0f);
    EXPECT_GT(point.x, -75.0f);
    EXPECT_LT(point.x, 475.0f);
    EXPECT_GT(point.z, -75.0f);
    EXPECT_LT(point.z, 475.0f);
    EXPECT_FALSE(city->isBlocked(point.x, point.z));
}

// A stalled game (a debugger, a dragged window) hands the van one long frame.
// Block (1, 4) spans z 175 to 225 with streets on both sides; the van comes
// at it along x = 30 at full speed.
TEST_F(VanTest, ALongFrameStopsAtTheBlockAheadAndKeepsTheSteeringBound) {
    for (float dt : {0.2f, 0.5f, 1.0f, 1.5f, 3.0f, 5.0f}) {
        van = *prototype;
        place(glm::vec3(30, 7, 130), glm::vec3(0, 0, 1));
        van.speed = 150.0f;
        const glm::vec3 point = frame({GLFW_KEY_UP}, dt);
        EXPECT_LT(point.z + maxZ(), 175.0f) << "dt " << dt;
        EXPECT_FALSE(city->isBlocked(point.x, point.z)) << "dt " << dt;
        if (dt >= 1.0f) {
            EXPECT_EQ(van.speed, 0.0f) << "dt " << dt;  // it reached the block
        }
    }

    // From the start: Up for 0.6 s at 60 frames a second, then a 3 s frame,
    // with and without Left. Steering may pass 10 by one ordinary step at most.
    for (bool left : {false, true}) {
        van = *prototype;
        for (int n = 0; n < 36; ++n) frame({GLFW_KEY_UP}, 1.0f / 60.0f);
        const glm::vec3 point = frame(left ? Keys{GLFW_KEY_UP, GLFW_KEY_LEFT} : Keys{GLFW_KEY_UP}, 3.0f);
        EXPECT_FALSE(city->isBlocked(point.x, point.z)) << "left " << left;
        EXPECT_LT(point.z, 175.0f) << "left " << left;
        EXPECT_LE(std::fabs(van.steer), 10.0f + 2.0f) << "left " << left;
    }
}

}  // namespace
