// The van model: import of OBJ files (mesh split, colours, footprint,
// console lines), the shipped vito.obj, and the steered front wheels.
#include "vehicle/Geometry.h"

#include "support/GlContext.h"
#include "support/TestFiles.h"

#include <assimp/Importer.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

// Builds a small OBJ file. Assimp makes one mesh per "o" object, in file
// order; coordinates here are the file's (the importer negates z).
class ObjText {
public:
    void object(const std::string& name) { text_ << "o " << name << "\n"; }
    void triangle(glm::vec3 a, glm::vec3 b, glm::vec3 c) {
        vertex(a);
        vertex(b);
        vertex(c);
        text_ << "vn 0 1 0\n";
        ++normals_;
        text_ << "f";
        for (int k = 2; k >= 0; --k) text_ << " " << vertices_ - k << "//" << normals_;
        text_ << "\n";
    }
    void line(glm::vec3 a, glm::vec3 b) {
        vertex(a);
        vertex(b);
        text_ << "l " << vertices_ - 1 << " " << vertices_ << "\n";
    }
    void point(glm::vec3 a) {
        vertex(a);
        text_ << "p " << vertices_ << "\n";
    }
    std::string str() const { return text_.str(); }

private:
    void vertex(glm::vec3 v) {
        text_ << "v " << v.x << " " << v.y << " " << v.z << "\n";
        ++vertices_;
    }
    std::ostringstream text_;
    int vertices_ = 0;
    int normals_ = 0;
};

// `count` objects of one triangle each; object i lies at height y = i so
// its mesh can be recognised after the import.
std::string numberedObjects(int count) {
    ObjText obj;
    for (int i = 0; i < count; ++i) {
        obj.object("part" + std::to_string(i));
        const float y = static_cast<float>(i);
        obj.triangle({0, y, 0}, {1, y, 0}, {0, y, -1});
    }
    return obj.str();
}

float heightOf(const Mesh& mesh) { return mesh.vertices().at(1); }

std::vector<float> heights(const std::vector<Mesh>& meshes) {
    std::vector<float> result;
    for (const Mesh& m : meshes) result.push_back(heightOf(m));
    return result;
}

class ModelImportTest : public ConsoleGlTest {
protected:
    // Imports `text` written to a file; what the import printed is kept.
    Geometry import(const std::string& text, const std::string& name = "model.obj") {
        const std::string path = dir.file(name);
        writeFile(path, text);
        drain();
        Geometry model(path);
        lastOutput = drain();
        return model;
    }

    TempDir dir;
    std::string lastOutput;
};

TEST_F(ModelImportTest, MeshesSixAndTenAreTheFrontWheelsTheRestIsBodyInFileOrder) {
    struct Case {
        int objects;
        std::vector<float> body;
        std::vector<float> wheels;
    };
    const Case cases[] = {
        {6, {0, 1, 2, 3, 4, 5}, {}},
        {7, {0, 1, 2, 3, 4, 5}, {6}},
        {10, {0, 1, 2, 3, 4, 5, 7, 8, 9}, {6}},
        {11, {0, 1, 2, 3, 4, 5, 7, 8, 9}, {6, 10}},
        {13, {0, 1, 2, 3, 4, 5, 7, 8, 9, 11, 12}, {6, 10}},
    };
    for (const Case& c : cases) {
        const Geometry model = import(numberedObjects(c.objects));
        EXPECT_EQ(heights(model.meshes()), c.body) << c.objects << " objects";
        EXPECT_EQ(heights(model.wheels()), c.wheels) << c.objects << " objects";
    }
}

TEST_F(ModelImportTest, EveryVertexOfAMeshGetsTheColourOfItsIndex) {
    const glm::vec3 wheel(0.5f, 0.4f, 0.3f);
    const glm::vec3 fixed[] = {{160, 0, 0}, {255, 255, 0}, {0, 0, 1}, {0, 0, 0},      {0, 0, 0},
                               {0, 0, 0},   wheel,         wheel,     {182, 182, 182}};
    for (unsigned i = 0; i < 9; ++i) EXPECT_EQ(meshColour(i), fixed[i]) << "mesh " << i;
    EXPECT_EQ(meshColour(10), wheel);
    for (unsigned i : {9u, 11u, 12u, 40u}) {
        const float f = static_cast<float>(i);
        EXPECT_EQ(meshColour(i), glm::vec3(1.0f / f, 0.8f / f, 0.6f / f)) << "mesh " << i;
    }

    const Geometry model = import(numberedObjects(13));
    auto check = [](const Mesh& mesh) {
        const unsigned index = static_cast<unsigned>(heightOf(mesh));
        const glm::vec4 expected(meshColour(index), 1.0f);
        const std::vector<float>& colours = mesh.colors();
        ASSERT_EQ(colours.size(), mesh.vertices().size()) << "mesh " << index;
        for (std::size_t k = 0; k < colours.size(); k += 4)
            EXPECT_EQ(glm::vec4(colours[k], colours[k + 1], colours[k + 2], colours[k + 3]), expected)
                << "mesh " << index;
        EXPECT_EQ(mesh.normals().size() * 4, mesh.vertices().size() * 3);
        EXPECT_EQ(mesh.indices().size(), 3u);
    };
    for (const Mesh& m : model.meshes()) check(m);
    for (const Mesh& m : model.wheels()) check(m);
}

