// Deterministic hashing and value noise for the texture generator.
// Everything is integer-hash based with fixed seeds, so the textures come out
// byte-identical on every run.
#pragma once

#include <cmath>
#include <cstdint>

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

// Uniform in [-1, 1), one value per integer point: grain that does not blur
// when several samples of one pixel are averaged.
inline double grain(double x, double y, uint32_t seed) {
    return 2.0 * unitHash(static_cast<uint32_t>(static_cast<int>(std::floor(x))),
                          static_cast<uint32_t>(static_cast<int>(std::floor(y))), seed) -
           1.0;
}

inline int wrapIndex(int i, int n) {
    int r = i % n;
    return r < 0 ? r + n : r;
}

// Smooth value noise in [-1, 1] with lattice spacing `cell`, repeating every
// `period` units (period must be a multiple of cell) so textures can tile.
inline double valueNoise(double x, double y, int cell, int period, uint32_t seed) {
    const int n = period / cell;
    const double fx = x / cell, fy = y / cell;
    const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
    double tx = fx - ix, ty = fy - iy;
    tx = tx * tx * (3.0 - 2.0 * tx);
    ty = ty * ty * (3.0 - 2.0 * ty);
    auto at = [&](int i, int j) {
        return 2.0 * unitHash(static_cast<uint32_t>(wrapIndex(i, n)),
                              static_cast<uint32_t>(wrapIndex(j, n)), seed) -
               1.0;
    };
    const double a = at(ix, iy), b = at(ix + 1, iy), c = at(ix, iy + 1), d = at(ix + 1, iy + 1);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

// A few octaves of value noise, each half the cell size of the one before,
// normalised to about [-1, 1].
inline double fbm(double x, double y, int cell, int period, int octaves, uint32_t seed) {
    double sum = 0.0, amp = 1.0, norm = 0.0;
    for (int o = 0; o < octaves && cell >= 1; ++o) {
        sum += amp * valueNoise(x, y, cell, period, seed + 101u * static_cast<uint32_t>(o));
        norm += amp;
        amp *= 0.5;
        cell /= 2;
    }
    return sum / norm;
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
