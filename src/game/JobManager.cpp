#include "game/JobManager.h"

#include "app/Platform.h"
#include "app/Window.h"
#include "city/City.h"
#include "font/GLFont.h"

#include <GLFW/glfw3.h>

#include <cstdlib>
#include <ctime>
#include <iostream>
#include <sstream>

bool repeatGuardedKey(int key, float& timer) {
    // The key is read first, so a tap inside the guard time is consumed.
    if (platform::keyDown(key) == 1 && timer > JobManager::KEY_REPEAT_DELAY) {
        timer = 0.0f;
        return true;
    }
    return false;
}

struct JobManager::Font {
    gl::TextureName texture = gl::TextureName::generate();
    std::unique_ptr<PixelPerfectGLFont> font;
};

JobManager::JobManager(shaders::GLShader* markerProgram) : markerProgram(markerProgram) {
    std::srand(static_cast<unsigned int>(std::time(nullptr)));
}

void JobManager::addJob(const Job& job) {
    freeKinds.remove(job.kind());
    jobList.push_back(job);
}

int JobManager::nextRandom() { return random ? random() : std::rand(); }

void JobManager::makeJob(float vanX, float vanZ, const City& city) {
    auto draw = [this] { return ((nextRandom() % 100) * 10) / 100; };
    int i = draw();
    int j = draw();
    while (city.isStreet(i, j) != 1) {
        i = draw();
        j = draw();
    }
    std::cout << "X: " << i << ", Y: " << j << "\n";
    const int kind = freeKinds.front();
    Job job(50 * i, 50 * j, vanX, vanZ, popularity, markerProgram, kind);
    freeKinds.pop_front();
    jobList.push_back(job);
}

void JobManager::update(float dt, float vanX, float vanZ, const City& city) {
    spawnTimer += dt;
    decayTimer += dt;

    for (auto it = jobList.begin(); it != jobList.end();) {
        it->elapse(dt);
        if (it->timeLeft() < 0.0f) {
            popularity -= it->award() / 50;
            std::cout << "Zeit abgelaufen " << popularity << ", " << jobList.size() << "\n";
            releaseKind(it->kind());
            it = jobList.erase(it);
        } else {
            ++it;
        }
    }

    // One point every 200 / popularity seconds, at most one per call. At
    // popularity 0 the interval is infinite; below 0 it is negative, so
    // the step always fires.
    if (popularity != 0) {
        const float interval = 200.0f / static_cast<float>(popularity);
        if (decayTimer > interval) {
            decayTimer -= interval;
            popularity -= 1;
            std::cout << "Highscore: " << highscore << " Popularity: " << popularity << "\n";
        }
    }

    if (spawnTimer > 2.0f) {
        spawnTimer -= 2.0f;
        const int r = nextRandom() % 100;
        const int open = static_cast<int>(jobList.size());
        if (r * open * 2 < popularity && open < 3) makeJob(vanX, vanZ, city);
    }
}

void JobManager::deliver(float vanX, float vanZ) {
    for (auto it = jobList.begin(); it != jobList.end();) {
        const bool inside = vanX > it->destX() - 30.0f && vanX < it->destX() + 30.0f && vanZ > it->destZ() - 30.0f &&
                            vanZ < it->destZ() + 30.0f;
        if (!inside) {
            ++it;
            continue;
        }
        const int reward = it->reward();
        highscore += reward;
        popularity += reward / 200;
        if (popularity > 100) popularity = 100;
        releaseKind(it->kind());
        it = jobList.erase(it);
        std::cout << "Job delivered " << reward << "\n";
        std::cout << "Highscore: " << highscore << " Popularity: " << popularity << "\n";
    }
}

void JobManager::handlePauseKey(float dt) {
    pauseKeyTimer += dt;
    if (repeatGuardedKey(GLFW_KEY_P, pauseKeyTimer)) paused = !paused;
}

void JobManager::handleDebugKeys(float dt) {
    framerateKeyTimer += dt;
    wireframeKeyTimer += dt;
    vaoKeyTimer += dt;
    frameRate = 1.0f / dt;

    if (repeatGuardedKey(GLFW_KEY_F2, framerateKeyTimer)) {
        std::cout << "show/hide framerate\n";
        showFrameRate = !showFrameRate;
    }
    if (repeatGuardedKey(GLFW_KEY_F3, wireframeKeyTimer)) {
        std::cout << "show/hide wireframe mode\n";
        wireframe = !wireframe;
        glPolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);
    }
    if (repeatGuardedKey(GLFW_KEY_F6, vaoKeyTimer)) {
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
    if (showFrameRate) lines.push_back({text("FR: ", frameRate), WINDOW_WIDTH / 2 - 30, 5, white});
    if (isGameOver()) {
        lines.push_back({"Game Over", WINDOW_WIDTH / 4, WINDOW_HEIGHT / 3, white});
    } else if (isPaused()) {
        lines.push_back({"Paused (press P to continue)", WINDOW_WIDTH / 4, WINDOW_HEIGHT / 3, white});
    } else {
        lines.push_back({text("Highscore ", highscore / 10), 5, 5, white});
        lines.push_back({text("Popularity ", popularity), 5, 20, white});
        int y = WINDOW_HEIGHT / 2;
        for (const Job& job : jobList) {
            const glm::vec3 colour = job.kind() >= 0 && job.kind() <= 2 ? job.jobColour() / 255.0f : white;
            const int t = static_cast<int>(job.timeLeft());
            lines.push_back({text("Job: Award ", job.award() / 10, " Time ", t / 60, ":", t % 60), 5, y, colour});
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
            std::cerr << "Cannot load font\n";
            std::cout.flush();
            std::exit(EXIT_FAILURE);
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

    // The overlay's y axis points down from the top-left corner. The game
    // never changes the matrix mode, so this is the model-view matrix.
    glOrtho(0.0, 640.0, 480.0, 0.0, -2.0, 2.0);
    PixelPerfectGLFont& hud = font();
    glEnable(GL_TEXTURE_2D);
    glColor3f(1.0f, 1.0f, 1.0f);
    try {
        hud.beginText();
        for (const HudLine& line : hudLines()) {
            glColor3f(line.colour.r, line.colour.g, line.colour.b);
            hud.drawText(line.text, line.x, line.y, 0);
        }
    } catch (const GLFontError::InvalidFont&) {
        std::cerr << "Trying to draw with an uninitialized font\n";
        std::cout.flush();
        std::exit(EXIT_FAILURE);
    }
    glDisable(GL_TEXTURE_2D);
    glLoadIdentity();
}
