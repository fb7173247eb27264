#pragma once

#include "city/Field.h"
#include "render/GlObject.h"
#include "render/SpotLights.h"
#include "shaders/GLShader.h"
#include "vehicle/MeshColour.h"

#include <glm/glm.hpp>

#include <memory>
#include <string>
#include <vector>

struct aiMesh;
struct aiScene;
namespace Assimp {
class Importer;
}

// One imported mesh: positions (x, y, z, 1), normals, one colour for every
// vertex, and triangle indices kept in main memory. Copies share the
// OpenGL objects made by setupBuffers.
class Mesh {
public:
    Mesh(const aiMesh* mesh, float red, float green, float blue, float alpha);

    void setupBuffers(shaders::GLShader* program);
    void draw();

    const std::vector<float>& vertices() const { return vertices_; }
    const std::vector<unsigned int>& indices() const { return indices_; }
    const std::vector<float>& normals() const { return normals_; }
    const std::vector<float>& colors() const { return colors_; }

private:
    std::vector<float> vertices_;
    std::vector<unsigned int> indices_;
    std::vector<float> normals_;
    std::vector<float> colors_;
    shaders::GLShader* shader_ = nullptr;
    std::shared_ptr<gl::VertexArrayObjects<3>> objects_;
};

// Imports a scene, printing what went wrong; null when nothing was imported.
const aiScene* loadScene(Assimp::Importer& importer, const std::string& fileName);

// The city is 500 units across: a model vertex further than this from the
// model's origin (or one that is not finite) makes the import refuse the
// model, which then holds no meshes.
constexpr float MAX_MODEL_EXTENT = 500.0f;

// A model imported through Assimp: the body meshes and the two steered
// front wheels (imported meshes 6 and 10), drawn under the spot lights.
class Geometry {
public:
    Geometry();
    // A file that cannot be imported leaves an empty model that draws nothing.
    explicit Geometry(std::string fileName);
    virtual ~Geometry();
    Geometry(const Geometry&) = default;
    Geometry& operator=(const Geometry&) = default;

    virtual void draw(glm::mat4 mv, glm::mat4 p, glm::mat3 n, Spot spot, float wheelAngle, glm::vec3 vanPosition);
    virtual void drawWheels(glm::mat4 mv, glm::mat4 p, glm::mat3 n, Spot spot, float angle);
    virtual void initShading(SpotLights* lights);

    // The model-view matrix of wheel k for a steering angle in degrees.
    glm::mat4 wheelMatrix(const glm::mat4& mv, std::size_t k, float angle) const;

    float maxX() const { return maxX_; }
    float minX() const { return minX_; }
    float maxZ() const { return maxZ_; }
    float minZ() const { return minZ_; }
    void setModelMatrix(glm::mat4 m) { modelMatrix_ = m; }
    const glm::mat4& modelMatrix() const { return modelMatrix_; }

    const std::vector<Mesh>& meshes() const { return meshes_; }
    const std::vector<Mesh>& wheels() const { return wheels_; }
    shaders::GLShader* bodyShader() const { return programs_ ? programs_->body.get() : nullptr; }
    shaders::GLShader* wheelShader() const { return programs_ ? programs_->wheel.get() : nullptr; }
    const SpotLights& lights() const { return lights_; }

private:
    // The two programs, shared by the copies of the model.
    struct Programs {
        shaders::ProgramPtr body;
        shaders::ProgramPtr wheel;
    };

    void sendMatrices(shaders::GLShader* program, const glm::mat4& mv, const glm::mat4& p, const glm::mat3& n,
                      const Spot& spot);

    SpotLights lights_;
    std::vector<Mesh> meshes_;
    std::vector<Mesh> wheels_;
    std::shared_ptr<Programs> programs_;
    float maxX_ = 0.0f;
    float minX_ = 0.0f;
    float maxZ_ = 0.0f;
    float minZ_ = 0.0f;
    glm::mat4 modelMatrix_{1.0f};
};

