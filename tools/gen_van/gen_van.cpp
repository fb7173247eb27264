// gen_van: writes the delivery van model "vito.obj" (Wavefront OBJ).
//
//   gen_van OUTFILE
//
// The game imports the file with Assimp, which turns every "o" block into
// one mesh in file order, and colours the meshes by index. So the blocks
// below come in exactly this order, and every block must have faces (an
// empty one would be dropped and shift all later indices):
//
//    0 body            cab and cargo box panels          red
//    1 head_lights                                       yellow
//    2 windows         windscreen, cab sides, rear doors blue
//    3 bumpers                                           black
//    4 trim            wheel wells, sills, door seam     black
//    5 grille_mirrors                                    black
//    6 wheel_front_px  front wheel on the +x side        grey-brown, steered
//    7 wheels_rear     both rear wheels                  grey-brown
//    8 roof_stripes    roof, side/rear stripe, plates    white
//    9 handles         door handles and hinges           dark
//   10 wheel_front_nx  front wheel on the -x side        grey-brown, steered
//   11 tail_lights                                       dark
//
// Size, in game coordinates (the importer negates z, so the file holds
// z_file = -z_game): the proportions of a medium delivery van, 10.6 long,
// 3.9 wide over the body (x -1.95..1.95, 4.4 over the mirrors) and 3.8 high
// (y 0.4..4.2), with the tyres touching y = 0.4 (the street surface, since
// the game draws the van's origin 0.4 below it). z runs from -5.0 (rear
// plate) to +5.6 (front plate); the front is +z. One roof line runs from the
// rear to the windscreen, so the chase camera, 3.2 above the roof, sees the
// street ahead over it. Axles at z = +3.3 and -3.2: the game steers the
// front wheels about vertical axes at z = maxZ/2 + 0.5.
//
// Every face has its own vertices and an explicit normal, so the importer's
// smooth-normal step leaves the flat panels flat. Faces are counter-clockwise
// seen from outside in the file's right-handed coordinates; the importer's
// handedness and winding flips keep them front-facing in the game.

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Vec3 {
    double x, y, z;
};

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 normalized(Vec3 a) { return a * (1.0 / std::sqrt(dot(a, a))); }

// One polygon with a normal per corner, in game coordinates, corners
// counter-clockwise seen from outside.
struct Face {
    std::vector<Vec3> corners;
    std::vector<Vec3> normals;
};

// One named OBJ object of the van: the game colours each by its place in
// the file.
struct MeshPart {
    std::string name;
    std::vector<Face> faces;
};

constexpr double kPi = 3.14159265358979323846;

// Body outline: a cargo box under one roof with the cab, a raked windscreen
// and a short bonnet.
constexpr double kHalfWidth = 1.95;
constexpr double kRearZ = -4.8;
constexpr double kScreenTopZ = 2.2;
constexpr double kScreenBottomZ = 3.9;
constexpr double kNoseZ = 5.2;
constexpr double kSillY = 0.95;
constexpr double kArchTopY = 2.05;  // lower band of the sides, holding the arches
constexpr double kRoofY = 4.2;
constexpr double kScreenBottomY = 2.75;
constexpr double kNoseTopY = 2.4;
constexpr double kCabDoorRearZ = 1.25;  // the cab door's rear edge

// Wheels. Tyres touch y = 0.4, the street surface under the van's origin.
constexpr double kTyreRadius = 0.75;
constexpr double kAxleY = 0.4 + kTyreRadius;
constexpr double kTyreOuterX = 1.9;  // just inside the body side
constexpr double kTyreWidth = 0.55;
constexpr double kHubRadius = 0.45;
constexpr double kHubDepth = 0.1;
constexpr double kCapRadius = 0.16;
constexpr int kWheelSegments = 16;
constexpr double kArchRadius = 0.85;
constexpr int kArchSegments = 12;
// The front plate is the van's largest z (5.6); the game's steering axis
// then lies at 5.6 / 2 + 0.5.
constexpr double kFrontPlateZ = 5.6;
constexpr double kFrontAxleZ = kFrontPlateZ / 2 + 0.5;
constexpr double kRearAxleZ = -3.2;
// Inner walls of the wheel wells; the front ones sit deeper so a steered
// wheel does not swing through them.
constexpr double kFrontWellInnerX = 0.8;
constexpr double kRearWellInnerX = 1.15;

