#pragma once

// Reads one pending OpenGL error and prints its meaning on the error
// stream. It never loops: with several flags set, each call reports one.
void checkGLError();

// The message printed for an OpenGL error code.
const char* glErrorMessage(unsigned int code);
