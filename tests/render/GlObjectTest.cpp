#include "render/GlObject.h"

#include "support/GlContext.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using GlObjectTest = GlTest;

TEST_F(GlObjectTest, AMovedNameIsDeletedOnceByItsLastOwner) {
    GLuint id = 0;
    {
        gl::BufferName a = gl::BufferName::generate();
        id = a.get();
        glBindBuffer(GL_ARRAY_BUFFER, id);  // a buffer exists once bound
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        gl::BufferName b = std::move(a);
        EXPECT_EQ(a.get(), 0u);
        EXPECT_TRUE(glIsBuffer(id));
        gl::BufferName c;
        c = std::move(b);
        EXPECT_TRUE(glIsBuffer(id));
    }
    EXPECT_FALSE(glIsBuffer(id));
}

TEST_F(GlObjectTest, ReplacingAVertexArraySetReleasesTheOldOne) {
    auto first = std::make_shared<gl::VertexArrayObjects<2>>();
    const GLuint vao = first->vao.get();
    glBindVertexArray(vao);
    glBindVertexArray(0);
    auto copy = first;
    first = std::make_shared<gl::VertexArrayObjects<2>>();
    EXPECT_TRUE(glIsVertexArray(vao)) << "a copy still holds it";
    copy.reset();
    EXPECT_FALSE(glIsVertexArray(vao));
}

}  // namespace
