// Top-down street tiles. Every tile is drawn from the same few pieces (road
// arms from the tile middle to an open edge, sidewalk blocks with rounded
// kerb corners, or a quarter-circle bend) and is shaded only from
//   e = signed distance into the sidewalk (negative on the road),
//   d = offset across the road from its centre line,
//   s = distance along the road from the tile edge,
// plus noise that depends on the pixel position alone. So wherever two open
// edges meet, both tiles have the same e, d and noise there and the road
// continues without a seam. A closed side is sidewalk from corner to corner.
#include <cmath>

#include "noise.h"
#include "street_tiles.h"
#include "textures.h"

namespace gentex {
namespace {

using namespace street_tiles;

constexpr double kSize = kTextureSize;
constexpr double kMid = kSize / 2;       // the road's centre line runs through the middle
constexpr double kHalfRoad = 112;        // 44 % of the tile: 22 world units of road
constexpr double kKerbWidth = 10;        // kerb stone between road and sidewalk
constexpr double kKerbFace = 2;          // the kerb's shaded vertical face
constexpr double kGutterWidth = 4;       // darker strip of asphalt along the kerb
constexpr double kCornerRadius = 32;     // kerb rounding at junction corners
constexpr double kEdgeLineFar = 18;      // solid edge line lies 10..18 px inside the kerb
constexpr double kEdgeLineNear = 10;
constexpr double kCentreLineHalf = 3;
// Dashes are centred on multiples of kDashPeriod from the tile edge, so every
// tile edge cuts a dash in half and the halves of neighbouring tiles join.
constexpr double kDashPeriod = 128;
constexpr double kDashFraction = 0.5;
constexpr int kCurveDashes = 3;          // dash periods along a quarter bend (~134 px each)
// Junction mouths: the half dash at the edge, then a zebra crossing before
// the kerbs start to curve round the corner (at s = 112).
constexpr double kJunctionDashEnd = 40;
constexpr double kZebraStart = 72;
constexpr double kZebraEnd = 108;
constexpr double kZebraHalfWidth = 90;
constexpr double kZebraStripe = 12;
constexpr double kSlab = 32;             // sidewalk slabs, 16 per tile edge

constexpr uint32_t kAsphaltSeed = 11, kGrainSeed = 12, kSpeckSeed = 13, kPaintSeed = 14,
                   kSlabSeed = 15, kKerbSeed = 16;

bool dashAt(double phase) {  // phase in periods; dash centred on whole numbers
    const double f = phase - std::floor(phase);
    return f < kDashFraction / 2 || f > 1 - kDashFraction / 2;
}

// Depth into a sidewalk block filling the quarter plane u > 0, v > 0 with its
// corner rounded; negative outside (distance to the block).
double roundedBlockDepth(double u, double v, double r) {
    if (u < r && v < r) return r - length(r - u, r - v);
    if (u < r) return u;
    if (v < r) return v;
    return std::min(u, v);
}

struct RoadSample {
    double e;    // signed distance into the sidewalk
    bool paint;  // white road marking
};

RoadSample sampleBend(unsigned open, double x, double y) {
    // The bend is centred on the tile corner between its two open sides.
    const double cx = isOpen(open, kLeft) ? 0 : kSize;
    const double cy = isOpen(open, kTop) ? 0 : kSize;
    const double ax = std::fabs(x - cx), ay = std::fabs(y - cy);
    const double d = length(ax, ay) - kMid;
    const double e = std::fabs(d) - kHalfRoad;
    bool paint = false;
    if (e < 0) {
        const double phase = std::atan2(ax, ay) / (kPi / 2) * kCurveDashes;
        paint = (e >= -kEdgeLineFar && e < -kEdgeLineNear) ||
                (std::fabs(d) < kCentreLineHalf && dashAt(phase));
    }
    return {e, paint};
}

RoadSample sampleStraightOrJunction(unsigned open, double x, double y) {
    double e = -1e9;
    // A closed side is a sidewalk strip running straight across.
    if (!isOpen(open, kLeft)) e = std::max(e, (kMid - x) - kHalfRoad);
    if (!isOpen(open, kRight)) e = std::max(e, (x - kMid) - kHalfRoad);
    if (!isOpen(open, kTop)) e = std::max(e, (kMid - y) - kHalfRoad);
    if (!isOpen(open, kBottom)) e = std::max(e, (y - kMid) - kHalfRoad);
    // Between two open sides the sidewalk is a block with a rounded corner.
    for (int sx : {-1, 1}) {
        for (int sy : {-1, 1}) {
            const Side sideX = sx < 0 ? kLeft : kRight;
            const Side sideY = sy < 0 ? kTop : kBottom;
            if (isOpen(open, sideX) && isOpen(open, sideY))
                e = std::max(e, roundedBlockDepth(sx * (x - kMid) - kHalfRoad,
                                                  sy * (y - kMid) - kHalfRoad, kCornerRadius));
        }
    }
    if (e >= 0) return {e, false};

    const bool straight = open == (kLeft | kRight) || open == (kTop | kBottom);
    bool paint = e >= -kEdgeLineFar && e < -kEdgeLineNear;
    struct Arm {
        Side side;
        double s, d;
    };
    const Arm arms[] = {{kLeft, x, y - kMid},
                        {kRight, kSize - x, y - kMid},
                        {kTop, y, x - kMid},
                        {kBottom, kSize - y, x - kMid}};
    for (const Arm& arm : arms) {
        if (!isOpen(open, arm.side) || arm.s > kMid || std::fabs(arm.d) >= kHalfRoad) continue;
        // No centre marking inside the crossing box of a junction.
        if (std::fabs(arm.d) < kCentreLineHalf && dashAt(arm.s / kDashPeriod) &&
            (straight || arm.s < kJunctionDashEnd))
            paint = true;
        if (!straight && arm.s >= kZebraStart && arm.s < kZebraEnd &&
            std::fabs(arm.d) < kZebraHalfWidth &&
            wrapTo(arm.d + kZebraStripe / 2, 2 * kZebraStripe) < kZebraStripe)
            paint = true;
    }
    return {e, paint};
}

// Smooth noise fields, all repeating every tile so neighbouring tiles match.
double grain(double x, double y) {
    static const PixelField n = whiteField(kTextureSize, kGrainSeed);
    return n(x, y);
}
const PixelField& speckle() {
    static const PixelField n = whiteField(kTextureSize, kSpeckSeed);
    return n;
}
const PixelField& asphaltNoise() {
    static const PixelField n = fbmField(kTextureSize, 64, kTextureSize, 4, kAsphaltSeed);
    return n;
}
const PixelField& paintWearNoise() {
    static const PixelField n = fbmField(kTextureSize, 16, kTextureSize, 2, kPaintSeed);
    return n;
}
const PixelField& kerbNoise() {
    static const PixelField n = fbmField(kTextureSize, 8, kTextureSize, 2, kKerbSeed);
    return n;
}
const PixelField& slabNoise() {
    static const PixelField n = fbmField(kTextureSize, 8, kTextureSize, 2, kSlabSeed + 1);
    return n;
}

double asphalt(double x, double y) {
    double t = 74 + 7 * asphaltNoise()(x, y) + 8 * grain(x, y);
    const double speck = speckle()(x, y);
    if (speck > 0.97) t += 22;   // light chips in the aggregate
    if (speck < -0.98) t -= 18;  // small pits
    return t;
}

double roadPaint(double x, double y) {
    const double wear = std::max(0.0, paintWearNoise()(x, y));
    return 230 + 5 * grain(x, y) - 40 * wear * wear;
}

double kerb(double e, double x, double y) {
    if (e < kKerbFace) return 118 + 5 * grain(x, y);
    return 174 + 6 * grain(x, y) + 4 * kerbNoise()(x, y);
}

double sidewalk(double x, double y) {
    const double fx = wrapTo(x, kSlab), fy = wrapTo(y, kSlab);
    const double g = grain(x, y);
    if (fx < 1 || fx >= kSlab - 1 || fy < 1 || fy >= kSlab - 1) return 108 + 5 * g;  // joint
    const auto slabX = static_cast<uint32_t>(x / kSlab), slabY = static_cast<uint32_t>(y / kSlab);
    const double slabTone = 2 * unitHash(slabX, slabY, kSlabSeed) - 1;
    return 152 + 9 * slabTone + 5 * slabNoise()(x, y) + 5 * g;
}

double shadeStreet(unsigned open, double x, double y) {
    const RoadSample r =
        isCurve(open) ? sampleBend(open, x, y) : sampleStraightOrJunction(open, x, y);
    if (r.e >= kKerbWidth) return sidewalk(x, y);
    if (r.e >= 0) return kerb(r.e, x, y);
    if (r.paint) return roadPaint(x, y);
    return asphalt(x, y) - (r.e >= -kGutterWidth ? 16 : 0);
}

}  // namespace

GrayImage renderStreetTile(unsigned openSides) {
    return renderImage(kTextureSize, kTextureSize,
                       [openSides](double x, double y) { return shadeStreet(openSides, x, y); });
}

}  // namespace gentex
