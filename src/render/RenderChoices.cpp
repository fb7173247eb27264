#include "render/RenderChoices.h"

RenderChoices& renderChoices() {
    static RenderChoices choices;
    return choices;
}
