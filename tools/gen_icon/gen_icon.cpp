// gen_icon: draws the game's icon, the delivery van seen from the front
// left and above, from the van model the game itself loads.
//
//   gen_icon VAN.obj OUTFILE SIZE...
//
// OUTFILE's ending says what is written: ".png" one picture (one SIZE);
// ".ico" a Windows icon with every SIZE (the 256 one PNG-compressed, as
// Windows keeps it, the smaller ones as 32-bit bitmaps, which every
// Windows reads); ".inc" the pictures as C++ arrays of 8-bit RGBA rows,
// for a program to compile in (the struct VanIcon and the array VAN_ICONS).
//
// The model's faces are filled flat in the game's colours for its objects,
// lit by one fixed light, with a depth buffer at four times the size and
// each pixel averaged from its 4 x 4 samples, so edges are smooth and the
// background stays transparent. The output is the same for the same model.

#include "vehicle/MeshColour.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Vec3 {
    double x, y, z;
};

Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

struct Face {
    std::vector<Vec3> corners;
    int object;
};

// The colours the game gives the van's objects, each channel capped at 1
// as OpenGL caps them.
Vec3 objectColour(int object) {
    const glm::vec3 c = meshColour(static_cast<unsigned int>(object));
    return {std::min(1.0, double(c.r)), std::min(1.0, double(c.g)), std::min(1.0, double(c.b))};
}

// Reads the "o", "v" and "f" lines of an OBJ file; false when it has no face.
bool readModel(const char* path, std::vector<Face>& faces) {
    std::ifstream in(path);
    std::vector<Vec3> vertices;
    int object = -1;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "o") {
            ++object;
        } else if (kind == "v") {
            Vec3 v{};
            words >> v.x >> v.y >> v.z;
            vertices.push_back(v);
        } else if (kind == "f") {
            Face face{{}, std::max(object, 0)};
            std::string corner;
            while (words >> corner) {
                const long index = std::strtol(corner.c_str(), nullptr, 10);
                if (index < 1 || index > static_cast<long>(vertices.size())) return false;
                face.corners.push_back(vertices[index - 1]);
            }
            if (face.corners.size() >= 3) faces.push_back(face);
        }
    }
    return !faces.empty();
}

// The file's coordinates turned into the view: x to the right, y up, z
// away from the viewer. The van's front is -z in the file; it is turned so
// the front and the left side show, and tipped so the roof shows.
Vec3 toView(Vec3 p) {
    const double yaw = 0.65, pitch = 0.45;
    const double x1 = p.x * std::cos(yaw) - p.z * std::sin(yaw);
    const double z1 = p.x * std::sin(yaw) + p.z * std::cos(yaw);
    const double y2 = p.y * std::cos(pitch) + z1 * std::sin(pitch);
    const double z2 = -p.y * std::sin(pitch) + z1 * std::cos(pitch);
    return {x1, y2, z2};
}

struct Canvas {
    int size;
    std::vector<double> depth;
    std::vector<Vec3> colour;
    std::vector<bool> covered;
};

void fillTriangle(Canvas& canvas, const std::array<Vec3, 3>& p, Vec3 colour) {
    const double area = (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
    if (std::fabs(area) < 1e-12) return;
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min({p[0].x, p[1].x, p[2].x}))));
    const int x1 = std::min(canvas.size - 1, static_cast<int>(std::ceil(std::max({p[0].x, p[1].x, p[2].x}))));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min({p[0].y, p[1].y, p[2].y}))));
    const int y1 = std::min(canvas.size - 1, static_cast<int>(std::ceil(std::max({p[0].y, p[1].y, p[2].y}))));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double w0 = ((p[1].x - px) * (p[2].y - py) - (p[2].x - px) * (p[1].y - py)) / area;
            const double w1 = ((p[2].x - px) * (p[0].y - py) - (p[0].x - px) * (p[2].y - py)) / area;
            const double w2 = 1.0 - w0 - w1;
            if (w0 < 0 || w1 < 0 || w2 < 0) continue;
            const double z = w0 * p[0].z + w1 * p[1].z + w2 * p[2].z;
            const size_t i = static_cast<size_t>(y) * canvas.size + x;
            if (z >= canvas.depth[i]) continue;
            canvas.depth[i] = z;
            canvas.colour[i] = colour;
            canvas.covered[i] = true;
        }
    }
}

