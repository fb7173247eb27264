#pragma once

#include <GL/glew.h>

#include <iosfwd>
#include <memory>
#include <set>
#include <string>
#include <vector>

// GLSL programs built from source files, with every build step reported on
// standard output. Drawing code keeps plain GLShader pointers and sets its
// uniform values itself; locations are looked up afresh on every draw.
namespace shaders {

// Initialises the extension loader once per process; a failed attempt is
// retried by the next caller.
bool initExtensions();

// The stream's length in bytes (0 when the stream is not good), leaving
// the read position at the beginning.
unsigned int fileLength(std::istream& stream);

// One shader stage.
class GLShaderObject {
public:
    GLShaderObject();
    virtual ~GLShaderObject();
    GLShaderObject(const GLShaderObject&) = delete;
    GLShaderObject& operator=(const GLShaderObject&) = delete;

    enum LoadResult { Loaded = 0, CannotOpen = -1, Empty = -2, OutOfMemory = -3 };

    // Reads the file (name as written, backslashes allowed) as the source.
    int loadSource(const char* fileName);
    bool compile();
    // The driver's log, or a fixed text when there is none; owned by the stage.
    const char* compilerLog();

    bool isCompiled() const { return is_compiled; }
    GLuint shaderObject() const { return shader_object; }
    const char* sourceText() const { return source.get(); }

protected:
    int stage_kind = 0;
    GLuint shader_object = 0;

private:
    std::unique_ptr<char[]> source;
    std::unique_ptr<char[]> compiler_log;
    bool is_compiled = false;
};

class VertexShader : public GLShaderObject {
public:
    VertexShader();
};

class FragmentShader : public GLShaderObject {
public:
    FragmentShader();
};

// One program. When it owns its stages (set after a successful build) it
// destroys them with itself.
class GLShader {
public:
    GLShader();
    virtual ~GLShader();
    GLShader(const GLShader&) = delete;
    GLShader& operator=(const GLShader&) = delete;

    void attachStage(GLShaderObject* stage);
    bool link();
    const char* linkerLog();

    void bind();
    void unbind();

    // -1 when the name is not active. The "Error: can't find ..." line is
    // printed for the first lookup of each name after a link, so a program
    // that lacks a name the drawing code asks for on every frame does not
    // flood the console.
    GLint uniformLocation(const char* name);
    GLint attribLocation(const char* name);

    // Binds the output to colour number 0 and links again.
    void bindFragDataLocation(const std::string& name);
    void setOwnsStages() { owns_stages = true; }

    GLuint programObject() const { return program_object; }
    bool isLinked() const { return is_linked; }

private:
    GLuint program_object = 0;
    std::unique_ptr<char[]> linker_log;
    bool is_linked = false;
    bool attached = false;  // the stages are attached on the OpenGL side
    std::set<std::string> reported;  // missing names already reported since the last link
    std::vector<GLShaderObject*> stages;
    bool owns_stages = false;
};

// The one owner of a program: whoever keeps it.
using ProgramPtr = std::unique_ptr<GLShader>;

// Builds programs from pairs of files and hands each to the caller, who owns
// it from then on: destroying the manager leaves every program usable.
class GLShaderManager {
public:
    GLShaderManager();
    virtual ~GLShaderManager();
    GLShaderManager(const GLShaderManager&) = delete;
    GLShaderManager& operator=(const GLShaderManager&) = delete;

    // Null on any failure, after the failure was reported.
    ProgramPtr loadFromFiles(const char* vertexFile, const char* fragmentFile);
    // Destroys a program this manager built, through its owner, which is
    // left null; false, and the program untouched, for any other.
    bool releaseProgram(ProgramPtr& program);

private:
    // The programs built, in order; only compared, never dereferenced, since
    // their owners may have destroyed them.
    std::vector<const GLShader*> programs;
};

// Builds a program from two files; a failure is reported once more with
// "Error Loading, compiling or linking shader", and the result is null.
ProgramPtr buildProgram(GLShaderManager& manager, const char* vertexFile, const char* fragmentFile);

}  // namespace shaders
