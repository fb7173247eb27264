#include "city/City.h"

#include "render/GLError.h"
#include "render/SpotLights.h"

#include <glm/gtc/type_ptr.hpp>


namespace {

using T = Tile;

// Rows are i (world X), columns j (world Z). The outer ring is all blocks,
// so every street lies in 1..8 on both axes.
const Tile LAYOUT[City::SIZE][City::SIZE] = {
    {T::B, T::B, T::B, T::B, T::B, T::B, T::B, T::B, T::B, T::B},
    {T::B, T::C1, T::V, T::C2, T::B, T::C1, T::V, T::C2, T::B, T::B},
    {T::B, T::H, T::W, T::X2, T::V, T::C3, T::W, T::H, T::B, T::B},
    {T::B, T::H, T::W, T::H, T::B, T::O, T::B, T::H, T::W, T::B},
    {T::B, T::X2, T::V, T::X, T::V, T::V, T::V, T::X1, T::C2, T::B},
    {T::B, T::H, T::O, T::H, T::W, T::O, T::B, T::O, T::H, T::B},
    {T::B, T::H, T::O, T::C4, T::C2, T::W, T::W, T::W, T::H, T::B},
    {T::B, T::H, T::W, T::B, T::H, T::B, T::O, T::B, T::H, T::B},
    {T::B, T::H, T::W, T::V, T::X1, T::V, T::V, T::V, T::C3, T::B},
    {T::B, T::B, T::B, T::B, T::B, T::B, T::B, T::B, T::B, T::B},
};

}  // namespace

Tile layoutTile(int i, int j) { return LAYOUT[i][j]; }

int openSides(Tile tile) {
    switch (tile) {
    case T::H: return MinusI | PlusI;
    case T::V: return MinusJ | PlusJ;
    case T::X: return MinusI | PlusI | MinusJ | PlusJ;
    case T::X1: return MinusI | MinusJ | PlusJ;
    case T::X2: return MinusI | PlusI | PlusJ;
    case T::C1: return PlusI | PlusJ;
    case T::C2: return PlusI | MinusJ;
    case T::C3: return MinusI | MinusJ;
    case T::C4: return MinusI | PlusJ;
    default: return 0;
    }
}

void setFog(shaders::GLShader* program, float fogStart, float fogEnd, glm::vec3 fogColor) {
    if (!program) return;
    program->bind();
    glUniform1f(program->uniformLocation("fog_start"), fogStart);
    glUniform1f(program->uniformLocation("fog_end"), fogEnd);
    glUniform4f(program->uniformLocation("fog_color"), fogColor.x, fogColor.y, fogColor.z, 1.0f);
    program->unbind();
    checkGLError();
}

