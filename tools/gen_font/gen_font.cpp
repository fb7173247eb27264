// gen_font: renders the HUD bitmap font "arial.glf" from a TrueType file.
//
//   gen_font TTF_PATH OUTFILE
//
// The HUD draws every character as one quad of the glyph's rectangle and
// then moves right by the rectangle's width; it knows nothing of baselines,
// bearings or kerning. So each rectangle here is one full line tall with the
// glyph sitting on a shared baseline, and as wide as the glyph's advance,
// which builds the spacing into the texture.
//
// File layout (little-endian): texture name (0), texWidth, texHeight,
// firstChar, lastChar, pointer placeholder (0), then one 24-byte record per
// character (width, height, texLeft, texTop, texRight, texBottom as float32),
// then texWidth x texHeight texels of (luminance, alpha), top row first.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// 12 px DejaVu Sans Bold gives a 15-texel line; the HUD writes its lines
// 15 units apart, and bold strokes stay solid once the 640x480 overlay is
// stretched with nearest sampling. The glyphs are rendered narrower than
// tall, at a 9 px em across: the overlay stretches x by 1200/640 but y only
// by 800/480, so on screen they keep close to their designed shape, and
// digits 6 units wide let the frame rate, written 70 units from the right
// edge, fit with eight figures.
constexpr int kPixelSize = 12;
constexpr int kPixelWidth = 9;
constexpr int kFirstChar = 32;
constexpr int kLastChar = 126;
constexpr int kTexWidth = 256;
// Empty texels between rectangles so nearest sampling never picks up a
// neighbour.
constexpr int kPadding = 1;
// Light hinting snaps stems vertically only, which keeps the shapes true to
// the design at this small size.
constexpr FT_Int32 kLoadFlags = FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT;

struct Glyph {
    int left = 0;     // bitmap_left: pen position to first bitmap column
    int top = 0;      // bitmap_top: baseline to first bitmap row (up)
    int advance = 0;  // whole pixels
    int bitmapWidth = 0;
    int bitmapRows = 0;
    std::vector<uint8_t> coverage;  // bitmapRows x bitmapWidth, top row first

    // The glyph's cell spans the advance, widened only where ink would
    // otherwise be cut off (a negative left bearing or an overhang).
    int cellLeft() const { return left < 0 ? left : 0; }
    int cellRight() const {
        return left + bitmapWidth > advance ? left + bitmapWidth : advance;
    }
    int cellWidth() const { return cellRight() - cellLeft(); }
};

struct Placement {
    int x = 0;
    int y = 0;
};

bool fail(const std::string& message) {
    std::fprintf(stderr, "gen_font: %s\n", message.c_str());
    return false;
}

bool renderGlyphs(const char* ttfPath, std::vector<Glyph>& glyphs) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return fail("cannot initialise FreeType");

    FT_Face face = nullptr;
    if (FT_New_Face(library, ttfPath, 0, &face) != 0) {
        FT_Done_FreeType(library);
        return fail(std::string("cannot open font ") + ttfPath);
    }

    bool ok = true;
    // At 72 dots per inch a point is a pixel.
    if (FT_Set_Char_Size(face, kPixelWidth * 64, kPixelSize * 64, 72, 72) != 0) {
        ok = fail("cannot set pixel size");
    }
    for (int code = kFirstChar; ok && code <= kLastChar; ++code) {
        FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
        if (index == 0) {
            ok = fail("font has no glyph for character " + std::to_string(code));
            break;
        }
        if (FT_Load_Glyph(face, index, kLoadFlags) != 0 ||
            FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) {
            ok = fail("cannot render character " + std::to_string(code));
            break;
        }
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        if (bitmap.rows > 0 && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
            ok = fail("unexpected bitmap format for character " + std::to_string(code));
            break;
        }

        Glyph glyph;
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        glyph.bitmapWidth = static_cast<int>(bitmap.width);
        glyph.bitmapRows = static_cast<int>(bitmap.rows);
        glyph.coverage.resize(static_cast<size_t>(glyph.bitmapWidth) * glyph.bitmapRows);
        for (int row = 0; row < glyph.bitmapRows; ++row) {
            // A negative pitch means the rows are stored bottom row first.
            const int storedRow = bitmap.pitch >= 0 ? row : glyph.bitmapRows - 1 - row;
            const int rowBytes = bitmap.pitch >= 0 ? bitmap.pitch : -bitmap.pitch;
            const uint8_t* src = bitmap.buffer + static_cast<ptrdiff_t>(storedRow) * rowBytes;
            std::memcpy(&glyph.coverage[static_cast<size_t>(row) * glyph.bitmapWidth], src,
                        static_cast<size_t>(glyph.bitmapWidth));
        }
        glyphs.push_back(std::move(glyph));
    }

    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return ok;
}

