// The city's textures, drawn into greyscale images in memory.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace gentex {

// M_PI is not standard C++: MinGW and MSVC hide it in strict modes.
inline constexpr double kPi = 3.14159265358979323846;

inline constexpr int kTextureSize = 512;

// 8-bit greyscale image, row 0 at the top as in the JPEG file.
struct GrayImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    GrayImage(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h, 0) {}
    uint8_t& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    uint8_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Fills an image from shade(x, y) taken at 2 x 2 points per pixel (pixel
// coordinates, y down) so that curves and slanted edges come out smooth.
template <class Shade>
GrayImage renderImage(int width, int height, Shade shade) {
    GrayImage img(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double sum = 0.0;
            for (double oy : {0.25, 0.75})
                for (double ox : {0.25, 0.75}) sum += shade(x + ox, y + oy);
            img.at(x, y) = static_cast<uint8_t>(std::clamp(sum * 0.25, 0.0, 255.0) + 0.5);
        }
    }
    return img;
}

// Stone wall surface for the plain blocks; tiles seamlessly in both directions.
GrayImage renderPaving();
// 50 x 15 wall with three windows, drawn upright (bottom row is the ground).
GrayImage renderWallThreeWindows();
// 50 x 30 old house front, drawn upright (bottom row is the ground).
GrayImage renderOldHouse();
// Top-down street tile with the road leaving at the given open sides
// (a mask of street_tiles::Side).
GrayImage renderStreetTile(unsigned openSides);

// Tone of the flat patch in each corner of the wall images: the roofs sample
// the bottom-left texel of their block's wall texture.
inline constexpr int kRoofGrey = 104;

// Writes every texture of the city into `dir` (created when missing).
bool writeAllTextures(const std::string& dir, std::string& error);

}  // namespace gentex