City::City(SpotLights& lights, GLint magFilter, GLint minFilter) : parts_(std::make_shared<ProgramsAndCells>()) {
    fieldSize_ = 25;
    fogColor_ = glm::vec3(0.01f, 0.01f, 0.01f);
    {
        shaders::GLShaderManager sm;
        parts_->shader = shaders::buildProgram(sm, "Shaders\\spotLightTex.vert", "Shaders\\spotLightTex.frag");
        parts_->fontShader = shaders::buildProgram(sm, "Shaders\\fontShader.vert", "Shaders\\fontShader.frag");
    }
    shaders::GLShader* program = parts_->shader.get();
    lights.attachShader(program);
    setFog(program, 0.0f, 150.0f, fogColor_);

    auto texture = [&](const char* file) { return Texture(file, GL_REPEAT, GL_REPEAT, magFilter, minFilter); };
    std::vector<std::unique_ptr<Field>>& cells = parts_->cells;
    auto street = [&](const char* file) {
        cells.push_back(std::make_unique<Street>(fieldSize_, fieldSize_, texture(file)));
        return cells.back().get();
    };

    // Loaded in this order, so the load errors come in this order too.
    Texture stonewallTex = texture("Textures\\paving.jpg");
    Texture wall_3windowsTex = texture("Textures\\wall_3windows.jpg");
    Texture oldhouseTex = texture("Textures\\oldhouse.jpg");
    Field* h = street("Textures\\street_straight_h.jpg");
    Field* v = street("Textures\\street_straight_v.jpg");
    Field* x = street("Textures\\street_cross.jpg");
    Field* x1 = street("Textures\\street_cross_1.jpg");
    Field* x2 = street("Textures\\street_cross_2.jpg");
    street("Textures\\street_cross_3.jpg");  // a tile the layout never places
    Field* c1 = street("Textures\\street_curve_1.jpg");
    Field* c2 = street("Textures\\street_curve_2.jpg");
    Field* c3 = street("Textures\\street_curve_3.jpg");
    Field* c4 = street("Textures\\street_curve_4.jpg");

    cells.push_back(std::make_unique<Building>(fieldSize_, fieldSize_, stonewallTex));
    Field* b = cells.back().get();
    cells.push_back(std::make_unique<FlatBuilding>(fieldSize_, fieldSize_, wall_3windowsTex, 15));
    Field* w = cells.back().get();
    cells.push_back(std::make_unique<FlatBuilding>(fieldSize_, fieldSize_, oldhouseTex, 30));
    Field* o = cells.back().get();

    // In the order of the Tile codes.
    Field* const objects[] = {b, w, o, h, v, x, x1, x2, c1, c2, c3, c4};
    for (int i = 0; i < SIZE; ++i)
        for (int j = 0; j < SIZE; ++j) grid_[i][j] = objects[static_cast<int>(LAYOUT[i][j])];
    for (int i = 0; i < SIZE; ++i)
        for (int j = 0; j < SIZE; ++j) grid_[i][j]->init(program);
}

void City::render(glm::mat4 modelView, glm::mat4 projection, glm::mat3 normalMatrix) {
    shaders::GLShader* program = shader();
    // Without its lighting program the city has nothing to draw with.
    if (!program) return;
    program->bind();
    glUniformMatrix4fv(program->uniformLocation("pMatrix"), 1, GL_FALSE, glm::value_ptr(projection));
    glUniformMatrix3fv(program->uniformLocation("normalMatrix"), 1, GL_FALSE, glm::value_ptr(normalMatrix));
    program->unbind();
    // Row by row: drawing the cells front to back instead saved nothing
    // measurable on the software renderer.
    for (int a = 0; a < SIZE; ++a)
        for (int b = 0; b < SIZE; ++b) grid_[a][b]->draw(modelView, glm::vec2(static_cast<float>(a), static_cast<float>(b)));
}

int City::isStreet(int i, int j) const {
    if (i < 0 || j < 0 || i >= SIZE || j >= SIZE || !grid_[i][j]) return 0;
    return grid_[i][j]->isStreet();
}

bool City::isBlocked(float x, float z) const {
    const float s = static_cast<float>(2 * fieldSize_);
    // Truncation towards zero: index 0 covers -75 < x < 25. Points further
    // out (only a very long frame gets there) are off the grid: blocked.
    const float fi = (x + 25.0f) / s;
    const float fj = (z + 25.0f) / s;
    if (!(fi > -1.0f && fi < SIZE) || !(fj > -1.0f && fj < SIZE)) return true;
    return isStreet(static_cast<int>(fi), static_cast<int>(fj)) == 0;
}

Spot* City::spotOf(int i, int j) const {
    if (i < 0 || i >= SIZE || j < 0 || j >= SIZE) {
        i = 0;
        j = 0;
    }
    return grid_[i][j] ? grid_[i][j]->spot() : nullptr;
}

glm::vec2 City::fieldCoordinates(glm::vec3 position) const {
    const double s = 2.0 * fieldSize_;
    return glm::vec2(static_cast<float>(position.x / s + 0.5), static_cast<float>(position.z / s + 0.5));
}

Spot* City::spotAt(glm::vec3 position) const {
    const glm::vec2 c = fieldCoordinates(position);
    // Out-of-range (and NaN) coordinates go to spotOf's cell (0, 0).
    const int i = c.x > -1.0f && c.x < SIZE ? static_cast<int>(c.x) : -1;
    const int j = c.y > -1.0f && c.y < SIZE ? static_cast<int>(c.y) : -1;
    return spotOf(i, j);
}
