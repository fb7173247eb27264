// Checks of the texture generator that the game relies on: street tiles join
// wherever the tile table says a road leaves, the stone wall tiles, the roof
// texel sits at the bottom-left of the written files, and the output is the
// same bytes on every run.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "noise.h"
#include "street_tiles.h"
#include "textures.h"

namespace fs = std::filesystem;
using gentex::GrayImage;
using gentex::kTextureSize;
using namespace street_tiles;

namespace {

constexpr Side kSides[] = {kLeft, kRight, kTop, kBottom};
constexpr int kDark = 100;  // asphalt is darker, kerbs, sidewalks and paint are lighter

const char* sideName(Side side) {
    switch (side) {
        case kLeft: return "left";
        case kRight: return "right";
        case kTop: return "top";
        default: return "bottom";
    }
}

// The outermost pixels on one side, top to bottom or left to right.
std::vector<int> edgePixels(const GrayImage& img, Side side) {
    std::vector<int> out;
    for (int i = 0; i < kTextureSize; ++i) {
        switch (side) {
            case kLeft: out.push_back(img.at(0, i)); break;
            case kRight: out.push_back(img.at(kTextureSize - 1, i)); break;
            case kTop: out.push_back(img.at(i, 0)); break;
            default: out.push_back(img.at(i, kTextureSize - 1)); break;
        }
    }
    return out;
}

const std::vector<GrayImage>& streetTiles() {
    static const std::vector<GrayImage> tiles = [] {
        std::vector<GrayImage> t;
        for (const StreetTile& tile : kStreetTiles) t.push_back(gentex::renderStreetTile(tile.open));
        return t;
    }();
    return tiles;
}

// A scratch directory removed again at the end of the test.
struct ScratchDir {
    fs::path path;
    explicit ScratchDir(const std::string& name)
        : path(fs::temp_directory_path() /
               ("gen_textures_test_" + std::to_string(std::random_device{}()) + "_" + name)) {
        fs::remove_all(path);
    }
    ~ScratchDir() { fs::remove_all(path); }
};

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Decoded {
    int width = 0, height = 0, components = 0;
    std::vector<unsigned char> pixels;
};

Decoded decodeJpeg(const std::string& bytes) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    Decoded d{static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
              cinfo.output_components, {}};
    d.pixels.resize(static_cast<size_t>(d.width) * d.height * d.components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &d.pixels[static_cast<size_t>(cinfo.output_scanline) * d.width * d.components];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return d;
}

}  // namespace

TEST(StreetTiles, RoadLeavesExactlyThroughTheOpenSides) {
    for (int t = 0; t < kStreetTileCount; ++t) {
        for (Side side : kSides) {
            SCOPED_TRACE(std::string(kStreetTiles[t].file) + " " + sideName(side));
            const std::vector<int> edge = edgePixels(streetTiles()[t], side);
            int darkInMiddle = 0, darkOutside = 0;
            for (int i = 0; i < kTextureSize; ++i) {
                const bool dark = edge[i] < kDark;
                if (i >= 166 && i < 346) darkInMiddle += dark;
                else if (i < 134 || i >= 378) darkOutside += dark;  // beyond the kerbs
            }
            EXPECT_EQ(darkOutside, 0);
            if (isOpen(kStreetTiles[t].open, side))
                EXPECT_GT(darkInMiddle, 150);  // asphalt, apart from the centre line
            else
                EXPECT_EQ(darkInMiddle, 0);
        }
    }
}

TEST(StreetTiles, OpenEdgesArePixelIdenticalOnEveryTile) {
    for (Side side : kSides) {
        int reference = -1;
        for (int t = 0; t < kStreetTileCount; ++t) {
            if (!isOpen(kStreetTiles[t].open, side)) continue;
            if (reference < 0) {
                reference = t;
                continue;
            }
            EXPECT_EQ(edgePixels(streetTiles()[t], side), edgePixels(streetTiles()[reference], side))
                << kStreetTiles[t].file << " vs " << kStreetTiles[reference].file << ", "
                << sideName(side) << " edge";
        }
    }
}

// The paving and the sidewalks continue across tile borders only if their
// noise repeats exactly with the tile.
TEST(Noise, SmoothNoiseRepeatsWithItsPeriod) {
    const int period = kTextureSize;
    const gentex::PixelField field = gentex::fbmField(2 * period, 64, period, 4, 5);
    int mismatches = 0;
    for (int y = 0; y < period; ++y)
        for (int x = 0; x < period; ++x) {
            const double v = field(x, y);
            mismatches += v != field(x + period, y) || v != field(x, y + period) ||
                          v != field(x + period, y + period);
        }
    EXPECT_EQ(mismatches, 0);
}

TEST(Output, WritesTheSameGreyJpegsOnEveryRun) {
    ScratchDir first("first"), second("second");
    std::string error;
    ASSERT_TRUE(gentex::writeAllTextures(first.path.string(), error)) << error;
    ASSERT_TRUE(gentex::writeAllTextures(second.path.string(), error)) << error;

    std::set<std::string> expected = {"paving.jpg", "wall_3windows.jpg", "oldhouse.jpg"};
    for (const StreetTile& tile : kStreetTiles) expected.insert(tile.file);
    ASSERT_EQ(expected.size(), 13u);
    std::set<std::string> written;
    for (const auto& entry : fs::directory_iterator(first.path)) written.insert(entry.path().filename().string());
    EXPECT_EQ(written, expected);

    for (const std::string& name : expected) {
        SCOPED_TRACE(name);
        const std::string bytes = readFile(first.path / name);
        EXPECT_EQ(bytes, readFile(second.path / name));
        const Decoded img = decodeJpeg(bytes);
        EXPECT_EQ(img.width, kTextureSize);
        EXPECT_EQ(img.height, kTextureSize);
        EXPECT_EQ(img.components, 1);
        // The roof of a facade block samples the texel at the bottom-left.
        if (name == "wall_3windows.jpg" || name == "oldhouse.jpg") {
            EXPECT_NEAR(img.pixels[static_cast<size_t>(kTextureSize - 1) * kTextureSize],
                        gentex::kRoofGrey, 2);
        }
    }
}

TEST(Output, ReportsADirectoryItCannotCreate) {
    ScratchDir scratch("blocked");
    fs::create_directories(scratch.path);
    std::ofstream(scratch.path / "file") << "x";
    std::string error;
    EXPECT_FALSE(gentex::writeAllTextures((scratch.path / "file" / "out").string(), error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
}
