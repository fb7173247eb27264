#include "vehicle/Geometry.h"

#include "platform/DataPath.h"
#include "render/BoundDraw.h"
#include "render/GLError.h"
#include "render/VertexAttribute.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iostream>

namespace {

// Tangent space, joined vertices, left-handed coordinates with flipped UVs
// and winding, triangles only, smooth normals where the file has none.
constexpr unsigned int IMPORT_FLAGS = aiProcess_CalcTangentSpace | aiProcess_JoinIdenticalVertices |
                                      aiProcess_MakeLeftHanded | aiProcess_Triangulate | aiProcess_GenSmoothNormals |
                                      aiProcess_FlipUVs | aiProcess_FlipWindingOrder;
static_assert(IMPORT_FLAGS == 0x0180004F, "the van is imported with these flags");

}  // namespace

Mesh::Mesh(const aiMesh* mesh, float red, float green, float blue, float alpha) {
    const unsigned int count = mesh->mNumVertices;
    vertices_.reserve(count * 4);
    normals_.reserve(count * 3);
    colors_.reserve(count * 4);
    for (unsigned int j = 0; j < count; ++j) {
        const aiVector3D& v = mesh->mVertices[j];
        vertices_.insert(vertices_.end(), {v.x, v.y, v.z, 1.0f});
        const aiVector3D n = mesh->mNormals ? mesh->mNormals[j] : aiVector3D(0.0f, 1.0f, 0.0f);
        normals_.insert(normals_.end(), {n.x, n.y, n.z});
        colors_.insert(colors_.end(), {red, green, blue, alpha});
    }
    for (unsigned int f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        // Points and lines have no surface to draw.
        if (face.mNumIndices != 3) continue;
        indices_.insert(indices_.end(), face.mIndices, face.mIndices + 3);
    }
}

void Mesh::setupBuffers(shaders::GLShader* program) {
    shader_ = program;
    if (!program) return;
    objects_ = std::make_shared<gl::VertexArrayObjects<3>>();
    glBindVertexArray(objects_->vao.get());
    auto fill = [&](GLuint buffer, const std::vector<float>& data, const char* name, GLint components) {
        fillAttribute(program, buffer, data.data(), static_cast<GLsizeiptr>(data.size() * sizeof(float)), name,
                      components);
    };
    fill(objects_->buffers[0].get(), vertices_, "vVertex", 4);
    fill(objects_->buffers[1].get(), normals_, "vNormal", 3);
    fill(objects_->buffers[2].get(), colors_, "vColor", 4);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void Mesh::draw() {
    if (indices_.empty() || !shader_ || !objects_) return;
    drawBound(shader_, objects_->vao.get(), [this] {
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices_.size()), GL_UNSIGNED_INT, indices_.data());
    });
    checkGLError();
}

const aiScene* loadScene(Assimp::Importer& importer, const std::string& fileName) {
    const std::string path = platform::nativePath(fileName);
    std::ifstream find(path);
    if (!find) {
        std::cout << "Cannot open file " << fileName << std::endl;
        std::cout << importer.GetErrorString() << std::endl;
    } else {
        find.close();
    }
    const aiScene* scene = importer.ReadFile(path, IMPORT_FLAGS);
    if (!scene) {
        std::cout << importer.GetErrorString() << std::endl;
    } else {
        std::cout << "Import of scene " << fileName << " succeeded." << std::endl;
    }
    return scene;
}

Geometry::Geometry() = default;

namespace {

// y is not measured for the footprint, but it is drawn.
bool sensibleVertex(float x, float y, float z) {
    return std::isfinite(y) && std::fabs(x) <= MAX_MODEL_EXTENT && std::fabs(z) <= MAX_MODEL_EXTENT;
}

}  // namespace

