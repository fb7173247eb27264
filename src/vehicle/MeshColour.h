#pragma once

#include <glm/glm.hpp>

// The colour of imported mesh i, by its place in the model file: a few fixed
// parts, then dimmer shades. Some channels lie far above 1 (the body's 160,
// the yellow 255, the grey 182); OpenGL caps them at 1 when it draws, and
// the values are kept as the game has always had them. The desktop icon's
// generator draws the van with these colours too, so they live here alone.
inline glm::vec3 meshColour(unsigned int i) {
    switch (i) {
    case 0: return {160.0f, 0.0f, 0.0f};
    case 1: return {255.0f, 255.0f, 0.0f};
    case 2: return {0.0f, 0.0f, 1.0f};
    case 3:
    case 4:
    case 5: return {0.0f, 0.0f, 0.0f};
    case 6:
    case 7:
    case 10: return {0.5f, 0.4f, 0.3f};
    case 8: return {182.0f, 182.0f, 182.0f};
    default: {
        const float f = static_cast<float>(i);
        return {1.0f / f, 0.8f / f, 0.6f / f};
    }
    }
}
