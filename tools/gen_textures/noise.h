// Deterministic hashing and value noise for the texture generator.
// Everything is integer-hash based with fixed seeds, so the textures come out
// byte-identical on every run.
#pragma once

#include <cmath>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace gentex {

inline uint32_t mix32(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

inline uint32_t hash3(uint32_t a, uint32_t b, uint32_t c) {
    return mix32(a * 0x9E3779B1u ^ mix32(b * 0x85EBCA77u ^ mix32(c + 0x165667B1u)));
}

// Uniform in [0, 1).
inline double unitHash(uint32_t a, uint32_t b, uint32_t c) {
    return (hash3(a, b, c) >> 8) * (1.0 / 16777216.0);
}

// x folded into [0, period); cheaper than fmod and fine for negatives.
inline double wrapTo(double x, double period) { return x - std::floor(x / period) * period; }

// sqrt is exactly rounded, so distances come out the same on every machine.
inline double length(double a, double b) { return std::sqrt(a * a + b * b); }

inline int wrapIndex(int i, int n) {
    int r = i % n;
    return r < 0 ? r + n : r;
}

// A value per pixel of a size x size image, looked up by pixel coordinates
// (x, y are continuous; the value is that of the pixel they fall in). Shading
// runs four times per pixel, so noise is computed once into a table.
class PixelField {
public:
    explicit PixelField(int size) : size_(size), values_(static_cast<size_t>(size) * size, 0.0f) {}
    double operator()(double x, double y) const {
        const int ix = std::min(std::max(static_cast<int>(x), 0), size_ - 1);
        const int iy = std::min(std::max(static_cast<int>(y), 0), size_ - 1);
        return values_[static_cast<size_t>(iy) * size_ + ix];
    }
    float& at(int x, int y) { return values_[static_cast<size_t>(y) * size_ + x]; }
    int size() const { return size_; }

private:
    int size_;
    std::vector<float> values_;  // float: half the memory traffic, ample precision for noise
};

// Per-pixel white noise in [-1, 1): fine grain that does not blur when the
// samples of one pixel are averaged.
inline PixelField whiteField(int size, uint32_t seed) {
    PixelField f(size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            f.at(x, y) = static_cast<float>(
                2.0 * unitHash(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed) - 1.0);
    return f;
}

// fbm() at every pixel centre, optionally stretched (a stretch of 3 packs
// three times as many noise cells along that axis). Lattice values are hashed
// once per octave instead of once per pixel.
inline PixelField fbmField(int size, int cell, int period, int octaves, uint32_t seed,
                           double stretchX = 1.0, double stretchY = 1.0) {
    std::vector<double> sum(static_cast<size_t>(size) * size, 0.0);
    double amp = 1.0, norm = 0.0;
    std::vector<double> lattice;
    for (int o = 0; o < octaves && cell >= 1; ++o) {
        const uint32_t octaveSeed = seed + 101u * static_cast<uint32_t>(o);
        const int n = period / cell;
        const int nx = static_cast<int>(size * stretchX / cell) + 2;
        const int ny = static_cast<int>(size * stretchY / cell) + 2;
        lattice.assign(static_cast<size_t>(nx) * ny, 0.0);
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i)
                lattice[static_cast<size_t>(j) * nx + i] =
                    2.0 * unitHash(static_cast<uint32_t>(wrapIndex(i, n)),
                                   static_cast<uint32_t>(wrapIndex(j, n)), octaveSeed) -
                    1.0;
        for (int y = 0; y < size; ++y) {
            const double fy = (y + 0.5) * stretchY / cell;
            const int iy = static_cast<int>(fy);
            double ty = fy - iy;
            ty = ty * ty * (3.0 - 2.0 * ty);
            for (int x = 0; x < size; ++x) {
                const double fx = (x + 0.5) * stretchX / cell;
                const int ix = static_cast<int>(fx);
                double tx = fx - ix;
                tx = tx * tx * (3.0 - 2.0 * tx);
                const double* row0 = &lattice[static_cast<size_t>(iy) * nx + ix];
                const double* row1 = row0 + nx;
                const double top = row0[0] + (row0[1] - row0[0]) * tx;
                const double bottom = row1[0] + (row1[1] - row1[0]) * tx;
                sum[static_cast<size_t>(y) * size + x] += amp * (top + (bottom - top) * ty);
            }
        }
        norm += amp;
        amp *= 0.5;
        cell /= 2;
    }
    PixelField f(size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            f.at(x, y) = static_cast<float>(sum[static_cast<size_t>(y) * size + x] / norm);
    return f;
}

// splitmix64: for laying out stone courses once at start-up.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return (next() >> 11) * (1.0 / 9007199254740992.0); }

private:
    uint64_t state_;
};

}  // namespace gentex
