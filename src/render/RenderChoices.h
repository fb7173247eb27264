#pragma once

// Ways of drawing the same picture that the game chooses between once for
// the whole process. The game always uses the defaults; the benchmark
// switches a copy of the game to the other way, turn by turn beside the
// shipped one, to measure what a choice costs.
struct RenderChoices {
    // The van is drawn before the city, so the depth test turns the city's
    // pixels behind it away before their lighting runs. The picture stays
    // the same: the markers over the van are opaque and depth-tested, so
    // the order does not change what they cover.
    bool vanFirst = true;
    // Textures keep 8 bits a texel instead of a 32-bit float: the images are
    // 8-bit JPEGs, and the picture stays within 1 of 255 of the floats' one.
    bool byteTextures = true;
};

RenderChoices& renderChoices();
