#pragma once

#include "city/Field.h"
#include "shaders/GLShader.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <array>
#include <memory>
#include <vector>

class SpotLights;

// Sends the linear fog of the city's lighting program.
void setFog(shaders::GLShader* program, float fogStart, float fogEnd, glm::vec3 fogColor);

// The map: a fixed 10 x 10 grid of cells, cell (i, j) centred at world
// (50 i, 0, 50 j). A City is a cheap value: copies share the cell objects
// and programs, which are released with the last copy.
class City {
public:
    static constexpr int SIZE = 10;

    City() = default;
    // Builds programs, textures and cells with the given texture filters.
    City(SpotLights& lights, GLint magFilter, GLint minFilter);

    void render(glm::mat4 modelView, glm::mat4 projection, glm::mat3 normalMatrix);

    // 1 for a street cell, 0 for a building; 0 outside the grid.
    int isStreet(int i, int j) const;
    // True when (x, z) lies on a cell that is not a street, or off the grid.
    bool isBlocked(float x, float z) const;
    // The record of cell (i, j), or of cell (0, 0) outside the grid.
    Spot* spotOf(int i, int j) const;
    Spot* spotAt(glm::vec3 position) const;
    glm::vec2 fieldCoordinates(glm::vec3 position) const;

    shaders::GLShader* shader() const { return parts_ ? parts_->shader.get() : nullptr; }
    shaders::GLShader* fontShader() const { return parts_ ? parts_->fontShader.get() : nullptr; }
    Field* cell(int i, int j) const { return grid_[i][j]; }
    glm::vec3 fogColor() const { return fogColor_; }

private:
    // What one construction makes; every copy of the city shares it.
    struct ProgramsAndCells {
        shaders::ProgramPtr shader;
        shaders::ProgramPtr fontShader;
        std::vector<std::unique_ptr<Field>> cells;
    };

    std::shared_ptr<ProgramsAndCells> parts_;
    std::array<std::array<Field*, SIZE>, SIZE> grid_{};
    int fieldSize_ = 25;
    glm::vec3 fogColor_{0.0f, 0.0f, 0.0f};
};

// The layout: which tile stands at (i, j), i along X and j along Z.
// B stone wall (25 high), W windowed block (15), O old house (30); H and V
// straight streets, X crossing, X1 and X2 junctions, C1 to C4 curves.
enum class Tile { B, W, O, H, V, X, X1, X2, C1, C2, C3, C4 };
Tile layoutTile(int i, int j);

// Sides of a cell a street tile opens to, as offsets in the grid.
enum Side { MinusI = 1, PlusI = 2, MinusJ = 4, PlusJ = 8 };
int openSides(Tile tile);