// Shelf packing in character order: rows of cells left to right, every cell
// the same height, padding between neighbours. The atlas edges need none:
// quad corners land on texel boundaries, so nearest sampling stays inside.
// Returns the atlas height needed.
int packCells(const std::vector<Glyph>& glyphs, int cellHeight,
              std::vector<Placement>& placements) {
    int x = 0;
    int y = 0;
    for (const Glyph& glyph : glyphs) {
        if (x + glyph.cellWidth() > kTexWidth) {
            x = 0;
            y += cellHeight + kPadding;
        }
        placements.push_back({x, y});
        x += glyph.cellWidth() + kPadding;
    }
    return y + cellHeight;
}

void putU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void putI32(std::vector<uint8_t>& out, int32_t value) {
    putU32(out, static_cast<uint32_t>(value));
}

void putF32(std::vector<uint8_t>& out, float value) {
    uint32_t bits = 0;
    static_assert(sizeof(bits) == sizeof(value), "float must be 32-bit");
    std::memcpy(&bits, &value, sizeof(bits));
    putU32(out, bits);
}

bool writeFile(const char* path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path, "wb");
    if (!file) return fail(std::string("cannot create ") + path);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) return fail(std::string("cannot write ") + path);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: gen_font TTF_PATH OUTFILE\n");
        return 1;
    }

    std::vector<Glyph> glyphs;
    if (!renderGlyphs(argv[1], glyphs)) return 1;

    // The line is as tall as the highest ascender plus the deepest descender
    // actually drawn, so no glyph is cut and all share one baseline.
    int ascent = 0;
    int descent = 0;
    for (const Glyph& glyph : glyphs) {
        if (glyph.bitmapRows == 0) continue;
        if (glyph.top > ascent) ascent = glyph.top;
        if (glyph.bitmapRows - glyph.top > descent) descent = glyph.bitmapRows - glyph.top;
    }
    const int cellHeight = ascent + descent;

    std::vector<Placement> placements;
    const int usedHeight = packCells(glyphs, cellHeight, placements);
    // Power-of-two sizes keep every texel boundary exact as a float.
    int texHeight = 1;
    while (texHeight < usedHeight) texHeight *= 2;
    if (texHeight > kTexWidth * 4) {
        std::fprintf(stderr, "gen_font: glyphs do not fit a %d-wide atlas\n", kTexWidth);
        return 1;
    }

    // Luminance is white everywhere so glColor tints the text; alpha carries
    // the coverage.
    std::vector<uint8_t> alpha(static_cast<size_t>(kTexWidth) * texHeight, 0);
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const Glyph& glyph = glyphs[i];
        const int originX = placements[i].x - glyph.cellLeft() + glyph.left;
        const int originY = placements[i].y + ascent - glyph.top;
        for (int row = 0; row < glyph.bitmapRows; ++row) {
            for (int col = 0; col < glyph.bitmapWidth; ++col) {
                alpha[static_cast<size_t>(originY + row) * kTexWidth + originX + col] =
                    glyph.coverage[static_cast<size_t>(row) * glyph.bitmapWidth + col];
            }
        }
    }

    std::vector<uint8_t> out;
    putU32(out, 0);
    putI32(out, kTexWidth);
    putI32(out, texHeight);
    putI32(out, kFirstChar);
    putI32(out, kLastChar);
    putU32(out, 0);
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const int x = placements[i].x;
        const int y = placements[i].y;
        const int width = glyphs[i].cellWidth();
        putF32(out, static_cast<float>(width));
        putF32(out, static_cast<float>(cellHeight));
        putF32(out, static_cast<float>(x) / kTexWidth);
        putF32(out, static_cast<float>(y) / texHeight);
        putF32(out, static_cast<float>(x + width) / kTexWidth);
        putF32(out, static_cast<float>(y + cellHeight) / texHeight);
    }
    for (uint8_t coverage : alpha) {
        out.push_back(255);
        out.push_back(coverage);
    }

    return writeFile(argv[2], out) ? 0 : 1;
}