TEST_F(ModelImportTest, FootprintContainsTheOriginAndIsMeasuredInGameCoordinates) {
    ObjText positive;  // game x 2..3, game z 4..6 (file z is negated)
    positive.object("a");
    positive.triangle({2, 0, -4}, {3, 0, -4}, {2, 1, -6});
    Geometry model = import(positive.str());
    EXPECT_EQ(model.minX(), 0.0f);
    EXPECT_EQ(model.minZ(), 0.0f);
    EXPECT_EQ(model.maxX(), 3.0f);
    EXPECT_EQ(model.maxZ(), 6.0f);

    ObjText negative;  // game x -5..-1, game z -2..-1
    negative.object("a");
    negative.triangle({-1, 0, 1}, {-5, 0, 1}, {-1, 1, 2});
    model = import(negative.str());
    EXPECT_EQ(model.maxX(), 0.0f);
    EXPECT_EQ(model.minX(), -5.0f);
    EXPECT_EQ(model.maxZ(), 0.0f);
    EXPECT_EQ(model.minZ(), -2.0f);

    // The wheels count for the footprint too.
    ObjText wheels;
    for (int i = 0; i < 11; ++i) {
        wheels.object("part" + std::to_string(i));
        const float far = i == 6 ? 9.0f : i == 10 ? -7.0f : 1.0f;
        wheels.triangle({0, 0, 0}, {far, 0, 0}, {0, 0, -far});
    }
    model = import(wheels.str());
    EXPECT_EQ(model.maxX(), 9.0f);
    EXPECT_EQ(model.minX(), -7.0f);
    EXPECT_EQ(model.maxZ(), 9.0f);
    EXPECT_EQ(model.minZ(), -7.0f);
}

TEST_F(ModelImportTest, LinesAndPointsAddNoIndicesAndAMeshOfThemDrawsNothing) {
    ObjText obj;
    obj.object("mixed");
    obj.triangle({0, 0, 0}, {1, 0, 0}, {0, 0, -1});
    obj.line({0, 1, 0}, {1, 1, 0});
    obj.point({0, 2, 0});
    obj.object("wire");
    obj.line({0, 3, 0}, {1, 3, 0});
    obj.point({1, 3, 1});
    Geometry model = import(obj.str());
    ASSERT_EQ(model.meshes().size(), 2u) << lastOutput;
    EXPECT_EQ(model.meshes()[0].indices().size(), 3u);
    EXPECT_TRUE(model.meshes()[1].indices().empty());

    SpotLights lights;
    model.initShading(&lights);
    // Copies of a mesh share its buffers, so a copy draws what the model draws.
    auto primitivesDrawn = [](Mesh mesh) {
        GLuint query = 0;
        glGenQueries(1, &query);
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        mesh.draw();
        glEndQuery(GL_PRIMITIVES_GENERATED);
        GLuint count = 99;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
        glDeleteQueries(1, &query);
        return count;
    };
    EXPECT_EQ(primitivesDrawn(model.meshes()[0]), 1u);
    EXPECT_EQ(primitivesDrawn(model.meshes()[1]), 0u);
}