Geometry::Geometry(std::string fileName) {
    Assimp::Importer importer;
    const aiScene* scene = loadScene(importer, fileName);
    if (!scene) return;
    for (unsigned int i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* imported = scene->mMeshes[i];
        for (unsigned int v = 0; v < imported->mNumVertices; ++v) {
            const aiVector3D& p = imported->mVertices[v];
            if (!sensibleVertex(p.x, p.y, p.z)) {
                // The footprint drives the collision probes and the chase
                // camera, so a model that does not fit the city is no van.
                std::cout << "Model " << fileName << " refused: vertex (" << p.x << ", " << p.y << ", " << p.z
                          << ") is not finite or lies more than " << MAX_MODEL_EXTENT << " units from its origin"
                          << std::endl;
                meshes_.clear();
                wheels_.clear();
                maxX_ = minX_ = maxZ_ = minZ_ = 0.0f;
                return;
            }
            maxX_ = std::max(maxX_, p.x);
            maxZ_ = std::max(maxZ_, p.z);
            minX_ = std::min(minX_, p.x);
            minZ_ = std::min(minZ_, p.z);
        }
        const glm::vec3 c = meshColour(i);
        Mesh mesh(imported, c.r, c.g, c.b, 1.0f);
        (i == 6 || i == 10 ? wheels_ : meshes_).push_back(std::move(mesh));
    }
}

Geometry::~Geometry() = default;

void Geometry::sendMatrices(shaders::GLShader* program, const glm::mat4& mv, const glm::mat4& p, const glm::mat3& n,
                            const Spot& spot) {
    program->bind();
    glUniformMatrix4fv(program->uniformLocation("mvMatrix"), 1, GL_FALSE, glm::value_ptr(mv));
    glUniformMatrix4fv(program->uniformLocation("pMatrix"), 1, GL_FALSE, glm::value_ptr(p));
    glUniformMatrix3fv(program->uniformLocation("normalMatrix"), 1, GL_FALSE, glm::value_ptr(n));
    uploadMaterial(program, spot);
    program->unbind();
}

void Geometry::draw(glm::mat4 mv, glm::mat4 p, glm::mat3 n, Spot spot, float wheelAngle, glm::vec3 vanPosition) {
    shaders::GLShader* body = bodyShader();
    if (!body) return;
    sendMatrices(body, mv, p, n, spot);
    lights_.uploadModelPositions(vanPosition, modelMatrix_, body);
    for (Mesh& mesh : meshes_) mesh.draw();
    drawWheels(mv, p, n, spot, wheelAngle);
}

glm::mat4 Geometry::wheelMatrix(const glm::mat4& mv, std::size_t k, float angle) const {
    const float hx = maxX_ / 2.0f;
    const float hz = maxZ_ / 2.0f + 0.5f;
    const glm::mat4 r = glm::rotate(glm::mat4(1.0f), glm::radians(angle), glm::vec3(0.0f, 1.0f, 0.0f));
    auto t = [](float x, float z) { return glm::translate(glm::mat4(1.0f), glm::vec3(x, 0.0f, z)); };
    if (k == 0) return mv * t(hx, hz) * r * t(-hx, -hz);
    if (k == 1) return mv * t(-hx, hz) * r * t(hx, -hz);
    return mv;
}

void Geometry::drawWheels(glm::mat4 mv, glm::mat4 p, glm::mat3 n, Spot spot, float angle) {
    shaders::GLShader* wheel = wheelShader();
    if (!wheel) return;
    for (std::size_t k = 0; k < wheels_.size(); ++k) {
        sendMatrices(wheel, wheelMatrix(mv, k, angle), p, n, spot);
        wheels_[k].draw();
    }
}

void Geometry::initShading(SpotLights* lights) {
    lights_ = *lights;
    programs_ = std::make_shared<Programs>();
    {
        shaders::GLShaderManager manager;
        programs_->body = shaders::buildProgram(manager, "Shaders\\spotLight.vert", "Shaders\\spotLight.frag");
        lights->uploadTo(programs_->body.get());
        programs_->wheel = shaders::buildProgram(manager, "Shaders\\spotLight.vert", "Shaders\\spotLight.frag");
        lights->uploadTo(programs_->wheel.get());
    }
    // Without its programs the model draws nothing.
    for (Mesh& mesh : meshes_) mesh.setupBuffers(programs_->body.get());
    for (Mesh& mesh : wheels_) mesh.setupBuffers(programs_->wheel.get());
}