void draw(Canvas& canvas, const std::vector<Face>& faces) {
    double lo = std::numeric_limits<double>::max(), hiX = -lo, hiY = -lo, loX = lo, loY = lo;
    for (const Face& face : faces) {
        for (const Vec3& c : face.corners) {
            const Vec3 v = toView(c);
            loX = std::min(loX, v.x), hiX = std::max(hiX, v.x);
            loY = std::min(loY, v.y), hiY = std::max(hiY, v.y);
        }
    }
    // A margin of 4 % on each side; the van is centred.
    const double scale = canvas.size * 0.92 / std::max(hiX - loX, hiY - loY);
    const double offX = canvas.size / 2.0 - scale * (loX + hiX) / 2;
    const double offY = canvas.size / 2.0 + scale * (loY + hiY) / 2;
    // Light from above, behind the viewer's left shoulder.
    const Vec3 light{-0.35, 0.8, -0.5};
    const double lightLength = std::sqrt(dot(light, light));
    for (const Face& face : faces) {
        std::vector<Vec3> view;
        for (const Vec3& c : face.corners) view.push_back(toView(c));
        Vec3 normal = cross(view[1] - view[0], view[2] - view[0]);
        const double length = std::sqrt(dot(normal, normal));
        if (length < 1e-12) continue;
        // Faces turned away stay undrawn; the model's faces are
        // counter-clockwise seen from outside.
        if (normal.z > 0) continue;
        const Vec3 base = objectColour(face.object);
        const double lit = 0.45 + 0.55 * std::max(0.0, dot(normal, light) / (length * lightLength));
        const Vec3 colour{base.x * lit, base.y * lit, base.z * lit};
        std::vector<Vec3> screen;
        for (const Vec3& v : view) screen.push_back({offX + scale * v.x, offY - scale * v.y, v.z});
        for (size_t i = 1; i + 1 < screen.size(); ++i) fillTriangle(canvas, {screen[0], screen[i], screen[i + 1]}, colour);
    }
}

void appendChunk(std::vector<unsigned char>& png, const char* type, const std::vector<unsigned char>& data) {
    const uint32_t length = static_cast<uint32_t>(data.size());
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<unsigned char>(length >> shift));
    std::vector<unsigned char> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    const uLong crc = crc32(0L, body.data(), static_cast<uInt>(body.size()));
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<unsigned char>(crc >> shift));
}

// An 8-bit RGBA PNG of SIZE x SIZE pixels; empty when zlib fails.
std::vector<unsigned char> pngFile(int size, const std::vector<unsigned char>& rgba) {
    std::vector<unsigned char> rows;
    for (int y = 0; y < size; ++y) {
        rows.push_back(0);  // no filter
        rows.insert(rows.end(), rgba.begin() + static_cast<long>(y) * size * 4, rgba.begin() + static_cast<long>(y + 1) * size * 4);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()), 9) != Z_OK) return {};
    packed.resize(packedSize);

    std::vector<unsigned char> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<unsigned char> header;
    for (int i = 0; i < 2; ++i) {
        for (int shift = 24; shift >= 0; shift -= 8) header.push_back(static_cast<unsigned char>(size >> shift));
    }
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter choice, no interlace
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", packed);
    appendChunk(png, "IEND", {});
    return png;
}

// The van drawn at SIZE x SIZE: 8-bit RGBA rows from the top.
std::vector<unsigned char> drawIcon(const std::vector<Face>& faces, int size) {
    constexpr int kSamples = 4;
    Canvas canvas{size * kSamples, {}, {}, {}};
    const size_t count = static_cast<size_t>(canvas.size) * canvas.size;
    canvas.depth.assign(count, std::numeric_limits<double>::max());
    canvas.colour.assign(count, {0, 0, 0});
    canvas.covered.assign(count, false);
    draw(canvas, faces);

    // Each pixel: the covered samples' mean colour, and their share as alpha.
    std::vector<unsigned char> rgba;
    rgba.reserve(static_cast<size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Vec3 sum{0, 0, 0};
            int covered = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const size_t i = static_cast<size_t>(y * kSamples + sy) * canvas.size + x * kSamples + sx;
                    if (!canvas.covered[i]) continue;
                    sum = {sum.x + canvas.colour[i].x, sum.y + canvas.colour[i].y, sum.z + canvas.colour[i].z};
                    ++covered;
                }
            }
            const double n = covered ? covered : 1;
            for (double channel : {sum.x / n, sum.y / n, sum.z / n}) {
                rgba.push_back(static_cast<unsigned char>(std::lround(255 * std::clamp(channel, 0.0, 1.0))));
            }
            rgba.push_back(static_cast<unsigned char>(std::lround(255.0 * covered / (kSamples * kSamples))));
        }
    }
    return rgba;
}

void appendLittleEndian(std::vector<unsigned char>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// One picture of an icon file as a bitmap: the header, the colours bottom
// row first in BGRA, then the 1-bit mask (set where the picture is wholly
// transparent) with rows padded to 32 bits.
std::vector<unsigned char> iconBitmap(int size, const std::vector<unsigned char>& rgba) {
    const int maskRow = (size + 31) / 32 * 4;
    std::vector<unsigned char> bmp;
    appendLittleEndian(bmp, 40, 4);                    // header size
    appendLittleEndian(bmp, size, 4);
    appendLittleEndian(bmp, 2 * size, 4);              // colours and mask
    appendLittleEndian(bmp, 1, 2);                     // planes
    appendLittleEndian(bmp, 32, 2);                    // bits per pixel
    appendLittleEndian(bmp, 0, 4);                     // uncompressed
    appendLittleEndian(bmp, size * size * 4 + maskRow * size, 4);
    for (int i = 0; i < 4; ++i) appendLittleEndian(bmp, 0, 4);  // resolution and palette: none
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            const unsigned char* p = &rgba[(static_cast<size_t>(y) * size + x) * 4];
            bmp.insert(bmp.end(), {p[2], p[1], p[0], p[3]});
        }
    }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<unsigned char> row(maskRow, 0);
        for (int x = 0; x < size; ++x) {
            if (rgba[(static_cast<size_t>(y) * size + x) * 4 + 3] == 0) row[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
        }
        bmp.insert(bmp.end(), row.begin(), row.end());
    }
    return bmp;
}

