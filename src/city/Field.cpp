#include "city/Field.h"

#include "render/BoundDraw.h"
#include "render/GLError.h"
#include "render/VertexAttribute.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <array>
#include <utility>

namespace {

// Vertex data of one cell kind, as three tightly packed arrays.
template <int N>
struct CellGeometry {
    std::array<float, N * 4> verts;
    std::array<float, N * 3> normals;
    std::array<float, N * 2> textCoords;
};

template <int N>
CellObjects buildCellObjects(shaders::GLShader* program, const CellGeometry<N>& g) {
    auto objects = std::make_shared<gl::VertexArrayObjects<3>>();
    glBindVertexArray(objects->vao.get());
    fillAttribute(program, objects->buffers[0].get(), g.verts.data(), sizeof(g.verts), "vVertex", 4);
    fillAttribute(program, objects->buffers[1].get(), g.normals.data(), sizeof(g.normals), "vNormal", 3);
    fillAttribute(program, objects->buffers[2].get(), g.textCoords.data(), sizeof(g.textCoords), "inTextCoords",
                  2);
    glBindVertexArray(0);
    return objects;
}

// The five faces of a block (no bottom), counter-clockwise seen from
// outside, with the texture laid on by `mapping`.
CellGeometry<20> boxGeometry(float w, float d, float h, BuildingMesh::Mapping mapping) {
    const bool flat = mapping == BuildingMesh::Mapping::OncePerWall;
    struct Corner {
        float x, y, z, nx, ny, nz, s, t, fs, ft;
    };
    const Corner corners[20] = {
        {w, h, d, 0, 1, 0, 0, 0, 0, 0},        {w, h, -d, 0, 1, 0, 0, 2, 0, 0.001f},
        {-w, h, -d, 0, 1, 0, 2, 2, 0.001f, 0.001f}, {-w, h, d, 0, 1, 0, 2, 0, 0.001f, 0},
        {w, h, d, 0, 0, 1, 2, 0, 0, 1},        {-w, h, d, 0, 0, 1, 0, 0, 1, 1},
        {-w, 0, d, 0, 0, 1, 0, 2, 1, 0},       {w, 0, d, 0, 0, 1, 2, 2, 0, 0},
        {w, h, -d, 0, 0, -1, 0, 0, 1, 1},      {w, 0, -d, 0, 0, -1, 0, 2, 1, 0},
        {-w, 0, -d, 0, 0, -1, 2, 2, 0, 0},     {-w, h, -d, 0, 0, -1, 2, 0, 0, 1},
        {w, h, d, 1, 0, 0, 0, 0, 1, 1},        {w, 0, d, 1, 0, 0, 0, 2, 1, 0},
        {w, 0, -d, 1, 0, 0, 2, 2, 0, 0},       {w, h, -d, 1, 0, 0, 2, 0, 0, 1},
        {-w, h, d, -1, 0, 0, 2, 0, 0, 1},      {-w, h, -d, -1, 0, 0, 0, 0, 1, 1},
        {-w, 0, -d, -1, 0, 0, 0, 2, 1, 0},     {-w, 0, d, -1, 0, 0, 2, 2, 0, 0},
    };
    CellGeometry<20> g;
    for (int v = 0; v < 20; ++v) {
        const Corner& c = corners[v];
        const float position[4] = {c.x, c.y, c.z, 1.0f};
        const float normal[3] = {c.nx, c.ny, c.nz};
        const float tex[2] = {flat ? c.fs : c.s, flat ? c.ft : c.t};
        std::copy(position, position + 4, g.verts.begin() + v * 4);
        std::copy(normal, normal + 3, g.normals.begin() + v * 3);
        std::copy(tex, tex + 2, g.textCoords.begin() + v * 2);
    }
    return g;
}

// The road quad on y = 0: s grows towards -X and t towards -Z, so the
// image's bottom-left texel lies at the tile's +X, +Z corner.
CellGeometry<4> tileGeometry(float w, float d) {
    return CellGeometry<4>{
        {w, 0, d, 1, w, 0, -d, 1, -w, 0, -d, 1, -w, 0, d, 1},
        {0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0},
        {0, 0, 0, 1, 1, 1, 1, 0},
    };
}

// The model-view of a cell of half size (width, depth) at a grid position.
glm::mat4 placed(const glm::mat4& modelView, int width, int depth, glm::vec2 gridPosition) {
    const float x = 2.0f * static_cast<float>(width) * gridPosition.x;
    const float z = 2.0f * static_cast<float>(depth) * gridPosition.y;
    return modelView * glm::translate(glm::mat4(1.0f), glm::vec3(x, 0.0f, z));
}

// The draw sequence all cells share; a street also sends its lamp colours.
void drawCell(shaders::GLShader* program, Texture& texture, bool& uploadPending, const CellObjects& objects,
              const glm::mat4& modelView, GLsizei vertexCount, const Spot* material) {
    if (!program || !objects) return;
    if (uploadPending) {
        texture.upload();
        uploadPending = false;
    }
    texture.bind(GL_TEXTURE0);
    drawBound(program, objects->vao.get(), [&] {
        if (material) {
            uploadMaterial(program, *material);
            checkGLError();
        }
        glUniform1i(glGetUniformLocation(program->programObject(), "colorTexture"), 0);
        glUniformMatrix4fv(program->uniformLocation("mvMatrix"), 1, GL_FALSE, glm::value_ptr(modelView));
        glDrawArrays(GL_QUADS, 0, vertexCount);
    });
    texture.unbind(GL_TEXTURE0);
}

}  // namespace

