// The layout table, checked without OpenGL: what stands where and whether
// the road network it draws is connected.
#include "city/City.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

namespace {

bool isStreetTile(Tile t) { return openSides(t) != 0; }

struct Neighbour {
    Side side;
    Side facing;  // the neighbour's side that faces back
    int di, dj;
};

const Neighbour NEIGHBOURS[] = {
    {MinusI, PlusI, -1, 0}, {PlusI, MinusI, 1, 0}, {MinusJ, PlusJ, 0, -1}, {PlusJ, MinusJ, 0, 1}};

TEST(CityLayout, HoldsTheRightNumberOfEachTile) {
    std::map<Tile, int> counts;
    for (int i = 0; i < City::SIZE; ++i)
        for (int j = 0; j < City::SIZE; ++j) ++counts[layoutTile(i, j)];
    const std::map<Tile, int> expected = {{Tile::B, 45}, {Tile::W, 10}, {Tile::O, 6},   {Tile::H, 14},
                                          {Tile::V, 11}, {Tile::X, 1},  {Tile::X1, 2},  {Tile::X2, 2},
                                          {Tile::C1, 2}, {Tile::C2, 4}, {Tile::C3, 2},  {Tile::C4, 1}};
    EXPECT_EQ(counts, expected);
}

TEST(CityLayout, OuterRingIsAllPlainBlocks) {
    for (int k = 0; k < City::SIZE; ++k) {
        EXPECT_EQ(layoutTile(0, k), Tile::B) << "(0, " << k << ")";
        EXPECT_EQ(layoutTile(9, k), Tile::B) << "(9, " << k << ")";
        EXPECT_EQ(layoutTile(k, 0), Tile::B) << "(" << k << ", 0)";
        EXPECT_EQ(layoutTile(k, 9), Tile::B) << "(" << k << ", 9)";
    }
}

// Every open side must meet a street that opens back, and every closed side
// a building, so the roads join up wherever they meet. The only exceptions
// are the two dead ends, where a road runs into a block.
TEST(CityLayout, StreetsJoinTheirNeighboursExceptAtTheTwoDeadEnds) {
    std::set<std::tuple<int, int, int>> deadEnds;
    for (int i = 1; i < City::SIZE - 1; ++i) {
        for (int j = 1; j < City::SIZE - 1; ++j) {
            const Tile tile = layoutTile(i, j);
            if (!isStreetTile(tile)) continue;
            for (const Neighbour& n : NEIGHBOURS) {
                const Tile other = layoutTile(i + n.di, j + n.dj);
                const bool open = (openSides(tile) & n.side) != 0;
                const bool otherOpen = (openSides(other) & n.facing) != 0;
                if (open && !isStreetTile(other)) {
                    deadEnds.insert({i, j, n.side});
                    continue;
                }
                EXPECT_EQ(open, otherOpen) << "cell (" << i << ", " << j << ") side " << n.side;
                EXPECT_EQ(open, isStreetTile(other)) << "cell (" << i << ", " << j << ") side " << n.side;
            }
        }
    }
    const std::set<std::tuple<int, int, int>> expected = {{8, 1, PlusI}, {8, 3, MinusJ}};
    EXPECT_EQ(deadEnds, expected);
    EXPECT_EQ(layoutTile(8, 1), Tile::H);
    EXPECT_EQ(layoutTile(8, 3), Tile::V);
}

TEST(CityLayout, EveryStreetIsReachableFromTheCrossing) {
    std::set<std::pair<int, int>> seen = {{4, 3}};
    std::vector<std::pair<int, int>> todo = {{4, 3}};
    while (!todo.empty()) {
        const auto [i, j] = todo.back();
        todo.pop_back();
        for (const Neighbour& n : NEIGHBOURS) {
            const std::pair<int, int> next{i + n.di, j + n.dj};
            if ((openSides(layoutTile(i, j)) & n.side) && isStreetTile(layoutTile(next.first, next.second)) &&
                seen.insert(next).second)
                todo.push_back(next);
        }
    }
    EXPECT_EQ(seen.size(), 39u) << "the 39 street tiles form one network";
}

}  // namespace
