// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The game's pictures as the data builder makes them: every bitmap loads in SDL at
// the size the game cuts it by, the tile sheets keep their promises (sprites have a
// see-through background, ground is solid, the water strip wraps without a seam),
// the fonts carry every character, and the three sets look different.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
#include <map>

#include "build.h"
#include "gfxart.h"
#include "testutil.h"

namespace {

const std::string assets = BLOMP_SOURCE_DIR "/assets";

// The entries of one build, made once for the whole file.
const Entries& built() {
    static Entries e;
    if (e.empty()) buildGfx(assets, e);
    return e;
}

// Decodes the named entry with SDL's own BMP reader; an empty picture when it is
// missing or SDL refuses it.
Pic decodeWithSdl(const std::string& name) {
    Pic p;
    const Entry* e = nullptr;
    for (const Entry& each : built())
        if (each.name == name) e = &each;
    SDL_RWops* rw = e ? SDL_RWFromConstMem(e->bytes.data(), static_cast<int>(e->bytes.size())) : nullptr;
    SDL_Surface* s = rw ? SDL_LoadBMP_RW(rw, 1) : nullptr;
    if (!s) return p;
    p = picNew(s->w, s->h, 0);
    for (int y = 0; y < s->h; y++)
        for (int x = 0; x < s->w; x++) {
            Uint8 r, g, b;
            SDL_GetRGB(pixelAt(s, x, y), s->format, &r, &g, &b);
            picPut(p, x, y, picRgb(r, g, b));
        }
    SDL_FreeSurface(s);
    return p;
}

// How many see-through pixels the w x w cell at (x, y) of a sheet holds.
int keyIn(const Pic& sheet, int x, int y, int w) {
    int n = 0;
    for (int j = 0; j < w; j++)
        for (int i = 0; i < w; i++) n += picGet(sheet, x + i, y + j) == PIC_KEY;
    return n;
}

int tileKey(const Pic& sheet, int code) {
    return keyIn(sheet, 16 * (code % 20), 16 * (code / 20), 16);
}

const Pic& sheetOf(int set) {
    static Pic sheets[NUM_SETS];
    if (sheets[set].px.empty()) sheets[set] = makeBlockSheet(assets, set);
    return sheets[set];
}

// Codes of the figure, the monsters and the pickups: drawn over the level, never square blocks.
const int spriteCodes[] = {1,   2,   3,   4,   5,   6,  7,  8,  65, 68, 24, 9,  10,  11,  12,  13,  14,
                           15,  16,  33,  57,  34,  35, 36, 37, 53, 54, 55, 56, 121, 122, 123, 124, 125,
                           126, 141, 142, 143, 144, 67, 41, 26, 42, 17, 18, 19, 105, 86,  87,  88};
// Ground, walls and the solid working parts: the back picture must never show through them.
const int solidCodes[] = {20,  21,  22,  23,  40,  43,  44,  63,  64, 69,
                          128, 129, 130, 131, 132, 133, 134, 135, 136};

// Water in every form the maps use: plain, bubbles, deep, weed, sandy bed, rays, shoal, stone.
const int waterCodes[] = {85, 145, 146, 162, 163, 164, 165, 166};

// The colour a tile is mostly made of (the lowest value among equals).
uint32_t mainColour(const Pic& sheet, int x0, int y0, int w, int h) {
    std::map<uint32_t, int> count;
    for (int y = y0; y < y0 + h; y++)
        for (int x = x0; x < x0 + w; x++)
            if (picGet(sheet, x, y) != PIC_KEY) count[picGet(sheet, x, y)]++;
    uint32_t best = 0;
    int most = 0;
    for (const auto& c : count)
        if (c.second > most) {
            best = c.first;
            most = c.second;
        }
    return best;
}

// The average colour of the back picture's lower band, the rows a pit in the ground shows
// (the two bottom rows of cells, y 160-191). The handheld set has no back picture: the
// game clears the play area to black.
uint32_t lowerBand(int set) {
    if (set == SET_GB) return 0x000000;
    const Pic p = decodeWithSdl(set == SET_CLASSIC ? "back.bmp" : "newback.bmp");
    long sum[3] = {0, 0, 0}, n = 0;
    for (int y = p.h - 32; y < p.h; y++)
        for (int x = 0; x < p.w; x++, n++)
            for (int k = 0; k < 3; k++) sum[k] += (picGet(p, x, y) >> (16 - 8 * k)) & 255;
    return n ? picRgb(int(sum[0] / n), int(sum[1] / n), int(sum[2] / n)) : 0xffffff;
}

// Straight-line distance of two colours in RGB, 0..441.
double colourDistance(uint32_t a, uint32_t b) {
    double d = 0;
    for (int k = 0; k < 3; k++) {
        const double e = double((a >> (8 * k)) & 255) - double((b >> (8 * k)) & 255);
        d += e * e;
    }
    return std::sqrt(d);
}

// How many pixels of tile `code` are see-through in one sheet and not in the other.
int outlineDifference(const Pic& a, const Pic& b, int code) {
    int n = 0;
    for (int y = 16 * (code / 20); y < 16 * (code / 20) + 16; y++)
        for (int x = 16 * (code % 20); x < 16 * (code % 20) + 16; x++)
            n += (picGet(a, x, y) == PIC_KEY) != (picGet(b, x, y) == PIC_KEY);
    return n;
}

} // namespace

