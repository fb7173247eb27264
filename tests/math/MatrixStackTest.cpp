#include "math/MatrixStack.h"

#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

namespace {

TEST(MatrixStack, SixtyThreePushesFitAndTheNextOverflows) {
    MatrixStack s(64);
    const glm::mat4 marked = glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3));
    s.loadMatrix(marked);
    for (int i = 0; i < 63; ++i) s.pushMatrix();
    EXPECT_EQ(s.index(), 63);
    EXPECT_EQ(s.lastError(), MatrixStack::None);
    EXPECT_EQ(s.top(), marked) << "push copies the previous top";
    s.pushMatrix(glm::mat4(2.0f));
    EXPECT_EQ(s.lastError(), MatrixStack::Overflow);
    EXPECT_EQ(s.index(), 63);
    EXPECT_EQ(s.top(), marked);
}

TEST(MatrixStack, PopAtTheBottomUnderflowsAndKeepsTheTop) {
    MatrixStack s(64);
    s.popMatrix();
    EXPECT_EQ(s.lastError(), MatrixStack::Underflow);
    EXPECT_EQ(s.index(), 0);
    EXPECT_EQ(s.top(), glm::mat4(1.0f));
}

TEST(MatrixStack, TranslateAndRotateMultiplyOnTheRight) {
    MatrixStack s(4);
    const glm::mat4 base = glm::scale(glm::mat4(1.0f), glm::vec3(2.0f));
    s.pushMatrix(base);
    s.translate(1, 0, 0);
    s.rotate(90.0f, 0, 1, 0);
    const glm::mat4 expected = base * glm::translate(glm::mat4(1.0f), glm::vec3(1, 0, 0)) *
                               glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), glm::vec3(0, 1, 0));
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) EXPECT_NEAR(s.top()[c][r], expected[c][r], 1e-6f);
    s.popMatrix();
    EXPECT_EQ(s.top(), glm::mat4(1.0f));
}

TEST(TransformPipeline, CombinesProjectionTimesModelViewAndNormalisesTheNormalMatrix) {
    MatrixStack modelView(8), projection(8);
    TransformPipeline pipeline;
    pipeline.setMatrixStacks(modelView, projection);
    const glm::mat4 rotation = glm::rotate(glm::mat4(1.0f), glm::radians(30.0f), glm::vec3(0, 1, 0));
    modelView.loadMatrix(glm::scale(rotation, glm::vec3(2.0f)));
    projection.loadMatrix(glm::translate(glm::mat4(1.0f), glm::vec3(0, 0, -5)));

    EXPECT_EQ(pipeline.modelViewProjectionMatrix(), projection.top() * modelView.top());
    const glm::mat3 n = pipeline.normalMatrix(true);
    const glm::mat3 expected(rotation);
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) EXPECT_NEAR(n[c][r], expected[c][r], 1e-6f);
    EXPECT_NEAR(pipeline.normalMatrix(false)[0][0], 2.0f * expected[0][0], 1e-6f);
}

TEST(Frustum, StartsOrthographicAndBuildsTheGamesPerspective) {
    Frustum f;
    EXPECT_EQ(f.projectionMatrix(), glm::ortho(-1.0f, 1.0f, -1.0f, 1.0f, -1.0f, 1.0f));
    f.setPerspective(35.0f, 1.5f, 1.0f, 260.0f);
    EXPECT_EQ(f.projectionMatrix(), glm::perspective(glm::radians(35.0f), 1.5f, 1.0f, 260.0f));
    // A point on the far plane lands at depth 1.
    const glm::vec4 far = f.projectionMatrix() * glm::vec4(0, 0, -260, 1);
    EXPECT_NEAR(far.z / far.w, 1.0f, 1e-5f);
}

}  // namespace
