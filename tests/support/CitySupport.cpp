#include "support/CitySupport.h"

#include "support/Console.h"
#include "support/TestFiles.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace fs = std::filesystem;

namespace testing_support {

City buildCity(SpotLights& lights, std::string* output) {
    CapturedConsole console;
    console.start();
    City city(lights, MAG_FILTER, MIN_FILTER);
    const std::string text = console.stop();
    if (output) *output = text;
    return city;
}

WorkingDir::WorkingDir(const std::string& path) : previous_(fs::current_path().string()) { fs::current_path(path); }

WorkingDir::~WorkingDir() { fs::current_path(previous_); }

std::string gameFolderCopy(const std::string& root, bool withTextures, const char* lightingFragment) {
    // Copies, not links: Windows makes links only with privileges (MinGW not at all).
    const fs::path game = fs::current_path();
    fs::copy(game / "Shaders", fs::path(root) / "Shaders");
    if (lightingFragment) testing_support::writeFile(root + "/Shaders/spotLightTex.frag", lightingFragment);
    if (withTextures) fs::copy(game / "Textures", fs::path(root) / "Textures");
    return root;
}

namespace {

const char* UNLIT_VERTEX = R"(#version 330 compatibility
uniform mat4 mvMatrix;
uniform mat4 pMatrix;
uniform mat3 normalMatrix;
in vec4 vVertex;
in vec3 vNormal;
in vec2 inTextCoords;
out vec2 texCoord;
out float facing;
void main() {
    texCoord = inTextCoords;
    facing = (normalMatrix * vNormal).y;
    gl_Position = pMatrix * mvMatrix * vVertex;
}
)";

// The material colours only decide whether a pixel is marked red, which
// never happens with the values the cells send; they stay in use so the
// cells' draws find them.
const char* UNLIT_FRAGMENT = R"(#version 330 compatibility
uniform sampler2D colorTexture;
uniform vec4 ambient;
uniform vec4 diffuse;
uniform vec4 specular;
in vec2 texCoord;
in float facing;
out vec4 fragColor;
void main() {
    float grey = texture(colorTexture, texCoord).r;
    fragColor = vec4(grey, grey, grey, 1.0);
    if (ambient.r + diffuse.r + specular.r < -1.0 || facing < -2.0) fragColor = vec4(1.0, 0.0, 0.0, 1.0);
}
)";

}  // namespace

shaders::ProgramPtr unlitProgram() {
    TempDir dir;
    writeFile(dir.file("unlit.vert"), UNLIT_VERTEX);
    writeFile(dir.file("unlit.frag"), UNLIT_FRAGMENT);
    CapturedConsole console;
    console.start();
    shaders::GLShaderManager manager;
    shaders::ProgramPtr program = manager.loadFromFiles(dir.file("unlit.vert").c_str(), dir.file("unlit.frag").c_str());
    const std::string log = console.stop();
    EXPECT_NE(program, nullptr) << log;
    return program;
}

// Plain RGBA, sRGB output off: the texture's grey values are read back as
// they are stored.
TopDownTarget::TopDownTarget() : frame_(SIZE, SIZE, GL_RGBA8), previousSrgb_(glIsEnabled(GL_FRAMEBUFFER_SRGB)) {
    EXPECT_TRUE(frame_.complete());
    glDisable(GL_FRAMEBUFFER_SRGB);
}

TopDownTarget::~TopDownTarget() {
    if (previousSrgb_) glEnable(GL_FRAMEBUFFER_SRGB);
}

// Looking straight down from y = 100 with world -z as "up" on screen.
glm::mat4 TopDownTarget::view() {
    return glm::lookAt(glm::vec3(0.0f, 100.0f, 0.0f), glm::vec3(0.0f, 0.0f, 0.0f), glm::vec3(0.0f, 0.0f, -1.0f));
}

glm::mat4 TopDownTarget::projection() { return glm::ortho(-25.0f, 475.0f, -475.0f, 25.0f, 1.0f, 200.0f); }

void TopDownTarget::clear(float r, float g, float b) {
    GLfloat previous[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, previous);
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(previous[0], previous[1], previous[2], previous[3]);
}

void TopDownTarget::drawCity(const City& city, shaders::GLShader* program) {
    const glm::mat4 p = projection();
    const glm::mat3 normal(view());
    program->bind();
    glUniformMatrix4fv(program->uniformLocation("pMatrix"), 1, GL_FALSE, glm::value_ptr(p));
    glUniformMatrix3fv(program->uniformLocation("normalMatrix"), 1, GL_FALSE, glm::value_ptr(normal));
    program->unbind();
    for (int i = 0; i < City::SIZE; ++i)
        for (int j = 0; j < City::SIZE; ++j)
            city.cell(i, j)->draw(view(), glm::vec2(static_cast<float>(i), static_cast<float>(j)));
}

void TopDownTarget::read() { pixels_ = frame_.readRgba(); }

int TopDownTarget::channel(float x, float z, int c) const {
    const int column = static_cast<int>(std::floor((x + 25.0f) * 2.0f));
    const int row = static_cast<int>(std::floor((475.0f - z) * 2.0f));  // row 0 is the bottom of the image
    if (column < 0 || column >= SIZE || row < 0 || row >= SIZE) return -1;
    return pixels_[(row * SIZE + column) * 4 + c];
}

double TopDownTarget::meanGrey(float x, float z, int radius) const {
    double sum = 0;
    int n = 0;
    for (int dx = -radius; dx <= radius; ++dx) {
        for (int dz = -radius; dz <= radius; ++dz) {
            sum += channel(x + 0.5f * dx, z + 0.5f * dz, 0);
            ++n;
        }
    }
    return sum / n;
}

std::vector<unsigned char> TopDownTarget::topDownRgb() const {
    std::vector<unsigned char> rgb;
    rgb.reserve(SIZE * SIZE * 3);
    for (int row = SIZE - 1; row >= 0; --row)
        for (int column = 0; column < SIZE; ++column)
            for (int c = 0; c < 3; ++c) rgb.push_back(pixels_[(row * SIZE + column) * 4 + c]);
    return rgb;
}

}  // namespace testing_support
