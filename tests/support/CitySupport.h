#pragma once

#include "city/City.h"
#include "render/SpotLights.h"
#include "shaders/GLShader.h"
#include "support/Offscreen.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <string>
#include <vector>

namespace testing_support {

// The filters the game starts with.
constexpr GLint MAG_FILTER = GL_LINEAR;
constexpr GLint MIN_FILTER = GL_LINEAR_MIPMAP_LINEAR;

// A city built with the start filters; `output` receives what construction
// printed.
City buildCity(SpotLights& lights, std::string* output = nullptr);

// Runs the test in another folder and comes back when it goes.
class WorkingDir {
public:
    explicit WorkingDir(const std::string& path);
    ~WorkingDir();

private:
    std::string previous_;
};

// A folder that looks like the game folder to the city: Shaders linked to
// the real one (or copied, with the given lighting fragment stage), and
// Textures only when asked for.
std::string gameFolderCopy(const std::string& root, bool withTextures, const char* lightingFragment = nullptr);

// Unlit textured program with the cells' attributes and uniforms: the
// texture's red channel as grey, so roads stay visible without night light.
shaders::ProgramPtr unlitProgram();

// An offscreen square target. The map (x and z from -25 to 475) fills it,
// seen from above: x to the right, z downwards in the image.
class TopDownTarget {
public:
    static constexpr int SIZE = 1000;  // 2 pixels per world unit

    TopDownTarget();
    ~TopDownTarget();

    // Camera and projection for drawing cells into the target.
    static glm::mat4 view();
    static glm::mat4 projection();

    void clear(float r, float g, float b);
    // Draws every grid cell with `program`, which the cells were given.
    void drawCity(const City& city, shaders::GLShader* program);
    void read();
    // Red, green or blue at a world position, 0 to 255.
    int channel(float x, float z, int c) const;
    // Mean red over a square of `radius` pixels around the position.
    double meanGrey(float x, float z, int radius = 1) const;
    // Rows from the top of the image down, RGB.
    std::vector<unsigned char> topDownRgb() const;

private:
    OffscreenFrame frame_;
    GLboolean previousSrgb_ = GL_FALSE;
    std::vector<unsigned char> pixels_;  // RGBA, bottom row first
};

}  // namespace testing_support