// False also for no bytes: a picture zlib could not pack.
bool writeFile(const char* path, const std::vector<unsigned char>& bytes) {
    if (bytes.empty()) return false;
    std::FILE* out = std::fopen(path, "wb");
    if (!out) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

struct Picture {
    int size;
    std::vector<unsigned char> rgba;
};

bool writeIco(const char* path, const std::vector<Picture>& pictures) {
    std::vector<std::vector<unsigned char>> images;
    for (const Picture& p : pictures) {
        images.push_back(p.size >= 256 ? pngFile(p.size, p.rgba) : iconBitmap(p.size, p.rgba));
        if (images.back().empty()) return false;
    }
    std::vector<unsigned char> ico;
    appendLittleEndian(ico, 0, 2);
    appendLittleEndian(ico, 1, 2);  // an icon, not a cursor
    appendLittleEndian(ico, static_cast<uint32_t>(pictures.size()), 2);
    uint32_t offset = static_cast<uint32_t>(6 + 16 * pictures.size());
    for (size_t i = 0; i < pictures.size(); ++i) {
        const int size = pictures[i].size;
        ico.push_back(static_cast<unsigned char>(size >= 256 ? 0 : size));  // 0 stands for 256
        ico.push_back(static_cast<unsigned char>(size >= 256 ? 0 : size));
        ico.insert(ico.end(), {0, 0});  // no palette
        appendLittleEndian(ico, 1, 2);
        appendLittleEndian(ico, 32, 2);
        appendLittleEndian(ico, static_cast<uint32_t>(images[i].size()), 4);
        appendLittleEndian(ico, offset, 4);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const auto& image : images) ico.insert(ico.end(), image.begin(), image.end());
    return writeFile(path, ico);
}

bool writeArrays(const char* path, const std::vector<Picture>& pictures) {
    std::ostringstream out;
    out << "// The van icon, drawn by tools/gen_icon from vito.obj: 8-bit RGBA rows from the top.\n";
    for (const Picture& p : pictures) {
        out << "const unsigned char VAN_ICON_" << p.size << "[] = {";
        for (size_t i = 0; i < p.rgba.size(); ++i) out << (i == 0 ? "\n" : i % 32 ? "," : ",\n") << int(p.rgba[i]);
        out << "};\n";
    }
    out << "struct VanIcon {\n    int size;\n    const unsigned char* rgba;\n};\nconst VanIcon VAN_ICONS[] = {";
    for (const Picture& p : pictures) out << "{" << p.size << ", VAN_ICON_" << p.size << "}, ";
    out << "};\n";
    const std::string text = out.str();
    return writeFile(path, std::vector<unsigned char>(text.begin(), text.end()));
}

bool endsWith(const std::string& s, const char* ending) {
    const size_t n = std::strlen(ending);
    return s.size() >= n && s.compare(s.size() - n, n, ending) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string out = argc >= 4 ? argv[2] : "";
    const bool asPng = endsWith(out, ".png"), asIco = endsWith(out, ".ico"), asArrays = endsWith(out, ".inc");
    if (argc < 4 || !(asPng || asIco || asArrays) || (asPng && argc != 4)) {
        std::fprintf(stderr, "usage: gen_icon VAN.obj OUTFILE.png SIZE | OUTFILE.ico SIZE... | OUTFILE.inc SIZE...\n");
        return 2;
    }
    std::vector<Face> faces;
    if (!readModel(argv[1], faces)) {
        std::fprintf(stderr, "gen_icon: no faces read from %s\n", argv[1]);
        return 1;
    }
    std::vector<Picture> pictures;
    for (int a = 3; a < argc; ++a) {
        const int size = std::atoi(argv[a]);
        // An icon file has one byte for a picture's width, 0 for 256.
        const int largest = asPng ? 1024 : 256;
        if (size < 16 || size > largest) {
            std::fprintf(stderr, "gen_icon: size %s is not within 16 to %d\n", argv[a], largest);
            return 2;
        }
        pictures.push_back({size, drawIcon(faces, size)});
    }
    const bool written = asPng ? writeFile(argv[2], pngFile(pictures[0].size, pictures[0].rgba))
                         : asIco ? writeIco(argv[2], pictures)
                                 : writeArrays(argv[2], pictures);
    if (!written) {
        std::fprintf(stderr, "gen_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
