#pragma once

#include <GL/glew.h>

#include <memory>
#include <utility>

// Move-only owners of OpenGL names. The destructor is the one place where
// each kind of name is given back, so a name is deleted exactly once. Values
// that the game copies with their names inside (textures, meshes, markers)
// share an owner through std::shared_ptr, so the name outlives every copy
// and is released after its last use. All of it must be destroyed while the
// context is current.
namespace gl {

enum class Kind { Texture, Buffer, VertexArray };

template <Kind K>
class Name {
public:
    Name() = default;
    explicit Name(GLuint adopted) : id_(adopted) {}
    ~Name() { release(); }

    Name(const Name&) = delete;
    Name& operator=(const Name&) = delete;
    Name(Name&& other) noexcept : id_(std::exchange(other.id_, 0)) {}
    Name& operator=(Name&& other) noexcept {
        if (this != &other) {
            release();
            id_ = std::exchange(other.id_, 0);
        }
        return *this;
    }

    static Name generate() {
        GLuint id = 0;
        if constexpr (K == Kind::Texture) glGenTextures(1, &id);
        if constexpr (K == Kind::Buffer) glGenBuffers(1, &id);
        if constexpr (K == Kind::VertexArray) glGenVertexArrays(1, &id);
        return Name(id);
    }

    GLuint get() const { return id_; }

private:
    void release() {
        if (id_ == 0) return;
        if constexpr (K == Kind::Texture) glDeleteTextures(1, &id_);
        if constexpr (K == Kind::Buffer) glDeleteBuffers(1, &id_);
        if constexpr (K == Kind::VertexArray) glDeleteVertexArrays(1, &id_);
        id_ = 0;
    }

    GLuint id_ = 0;
};

using TextureName = Name<Kind::Texture>;
using BufferName = Name<Kind::Buffer>;
using VertexArrayName = Name<Kind::VertexArray>;

// A vertex array with its vertex buffers, as every drawable of the game
// uses them; shared by the copies of the drawable.
template <int BufferCount>
struct VertexArrayObjects {
    VertexArrayName vao = VertexArrayName::generate();
    BufferName buffers[BufferCount];

    VertexArrayObjects() {
        for (BufferName& b : buffers) b = BufferName::generate();
    }
};

}  // namespace gl