TEST(GfxDataEntries, EveryBitmapLoadsInSdlAtItsSize) {
    const struct {
        const char* name;
        int minW, maxW, minH, maxH;
    } wants[] = {
        {"blocks.bmp", 320, 320, 192, 192},   {"newblocks.bmp", 320, 320, 192, 192},
        {"gbblocks.bmp", 320, 320, 192, 192}, {"back.bmp", 321, 2048, 1, 192},
        {"newback.bmp", 321, 2048, 1, 192},   {"moon.bmp", 8, 96, 8, 96},
        {"logo.bmp", 160, 320, 40, 120},      {"gblogo.bmp", 160, 320, 40, 120},
        {"font.bmp", 128, 128, 48, 64},       {"fontbig.bmp", 256, 256, 96, 128},
        {"gbfont.bmp", 128, 128, 48, 64},     {"gbfontbig.bmp", 256, 256, 96, 128},
        {"muse.bmp", 320, 320, 100, 240},     {"flag_uk.bmp", 80, 100, 50, 70},
        {"flag_de.bmp", 80, 100, 50, 70},     {"flag_fr.bmp", 80, 100, 50, 70},
        {"flag_es.bmp", 80, 100, 50, 70},     {"cursor.bmp", 16, 32, 8, 32},
    };
    EXPECT_EQ(built().size(), sizeof(wants) / sizeof(wants[0]));
    for (const auto& w : wants) {
        Pic p = decodeWithSdl(w.name);
        EXPECT_TRUE(p.w >= w.minW && p.w <= w.maxW && p.h >= w.minH && p.h <= w.maxH)
            << w.name << " is " << p.w << " x " << p.h << " " << SDL_GetError();
    }
    // bottom-up rows and blue-green-red order: a mix-up would turn or tint every picture
    EXPECT_TRUE(decodeWithSdl("newblocks.bmp").px == sheetOf(SET_DELUXE).px);
}

TEST(GfxDataSheets, SpritesHaveSeeThroughBackgroundsAndGroundIsSolid) {
    for (int set = 0; set < NUM_SETS; set++) {
        for (int code : spriteCodes) {
            // each set draws in its own manner, but the figure, the monsters and the pickups
            // cover the same pixels in all three: the game's hit boxes are made for them
            EXPECT_EQ(outlineDifference(sheetOf(set), sheetOf(SET_CLASSIC), code), 0)
                << "set " << set << " sprite " << code << " has another outline than in classic";
            EXPECT_GT(tileKey(sheetOf(set), code), 0)
                << "set " << set << " sprite " << code << " is a square block";
            EXPECT_LT(tileKey(sheetOf(set), code), 256) << "set " << set << " sprite " << code << " is empty";
        }
        for (int code : solidCodes)
            EXPECT_EQ(tileKey(sheetOf(set), code), 0)
                << "set " << set << " solid tile " << code << " has holes";
    }
}

TEST(GfxDataSheets, WaterStripWrapsWithoutASeam) {
    for (int set = 0; set < NUM_SETS; set++) {
        const Pic& sheet = sheetOf(set);
        int crest[32];
        for (int x = 0; x < 32; x++) {
            crest[x] = 0;
            while (crest[x] < 16 && picGet(sheet, x, 128 + crest[x]) == PIC_KEY) crest[x]++;
            ASSERT_LT(crest[x], 12) << "set " << set << " column " << x << " has no water";
            // below the crest the water is solid down to the tile's bottom
            for (int y = crest[x]; y < 16; y++) EXPECT_NE(picGet(sheet, x, 128 + y), PIC_KEY) << set;
        }
        // every step along the strip is gentle, including the one from column 31 back to 0
        for (int x = 0; x < 32; x++)
            EXPECT_LE(std::abs(crest[x] - crest[(x + 1) % 32]), 1) << "set " << set << " at " << x;
    }
}

