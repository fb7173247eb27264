#include "render/GLCapabilities.h"

#include <GL/glew.h>

#include <string>

int maxImageSide() {
    GLint driver = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &driver);
    return driver > 0 && driver < 4096 ? driver : 4096;
}

bool isSoftwareRenderer() {
    static const bool software = [] {
        const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        if (!renderer) return false;
        const std::string r(renderer);
        return r.find("llvmpipe") != std::string::npos || r.find("softpipe") != std::string::npos ||
               r.find("swrast") != std::string::npos;
    }();
    return software;
}