TEST_F(ModelImportTest, ConsoleReportsSuccessMissingFilesAndFailedImports) {
    import(numberedObjects(1), "ok.obj");
    EXPECT_EQ(lastOutput, "Import of scene " + dir.file("ok.obj") + " succeeded.\n");

    const std::string missing = dir.file("absent.obj");
    Geometry absent(missing);
    std::string out = drain();
    // The importer has no error text yet when the file is found missing;
    // its text follows once the import has failed too.
    Assimp::Importer reference;
    ASSERT_EQ(reference.ReadFile(missing, 0), nullptr);
    EXPECT_EQ(out, "Cannot open file " + missing + "\n\n" + reference.GetErrorString() + "\n");
    EXPECT_TRUE(absent.meshes().empty());
    EXPECT_TRUE(absent.wheels().empty());

    // A file the importer has no reader for: only the importer's own text.
    const std::string unknown = dir.file("model.nosuchformat");
    writeFile(unknown, "\x01\x02 not a model\n");
    ASSERT_EQ(reference.ReadFile(unknown, 0), nullptr);
    drain();
    Geometry failed(unknown);
    out = drain();
    EXPECT_EQ(out, std::string(reference.GetErrorString()) + "\n");

    // An empty model sets up and draws without touching anything.
    SpotLights lights;
    failed.initShading(&lights);
    failed.draw(glm::mat4(1.0f), glm::mat4(1.0f), glm::mat3(1.0f), Spot(), 30.0f, glm::vec3(0.0f));
    EXPECT_TRUE(failed.meshes().empty());
}

TEST_F(ModelImportTest, ModelsThatDoNotFitTheCityAreRefusedAndHoldNothing) {
    // A small body plus one far vertex each: the footprint would be huge
    // or undefined, and the chase camera and the job prices depend on it.
    const char* farVertices[] = {"1e7 0 1e7", "inf 0 0", "1e38 0 0", "0 0 -1e38", "-inf 0 0", "0 nan 0", "0 0 nan",
                                 "500.5 0 0"};
    for (const char* far : farVertices) {
        const std::string text = std::string("o body\nv 0 0 0\nv 1 0 0\nv 0 0 -1\nf 1 2 3\n") +
                                 "o far\nv " + far + "\nv 1 1 0\nv 0 1 -1\nf 4 5 6\n";
        const Geometry model = import(text);
        EXPECT_TRUE(model.meshes().empty()) << far;
        EXPECT_TRUE(model.wheels().empty()) << far;
        EXPECT_EQ(model.minX(), 0.0f) << far;
        EXPECT_EQ(model.maxX(), 0.0f) << far;
        EXPECT_EQ(model.minZ(), 0.0f) << far;
        EXPECT_EQ(model.maxZ(), 0.0f) << far;
        const std::string success = "Import of scene " + dir.file("model.obj") + " succeeded.\n";
        ASSERT_EQ(lastOutput.rfind(success, 0), 0u) << far << ": " << lastOutput;
        const std::string refusal = lastOutput.substr(success.size());
        EXPECT_EQ(refusal.rfind("Model " + dir.file("model.obj") + " refused: vertex (", 0), 0u) << refusal;
        EXPECT_NE(refusal.find("is not finite or lies more than 500 units from its origin\n"), std::string::npos)
            << refusal;
        EXPECT_EQ(std::count(refusal.begin(), refusal.end(), '\n'), 1) << refusal;
    }

    // At the limit the model is still taken.
    const Geometry big = import("o a\nv -500 0 500\nv 500 0 -500\nv 0 1e30 0\nf 1 2 3\n");
    ASSERT_EQ(big.meshes().size(), 1u) << lastOutput;
    EXPECT_EQ(big.minX(), -500.0f);
    EXPECT_EQ(big.maxX(), 500.0f);
    EXPECT_EQ(big.minZ(), -500.0f);
    EXPECT_EQ(big.maxZ(), 500.0f);
}

// The van as shipped, read from the game folder.
class VanModelTest : public ConsoleGlTest {
protected:
    static void SetUpTestSuite() {
        CapturedConsole console;
        console.start();
        van = new Geometry("vito.obj");
        output = console.stop();
    }
    static void TearDownTestSuite() {
        delete van;
        van = nullptr;
    }
    static Geometry* van;
    static std::string output;
};
Geometry* VanModelTest::van = nullptr;
std::string VanModelTest::output;

glm::vec3 centreOf(const Mesh& mesh) {
    glm::vec3 sum(0.0f);
    const std::vector<float>& v = mesh.vertices();
    for (std::size_t k = 0; k < v.size(); k += 4) sum += glm::vec3(v[k], v[k + 1], v[k + 2]);
    return sum / static_cast<float>(v.size() / 4);
}