TEST(GfxDataFonts, EveryCharacterHasAGlyph) {
    const struct {
        const char* name;
        int cell;
    } fonts[] = {{"font.bmp", 8}, {"fontbig.bmp", 16}, {"gbfont.bmp", 8}, {"gbfontbig.bmp", 16}};
    for (const auto& f : fonts) {
        Pic sheet = decodeWithSdl(f.name);
        const int cols = sheet.w / f.cell;
        ASSERT_TRUE(sheet.w % f.cell == 0 && cols * (sheet.h / f.cell) >= 127 - 32) << f.name;
        // the blank is empty; every other character shows some ink
        for (int i = 0; i < 127 - 32; i++)
            EXPECT_EQ(keyIn(sheet, (i % cols) * f.cell, (i / cols) * f.cell, f.cell) == f.cell * f.cell,
                      i == 0)
                << f.name << ": '" << char(i + 32) << "'";
    }
}

// Water, ground and a pit must never be one colour: a pool that looks like ground, or
// ground that looks like a pit, misleads the player. Every pair of the main colours of
// water tiles, solid ground and the back picture's lower band lies at least 40 apart.
TEST(GfxDataColours, WaterGroundAndPitNeverShareAColour) {
    constexpr double MIN_DISTANCE = 40;
    for (int set = 0; set < NUM_SETS; set++) {
        const Pic& sheet = sheetOf(set);
        struct Part {
            std::string what;
            uint32_t colour;
            int kind; // 0 water, 1 ground, 2 pit
        };
        std::vector<Part> parts;
        for (int code : waterCodes)
            parts.push_back({"water " + std::to_string(code),
                             mainColour(sheet, 16 * (code % 20), 16 * (code / 20), 16, 16), 0});
        parts.push_back({"water surface 160/161", mainColour(sheet, 0, 128 + 8, 32, 8), 0});
        for (int code : solidCodes)
            parts.push_back({"ground " + std::to_string(code),
                             mainColour(sheet, 16 * (code % 20), 16 * (code / 20), 16, 16), 1});
        parts.push_back({"the back picture's lower band", lowerBand(set), 2});
        // a pit is the darkest thing on the screen: its band is near black, every ground lighter
        const int pit = picLuma(parts.back().colour);
        EXPECT_LE(pit, 16) << "set " << set << ": the lower band is too light for a pit";
        for (const Part& g : parts) {
            if (g.kind != 1) continue;
            EXPECT_GE(picLuma(g.colour), pit + 24)
                << "set " << set << ": " << g.what << " is nearly as dark as a pit";
        }
        for (const Part& a : parts)
            for (const Part& b : parts) {
                if (a.kind >= b.kind) continue;
                EXPECT_GE(colourDistance(a.colour, b.colour), MIN_DISTANCE)
                    << "set " << set << ": " << a.what << " #" << std::hex << a.colour << " and " << b.what
                    << " #" << b.colour;
            }
    }
}

// A tile line may name one graphic set: that picture replaces the plain one in that set
// only. Anything else after the code is a fault the builder names.
TEST(GfxDataArt, TileLinesForOneSet) {
    const std::string rows = std::string(16, '.') + "\n";
    std::string block;
    for (int i = 0; i < 16; i++) block += rows;
    std::string wide;
    for (int i = 0; i < 16; i++) wide += std::string(32, '.') + "\n";
    const struct {
        std::string text;
        bool ok;
        int onlySet, wTiles;
    } cases[] = {
        {"color . key\ntile 5\n" + block, true, -1, 1},
        {"color . key\ntile 5 deluxe\n" + block, true, SET_DELUXE, 1},
        {"color . key\ntile 5 2x1 handheld\n" + wide, true, SET_GB, 2},
        {"color . key\ntile 5 shiny\n" + block, false, -1, 1},
        {"color . key\ntile 5 2x1 deluxe extra\n" + wide, true, SET_DELUXE, 2}, // free words after the set
    };
    for (const auto& c : cases) {
        ArtFile f;
        std::string err;
        const bool ok = parseArt(c.text, "t.txt", f, err);
        EXPECT_EQ(ok, c.ok) << c.text.substr(0, 40) << " " << err;
        if (!ok || !c.ok) continue;
        ASSERT_EQ(f.tiles.size(), 1u);
        EXPECT_EQ(f.tiles[0].onlySet, c.onlySet) << c.text.substr(0, 40);
        EXPECT_EQ(f.tiles[0].wTiles, c.wTiles) << c.text.substr(0, 40);
    }
    // the deluxe sheet draws its own cloud and grass tuft; the other sets keep the plain ones
    for (int code : {25, 50, 51, 168}) {
        EXPECT_GT(outlineDifference(sheetOf(SET_DELUXE), sheetOf(SET_CLASSIC), code), 10) << "tile " << code;
        EXPECT_EQ(tileKey(sheetOf(SET_CLASSIC), code), tileKey(sheetOf(SET_GB), code)) << "tile " << code;
    }
}