void uploadMaterial(shaders::GLShader* program, const Spot& material) {
    const glm::vec4& a = material.ambient;
    const glm::vec4& d = material.diffuse;
    const glm::vec4& s = material.specular;
    glUniform4f(program->uniformLocation("ambient"), a.x, a.y, a.z, a.w);
    glUniform4f(program->uniformLocation("diffuse"), d.x, d.y, d.z, d.w);
    glUniform4f(program->uniformLocation("specular"), s.x, s.y, s.z, s.w);
}

Spot streetLampSpot() {
    return Spot(glm::vec3(0.0f, 12.0f, 0.0f), glm::vec4(0.0f, -1.0f, 0.0f, 1.0f), glm::vec4(0.01f, 0.01f, 0.01f, 1.0f),
                glm::vec4(0.3f, 0.3f, 0.3f, 1.0f), glm::vec4(0.2f, 0.2f, 0.2f, 1.0f), 0.7f);
}

BuildingMesh::BuildingMesh(float width, float depth, float height, shaders::GLShader* program, Texture& texture,
                           Mapping mapping)
    : program_(program), texture_(texture) {
    if (!program) return;
    objects_ = buildCellObjects(program, boxGeometry(width, depth, height, mapping));
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void BuildingMesh::draw(glm::mat4 modelView) {
    drawCell(program_, texture_, uploadPending_, objects_, modelView, 20, nullptr);
}

Building::Building(int width, int depth, Texture texture) : Building(width, depth, std::move(texture), 25) {}

Building::Building(int width, int depth, Texture texture, int height)
    : width_(width), depth_(depth), texture_(std::move(texture)), height_(height) {}

void Building::build(shaders::GLShader* program, BuildingMesh::Mapping mapping) {
    if (mesh_.builtFor(program)) return;
    mesh_ = BuildingMesh(static_cast<float>(width_), static_cast<float>(depth_), static_cast<float>(height_), program,
                         texture_, mapping);
}

void Building::init(shaders::GLShader* program) { build(program, BuildingMesh::Mapping::Repeated); }

void Building::draw(glm::mat4 modelView, glm::vec2 gridPosition) {
    mesh_.draw(placed(modelView, width_, depth_, gridPosition));
}

FlatBuilding::FlatBuilding(int width, int depth, Texture texture, int height)
    : Building(width, depth, std::move(texture), height) {}

void FlatBuilding::init(shaders::GLShader* program) { build(program, BuildingMesh::Mapping::OncePerWall); }

StreetMesh::StreetMesh(int width, int depth, shaders::GLShader* program, Texture& texture, Spot& spot)
    : program_(program), texture_(texture), spot_(spot) {
    if (!program) return;
    objects_ = buildCellObjects(program, tileGeometry(static_cast<float>(width), static_cast<float>(depth)));
    checkGLError();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void StreetMesh::draw(glm::mat4 modelView) {
    drawCell(program_, texture_, uploadPending_, objects_, modelView, 4, &spot_);
}

Street::Street(int width, int depth, const Texture& texture)
    : texture_(texture), width_(width), depth_(depth), spot_(streetLampSpot()) {}

void Street::init(shaders::GLShader* program) {
    if (!mesh_.builtFor(program)) mesh_ = StreetMesh(width_, depth_, program, texture_, spot_);
}

void Street::draw(glm::mat4 modelView, glm::vec2 gridPosition) {
    mesh_.draw(placed(modelView, width_, depth_, gridPosition));
}
