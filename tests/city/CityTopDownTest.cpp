// The whole map drawn from straight above, unlit, to check that the road
// textures line up with the layout: asphalt runs across every border the
// layout opens and sidewalk lines every border with a building.
#include "support/CitySupport.h"

#include "support/GlContext.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testing_support;

namespace {

// Asphalt and sidewalk greys of the road textures, as the filtered top-down
// view shows them (the centre dashes and kerbs are much brighter).
constexpr double ASPHALT_MIN = 60, ASPHALT_MAX = 95;
constexpr double SIDEWALK_MIN = 130, SIDEWALK_MAX = 190;
// The road is 22 units wide and centred; samples keep clear of its centre line.
constexpr float OFF_CENTRE = 0.25f * 11.0f;

struct Border {
    Side side;
    int di, dj;
};
const Border BORDERS[] = {{MinusI, -1, 0}, {PlusI, 1, 0}, {MinusJ, 0, -1}, {PlusJ, 0, 1}};

bool isStreetCell(int i, int j) { return openSides(layoutTile(i, j)) != 0; }

class CityTopDownTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        City city = buildCity(lights);
        shaders::ProgramPtr unlit = unlitProgram();
        for (int i = 0; i < City::SIZE; ++i)
            for (int j = 0; j < City::SIZE; ++j) city.cell(i, j)->init(unlit.get());
        target.clear(1.0f, 0.0f, 1.0f);
        target.drawCity(city, unlit.get());
        target.read();
    }

    // The grey `depth` units inside street cell (i, j) from its border on
    // `b`, `across` units to the side of the border's midpoint.
    double greyNear(int i, int j, const Border& b, float depth, float across) const {
        const float x = 50.0f * i + b.di * (25.0f - depth) + (b.di == 0 ? across : 0.0f);
        const float z = 50.0f * j + b.dj * (25.0f - depth) + (b.dj == 0 ? across : 0.0f);
        return target.meanGrey(x, z);
    }

    SpotLights lights;
    TopDownTarget target;
};

TEST_F(CityTopDownTest, RoadsRunOnAcrossEveryOpenBorder) {
    int borders = 0;
    for (int i = 1; i < City::SIZE - 1; ++i) {
        for (int j = 1; j < City::SIZE - 1; ++j) {
            if (!isStreetCell(i, j)) continue;
            for (const Border& b : BORDERS) {
                if (!(openSides(layoutTile(i, j)) & b.side) || !isStreetCell(i + b.di, j + b.dj)) continue;
                ++borders;
                for (float depth : {1.5f, 4.0f}) {
                    for (float across : {-OFF_CENTRE, OFF_CENTRE}) {
                        const double grey = greyNear(i, j, b, depth, across);
                        EXPECT_TRUE(grey >= ASPHALT_MIN && grey <= ASPHALT_MAX)
                            << "cell (" << i << ", " << j << ") side " << b.side << ": grey " << grey;
                    }
                }
            }
        }
    }
    EXPECT_EQ(borders, 2 * 41) << "each joint between two streets, seen from both sides";
}

TEST_F(CityTopDownTest, SidewalkLinesEveryBorderWithABuilding) {
    for (int i = 1; i < City::SIZE - 1; ++i) {
        for (int j = 1; j < City::SIZE - 1; ++j) {
            if (!isStreetCell(i, j)) continue;
            for (const Border& b : BORDERS) {
                if (isStreetCell(i + b.di, j + b.dj)) continue;
                if (openSides(layoutTile(i, j)) & b.side) continue;  // a dead end, checked below
                for (float depth : {2.0f, 4.0f}) {
                    for (float across : {-8.0f, -OFF_CENTRE, OFF_CENTRE, 8.0f}) {
                        const double grey = greyNear(i, j, b, depth, across);
                        EXPECT_TRUE(grey >= SIDEWALK_MIN && grey <= SIDEWALK_MAX)
                            << "cell (" << i << ", " << j << ") side " << b.side << ": grey " << grey;
                    }
                }
            }
        }
    }
}

// The layout has two dead ends, a straight H at (8, 1) and a straight V at
// (8, 3). They share their tile with every other straight, so there the
// road runs on to the block; these are the only places a road meets one.
TEST_F(CityTopDownTest, OnlyTheTwoDeadEndsRunIntoABlock) {
    const struct {
        int i, j;
        Border border;
    } deadEnds[] = {{8, 1, BORDERS[1]}, {8, 3, BORDERS[2]}};
    for (const auto& d : deadEnds) {
        for (float across : {-OFF_CENTRE, OFF_CENTRE}) {
            const double grey = greyNear(d.i, d.j, d.border, 2.0f, across);
            EXPECT_TRUE(grey >= ASPHALT_MIN && grey <= ASPHALT_MAX)
                << "dead end (" << d.i << ", " << d.j << "): grey " << grey;
        }
    }
}

