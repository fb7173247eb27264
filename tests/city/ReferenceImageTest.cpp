// The shipped city and van programs against plain reference programs (every
// light for every pixel, nothing culled or skipped): from fixed camera
// poses the two pictures must agree within 2 of 255 in every channel of
// every pixel. This is what lets the shipped programs skip work; it also
// holds the assumptions their skipping rests on (cell size, block heights,
// where the lamps stand) against the real city, and that the game's drawing
// order (the van before the city) leaves the picture as it was.
#include "app/Window.h"
#include "city/City.h"
#include "math/MatrixStack.h"
#include "math/ReferenceFrame.h"
#include "render/RenderChoices.h"
#include "render/SpotLights.h"
#include "support/GlContext.h"
#include "support/Offscreen.h"
#include "support/TestFiles.h"
#include "vehicle/MoveableObject.h"

#include <GL/glew.h>
#include <glm/glm.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

constexpr int TOLERANCE = 2;

struct Pose {
    const char* name;
    glm::vec3 origin;
    glm::vec3 forward;
    glm::vec3 up;
    bool wideBeam;
    bool headLightsApart = false;  // the city's program gets light 1 moved 4 to the side
};

// Camera heights of 7 are the game's own (the chase camera rides 5 above
// its start at 2); the van stands 25 ahead of the camera.
const Pose POSES[] = {
    {"along the lamp street", {170.0f, 7.0f, 50.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, true},
    {"under the two lamps by the west wall", {50.0f, 7.0f, 40.0f}, {0.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f}, true},
    {"at the crossing", {200.0f, 7.0f, 105.0f}, {0.6f, 0.0f, 0.8f}, {0.0f, 1.0f, 0.0f}, true},
    {"facing a wall up close", {215.0f, 7.0f, 205.0f}, {-1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, true},
    {"the open city from height", {225.0f, 60.0f, 60.0f}, {0.0f, -0.5f, 0.866f}, {0.0f, 0.866f, 0.5f}, true},
    {"narrow beam along the lamp street", {170.0f, 7.0f, 50.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, false},
    {"narrow beam down a long street", {50.0f, 7.0f, 400.0f}, {0.0f, 0.0f, -1.0f}, {0.0f, 1.0f, 0.0f}, false},
    {"head lights apart at the crossing", {200.0f, 7.0f, 105.0f}, {0.6f, 0.0f, 0.8f}, {0.0f, 1.0f, 0.0f}, true, true},
};

// The filter pairs of the game's three filter modes (magnification, minification).
const GLint FILTERS[3][2] = {
    {GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR},
    {GL_LINEAR, GL_LINEAR},
    {GL_NEAREST, GL_NEAREST_MIPMAP_NEAREST},
};

// A game folder whose city and van programs are the reference ones; the
// other data files are the game's own.
std::string referenceFolder(const std::string& root) {
    const fs::path game = fs::current_path();
    fs::copy(game / "Shaders", fs::path(root) / "Shaders");
    for (const char* name : {"spotLightTex.vert", "spotLightTex.frag", "spotLight.vert", "spotLight.frag"}) {
        fs::copy_file(fs::path(REFERENCE_SHADER_DIR) / name, fs::path(root) / "Shaders" / name,
                      fs::copy_options::overwrite_existing);
    }
    // Copies, not links: Windows makes links only with privileges.
    fs::copy(game / "Textures", fs::path(root) / "Textures");
    fs::copy_file(game / "vito.obj", fs::path(root) / "vito.obj");
    return root;
}

// A city and a van built as the game builds them, from one folder.
struct Scene {
    Scene(SpotLights& lights, const GLint filters[2]) {
        city = std::make_unique<City>(lights, filters[0], filters[1]);
        van = std::make_unique<MoveableObject>(Camera(), city.get(), "vito.obj", &lights);
    }
    std::unique_ptr<City> city;
    std::unique_ptr<MoveableObject> van;
};

// One frame as the game renders the city and the van: lights follow the
// van, the beam is set, the eye positions go up, the city and the van draw
// with the camera's matrices, the van first when `vanFirst` says so.
std::vector<unsigned char> render(const OffscreenFrame& target, Scene& scene, SpotLights& lights, const Pose& pose,
                                  bool vanFirst) {
    MoveableObject& van = *scene.van;
    ReferenceFrame& frame = van.chaseCamera.frame();
    frame.setOrigin(pose.origin.x, pose.origin.y, pose.origin.z);
    const glm::vec3 forward = glm::normalize(pose.forward);
    frame.setForward(forward.x, forward.y, forward.z);
    frame.setUp(pose.up.x, pose.up.y, pose.up.z);
    van.steer = 4.0f;

    MatrixStack modelView(64), projection(64);
    TransformPipeline pipeline;
    Frustum frustum;
    frustum.setPerspective(35.0f, static_cast<float>(WINDOW_WIDTH) / WINDOW_HEIGHT, 1.0f, 260.0f);
    projection.loadMatrix(frustum.projectionMatrix());
    pipeline.setMatrixStacks(modelView, projection);

    lights.followVan(van.headlightPosition(), van.headlightDirection());
    lights.attachShader(scene.city->shader());
    lights.setHighBeam(pose.wideBeam);

    const glm::vec3 fog = scene.city->fogColor();
    glClearColor(fog.r, fog.g, fog.b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    modelView.pushMatrix(frame.cameraMatrix());
    lights.uploadEyePositions(frame);
    if (pose.headLightsApart) {
        // The game always puts both head lights at the van; the program must
        // still light correctly when they stand apart.
        std::array<glm::vec4, SpotLights::COUNT> positions = lights.eyePositions(frame);
        positions[1].x += 4.0f;
        shaders::GLShader* program = scene.city->shader();
        program->bind();
        glUniform4fv(program->uniformLocation("lightPos"), SpotLights::COUNT, glm::value_ptr(positions[0]));
        program->unbind();
    }
    const auto drawVan = [&] {
        modelView.pushMatrix(van.modelFrame.objectMatrix(false));
        van.draw(pipeline.modelViewMatrix(), projection.top(), pipeline.normalMatrix(true));
        modelView.popMatrix();
    };
    if (vanFirst) drawVan();
    scene.city->render(pipeline.modelViewMatrix(), projection.top(), pipeline.normalMatrix(true));
    if (!vanFirst) drawVan();
    return target.readRgba();
}

struct Difference {
    int worst = 0;
    long pixelsOver = 0;
    int x = 0, y = 0;
};

Difference compare(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    Difference d;
    for (std::size_t p = 0; p < a.size() / 4; ++p) {
        int pixelWorst = 0;
        for (int c = 0; c < 3; ++c) pixelWorst = std::max(pixelWorst, std::abs(a[p * 4 + c] - b[p * 4 + c]));
        if (pixelWorst > TOLERANCE) ++d.pixelsOver;
        if (pixelWorst > d.worst) {
            d.worst = pixelWorst;
            d.x = static_cast<int>(p % WINDOW_WIDTH);
            d.y = static_cast<int>(p / WINDOW_WIDTH);
        }
    }
    return d;
}

// How many pixels are brighter than the fog: the poses must show lit city.
long litPixels(const std::vector<unsigned char>& image) {
    long lit = 0;
    for (std::size_t p = 0; p < image.size() / 4; ++p)
        if (image[p * 4] > 40) ++lit;
    return lit;
}

// Writes both pictures to test-output/ in the game folder for a person to look at.
void keepForInspection(const std::vector<unsigned char>& want, const std::vector<unsigned char>& got, const Pose& pose,
                       int mode) {
    fs::create_directories("test-output");
    const auto topDownRgb = [](const std::vector<unsigned char>& rgba) {
        std::vector<unsigned char> rgb;
        for (int row = WINDOW_HEIGHT - 1; row >= 0; --row)
            for (int column = 0; column < WINDOW_WIDTH; ++column)
                for (int c = 0; c < 3; ++c) rgb.push_back(rgba[(row * WINDOW_WIDTH + column) * 4 + c]);
        return rgb;
    };
    std::string name = pose.name;
    for (char& c : name)
        if (c == ' ') c = '_';
    const std::string stem = "test-output/reference_" + name + "_mode" + std::to_string(mode);
    writeJpeg(stem + "_want.jpg", WINDOW_WIDTH, WINDOW_HEIGHT, 3, topDownRgb(want), 95);
    writeJpeg(stem + "_got.jpg", WINDOW_WIDTH, WINDOW_HEIGHT, 3, topDownRgb(got), 95);
}

using ReferenceImageTest = ConsoleGlTest;

TEST_F(ReferenceImageTest, ShippedProgramsDrawTheReferencePictureInEveryFilterMode) {
    TempDir dir;
    const std::string reference = referenceFolder(dir.path());
    const fs::path game = fs::current_path();
    // The window's size with sRGB encoding (the game turns sRGB output on),
    // which spreads the dark tones of the night city furthest apart, so
    // their differences count most.
    OffscreenFrame target(WINDOW_WIDTH, WINDOW_HEIGHT);
    ASSERT_TRUE(target.complete());

    for (int mode = 0; mode < 3; ++mode) {
        SpotLights lights;
        Scene shipped(lights, FILTERS[mode]);
        fs::current_path(reference);
        Scene plain(lights, FILTERS[mode]);
        fs::current_path(game);
        const std::string log = drain();
        ASSERT_NE(shipped.city->shader(), nullptr) << log;
        ASSERT_NE(plain.city->shader(), nullptr) << log;

        // Every pose in the start mode; one street pose and the view from
        // height in the other two, where only the texture filters change.
        for (const Pose& pose : POSES) {
            if (mode != 0 && pose.name != POSES[0].name && pose.name != POSES[4].name) continue;
            // The reference draws the van last; the shipped picture comes in
            // the game's order, which must not change it.
            const std::vector<unsigned char> want = render(target, plain, lights, pose, false);
            const std::vector<unsigned char> got = render(target, shipped, lights, pose, renderChoices().vanFirst);
            drain();
            const Difference d = compare(want, got);
            EXPECT_EQ(d.pixelsOver, 0) << pose.name << ", filter mode " << mode << ": worst difference " << d.worst
                                       << " at (" << d.x << ", " << d.y << ")";
            if (d.pixelsOver > 0 || std::getenv("TARVELLO_KEEP_IMAGES")) keepForInspection(want, got, pose, mode);
            EXPECT_GT(litPixels(want), WINDOW_WIDTH * WINDOW_HEIGHT / 50) << pose.name << ": too little is lit";
        }
    }
}

}  // namespace
