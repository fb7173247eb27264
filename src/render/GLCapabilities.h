#pragma once

// What the current OpenGL context offers; both need a current context.

// The largest side, in pixels, of an image that is made into a texture:
// the driver's maximum, but never more than 4096 (a city tile shows no
// more detail, and a larger image costs seconds and gigabytes as floats).
int maxImageSide();

// True when the OpenGL renderer is one of Mesa's software rasterisers.
bool isSoftwareRenderer();
