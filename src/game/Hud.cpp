// The heads-up display and the debug toggles: the parts of the game's rules
// that talk to OpenGL. The rules themselves are in JobManager.cpp.
#include "game/JobManager.h"

#include "font/GLFont.h"
#include "platform/FatalError.h"
#include "platform/Input.h"
#include "platform/Keys.h"
#include "platform/ProcessEnd.h"
#include "platform/WindowSize.h"

#include <GL/glew.h>

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <sstream>

namespace {
const glm::vec2 OVERLAY_AT_3_2(640.0f, 480.0f);
const glm::vec2 TOP_RIGHT(1.0f, 0.0f);
const glm::vec2 BOTTOM_LEFT(0.0f, 1.0f);
const glm::vec2 MIDDLE(0.5f, 0.5f);
}  // namespace

glm::ivec2 HudLine::placeIn(glm::vec2 overlay) const {
    const glm::vec2 at = glm::vec2(x, y) + anchor * (overlay - OVERLAY_AT_3_2);
    return glm::ivec2(std::lround(at.x), std::lround(at.y));
}

glm::vec2 hudOverlaySize(int width, int height) {
    if (width <= 0 || height <= 0) return OVERLAY_AT_3_2;
    const float shape = (2.0f * static_cast<float>(width)) / (3.0f * static_cast<float>(height));  // 1 at 3:2
    return shape >= 1.0f ? OVERLAY_AT_3_2 * glm::vec2(shape, 1.0f) : OVERLAY_AT_3_2 * glm::vec2(1.0f, 1.0f / shape);
}

struct JobManager::Font {
    gl::TextureName texture = gl::TextureName::generate();
    std::unique_ptr<PixelPerfectGLFont> font;
};

void JobManager::handleDebugKeys(float dt) {
    framerateKeyTimer += dt;
    wireframeKeyTimer += dt;
    vaoKeyTimer += dt;
    frameRate = 1.0f / dt;

    if (platform::repeatGuardedKey(keys::FRAME_RATE, framerateKeyTimer)) {
        std::cout << "show/hide framerate\n";
        showFrameRate = !showFrameRate;
    }
    if (platform::repeatGuardedKey(keys::WIREFRAME, wireframeKeyTimer)) {
        std::cout << "show/hide wireframe mode\n";
        wireframe = !wireframe;
        glPolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);
    }
    if (platform::repeatGuardedKey(keys::VERTEX_ARRAY_STATE, vaoKeyTimer)) {
        noVertexArrays = !noVertexArrays;
        if (noVertexArrays) {
            std::cout << "don't use VAO\n";
            glDisableClientState(GL_VERTEX_ARRAY);
        } else {
            std::cout << "use VAO\n";
            glEnableClientState(GL_VERTEX_ARRAY);
        }
    }
}

std::vector<HudLine> JobManager::hudLines() const {
    const glm::vec3 white(1.0f, 1.0f, 1.0f);
    std::vector<HudLine> lines;
    auto text = [](auto&&... parts) {
        std::ostringstream s;
        (s << ... << parts);
        return s.str();
    };
    if (showFrameRate) lines.push_back({text("FR: ", frameRate), WINDOW_WIDTH / 2 - 30, 5, white, TOP_RIGHT});
    if (isGameOver()) {
        lines.push_back({"Game Over", WINDOW_WIDTH / 4, WINDOW_HEIGHT / 3, white, MIDDLE});
    } else if (isPaused()) {
        lines.push_back({"Paused (press P to continue)", WINDOW_WIDTH / 4, WINDOW_HEIGHT / 3, white, MIDDLE});
    } else {
        // The highscore and the awards are shown divided by 10, as the game
        // always showed them. The award's road from its price to here: the
        // comment on Job (Job.h).
        lines.push_back({text("Highscore ", highscore / 10), 5, 5, white});
        lines.push_back({text("Popularity ", popularity), 5, 20, white});
        int y = WINDOW_HEIGHT / 2;
        for (const Job& job : jobList) {
            const glm::vec3 colour = job.kind() >= 0 && job.kind() <= 2 ? job.jobColour() / 255.0f : white;
            const int t = static_cast<int>(job.timeLeft());
            lines.push_back(
                {text("Job: Award ", job.award() / 10, " Time ", t / 60, ":", t % 60), 5, y, colour, BOTTOM_LEFT});
            y -= 20;
        }
    }
    return lines;
}

PixelPerfectGLFont& JobManager::font() {
    if (!hudFont) {
        hudFont = std::make_shared<Font>();
        hudFont->font = std::make_unique<PixelPerfectGLFont>();
        try {
            hudFont->font->loadFont("arial.glf", hudFont->texture.get());
        } catch (const GLFontError::InvalidFile&) {
            platform::reportFatalError(std::cerr, "Cannot load font");
            platform::endProcess(EXIT_FAILURE);
        }
    }
    return *hudFont->font;
}

void JobManager::drawHud(MatrixStack& modelView, TransformPipeline& pipeline) {
    for (Job& job : jobList) {
        modelView.pushMatrix();
        job.drawMarker(modelView, pipeline);
        modelView.popMatrix();
    }

    // The overlay spans the viewport, its y axis pointing down from the
    // top-left corner. The game never changes the matrix mode, so this is
    // the model-view matrix.
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const glm::vec2 overlay = hudOverlaySize(viewport[2], viewport[3]);
    glOrtho(0.0, overlay.x, overlay.y, 0.0, -2.0, 2.0);
    PixelPerfectGLFont& hud = font();
    glEnable(GL_TEXTURE_2D);
    glColor3f(1.0f, 1.0f, 1.0f);
    try {
        hud.beginText();
        for (const HudLine& line : hudLines()) {
            glColor3f(line.colour.r, line.colour.g, line.colour.b);
            const glm::ivec2 at = line.placeIn(overlay);
            hud.drawText(line.text, at.x, at.y, 0);
        }
    } catch (const GLFontError::InvalidFont&) {
        platform::reportFatalError(std::cerr, "Trying to draw with an uninitialized font");
        platform::endProcess(EXIT_FAILURE);
    }
    glDisable(GL_TEXTURE_2D);
    glLoadIdentity();
}
