// Wall textures: the stone surface of the plain blocks, the three-window wall
// and the old house front. The two facades are drawn in world units of the
// wall they cover (50 x 15 and 50 x 30), so windows keep their shape once the
// square image is stretched over the wall.
#include <cmath>
#include <vector>

#include "noise.h"
#include "textures.h"

namespace gentex {
namespace {

constexpr double kSize = kTextureSize;

// Courses of stone blocks of random length, repeating every width x height so
// a wall built from them tiles seamlessly. y runs downwards.
class Ashlar {
public:
    struct Hit {
        uint32_t id;         // unique per block, for its tone
        double toSideJoint;  // distance to the nearest vertical joint
        double fromTop;      // distance below the course's upper joint
        double fromBottom;   // distance above the course's lower joint
    };

    Ashlar(double width, double height, int courses, double minLength, double maxLength,
           uint64_t seed)
        : width_(width), courseHeight_(height / courses) {
        Rng rng(seed);
        for (int c = 0; c < courses; ++c) {
            Course course;
            course.shift = rng.uniform() * width;
            course.starts.push_back(0.0);
            double left = width;
            while (left > maxLength) {
                double len = minLength + rng.uniform() * (maxLength - minLength);
                if (left - len < minLength) len = left - minLength;
                course.starts.push_back(course.starts.back() + len);
                left -= len;
            }
            course.starts.push_back(width);
            courses_.push_back(course);
        }
    }

    Hit at(double x, double y) const {
        const int n = static_cast<int>(courses_.size());
        const double fy = y / courseHeight_;
        const int row = static_cast<int>(std::floor(fy));
        const Course& course = courses_[wrapIndex(row, n)];
        double cx = wrapTo(x + course.shift, width_);
        if (cx < 0) cx += width_;
        size_t i = 1;
        while (i + 1 < course.starts.size() && course.starts[i] <= cx) ++i;
        const double toSide = std::min(cx - course.starts[i - 1], course.starts[i] - cx);
        const double inCourse = (fy - row) * courseHeight_;
        return {static_cast<uint32_t>(wrapIndex(row, n) * 1000 + static_cast<int>(i)), toSide,
                inCourse, courseHeight_ - inCourse};
    }

private:
    struct Course {
        double shift = 0;
        std::vector<double> starts;  // block boundaries from 0 to width
    };
    double width_;
    double courseHeight_;
    std::vector<Course> courses_;
};

double grain(double px, double py) {
    static const PixelField n = whiteField(kTextureSize, 91);
    return n(px, py);
}

struct StoneStyle {
    double base;        // mean block tone
    double spread;      // block-to-block tone variation
    double mortar;      // tone of the joints
    double bedJoint;    // half thickness of horizontal joints (Ashlar units)
    double sideJoint;   // half thickness of vertical joints
    double bevel;       // width of the lit upper and shaded lower block edge
    int noiseCell;      // pixel size of the surface mottling
    int noisePeriod;    // pixel period of the noise (the image size when it must tile)
    uint32_t seed;
};

// A stone wall surface: an Ashlar layout shaded in a given style.
class StoneWall {
public:
    StoneWall(const Ashlar& layout, const StoneStyle& style)
        : layout_(layout),
          s_(style),
          mortarNoise_(fbmField(kTextureSize, 4, style.noisePeriod, 2, style.seed + 1)),
          mottleNoise_(fbmField(kTextureSize, style.noiseCell, style.noisePeriod, 3, style.seed + 2)),
          surfaceNoise_(fbmField(kTextureSize, 4, style.noisePeriod, 2, style.seed + 3)) {}

