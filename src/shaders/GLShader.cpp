#include "shaders/GLShader.h"

#include "platform/DataPath.h"

#include <cstring>
#include <fstream>
#include <iostream>
#include <limits>
#include <new>

namespace shaders {
namespace {

bool extensionsReady = false;

// Copies the driver's log into `buffer` when it holds more than the
// terminating zero; returns false only when the buffer cannot be had.
template <typename LengthQuery, typename LogQuery>
bool fetchLog(std::unique_ptr<char[]>& buffer, LengthQuery queryLength, LogQuery queryLog) {
    GLint length = 0;
    queryLength(&length);
    if (length <= 1) return true;
    buffer.reset();
    buffer.reset(new (std::nothrow) char[length]);
    if (!buffer) {
        std::cout << "ERROR: Could not allocate compiler_log buffer\n";
        return false;
    }
    queryLog(length, buffer.get());
    buffer[length - 1] = '\0';
    return true;
}

}  // namespace

bool initExtensions() {
    if (extensionsReady) return true;
    extensionsReady = true;
    const GLenum err = glewInit();
    if (err != GLEW_OK) {
        std::cout << "Error:" << glewGetErrorString(err) << std::endl;
        extensionsReady = false;
        return false;
    }
    return true;
}

unsigned int fileLength(std::istream& stream) {
    if (!stream.good()) return 0;
    stream.seekg(0, std::ios::end);
    const std::streamoff length = stream.tellg();
    stream.seekg(0, std::ios::beg);
    // A length that does not fit (a directory's offset, say) cannot be taken.
    return length > 0 && length < std::numeric_limits<unsigned int>::max() ? static_cast<unsigned int>(length) : 0;
}

GLShaderObject::GLShaderObject() { initExtensions(); }

GLShaderObject::~GLShaderObject() {
    // A stage that failed to compile still holds a shader object; it is
    // given back too, not only the compiled ones.
    if (shader_object != 0) glDeleteObjectARB(shader_object);
}

int GLShaderObject::loadSource(const char* fileName) {
    std::ifstream file(platform::nativePath(fileName));
    if (file.fail()) return CannotOpen;
    const unsigned int length = fileLength(file);
    if (length == 0) return Empty;

    source.reset();
    source.reset(new (std::nothrow) char[length + 1]);
    if (!source) return OutOfMemory;

    // Text mode may shorten the text (line ends); the buffer keeps its size.
    file.read(source.get(), length);
    const std::streamsize got = file.gcount();
    if (got == 0) {
        // It opened but holds nothing to read: a directory, for one.
        source.reset();
        return CannotOpen;
    }
    source[got] = '\0';
    return Loaded;
}

bool GLShaderObject::compile() {
    is_compiled = false;
    if (!source) return false;
    const GLcharARB* text = source.get();
    const GLint length = static_cast<GLint>(std::strlen(source.get()));
    glShaderSourceARB(shader_object, 1, &text, &length);
    glCompileShaderARB(shader_object);
    GLint status = 0;
    glGetObjectParameterivARB(shader_object, GL_OBJECT_COMPILE_STATUS_ARB, &status);
    is_compiled = status != 0;
    return is_compiled;
}

const char* GLShaderObject::compilerLog() {
    if (shader_object == 0) return "Not a valid program object";
    const bool ok = fetchLog(
        compiler_log, [&](GLint* length) { glGetShaderiv(shader_object, GL_INFO_LOG_LENGTH, length); },
        [&](GLint length, char* out) { glGetInfoLogARB(shader_object, length, nullptr, out); });
    if (!ok) return "Out of memory";
    return compiler_log ? compiler_log.get() : "Compiler log is not available";
}

VertexShader::VertexShader() {
    stage_kind = 1;
    shader_object = glCreateShaderObjectARB(GL_VERTEX_SHADER);
}

FragmentShader::FragmentShader() {
    stage_kind = 2;
    shader_object = glCreateShaderObjectARB(GL_FRAGMENT_SHADER);
}

GLShader::GLShader() {
    initExtensions();
    program_object = glCreateProgram();
}

GLShader::~GLShader() {
    for (GLShaderObject* stage : stages) {
        if (attached && stage) glDetachShader(program_object, stage->shaderObject());
        if (owns_stages) delete stage;
    }
    if (program_object != 0) glDeleteProgram(program_object);
}

void GLShader::attachStage(GLShaderObject* stage) {
    if (!stage) return;
    if (!stage->isCompiled()) {
        std::cout << "**warning** please compile program before adding object! trying to compile now...\n";
        if (!stage->compile()) {
            std::cout << "...compile ERROR!\n";
            return;
        }
        std::cout << "...ok!\n";
    }
    stages.push_back(stage);
}

bool GLShader::link() {
    if (is_linked) {
        std::cout << "**warning** Object is already linked, trying to link again" << std::endl;
        for (GLShaderObject* stage : stages) glDetachShader(program_object, stage->shaderObject());
        attached = false;
    }
    for (GLShaderObject* stage : stages) glAttachShader(program_object, stage->shaderObject());
    attached = true;
    glLinkProgram(program_object);
    reported.clear();
    GLint status = 0;
    glGetProgramiv(program_object, GL_LINK_STATUS, &status);
    if (status != 0) {
        is_linked = true;
        return true;
    }
    std::cout << "**linker error**\n";
    return false;
}

const char* GLShader::linkerLog() {
    if (program_object == 0) return "Not a valid object";
    const bool ok = fetchLog(
        linker_log, [&](GLint* length) { glGetProgramiv(program_object, GL_INFO_LOG_LENGTH, length); },
        [&](GLint length, char* out) { glGetProgramInfoLog(program_object, length, nullptr, out); });
    if (!ok) return "Out of memory";
    return linker_log ? linker_log.get() : "Linker log is not available";
}

void GLShader::bind() {
    if (program_object != 0 && is_linked) glUseProgram(program_object);
}

void GLShader::unbind() { glUseProgram(0); }

GLint GLShader::uniformLocation(const char* name) {
    const GLint location = glGetUniformLocation(program_object, name);
    if (location == -1 && reported.insert("u" + std::string(name)).second)
        std::cout << "Error: can't find uniform variable \"" << name << "\"\n";
    return location;
}

GLint GLShader::attribLocation(const char* name) {
    const GLint location = glGetAttribLocation(program_object, name);
    if (location == -1 && reported.insert("a" + std::string(name)).second)
        std::cout << "Error: can't find attribute \"" << name << "\"\n";
    return location;
}

void GLShader::bindFragDataLocation(const std::string& name) {
    if (program_object == 0) return;
    glBindFragDataLocation(program_object, 0, name.c_str());
    link();
}

GLShaderManager::GLShaderManager() { initExtensions(); }

GLShaderManager::~GLShaderManager() { programs.clear(); }

ProgramPtr GLShaderManager::loadFromFiles(const char* vertexFile, const char* fragmentFile) {
    ProgramPtr program = std::make_unique<GLShader>();
    auto* vertex = new VertexShader();
    auto* fragment = new FragmentShader();
    auto discard = [&] {
        program.reset();
        delete vertex;
        delete fragment;
        return nullptr;
    };

    if (vertexFile && vertex->loadSource(vertexFile) != GLShaderObject::Loaded) {
        std::cout << "error: can't load vertex shader!\n";
        return discard();
    }
    if (fragmentFile && fragment->loadSource(fragmentFile) != GLShaderObject::Loaded) {
        std::cout << "error: can't load fragment shader!\n";
        return discard();
    }

    if (vertexFile && !vertex->compile()) {
        std::cout << "***COMPILER ERROR (Vertex Shader):\n" << vertex->compilerLog() << std::endl;
        return discard();
    }
    std::cout << "***GLSL Compiler Log (Vertex Shader):\n" << vertex->compilerLog() << "\n";

    if (fragmentFile && !fragment->compile()) {
        std::cout << "***COMPILER ERROR (Fragment Shader):\n" << fragment->compilerLog() << std::endl;
        return discard();
    }
    std::cout << "***GLSL Compiler Log (Fragment Shader):\n" << fragment->compilerLog() << "\n";

    if (vertexFile) program->attachStage(vertex);
    if (fragmentFile) program->attachStage(fragment);

    if (!program->link()) {
        std::cout << "**LINKER ERROR\n" << program->linkerLog() << std::endl;
        return discard();
    }
    std::cout << "***GLSL Linker Log:\n" << program->linkerLog() << std::endl;
    programs.push_back(program.get());
    program->setOwnsStages();

    // A stage whose file name was null is not attached, so nobody else
    // would ever give it back.
    if (!vertexFile) delete vertex;
    if (!fragmentFile) delete fragment;
    return program;
}

bool GLShaderManager::releaseProgram(ProgramPtr& program) {
    if (!program) return false;
    for (auto it = programs.begin(); it != programs.end(); ++it) {
        if (*it == program.get()) {
            programs.erase(it);
            program.reset();
            return true;
        }
    }
    return false;
}

ProgramPtr buildProgram(GLShaderManager& manager, const char* vertexFile, const char* fragmentFile) {
    ProgramPtr program = manager.loadFromFiles(vertexFile, fragmentFile);
    if (!program) std::cout << "Error Loading, compiling or linking shader\n";
    return program;
}

}  // namespace shaders
