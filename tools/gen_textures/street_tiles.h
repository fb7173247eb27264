// Which sides of each street tile the road leaves through.
//
// Sides are named as seen in the image (LEFT column, TOP row, ...). The game
// lays a tile on a 50 x 50 cell so that
//   image LEFT   = the cell's +X edge, towards neighbour (i+1, j)
//   image RIGHT  = the cell's -X edge, towards neighbour (i-1, j)
//   image TOP    = the cell's -Z edge, towards neighbour (i, j-1)
//   image BOTTOM = the cell's +Z edge, towards neighbour (i, j+1)
// A road leaves a tile at exactly its open sides; every other side is
// sidewalk from corner to corner. This header has no dependencies, so a
// render test can include it to know what each tile should look like.
#pragma once

namespace street_tiles {

enum Side : unsigned {
    kLeft = 1u << 0,
    kRight = 1u << 1,
    kTop = 1u << 2,
    kBottom = 1u << 3,
};

inline constexpr unsigned kAllSides = kLeft | kRight | kTop | kBottom;

struct StreetTile {
    const char* file;  // file name in the texture directory
    unsigned open;     // bit mask of Side values
};

inline constexpr StreetTile kStreetTiles[] = {
    {"street_straight_h.jpg", kLeft | kRight},
    {"street_straight_v.jpg", kTop | kBottom},
    {"street_cross.jpg", kLeft | kRight | kTop | kBottom},
    {"street_cross_1.jpg", kRight | kTop | kBottom},   // T, closed on the left
    {"street_cross_2.jpg", kLeft | kRight | kBottom},  // T, closed at the top
    {"street_cross_3.jpg", kLeft | kTop | kBottom},    // T, closed on the right
    {"street_curve_1.jpg", kLeft | kBottom},
    {"street_curve_2.jpg", kLeft | kTop},
    {"street_curve_3.jpg", kRight | kTop},
    {"street_curve_4.jpg", kRight | kBottom},
};

inline constexpr int kStreetTileCount = sizeof(kStreetTiles) / sizeof(kStreetTiles[0]);

inline constexpr bool isOpen(unsigned open, Side side) { return (open & side) != 0; }

// Two open sides that are not opposite each other make a quarter-circle bend.
inline constexpr bool isCurve(unsigned open) {
    return open == (kLeft | kTop) || open == (kLeft | kBottom) || open == (kRight | kTop) ||
           open == (kRight | kBottom);
}

}  // namespace street_tiles