// Paint-like details float this far off the panel they lie on.
constexpr double kDecal = 0.02;

// Adds a flat polygon; the corners may come in either order, they are put
// counter-clockwise around the outward direction given.
void addPolygon(MeshPart& part, std::vector<Vec3> corners, Vec3 outward) {
    Vec3 n{0, 0, 0};
    for (size_t i = 0; i < corners.size(); ++i) {
        Vec3 a = corners[i];
        Vec3 b = corners[(i + 1) % corners.size()];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    if (dot(n, outward) < 0) {
        std::vector<Vec3> reversed(corners.rbegin(), corners.rend());
        corners = reversed;
        n = n * -1.0;
    }
    Face face;
    face.corners = corners;
    face.normals.assign(corners.size(), normalized(n));
    part.faces.push_back(face);
}

// Adds a quad of a curved surface with a normal per corner; the corners are
// ordered like addPolygon does, by the quad's own flat normal.
void addCurvedQuad(MeshPart& part, std::vector<Vec3> corners, std::vector<Vec3> normals, Vec3 outward) {
    Vec3 e1 = corners[1] - corners[0];
    Vec3 e2 = corners[2] - corners[0];
    Vec3 n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
    if (dot(n, outward) < 0) {
        corners = {corners[3], corners[2], corners[1], corners[0]};
        normals = {normals[3], normals[2], normals[1], normals[0]};
    }
    part.faces.push_back({corners, normals});
}

void addBox(MeshPart& part, Vec3 lo, Vec3 hi) {
    auto corner = [&](int ix, int iy, int iz) {
        return Vec3{ix ? hi.x : lo.x, iy ? hi.y : lo.y, iz ? hi.z : lo.z};
    };
    for (int side = 0; side < 2; ++side) {
        double s = side ? 1.0 : -1.0;
        addPolygon(part, {corner(side, 0, 0), corner(side, 1, 0), corner(side, 1, 1), corner(side, 0, 1)}, {s, 0, 0});
        addPolygon(part, {corner(0, side, 0), corner(1, side, 0), corner(1, side, 1), corner(0, side, 1)}, {0, s, 0});
        addPolygon(part, {corner(0, 0, side), corner(1, 0, side), corner(1, 1, side), corner(0, 1, side)}, {0, 0, s});
    }
}

// A rectangle on a body side (x = side * kHalfWidth), spanning z0..z1 and
// y0..y1, lifted off the panel by `lift`.
void addSideRect(MeshPart& part, double side, double z0, double z1, double y0, double y1, double lift) {
    double x = side * (kHalfWidth + lift);
    addPolygon(part, {{x, y0, z0}, {x, y0, z1}, {x, y1, z1}, {x, y1, z0}}, {side, 0, 0});
}

// A rectangle on the rear face spanning x0..x1 and y0..y1.
void addRearRect(MeshPart& part, double x0, double x1, double y0, double y1, double lift) {
    double z = kRearZ - lift;
    addPolygon(part, {{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}}, {0, 0, -1});
}

// Point of a wheel arch: angle 0 is towards the front, pi/2 straight up.
Vec3 archPoint(double x, double axleZ, double radius, double angle) {
    return {x, kAxleY + radius * std::sin(angle), axleZ + radius * std::cos(angle)};
}

// One side of the body: panels down to the sill, with open arches over the
// wheels, closed behind by a black wheel well.
void addSide(MeshPart& body, MeshPart& trim, double side) {
    double x = side * kHalfWidth;
    Vec3 out{side, 0, 0};
    auto at = [x](double z, double y) { return Vec3{x, y, z}; };

    // Upper part: cargo box and cab under the roof, then the cab under the
    // windscreen and bonnet lines.
    addSideRect(body, side, kRearZ, kScreenTopZ, kArchTopY, kRoofY, 0);
    addPolygon(body, {at(kScreenTopZ, kArchTopY), at(kScreenBottomZ, kArchTopY), at(kScreenBottomZ, kScreenBottomY), at(kScreenTopZ, kRoofY)}, out);
    addPolygon(body, {at(kScreenBottomZ, kArchTopY), at(kNoseZ, kArchTopY), at(kNoseZ, kNoseTopY), at(kScreenBottomZ, kScreenBottomY)}, out);

    // Lower band: solid between the arches, and filled above each arch.
    const double arches[2][2] = {{kRearAxleZ, kRearWellInnerX}, {kFrontAxleZ, kFrontWellInnerX}};
    addSideRect(body, side, kRearZ, kRearAxleZ - kArchRadius, kSillY, kArchTopY, 0);
    addSideRect(body, side, kRearAxleZ + kArchRadius, kFrontAxleZ - kArchRadius, kSillY, kArchTopY, 0);
    addSideRect(body, side, kFrontAxleZ + kArchRadius, kNoseZ, kSillY, kArchTopY, 0);
    for (const auto& arch : arches) {
        double axleZ = arch[0];
        double innerX = side * arch[1];
        for (int i = 0; i < kArchSegments; ++i) {
            double a0 = kPi * i / kArchSegments;
            double a1 = kPi * (i + 1) / kArchSegments;
            Vec3 p0 = archPoint(x, axleZ, kArchRadius, a0);
            Vec3 p1 = archPoint(x, axleZ, kArchRadius, a1);
            addPolygon(body, {p0, p1, at(p1.z, kArchTopY), at(p0.z, kArchTopY)}, out);

            // The well's curved roof faces the wheel.
            Vec3 q0 = archPoint(innerX, axleZ, kArchRadius, a0);
            Vec3 q1 = archPoint(innerX, axleZ, kArchRadius, a1);
            double mid = (a0 + a1) / 2;
            addPolygon(trim, {p0, p1, q1, q0}, {0, -std::sin(mid), -std::cos(mid)});

            // Inner wall, seen through the arch.
            addPolygon(trim, {archPoint(innerX, axleZ, 0, 0), q0, q1}, out);
        }
        // Below the axle the arch opening runs straight down to the sill.
        double zBack = axleZ - kArchRadius;
        double zFront = axleZ + kArchRadius;
        addPolygon(trim, {{x, kSillY, zBack}, {x, kAxleY, zBack}, {innerX, kAxleY, zBack}, {innerX, kSillY, zBack}}, {0, 0, 1});
        addPolygon(trim, {{x, kSillY, zFront}, {x, kAxleY, zFront}, {innerX, kAxleY, zFront}, {innerX, kSillY, zFront}}, {0, 0, -1});
        addPolygon(trim, {{innerX, kSillY, zBack}, {innerX, kAxleY, zBack}, {innerX, kAxleY, zFront}, {innerX, kSillY, zFront}}, out);
    }
}

// The front and rear faces and the top surfaces of the body.
void addBodyShell(MeshPart& body, MeshPart& white) {
    const double w = kHalfWidth;
    addPolygon(body, {{-w, kSillY, kRearZ}, {w, kSillY, kRearZ}, {w, kRoofY, kRearZ}, {-w, kRoofY, kRearZ}}, {0, 0, -1});
    addPolygon(white, {{-w, kRoofY, kRearZ}, {w, kRoofY, kRearZ}, {w, kRoofY, kScreenTopZ}, {-w, kRoofY, kScreenTopZ}}, {0, 1, 0});
    addPolygon(body, {{-w, kRoofY, kScreenTopZ}, {w, kRoofY, kScreenTopZ}, {w, kScreenBottomY, kScreenBottomZ}, {-w, kScreenBottomY, kScreenBottomZ}}, {0, 1, 1});
    addPolygon(body, {{-w, kScreenBottomY, kScreenBottomZ}, {w, kScreenBottomY, kScreenBottomZ}, {w, kNoseTopY, kNoseZ}, {-w, kNoseTopY, kNoseZ}}, {0, 1, 0.2});
    addPolygon(body, {{-w, kSillY, kNoseZ}, {w, kSillY, kNoseZ}, {w, kNoseTopY, kNoseZ}, {-w, kNoseTopY, kNoseZ}}, {0, 0, 1});
}

// The z of the windscreen's side edge at height y, used to fit the
// cab side windows under it.
double screenZAt(double y) {
    return kScreenTopZ + (kRoofY - y) * (kScreenBottomZ - kScreenTopZ) / (kRoofY - kScreenBottomY);
}

void addWindows(MeshPart& glass) {
    // Windscreen: inset from the pillars and lifted along its own normal.
    Vec3 top{0, kRoofY, kScreenTopZ};
    Vec3 bottom{0, kScreenBottomY, kScreenBottomZ};
    Vec3 along = bottom - top;
    Vec3 lift = normalized(Vec3{0, along.z, -along.y}) * kDecal;
    Vec3 upper = top + along * 0.08 + lift;
    Vec3 lower = top + along * 0.92 + lift;
    double gx = kHalfWidth - 0.2;
    addPolygon(glass, {upper + Vec3{-gx, 0, 0}, upper + Vec3{gx, 0, 0}, lower + Vec3{gx, 0, 0}, lower + Vec3{-gx, 0, 0}}, lift);

    // Cab side windows follow the windscreen's slope at the front.
    for (double side : {1.0, -1.0}) {
        double x = side * (kHalfWidth + kDecal);
        double y0 = 2.8;
        double y1 = 3.95;
        addPolygon(glass, {{x, y0, kCabDoorRearZ}, {x, y0, screenZAt(y0) - 0.15}, {x, y1, screenZAt(y1) - 0.15}, {x, y1, kCabDoorRearZ}}, {side, 0, 0});
    }

    // The two rear door windows.
    addRearRect(glass, 0.2, 1.65, 2.9, 3.9, kDecal);
    addRearRect(glass, -1.65, -0.2, 2.9, 3.9, kDecal);
}

// A wheel centred at (side * (kTyreOuterX - kTyreWidth / 2), kAxleY, axleZ)
// with its hub facing outwards (side = +1 for +x).
void addWheel(MeshPart& part, double side, double axleZ) {
    const double outerX = side * kTyreOuterX;
    const double innerX = side * (kTyreOuterX - kTyreWidth);
    const double hubX = outerX - side * kHubDepth;
    const double capX = outerX + side * 0.02;
    auto ring = [&](double x, double radius, int i) {
        double a = 2 * kPi * i / kWheelSegments;
        return Vec3{x, kAxleY + radius * std::sin(a), axleZ + radius * std::cos(a)};
    };
    auto radial = [](int i) {
        double a = 2 * kPi * i / kWheelSegments;
        return Vec3{0, std::sin(a), std::cos(a)};
    };
    const Vec3 out{side, 0, 0};
    const Vec3 in{-side, 0, 0};
    for (int i = 0; i < kWheelSegments; ++i) {
        int j = i + 1;
        Vec3 mid = normalized(radial(i) + radial(j));
        // Tread, smooth round the wheel.
        addCurvedQuad(part, {ring(innerX, kTyreRadius, i), ring(outerX, kTyreRadius, i), ring(outerX, kTyreRadius, j), ring(innerX, kTyreRadius, j)},
                      {radial(i), radial(i), radial(j), radial(j)}, mid);
        // Outer sidewall, then the hub dished into it with a cap in the middle.
        addPolygon(part, {ring(outerX, kHubRadius, i), ring(outerX, kTyreRadius, i), ring(outerX, kTyreRadius, j), ring(outerX, kHubRadius, j)}, out);
        addCurvedQuad(part, {ring(hubX, kHubRadius, i), ring(outerX, kHubRadius, i), ring(outerX, kHubRadius, j), ring(hubX, kHubRadius, j)},
                      {radial(i) * -1, radial(i) * -1, radial(j) * -1, radial(j) * -1}, mid * -1);
        addPolygon(part, {ring(hubX, kCapRadius, i), ring(hubX, kHubRadius, i), ring(hubX, kHubRadius, j), ring(hubX, kCapRadius, j)}, out);
        addCurvedQuad(part, {ring(hubX, kCapRadius, i), ring(capX, kCapRadius, i), ring(capX, kCapRadius, j), ring(hubX, kCapRadius, j)},
                      {radial(i), radial(i), radial(j), radial(j)}, mid);
        addPolygon(part, {ring(capX, 0, i), ring(capX, kCapRadius, i), ring(capX, kCapRadius, j)}, out);
        // Inner side, facing the well.
        addPolygon(part, {ring(innerX, 0, i), ring(innerX, kTyreRadius, i), ring(innerX, kTyreRadius, j)}, in);
    }
}

std::vector<MeshPart> buildVan() {
    std::vector<MeshPart> parts(12);
    MeshPart& body = parts[0];
    MeshPart& headLights = parts[1];
    MeshPart& glass = parts[2];
    MeshPart& bumpers = parts[3];
    MeshPart& trim = parts[4];
    MeshPart& grilleMirrors = parts[5];
    MeshPart& wheelFrontPX = parts[6];
    MeshPart& wheelsRear = parts[7];
    MeshPart& white = parts[8];
    MeshPart& handles = parts[9];
    MeshPart& wheelFrontNX = parts[10];
    MeshPart& tailLights = parts[11];
    body.name = "body";
    headLights.name = "head_lights";
    glass.name = "windows";
    bumpers.name = "bumpers";
    trim.name = "trim";
    grilleMirrors.name = "grille_mirrors";
    wheelFrontPX.name = "wheel_front_px";
    wheelsRear.name = "wheels_rear";
    white.name = "roof_stripes";
    handles.name = "handles";
    wheelFrontNX.name = "wheel_front_nx";
    tailLights.name = "tail_lights";

    addBodyShell(body, white);
    addWindows(glass);

    for (double side : {1.0, -1.0}) {
        addSide(body, trim, side);

        // Black sills along the bottom, between and beyond the arches.
        addSideRect(trim, side, kRearZ, kRearAxleZ - kArchRadius, kSillY, 1.25, kDecal);
        addSideRect(trim, side, kRearAxleZ + kArchRadius, kFrontAxleZ - kArchRadius, kSillY, 1.25, kDecal);
        addSideRect(trim, side, kFrontAxleZ + kArchRadius, kNoseZ, kSillY, 1.25, kDecal);

        // Livery stripe along the cargo box, under the cab's window line.
        addSideRect(white, side, kRearZ, kCabDoorRearZ, 2.35, 2.6, kDecal);

        // Head light, tail light, mirror on its arm, and the handles.
        double s = side;
        auto box = [s](MeshPart& part, double x0, double x1, double y0, double y1, double z0, double z1) {
            double a = s * x0;
            double b = s * x1;
            addBox(part, {std::fmin(a, b), y0, z0}, {std::fmax(a, b), y1, z1});
        };
        box(headLights, 1.15, 1.8, 1.75, 2.2, kNoseZ - 0.1, kNoseZ + 0.06);
        box(tailLights, 1.5, 1.88, 1.6, 2.8, kRearZ - 0.06, kRearZ + 0.1);
        box(grilleMirrors, kHalfWidth - 0.1, 2.1, 3.1, 3.2, 3.5, 3.6);
        box(grilleMirrors, 2.05, 2.2, 2.8, 3.45, 3.45, 3.62);
        box(handles, kHalfWidth - 0.05, kHalfWidth + 0.05, 2.66, 2.76, 1.4, 1.7);
        box(handles, 0.12, 0.45, 2.2, 2.35, kRearZ - 0.06, kRearZ + 0.05);
        box(handles, 1.75, 1.93, 1.95, 2.15, kRearZ - 0.05, kRearZ + 0.05);
        box(handles, 1.75, 1.93, 3.5, 3.7, kRearZ - 0.05, kRearZ + 0.05);
    }

    // Rear doors: the seam between them and the stripe across them.
    addRearRect(white, -kHalfWidth, kHalfWidth, 2.35, 2.6, kDecal);
    addRearRect(trim, -0.03, 0.03, kSillY + 0.05, kRoofY - 0.05, 2 * kDecal);

    addBox(grilleMirrors, {-1.0, 1.6, kNoseZ - 0.1}, {1.0, 2.25, kNoseZ + 0.05});
    addBox(bumpers, {-2.0, 0.8, 5.05}, {2.0, 1.4, kFrontPlateZ - 0.02});
    addBox(bumpers, {-2.0, 0.8, -4.98}, {2.0, 1.35, kRearZ + 0.1});
    addBox(white, {-0.6, 0.9, kFrontPlateZ - 0.05}, {0.6, 1.25, kFrontPlateZ});
    addBox(white, {-0.6, 0.9, -5.0}, {0.6, 1.25, -4.95});

    addWheel(wheelFrontPX, 1, kFrontAxleZ);
    addWheel(wheelFrontNX, -1, kFrontAxleZ);
    addWheel(wheelsRear, 1, kRearAxleZ);
    addWheel(wheelsRear, -1, kRearAxleZ);
    return parts;
}

// Prints a coordinate with four decimals, never as "-0.0000".
void printNumber(FILE* out, double v) {
    if (std::fabs(v) < 0.00005) {
        v = 0;
    }
    std::fprintf(out, " %.4f", v);
}

// Writes the parts as OBJ. The file's z is the game's z negated, which also
// mirrors the faces, so each face's corners are written in reverse to stay
// counter-clockwise seen from outside.
bool writeObj(const std::vector<MeshPart>& parts, const char* path) {
    FILE* out = std::fopen(path, "w");
    if (!out) {
        return false;
    }
    std::fprintf(out, "# Tarvello delivery van, written by gen_van\n");
    long next = 1;
    for (const MeshPart& part : parts) {
        std::fprintf(out, "o %s\n", part.name.c_str());
        for (const Face& face : part.faces) {
            for (const Vec3& p : face.corners) {
                std::fprintf(out, "v");
                printNumber(out, p.x);
                printNumber(out, p.y);
                printNumber(out, -p.z);
                std::fprintf(out, "\n");
            }
            for (const Vec3& n : face.normals) {
                std::fprintf(out, "vn");
                printNumber(out, n.x);
                printNumber(out, n.y);
                printNumber(out, -n.z);
                std::fprintf(out, "\n");
            }
            std::fprintf(out, "f");
            for (long i = static_cast<long>(face.corners.size()) - 1; i >= 0; --i) {
                std::fprintf(out, " %ld//%ld", next + i, next + i);
            }
            std::fprintf(out, "\n");
            next += static_cast<long>(face.corners.size());
        }
    }
    bool ok = !std::ferror(out);
    return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_van OUTFILE\n");
        return 1;
    }
    std::vector<MeshPart> parts = buildVan();

    // The game steers the front wheels about z = maxZ / 2 + 0.5, so the
    // front axle must stay there whatever the body's length.
    double maxZ = 0;
    for (const MeshPart& part : parts) {
        if (part.faces.empty()) {
            std::fprintf(stderr, "gen_van: part %s has no faces\n", part.name.c_str());
            return 1;
        }
        for (const Face& face : part.faces) {
            for (const Vec3& p : face.corners) {
                maxZ = std::fmax(maxZ, p.z);
            }
        }
    }
    if (std::fabs(maxZ / 2 + 0.5 - kFrontAxleZ) > 0.001) {
        std::fprintf(stderr, "gen_van: front axle at z %.3f, the steering axis is at %.3f\n", kFrontAxleZ, maxZ / 2 + 0.5);
        return 1;
    }

    if (!writeObj(parts, argv[1])) {
        std::fprintf(stderr, "gen_van: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