// The map row by row (i, then j): B, W and O blocks stand 25, 15 and 30
// units tall, streets (.) lie on the ground. Read back from the depth of
// the top-down view, which looks down from y = 100 over a depth range of 1
// to 200, so that a height of 25 and one of 30 cannot be mistaken.
TEST_F(CityTopDownTest, EveryCellStandsAsHighAsItsBlockKind) {
    const char* const MAP[City::SIZE] = {
        "BBBBBBBBBB", "B...B...BB", "B.W...W.BB", "B.W.BOB.WB", "B........B",
        "B.O.WOBO.B", "B.O..WWW.B", "B.WB.BOB.B", "B.W......B", "BBBBBBBBBB",
    };
    for (int i = 0; i < City::SIZE; ++i) {
        for (int j = 0; j < City::SIZE; ++j) {
            const char kind = MAP[i][j];
            const float expected = kind == 'B' ? 25.0f : kind == 'W' ? 15.0f : kind == 'O' ? 30.0f : 0.0f;
            // A point off the centre line of the roads, inside the cell.
            const int column = static_cast<int>((50.0f * i + 5.0f + 25.0f) * 2.0f);
            const int row = static_cast<int>((475.0f - (50.0f * j + 5.0f)) * 2.0f);
            GLfloat depth = -1.0f;
            glReadPixels(column, row, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
            const float height = 100.0f - (1.0f + 199.0f * depth);
            EXPECT_NEAR(height, expected, 0.05f) << "cell (" << i << ", " << j << ") " << kind;
        }
    }
}

// The map drawn with every street cell outlined in yellow and the van's
// start as a red disc with a stroke pointing the way it faces (+z, down).
std::vector<unsigned char> markedMap(std::vector<unsigned char> rgb) {
    const int size = TopDownTarget::SIZE;
    const int perCell = size / City::SIZE;
    auto paint = [&](int u, int v, unsigned char r, unsigned char g, unsigned char b) {
        if (u < 0 || u >= size || v < 0 || v >= size) return;
        unsigned char* p = &rgb[(static_cast<std::size_t>(v) * size + u) * 3];
        p[0] = r;
        p[1] = g;
        p[2] = b;
    };
    for (int i = 0; i < City::SIZE; ++i) {
        for (int j = 0; j < City::SIZE; ++j) {
            if (!isStreetCell(i, j)) continue;
            for (int k = 2; k < perCell - 2; ++k) {
                for (int w = 2; w < 4; ++w) {
                    paint(i * perCell + k, j * perCell + w, 255, 220, 0);
                    paint(i * perCell + k, (j + 1) * perCell - 1 - w, 255, 220, 0);
                    paint(i * perCell + w, j * perCell + k, 255, 220, 0);
                    paint((i + 1) * perCell - 1 - w, j * perCell + k, 255, 220, 0);
                }
            }
        }
    }
    // The game's start camera moved 50 ahead, and the van 25 ahead of it.
    Camera start;
    start.moveForward(50.0f + 25.0f);
    const glm::vec3 p = start.frame().origin();
    const int u = static_cast<int>((p.x + 25.0f) * 2.0f), v = static_cast<int>((p.z + 25.0f) * 2.0f);
    for (int du = -9; du <= 9; ++du)
        for (int dv = -9; dv <= 9; ++dv)
            if (du * du + dv * dv <= 81) paint(u + du, v + dv, 230, 30, 30);
    for (int k = 9; k < 30; ++k)
        for (int w = -2; w <= 2; ++w) paint(u + w, v + k, 230, 30, 30);
    return rgb;
}

// Kept for a person to look at in the game folder: test-output/
// city_top_down.jpg as rendered, and city_map.jpg with the streets and the
// start marked.
TEST_F(CityTopDownTest, WritesTheViewForInspection) {
    std::filesystem::create_directories("test-output");
    const std::vector<unsigned char> rgb = target.topDownRgb();
    writeJpeg("test-output/city_top_down.jpg", TopDownTarget::SIZE, TopDownTarget::SIZE, 3, rgb, 90);
    writeJpeg("test-output/city_map.jpg", TopDownTarget::SIZE, TopDownTarget::SIZE, 3, markedMap(rgb), 85);
    EXPECT_TRUE(std::filesystem::exists("test-output/city_top_down.jpg"));
    EXPECT_TRUE(std::filesystem::exists("test-output/city_map.jpg"));
}

}  // namespace
