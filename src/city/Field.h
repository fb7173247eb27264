#pragma once

#include "render/GlObject.h"
#include "render/Texture.h"
#include "shaders/GLShader.h"

#include <glm/glm.hpp>

#include <memory>

// The lighting a cell gives to what is drawn on it; the van takes its
// material colours from the cell under it.
struct Spot {
    Spot() = default;
    Spot(const glm::vec3& position, const glm::vec4& direction, const glm::vec4& ambient, const glm::vec4& diffuse,
         const glm::vec4& specular, float cosCutoff)
        : position(position), direction(direction), ambient(ambient), diffuse(diffuse), specular(specular),
          cosCutoff(cosCutoff) {}

    glm::vec3 position{0.0f, 0.0f, 0.0f};
    glm::vec4 direction{0.0f, 0.0f, 0.0f, 1.0f};
    glm::vec4 ambient{0.0f, 0.0f, 0.0f, 1.0f};
    glm::vec4 diffuse{0.0f, 0.0f, 0.0f, 1.0f};
    glm::vec4 specular{0.0f, 0.0f, 0.0f, 1.0f};
    float cosCutoff = 0.0f;  // carried along, read by nobody
};

// Sends the spot's "ambient", "diffuse" and "specular" colours to the
// bound program.
void uploadMaterial(shaders::GLShader* program, const Spot& material);

// One map cell kind. A single object serves every grid position of its
// kind, so a cell never knows where it stands: the position comes with
// each draw. Cells are built once per city and released with it.
class Field {
public:
    virtual ~Field() = default;
    // Builds the cell's geometry for the program. The city calls it for
    // every grid position, so a cell keeps what it built for a program and
    // builds again only for another one.
    virtual void init(shaders::GLShader* program) = 0;
    // Draws the cell centred at (50 x, 0, 50 y) for a 25-unit half size.
    virtual void draw(glm::mat4 modelView, glm::vec2 gridPosition) = 0;
    virtual Spot* spot() = 0;
    // 1 for a street, 0 for a building.
    virtual int isStreet() = 0;
};

using CellObjects = std::shared_ptr<gl::VertexArrayObjects<3>>;

// The open-bottomed box of a building block.
class BuildingMesh {
public:
    // Where the texture lies on the box: twice across every face, roof
    // included (a Building), or once per wall, upright, with the roof taken
    // from the texture's corner at the origin (a FlatBuilding).
    enum class Mapping { Repeated, OncePerWall };

    BuildingMesh() = default;
    BuildingMesh(float width, float depth, float height, shaders::GLShader* program, Texture& texture,
                 Mapping mapping);

    void draw(glm::mat4 modelView);
    bool builtFor(const shaders::GLShader* program) const { return objects_ && program_ == program; }

private:
    bool uploadPending_ = true;
    shaders::GLShader* program_ = nullptr;
    Texture texture_;
    CellObjects objects_;
};

// A plain block: the texture repeats twice across every face.
class Building : public Field {
public:
    Building(int width, int depth, Texture texture);

    void init(shaders::GLShader* program) override;
    void draw(glm::mat4 modelView, glm::vec2 gridPosition) override;
    Spot* spot() override { return &spot_; }
    int isStreet() override { return 0; }

    int height() const { return height_; }

protected:
    Building(int width, int depth, Texture texture, int height);
    void build(shaders::GLShader* program, BuildingMesh::Mapping mapping);

private:
    BuildingMesh mesh_;
    int width_;
    int depth_;
    Spot spot_;
    Texture texture_;
    int height_;
};

// A block whose walls show their texture once, upright.
class FlatBuilding : public Building {
public:
    FlatBuilding(int width, int depth, Texture texture, int height);

    void init(shaders::GLShader* program) override;
};

// The flat textured quad of a road tile; it also sends its lamp colours.
class StreetMesh {
public:
    StreetMesh() = default;
    StreetMesh(int width, int depth, shaders::GLShader* program, Texture& texture, Spot& spot);

    void draw(glm::mat4 modelView);
    bool builtFor(const shaders::GLShader* program) const { return objects_ && program_ == program; }

private:
    CellObjects objects_;
    shaders::GLShader* program_ = nullptr;
    Texture texture_;
    Spot spot_;
    bool uploadPending_ = true;
};

class Street : public Field {
public:
    Street(int width, int depth, const Texture& texture);

    void init(shaders::GLShader* program) override;
    void draw(glm::mat4 modelView, glm::vec2 gridPosition) override;
    Spot* spot() override { return &spot_; }
    int isStreet() override { return 1; }

private:
    StreetMesh mesh_;
    Texture texture_;
    int width_;
    int depth_;
    Spot spot_;
};

// The lamp record every street tile carries.
Spot streetLampSpot();