TEST_F(VanModelTest, ImportsAVanWithTwoSteeredFrontWheels) {
    EXPECT_EQ(output, "Import of scene vito.obj succeeded.\n");
    EXPECT_GE(van->meshes().size() + van->wheels().size(), 11u);
    ASSERT_EQ(van->wheels().size(), 2u);
    const float width = van->maxX() - van->minX();
    const float length = van->maxZ() - van->minZ();
    EXPECT_GE(width, 4.0f);
    EXPECT_LE(width, 5.0f);
    EXPECT_NEAR(length, 10.0f, 1.0f);
    EXPECT_GT(van->maxZ(), 0.0f);
    EXPECT_LT(van->minZ(), 0.0f);
    // The wheels turn about axles at z = maxZ / 2 + 0.5; wheel 0 is on the +x side.
    const float axle = van->maxZ() / 2.0f + 0.5f;
    const glm::vec3 first = centreOf(van->wheels()[0]);
    const glm::vec3 second = centreOf(van->wheels()[1]);
    EXPECT_NEAR(first.z, axle, 0.3f);
    EXPECT_NEAR(second.z, axle, 0.3f);
    EXPECT_GT(first.x, 1.0f);
    EXPECT_LT(second.x, -1.0f);
}

TEST_F(VanModelTest, AssimpsOwnToolCountsTheSameMeshes) {
#ifdef _WIN32
    GTEST_SKIP() << "asks a POSIX shell for the assimp tool";
#else
    if (std::system("command -v assimp > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "the assimp tool (package assimp-utils) is not installed";
    FILE* pipe = popen("assimp info vito.obj 2>&1", "r");
    ASSERT_NE(pipe, nullptr);
    std::string text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
    ASSERT_EQ(pclose(pipe), 0) << text;
    const std::size_t at = text.find("Meshes:");
    ASSERT_NE(at, std::string::npos) << text;
    const unsigned long meshes = std::stoul(text.substr(at + 7));
    EXPECT_EQ(meshes, van->meshes().size() + van->wheels().size());
#endif
}

TEST_F(VanModelTest, WheelsTurnAboutTheirVerticalAxles) {
    const glm::mat4 mv = glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(3, -2, -40)), 0.7f,
                                     glm::normalize(glm::vec3(1, 2, 0.5f)));
    const float hx = van->maxX() / 2.0f;
    const float hz = van->maxZ() / 2.0f + 0.5f;
    const float c = std::cos(glm::radians(30.0f)), s = std::sin(glm::radians(30.0f));
    for (std::size_t k = 0; k < 2; ++k) {
        const glm::mat4 straight = van->wheelMatrix(mv, k, 0.0f);
        for (int col = 0; col < 4; ++col)
            for (int row = 0; row < 4; ++row) EXPECT_NEAR(straight[col][row], mv[col][row], 1e-5f);

        const glm::mat4 turned = van->wheelMatrix(mv, k, 30.0f);
        const glm::vec4 pivot(k == 0 ? hx : -hx, 0.0f, hz, 1.0f);
        const glm::vec4 ahead = pivot + glm::vec4(0, 0, 1, 0);
        const glm::vec4 turnedAhead = pivot + glm::vec4(s, 0, c, 0);  // +30 degrees about +y
        for (int a = 0; a < 4; ++a) {
            EXPECT_NEAR((turned * pivot)[a], (mv * pivot)[a], 1e-4f) << "wheel " << k;
            EXPECT_NEAR((turned * ahead)[a], (mv * turnedAhead)[a], 1e-4f) << "wheel " << k;
        }
    }
}

TEST_F(VanModelTest, DrawSendsTheModelViewToTheBodyAndTheTurnedOneToTheWheels) {
    Geometry model = *van;
    SpotLights lights;
    model.initShading(&lights);
    const glm::mat4 mv = glm::translate(glm::mat4(1.0f), glm::vec3(1, -7.4f, -25));
    model.draw(mv, glm::mat4(1.0f), glm::mat3(1.0f), Spot(), 30.0f, glm::vec3(0.0f));
    auto sentModelView = [](shaders::GLShader* program) {
        glm::mat4 m(0.0f);
        const GLuint p = program->programObject();
        glGetUniformfv(p, glGetUniformLocation(p, "mvMatrix"), &m[0][0]);
        return m;
    };
    EXPECT_EQ(sentModelView(model.bodyShader()), mv);
    // The last wheel drawn is wheel 1.
    const glm::mat4 wheel = sentModelView(model.wheelShader());
    const glm::mat4 expected = model.wheelMatrix(mv, 1, 30.0f);
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) EXPECT_NEAR(wheel[col][row], expected[col][row], 1e-5f);
    EXPECT_NE(wheel, mv);
}

}  // namespace