    // Tone at Ashlar position (ax, ay), pixel position (px, py).
    double operator()(double ax, double ay, double px, double py) const {
        const Ashlar::Hit h = layout_.at(ax, ay);
        const double g = grain(px, py);
        if (h.fromTop < s_.bedJoint || h.fromBottom < s_.bedJoint || h.toSideJoint < s_.sideJoint)
            return s_.mortar + 6 * g + 4 * mortarNoise_(px, py);
        double t = s_.base + s_.spread * (2 * unitHash(h.id, 7, s_.seed) - 1) +
                   7 * mottleNoise_(px, py) + 6 * surfaceNoise_(px, py) + 3 * g;
        // Light falls from above: the top edge of each block catches it, the
        // lower edge and the sides sit in shadow.
        if (h.fromTop - s_.bedJoint < s_.bevel) t += 12;
        else if (h.fromBottom - s_.bedJoint < s_.bevel) t -= 14;
        else if (h.toSideJoint - s_.sideJoint < s_.bevel * 0.6) t -= 6;
        if (g < -0.94) t -= 16;  // pores in the stone
        return t;
    }

private:
    Ashlar layout_;
    StoneStyle s_;
    PixelField mortarNoise_, mottleNoise_, surfaceNoise_;
};

// Window glass: lit panes glow with curtains drawn at the sides, dark panes
// catch a faint diagonal reflection.
double darkGlassNoise(double px, double py) {
    static const PixelField n = fbmField(kTextureSize, 16, 4096, 2, 32);
    return n(px, py);
}

double glass(bool lit, double u, double v, double cx, double halfWidth, double v0, double v1,
             double px, double py) {
    const double across = (u - cx) / halfWidth;  // -1 .. 1
    const double up = (v - v0) / (v1 - v0);      //  0 .. 1
    if (lit) {
        if (std::fabs(across) > 0.66)
            return 170 + 10 * std::sin(u * 9.0) + 4 * grain(px, py);
        return 226 - 22 * across * across - 12 * up + 3 * grain(px, py);
    }
    const double streak = wrapTo(u - cx + (v - v0) * 0.7 + cx * 0.37 + v0 * 0.53, 4.0);
    return 38 + (streak > 1.0 && streak < 1.6 ? 16 : 0) + 5 * darkGlassNoise(px, py);
}

// Puts the flat roof patch into all four corners: the roof samples the
// bottom-left texel, and with a repeating sampler the other corners blend in.
void paintRoofCorners(GrayImage& img) {
    constexpr int kPatch = 8;  // one JPEG block, so it stays flat
    for (int y = 0; y < kPatch; ++y) {
        for (int x = 0; x < kPatch; ++x) {
            img.at(x, y) = kRoofGrey;
            img.at(img.width - 1 - x, y) = kRoofGrey;
            img.at(x, img.height - 1 - y) = kRoofGrey;
            img.at(img.width - 1 - x, img.height - 1 - y) = kRoofGrey;
        }
    }
}

// ---------------------------------------------------------------- facades

constexpr double kFacadeWidth = 50;

// Shading used for both facades: dressed light stone for window surrounds.
double dressedStone(double px, double py) {
    static const PixelField n = fbmField(kTextureSize, 16, 4096, 3, 41);
    return 172 + 5 * n(px, py) + 3 * grain(px, py);
}

double plainBand(double tone, double px, double py) {
    static const PixelField n = fbmField(kTextureSize, 16, 4096, 3, 43);
    return tone + 4 * n(px, py) + 3 * grain(px, py);
}

// --- wall with three windows (50 x 15)

constexpr double kWallHeight = 15;

double shadeWallThreeWindows(double px, double py) {
    const double u = px * kFacadeWidth / kSize;
    const double v = kWallHeight - py * kWallHeight / kSize;  // height above the ground
    static const StoneWall wall(Ashlar(kFacadeWidth, kWallHeight, 20, 1.3, 2.8, 0x5701E),
                                {136, 13, 86, 0.05, 0.07, 0.09, 32, 4096, 51});

    // Plinth at the foot and coping along the top, both roof grey at the corners.
    if (v < 0.9) return v > 0.78 ? plainBand(128, px, py) : plainBand(kRoofGrey, px, py);
    if (v >= 14.35) return plainBand(kRoofGrey, px, py);
    if (v >= 14.2) return 62 + 3 * grain(px, py);  // shadow under the coping

    // Continuous ledge at sill height, with its shadow on the wall below.
    constexpr double kLedgeBottom = 3.5, kLedgeTop = 3.95;
    if (v >= kLedgeBottom && v < kLedgeTop) return plainBand(v > kLedgeTop - 0.12 ? 196 : 164, px, py);

    double t = wall(u, kWallHeight - v, px, py);
    if (v >= kLedgeBottom - 0.45 && v < kLedgeBottom) t *= 0.55 + 0.45 * (kLedgeBottom - v) / 0.45;

    constexpr double kHalfWidth = 3.6, kBottom = kLedgeTop, kTop = 11.0;
    constexpr double kSurround = 0.55, kFrame = 0.22, kBar = 0.08;
    constexpr bool kLit[3] = {true, false, true};
    for (int w = 0; w < 3; ++w) {
        const double cx = kFacadeWidth * (2 * w + 1) / 6;
        const double du = std::fabs(u - cx);
        // Flat arch of wedge stones with a keystone over the opening.
        if (du < 0.5 && v >= kTop && v < kTop + 1.5) return dressedStone(px, py) + 8;
        if (du < kHalfWidth + kSurround + 0.4 && v >= kTop + kSurround && v < kTop + 1.3) {
            // Wedge stones whose joints fan out from a point below the window.
            const double slope = (u - cx) / (v - (kTop - 6.0));
            const double joint = wrapTo(slope / 0.13 + 0.5, 1.0);
            return joint < 0.12 ? 90 : dressedStone(px, py) - 6;
        }
        if (du < kHalfWidth + kSurround && v >= kBottom && v < kTop + kSurround) {
            if (du >= kHalfWidth || v >= kTop) return dressedStone(px, py);
            if (du >= kHalfWidth - kFrame || v < kBottom + kFrame || v >= kTop - kFrame)
                return 58 + 4 * grain(px, py);
            // Three columns of panes, a transom near the top.
            const double transom = kBottom + (kTop - kBottom) * 0.68;
            if (std::fabs(du - kHalfWidth / 3) < kBar || std::fabs(v - transom) < kBar * 1.3)
                return 62;
            double g = glass(kLit[w], u, v, cx, kHalfWidth, kBottom, kTop, px, py);
            if (v > kTop - kFrame - 0.35) g *= 0.8;  // shade under the head of the frame
            return g;
        }
    }
    return t;
}

// --- old house front (50 x 30)

constexpr double kHouseHeight = 30;
enum class Pane { Dark, Lit, Shuttered };

struct HouseWindow {
    double cx, bottom, top;
    Pane pane;
    bool shutters;
};

constexpr double kHouseWindowHalf = 1.5;
constexpr HouseWindow kHouseWindows[] = {
    // ground floor, either side of the door
    {5, 2.6, 7.4, Pane::Dark, false},
    {15, 2.6, 7.4, Pane::Lit, false},
    {35, 2.6, 7.4, Pane::Dark, false},
    {45, 2.6, 7.4, Pane::Lit, false},
    // first floor
    {5, 11.2, 17.0, Pane::Lit, true},
    {15, 11.2, 17.0, Pane::Dark, true},
    {25, 11.2, 17.0, Pane::Lit, true},
    {35, 11.2, 17.0, Pane::Dark, true},
    {45, 11.2, 17.0, Pane::Shuttered, true},
    // second floor
    {5, 19.6, 24.6, Pane::Dark, true},
    {15, 19.6, 24.6, Pane::Shuttered, true},
    {25, 19.6, 24.6, Pane::Dark, true},
    {35, 19.6, 24.6, Pane::Lit, true},
    {45, 19.6, 24.6, Pane::Dark, true},
};

double louvres(double v, double px, double py) {
    const double slat = wrapTo(v, 0.28);
    return (slat < 0.09 ? 58 : slat < 0.14 ? 112 : 92) + 4 * grain(px, py);
}

// Returns true and sets tone when (u, v) falls on the window or its trim.
bool houseWindow(const HouseWindow& w, double u, double v, double px, double py, double& tone) {
    constexpr double kSurround = 0.35, kShutter = 1.5, kShutterFrame = 0.14;
    const double half = kHouseWindowHalf;
    const double du = std::fabs(u - w.cx);
    // Sill with its shadow underneath.
    if (du < half + 0.6 && v >= w.bottom - 0.35 && v < w.bottom) {
        tone = plainBand(v > w.bottom - 0.1 ? 196 : 160, px, py);
        return true;
    }
    // Hood moulding over the upper windows.
    if (w.shutters && du < half + 0.6 && v >= w.top + kSurround && v < w.top + kSurround + 0.35) {
        tone = plainBand(v > w.top + kSurround + 0.25 ? 196 : 166, px, py);
        return true;
    }
    // Open shutters folded back against the wall.
    if (w.shutters && w.pane != Pane::Shuttered && du >= half + kSurround &&
        du < half + kSurround + kShutter && v >= w.bottom && v < w.top) {
        const double edge = std::min({du - half - kSurround, half + kSurround + kShutter - du,
                                      v - w.bottom, w.top - v});
        tone = edge < kShutterFrame ? 84 + 3 * grain(px, py) : louvres(v, px, py);
        return true;
    }
    if (du < half + kSurround && v >= w.bottom && v < w.top + kSurround) {
        if (du >= half || v >= w.top) {
            tone = dressedStone(px, py);
            return true;
        }
        if (w.pane == Pane::Shuttered) {  // two closed leaves
            const double edge = std::min({half - du, du, v - w.bottom, w.top - v});
            tone = edge < kShutterFrame ? 84 + 3 * grain(px, py) : louvres(v, px, py);
            return true;
        }
        constexpr double kFrame = 0.15, kBar = 0.06;
        if (du >= half - kFrame || du < kBar * 1.4 || v < w.bottom + kFrame || v >= w.top - kFrame) {
            tone = 54 + 4 * grain(px, py);
            return true;
        }
        const double third = (w.top - w.bottom) / 3;
        const double rel = wrapTo(v - w.bottom, third);
        if (rel < kBar || rel > third - kBar) {
            tone = 60;
            return true;
        }
        tone = glass(w.pane == Pane::Lit, u, v, w.cx, half, w.bottom, w.top, px, py);
        if (v > w.top - 0.5) tone *= 0.82;
        return true;
    }
    return false;
}

// Arched double door in the middle of the ground floor, on a stone step.
bool houseDoor(double u, double v, double px, double py, double& tone) {
    constexpr double kCx = 25, kHalf = 1.9, kBottom = 1.2, kSpring = 6.4, kSurround = 0.45;
    const double du = std::fabs(u - kCx);
    if (du < kHalf + 0.9 && v < kBottom) {  // step
        tone = plainBand(v > kBottom - 0.12 ? 178 : 138, px, py);
        return true;
    }
    const double r = length(u - kCx, std::max(0.0, v - kSpring));
    if (v < kBottom || r >= kHalf + kSurround) return false;
    if (v >= kSpring + kHalf + kSurround - 0.1 - 0.6 && du < 0.45) {  // keystone
        tone = dressedStone(px, py) + 8;
        return true;
    }
    if (r >= kHalf) {
        tone = dressedStone(px, py);
        return true;
    }
    if (v >= kSpring) {  // fanlight with radial glazing bars
        const double angle = std::atan2(v - kSpring, u - kCx);
        const double spoke = wrapTo(angle / (kPi / 6) + 0.5, 1.0);
        if (r > kHalf - 0.15 || v < kSpring + 0.12 || std::fabs(spoke - 0.5) < 0.06 * kHalf / std::max(r, 0.3))
            tone = 52;
        else
            tone = 205 - 30 * r / kHalf + 3 * grain(px, py);
        return true;
    }
    // Two leaves, each with two raised panels.
    const double leafU = du;                // 0 at the meeting stiles
    if (leafU < 0.05) {
        tone = 34;
        return true;
    }
    static const PixelField grainOfWood = fbmField(kTextureSize, 16, 4096, 3, 65, 0.3, 3.0);
    const double wood = 68 + 5 * grainOfWood(px, py) + 3 * grain(px, py);
    const double pu0 = 0.35, pu1 = kHalf - 0.3;
    const double panels[2][2] = {{kBottom + 0.5, 3.6}, {4.0, kSpring - 0.3}};
    for (const auto& p : panels) {
        if (leafU >= pu0 && leafU < pu1 && v >= p[0] && v < p[1]) {
            const double bevel = 0.14;
            if (v >= p[1] - bevel) tone = wood - 22;          // shadow under the rail
            else if (v < p[0] + bevel) tone = wood + 20;      // lit lower bevel
            else if (leafU < pu0 + bevel) tone = wood + 10;
            else if (leafU >= pu1 - bevel) tone = wood - 14;
            else tone = wood + 8;
            return true;
        }
    }
    tone = wood;
    return true;
}

double plasterLossNoise(double px, double py) {
    static const PixelField n = fbmField(kTextureSize, 128, 4096, 4, 73);
    return n(px, py);
}

double plasterNoise(double px, double py) {
    static const PixelField n = fbmField(kTextureSize, 64, 4096, 4, 74);
    return n(px, py);
}

double houseWall(double u, double v, double px, double py) {
    static const StoneWall rustic(Ashlar(kFacadeWidth, 7.8, 6, 2.2, 3.8, 0x0A1D),
                                  {130, 10, 70, 0.09, 0.1, 0.12, 32, 4096, 71});
    static const StoneWall bricks(Ashlar(kFacadeWidth, 16.8, 56, 0.9, 0.9, 0xB41C),
                                  {104, 12, 140, 0.035, 0.05, 0.04, 8, 4096, 72});

    if (v < 1.2) return plainBand(v > 1.08 ? 128 : kRoofGrey, px, py);
    if (v < 9.0) return rustic(u, 9.0 - v, px, py);
    if (v < 9.6) return plainBand(v > 9.45 ? 190 : 164, px, py);  // string course
    if (v < 26.4) {
        // Worn plaster with patches fallen off to show the brick behind.
        const double patch = plasterLossNoise(px, py);
        if (patch > 0.38) return bricks(u, 26.4 - v, px, py);
        double t = 152 + 8 * plasterNoise(px, py) + 3 * grain(px, py);
        if (patch > 0.32) t -= 10;  // damp edge round each patch
        if (v > 25.4) t -= 22 * (v - 25.4);  // under the cornice's overhang
        if (v < 9.9) t -= 30 * (9.9 - v) / 0.3;  // shadow of the string course
        // Grime washed down below every sill.
        for (const HouseWindow& w : kHouseWindows) {
            const double below = w.bottom - 0.35 - v;
            if (w.shutters && std::fabs(u - w.cx) < kHouseWindowHalf + 0.4 && below >= 0 && below < 3)
                t -= 14 * (1 - below / 3);
        }
        return t;
    }
    // Cornice: shadow, a row of dentils, an overhanging moulding, the parapet.
    if (v < 26.7) return 66 + 3 * grain(px, py);
    if (v < 27.3) return wrapTo(u, 0.6) < 0.36 ? plainBand(168, px, py) : 80;
    if (v < 27.5) return plainBand(178, px, py);
    if (v < 27.7) return 92 + 3 * grain(px, py);
    if (v < 28.2) return plainBand(160, px, py);
    if (v < 28.4) return plainBand(190, px, py);
    return plainBand(kRoofGrey, px, py);
}

double shadeOldHouse(double px, double py) {
    const double u = px * kFacadeWidth / kSize;
    const double v = kHouseHeight - py * kHouseHeight / kSize;
    double tone = 0;
    // Balcony over the door: slab, railing of thin bars in front of the window.
    constexpr double kBalconyHalf = 3.2, kSlab = 10.4, kSlabTop = 10.8, kRail = 12.1;
    const double du = std::fabs(u - 25);
    if (du < kBalconyHalf) {
        if (v >= kSlab && v < kSlabTop) return plainBand(v > kSlabTop - 0.1 ? 196 : 150, px, py);
        if (v >= kSlabTop && v < kRail + 0.15) {
            const bool bar = wrapTo(u, 0.32) < 0.08;
            if (v >= kRail || v < kSlabTop + 0.15 || bar || du > kBalconyHalf - 0.12)
                return 42 + 3 * grain(px, py);
        }
    }
    if (houseDoor(u, v, px, py, tone)) return tone;
    for (const HouseWindow& w : kHouseWindows)
        if (houseWindow(w, u, v, px, py, tone)) return tone;
    double t = houseWall(u, v, px, py);
    if (du < kBalconyHalf + 0.3 && v < kSlab && v >= kSlab - 0.5) t *= 0.6 + 0.4 * (kSlab - v) / 0.5;
    // Shadow cast below each sill.
    for (const HouseWindow& w : kHouseWindows) {
        const double below = w.bottom - 0.35 - v;
        if (std::fabs(u - w.cx) < kHouseWindowHalf + 0.6 && below >= 0 && below < 0.3)
            t *= 0.6 + 0.4 * below / 0.3;
    }
    return t;
}

}  // namespace

GrayImage renderPaving() {
    // Courses of 32 px: the image is stretched to 25 x 12.5 units on the
    // walls, where that makes courses about 0.8 units high.
    const StoneWall wall(Ashlar(kSize, kSize, 16, 44, 92, 0x9A71),
                         {138, 14, 88, 2.0, 1.5, 3.0, 64, kTextureSize, 81});
    return renderImage(kTextureSize, kTextureSize,
                       [&](double x, double y) { return wall(x, y, x, y); });
}

GrayImage renderWallThreeWindows() {
    GrayImage img = renderImage(kTextureSize, kTextureSize, shadeWallThreeWindows);
    paintRoofCorners(img);
    return img;
}

GrayImage renderOldHouse() {
    GrayImage img = renderImage(kTextureSize, kTextureSize, shadeOldHouse);
    paintRoofCorners(img);
    return img;
}

}  // namespace gentex
