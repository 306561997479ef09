// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Pictures of the data builder: a plain RGB pixel grid, the few drawing
// primitives the art generators need, the BMP writer and the reader of the
// text pixel-art sources in assets/gfx.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t PIC_KEY = 0xff00ff; // magenta: the back picture shows through here

// The three graphic sets, in the game's numbering.
constexpr int SET_CLASSIC = 0;
constexpr int SET_DELUXE = 1;
constexpr int SET_GB = 2;
constexpr int NUM_SETS = 3;

// The four shades of the handheld set, lightest first.
extern const uint32_t picGbShades[4];

// A picture: w x h pixels of 0xRRGGBB, row by row from the top.
struct Pic {
    int w = 0;
    int h = 0;
    std::vector<uint32_t> px;
};

Pic picNew(int w, int h, uint32_t fill);
uint32_t picGet(const Pic& p, int x, int y);                  // 0 outside
void picPut(Pic& p, int x, int y, uint32_t c);                // clipped
void picFill(Pic& p, int x, int y, int w, int h, uint32_t c); // clipped
// Copies a w x h block of src at (sx, sy) to (dx, dy) of dst; keyed skips magenta.
void picBlit(Pic& dst, const Pic& src, int sx, int sy, int w, int h, int dx, int dy, bool keyed);
Pic picMirror(const Pic& p); // left and right swapped

uint32_t picRgb(int r, int g, int b);           // clamps each channel to 0..255
uint32_t picMix(uint32_t a, uint32_t b, int t); // t = 0 gives a, 256 gives b
uint32_t picScale(uint32_t c, int pct);         // every channel times pct / 100
int picLuma(uint32_t c);                        // 0..255
uint32_t picToGb(uint32_t c);                   // nearest handheld shade by brightness; magenta stays
uint32_t picToClassic(uint32_t c);              // nearest colour of the classic palette; magenta stays
uint32_t picNoise(int x, int y, int seed);
double picSin(double rad); // sine from plain arithmetic only, so every machine draws the same pixels      //
                           // repeatable 32-bit noise of a position

// The file bytes of a 24-bit bottom-up Windows BMP.
std::vector<uint8_t> picToBmp(const Pic& p);

// Text pixel art. A source file holds colour lines and tile blocks:
//   color <char> <deluxe rrggbb> <classic rrggbb or -> <handheld shade 0..3>
//   color <char> key
//   tile <code> [WxH] [words...]   followed by 16*H lines of 16*W characters
//   tile <code> mirror <code>       the picture of another tile, left and right swapped
//   tile <code> copy <code>         the same picture as another tile
//   tile <code> [WxH] <set>         a picture for one set only (classic, deluxe or handheld)
//                                   that replaces the plain tile of that code in that set
// Colour lines apply to the tiles after them; a later line for the same char replaces it.
struct ArtColor {
    bool used = false;
    bool key = false;
    uint32_t deluxe = 0;
    uint32_t classic = 0;
    int gb = 0;
};

struct ArtTile {
    int code = 0;
    int wTiles = 1;
    int hTiles = 1;
    int mirrorOf = -1; // >= 0: drawn as the mirror image of that code
    int copyOf = -1;   // >= 0: drawn as a copy of that code
    int onlySet = -1;  // >= 0: this picture is for that graphic set only
    std::vector<std::string> rows;
    std::vector<ArtColor> palette; // 128 entries, by character
};

struct ArtFile {
    std::string name;
    std::vector<ArtTile> tiles;
};

// Parses one source; on failure returns false and describes the first fault in err.
bool parseArt(const std::string& text, const std::string& name, ArtFile& out, std::string& err);
// Reads and parses assets file; a missing or broken file stops the builder with a message.
ArtFile loadArt(const std::string& path);
// The picture of a plain tile (16*W x 16*H) in one graphic set.
Pic renderArt(const ArtTile& t, int set);
