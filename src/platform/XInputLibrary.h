#pragma once

namespace platform {

// Called before GLFW starts. On Windows it loads the game-pad library GLFW
// uses (xinput1_4.dll) once and never frees it, so GLFW's own free when it
// ends does not unload it; elsewhere it does nothing.
void keepXInputLoaded();

}  // namespace platform
