#include "shaders/GLShader.h"

#include "support/GlContext.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

using testing_support::TempDir;
using testing_support::writeFile;

namespace {

const char* kVertex =
    "#version 330 compatibility\n"
    "in vec4 in_position;\nuniform mat4 rotation_matrix;\n"
    "void main() { gl_Position = rotation_matrix * in_position; }\n";
const char* kFragment =
    "#version 330 compatibility\n"
    "out vec4 out_color;\nvoid main() { out_color = vec4(1.0); }\n";

// What each build printed is handed over by drain().
class GLShaderTest : public ConsoleGlTest {
protected:
    std::unique_ptr<shaders::GLShader> build(const std::string& vertex, const std::string& fragment, std::string* out) {
        writeFile(dir.file("a.vert"), vertex);
        writeFile(dir.file("a.frag"), fragment);
        shaders::GLShaderManager manager;
        drain();
        shaders::ProgramPtr program = manager.loadFromFiles(dir.file("a.vert").c_str(), dir.file("a.frag").c_str());
        *out = drain();
        return program;
    }

    TempDir dir;
};

TEST_F(GLShaderTest, MissingOrEmptyFilesGiveNullAndOneLine) {
    shaders::GLShaderManager manager;
    EXPECT_EQ(manager.loadFromFiles(dir.file("none.vert").c_str(), dir.file("none.frag").c_str()), nullptr);
    EXPECT_EQ(drain(), "error: can't load vertex shader!\n");

    std::string out;
    EXPECT_EQ(build("", kFragment, &out), nullptr);
    EXPECT_EQ(out, "error: can't load vertex shader!\n");
    EXPECT_EQ(build(kVertex, "", &out), nullptr);
    EXPECT_EQ(out, "error: can't load fragment shader!\n");
}

TEST_F(GLShaderTest, ADirectoryInPlaceOfASourceIsNotLoaded) {
    // A directory opens as a stream, but its length is not a text length
    // (on some file systems the largest offset there is) and reads fail.
    ASSERT_TRUE(std::filesystem::create_directory(dir.file("a.vert")));
    shaders::VertexShader stage;
    EXPECT_LT(stage.loadSource(dir.file("a.vert").c_str()), 0);
    EXPECT_EQ(stage.sourceText(), nullptr);
    writeFile(dir.file("a.frag"), kFragment);
    shaders::GLShaderManager manager;
    drain();
    EXPECT_EQ(manager.loadFromFiles(dir.file("a.vert").c_str(), dir.file("a.frag").c_str()), nullptr);
    EXPECT_EQ(drain(), "error: can't load vertex shader!\n");
}

TEST_F(GLShaderTest, FragmentSyntaxErrorIsReportedAfterTheVertexLog) {
    std::string out;
    EXPECT_EQ(build(kVertex, "#version 330 compatibility\nvoid main() { this is not glsl }\n", &out), nullptr);
    const auto vertexLog = out.find("***GLSL Compiler Log (Vertex Shader):\n");
    const auto error = out.find("***COMPILER ERROR (Fragment Shader):\n");
    ASSERT_NE(vertexLog, std::string::npos) << out;
    ASSERT_NE(error, std::string::npos) << out;
    EXPECT_LT(vertexLog, error);
    EXPECT_GT(out.size(), error + 40) << "the driver's log follows the header";
    EXPECT_EQ(out.find("Linker"), std::string::npos);
}

TEST_F(GLShaderTest, LinkErrorIsReported) {
    std::string out;
    const char* fragment =
        "#version 330 compatibility\nvec4 missing();\nout vec4 out_color;\nvoid main() { out_color = missing(); }\n";
    EXPECT_EQ(build(kVertex, fragment, &out), nullptr);
    EXPECT_NE(out.find("**linker error**\n**LINKER ERROR\n"), std::string::npos) << out;
}

TEST_F(GLShaderTest, SuccessfulBuildPrintsBothCompilerLogsAndTheLinkerLog) {
    std::string out;
    auto program = build(kVertex, kFragment, &out);
    ASSERT_NE(program, nullptr);
    const auto v = out.find("***GLSL Compiler Log (Vertex Shader):\n");
    const auto f = out.find("***GLSL Compiler Log (Fragment Shader):\n");
    const auto l = out.find("***GLSL Linker Log:\n");
    ASSERT_NE(v, std::string::npos);
    ASSERT_NE(f, std::string::npos);
    ASSERT_NE(l, std::string::npos);
    EXPECT_LT(v, f);
    EXPECT_LT(f, l);
    EXPECT_TRUE(program->isLinked());
}

TEST_F(GLShaderTest, RebindingTheOutputWarnsAndRelinks) {
    std::string out;
    auto program = build(kVertex, kFragment, &out);
    ASSERT_NE(program, nullptr);
    program->bindFragDataLocation("out_color");
    EXPECT_EQ(drain(), "**warning** Object is already linked, trying to link again\n");
    EXPECT_TRUE(program->isLinked());
    EXPECT_EQ(glGetFragDataLocation(program->programObject(), "out_color"), 0);
}

TEST_F(GLShaderTest, LookupsOfMissingNamesReportAndReturnMinusOne) {
    std::string out;
    auto program = build(kVertex, kFragment, &out);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(program->uniformLocation("fog_end"), -1);
    EXPECT_EQ(program->attribLocation("vNormal"), -1);
    EXPECT_GE(program->uniformLocation("rotation_matrix"), 0);
    EXPECT_GE(program->attribLocation("in_position"), 0);
    EXPECT_EQ(drain(),
              "Error: can't find uniform variable \"fog_end\"\n"
              "Error: can't find attribute \"vNormal\"\n");
}

TEST_F(GLShaderTest, EachMissingNameIsReportedOncePerLink) {
    std::string out;
    auto program = build(kVertex, kFragment, &out);
    ASSERT_NE(program, nullptr);
    // Drawing code asks for its names on every draw, frame after frame.
    for (int frame = 0; frame < 100; ++frame) {
        EXPECT_EQ(program->uniformLocation("mvMatrix"), -1);
        EXPECT_EQ(program->uniformLocation("pMatrix"), -1);
        EXPECT_EQ(program->attribLocation("vNormal"), -1);
        // A uniform and an attribute of the same name are two reports.
        EXPECT_EQ(program->attribLocation("mvMatrix"), -1);
    }
    EXPECT_EQ(drain(),
              "Error: can't find uniform variable \"mvMatrix\"\n"
              "Error: can't find uniform variable \"pMatrix\"\n"
              "Error: can't find attribute \"vNormal\"\n"
              "Error: can't find attribute \"mvMatrix\"\n");

    // A new link is a new program as far as its names go.
    program->bindFragDataLocation("out_color");
    for (int frame = 0; frame < 3; ++frame) program->uniformLocation("mvMatrix");
    EXPECT_EQ(drain(),
              "**warning** Object is already linked, trying to link again\n"
              "Error: can't find uniform variable \"mvMatrix\"\n");
}

TEST_F(GLShaderTest, BindOnAnUnlinkedProgramDoesNothingAndUnbindClears) {
    shaders::GLShader unlinked;
    glUseProgram(0);
    unlinked.bind();
    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);

    std::string out;
    auto program = build(kVertex, kFragment, &out);
    ASSERT_NE(program, nullptr);
    program->bind();
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(static_cast<GLuint>(current), program->programObject());
    program->unbind();
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
}

TEST_F(GLShaderTest, ProgramsOutliveTheirManager) {
    writeFile(dir.file("a.vert"), kVertex);
    writeFile(dir.file("a.frag"), kFragment);
    std::unique_ptr<shaders::GLShader> program;
    {
        shaders::GLShaderManager manager;
        program = manager.loadFromFiles(dir.file("a.vert").c_str(), dir.file("a.frag").c_str());
    }
    ASSERT_NE(program, nullptr);
    EXPECT_TRUE(glIsProgram(program->programObject()));
    program->bind();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    program->unbind();
}

TEST_F(GLShaderTest, ReleaseProgramOnlyReleasesItsOwn) {
    writeFile(dir.file("a.vert"), kVertex);
    writeFile(dir.file("a.frag"), kFragment);
    shaders::GLShaderManager manager;
    shaders::ProgramPtr program = manager.loadFromFiles(dir.file("a.vert").c_str(), dir.file("a.frag").c_str());
    ASSERT_NE(program, nullptr);
    const GLuint name = program->programObject();
    shaders::ProgramPtr stranger = std::make_unique<shaders::GLShader>();
    EXPECT_FALSE(manager.releaseProgram(stranger));
    EXPECT_NE(stranger, nullptr) << "a program the manager did not build stays with its owner";
    EXPECT_TRUE(manager.releaseProgram(program));
    EXPECT_EQ(program, nullptr) << "the owner no longer holds the released program";
    EXPECT_FALSE(glIsProgram(name));
    // Released once, through its owner: a second call has nothing to delete.
    EXPECT_FALSE(manager.releaseProgram(program));
}

TEST_F(GLShaderTest, StageLogsAndSourceLoading) {
    shaders::VertexShader stage;
    EXPECT_EQ(stage.loadSource(dir.file("missing.vert").c_str()), shaders::GLShaderObject::CannotOpen);
    writeFile(dir.file("empty.vert"), "");
    EXPECT_EQ(stage.loadSource(dir.file("empty.vert").c_str()), shaders::GLShaderObject::Empty);
    EXPECT_FALSE(stage.compile()) << "no source yet";
    EXPECT_STREQ(stage.compilerLog(), "Compiler log is not available");
    writeFile(dir.file("a.vert"), kVertex);
    EXPECT_EQ(stage.loadSource(dir.file("a.vert").c_str()), shaders::GLShaderObject::Loaded);
    EXPECT_STREQ(stage.sourceText(), kVertex);
    EXPECT_TRUE(stage.compile());
}

TEST_F(GLShaderTest, AttachingAnUncompiledStageCompilesItFirst) {
    writeFile(dir.file("a.vert"), kVertex);
    writeFile(dir.file("bad.frag"), "#version 330 compatibility\nnonsense\n");
    auto* vertex = new shaders::VertexShader();
    shaders::FragmentShader fragment;
    ASSERT_EQ(vertex->loadSource(dir.file("a.vert").c_str()), 0);
    ASSERT_EQ(fragment.loadSource(dir.file("bad.frag").c_str()), 0);
    shaders::GLShader program;
    drain();
    program.attachStage(vertex);
    program.attachStage(&fragment);
    program.attachStage(nullptr);
    EXPECT_EQ(drain(),
              "**warning** please compile program before adding object! trying to compile now...\n...ok!\n"
              "**warning** please compile program before adding object! trying to compile now...\n"
              "...compile ERROR!\n");
    EXPECT_TRUE(program.link()) << "a vertex stage alone links";
    program.setOwnsStages();
}

}  // namespace
