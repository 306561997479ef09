// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Tiles drawn by code. Each drawer paints one 16 x 16 tile in the deluxe manner (shaded,
// textured) or, for the classic set, flat; the handheld set is the deluxe tile brought
// down to four shades. Ground tiles never use magenta: they must be fully opaque.
#include "gfxtiles.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

constexpr int T = 16; // tile size

// Four tones of one material, darkest first, and the handheld shade of each tone
// (chosen by hand so that every material keeps its contrast in four shades).
struct Ramp {
    uint32_t c[4];
    int gb[4];
};

const Ramp rEarth = {{0x3a2414, 0x5c3a20, 0x7a5030, 0x9c7048}, {2, 2, 1, 1}};
const Ramp rGrass = {{0x1c5a14, 0x2e8a22, 0x4cb832, 0x8ce060}, {3, 2, 1, 0}};
const Ramp rStone = {{0x3c3c48, 0x60606c, 0x84848e, 0xb0b0b8}, {3, 2, 2, 0}};
const Ramp rDark = {{0x1c1c26, 0x30303e, 0x444454, 0x5c5c6c}, {3, 3, 2, 2}};
const Ramp rClay = {{0x5a1c10, 0x8c3018, 0xb44a24, 0xd87c48}, {3, 2, 2, 1}};
const Ramp rSand = {{0x6a4c20, 0xa07c3c, 0xc8a45c, 0xe8cc88}, {2, 1, 0, 0}};
const Ramp rRock = {{0x342438, 0x52394c, 0x6e5064, 0x927284}, {3, 2, 2, 0}};
const Ramp rMoss = {{0x284018, 0x3c6020, 0x5a8430, 0x84ac48}, {3, 2, 1, 1}};
const Ramp rIce = {{0x3878b0, 0x68a8d8, 0x98d0f0, 0xd8f4ff}, {2, 2, 0, 0}};
const Ramp rSnow = {{0x8098b8, 0xb8cce0, 0xe0ecf8, 0xffffff}, {1, 0, 0, 0}};
const Ramp rSoil = {{0x1c120c, 0x3a2616, 0x4e3822, 0x68502e}, {3, 2, 2, 1}};
const Ramp rNightGrass = {{0x0c2c30, 0x184a4a, 0x2a6c62, 0x50988a}, {3, 2, 1, 1}};
const Ramp rNightSoil = {{0x221228, 0x44284a, 0x58345e, 0x704a78}, {3, 2, 2, 1}};
const Ramp rWood = {{0x3c2410, 0x6a4220, 0x946030, 0xbc8448}, {3, 3, 2, 0}};
const Ramp rGold = {{0x6a4808, 0xb08018, 0xe0b830, 0xfff0a0}, {3, 2, 0, 0}};
const Ramp rIron = {{0x18181c, 0x34343c, 0x585864, 0x9898a4}, {3, 2, 1, 0}};
// Darker, duller materials for the walls behind the play: they must not look like ground.
const Ramp rBackStone = {{0x121218, 0x1c1c26, 0x262632, 0x30303e}, {3, 3, 3, 2}};
const Ramp rBackRock = {{0x120c14, 0x1e1622, 0x2a2030, 0x362a3c}, {3, 3, 3, 2}};
const Ramp rBackWood = {{0x1a1008, 0x28180c, 0x362212, 0x442c18}, {3, 3, 3, 2}};
const Ramp rBackIce = {{0x0c1a30, 0x142844, 0x1c3658, 0x28466c}, {3, 3, 2, 2}};
const Ramp rWater = {{0x0c2464, 0x1a3c8c, 0x2c5cb8, 0x80b8f0}, {3, 2, 1, 0}};

// One drawing context: the tile, whether the set is flat (classic), and the set.
struct Ctx {
    Pic t;
    bool flat;
    int set;
};

// Pick a tone; flat sets fold the two middle tones together, the handheld takes its shade.
uint32_t tone(const Ctx& c, const Ramp& r, int i) {
    if (i < 0) i = 0;
    if (i > 3) i = 3;
    if (c.set == SET_GB) return picGbShades[r.gb[i]];
    if (c.flat && i == 1) i = 2;
    return r.c[i];
}

// A tone shifted by tile-local grain. Deluxe: a rich random grain. Handheld: a regular
// stipple of the next darker shade, the printed-dot look of a four-shade screen.
// Classic: none, flat colour.
uint32_t grain(const Ctx& c, const Ramp& r, int base, int x, int y, int seed) {
    if (c.set == SET_GB) {
        const int shade = r.gb[base < 0 ? 0 : base > 3 ? 3 : base];
        return picGbShades[(y & 1) == 0 && ((x + y / 2) & 3) == 0 && shade < 3 ? shade + 1 : shade];
    }
    if (c.set != SET_DELUXE) return tone(c, r, base);
    uint32_t n = picNoise(x & 15, y & 15, seed) % 16;
    return tone(c, r, base + (n <= 1 ? -1 : n >= 13 ? 1 : 0));
}

void put(Ctx& c, int x, int y, uint32_t v) {
    picPut(c.t, x, y, v);
}
void fill(Ctx& c, int x, int y, int w, int h, uint32_t v) {
    picFill(c.t, x, y, w, h, v);
}

// Earth-like fill with specks and a few pebbles.
void soilFill(Ctx& c, const Ramp& r, int seed, int fromY) {
    for (int y = fromY; y < T; y++)
        for (int x = 0; x < T; x++) put(c, x, y, grain(c, r, 1, x, y, seed));
    for (int i = 0; i < 3; i++) {
        int px = picNoise(i, seed, 1) % 13 + 1,
            py = fromY + 2 + picNoise(i, seed, 2) % (T - fromY - 3 > 0 ? T - fromY - 3 : 1);
        if (py + 1 >= T) continue;
        fill(c, px, py, 2, 1, tone(c, r, 3));
        fill(c, px, py + 1, 2, 1, tone(c, r, 2));
        if (!c.flat) put(c, px + 2, py + 1, tone(c, r, 0));
    }
}

// A cap of grass (or moss, or snow) over soil, with a ragged lower edge.
void capTop(Ctx& c, const Ramp& cap, int seed, int depth) {
    for (int x = 0; x < T; x++) {
        int d = depth + static_cast<int>(picNoise(x, 0, seed) % 3) - ((x % 5 == 2) ? 1 : 0);
        for (int y = 0; y < d; y++) {
            int lvl = y == 0 ? 3 : (y == d - 1 ? 1 : 2);
            put(c, x, y, c.flat ? tone(c, cap, y == 0 ? 3 : 2) : grain(c, cap, lvl, x, y, seed + 7));
        }
        put(c, x, d, tone(c, cap, 0)); // shadow under the cap
    }
}

// Stone blocks with mortar: rows of rowH pixels, joints staggered from row to row.
void blocksFill(Ctx& c, const Ramp& r, int rowH, int brickW, uint32_t mortar, int seed) {
    for (int y = 0; y < T; y++)
        for (int x = 0; x < T; x++) {
            int row = y / rowH, ly = y % rowH;
            int off = (row & 1) ? brickW / 2 : 0;
            int lx = (x + off) % brickW;
            uint32_t v;
            if (ly == rowH - 1 || lx == brickW - 1)
                v = mortar;
            else if (ly == 0 || lx == 0)
                v = tone(c, r, 3);
            else if (ly == rowH - 2 || lx == brickW - 2)
                v = tone(c, r, c.flat ? 2 : 1);
            else
                v = grain(c, r, 2, x, y, seed);
            put(c, x, y, v);
        }
}

// Rock made of lumps: each pixel takes the shade of its nearest lump centre, cracks between.
void rockFill(Ctx& c, const Ramp& r, int seed) {
    int px[6], py[6];
    for (int i = 0; i < 6; i++) {
        px[i] = picNoise(i, 1, seed) % T;
        py[i] = picNoise(i, 2, seed) % T;
    }
    for (int y = 0; y < T; y++)
        for (int x = 0; x < T; x++) {
            int best = 1 << 20, second = 1 << 20, bi = 0;
            for (int i = 0; i < 6; i++)
                for (int oy = -T; oy <= T; oy += T)
                    for (int ox = -T; ox <= T; ox += T) { // wrap so neighbouring tiles meet
                        int dx = x - px[i] - ox, dy = y - py[i] - oy, d = dx * dx + dy * dy;
                        if (d < best) {
                            second = best;
                            best = d;
                            bi = i;
                        } else if (d < second)
                            second = d;
                    }
            int edge = second - best;
            uint32_t v;
            if (edge < 5)
                v = tone(c, r, 0);
            else if (c.flat)
                v = tone(c, r, 2);
            else {
                int lift = (y - py[bi] < 0) ? 1 : 0; // upper part of each lump catches light
                v = tone(c, r, 1 + lift + (bi % 2));
            }
            put(c, x, y, v);
        }
}

// ---- terrain ----

// Deluxe only: blades of grass that hang over the soil and a few tiny flowers in the turf.
void richTurf(Ctx& c, const Ramp& cap, int seed, int depth, const uint32_t* petals, int numPetals) {
    if (c.set != SET_DELUXE) return;
    for (int x = 0; x < T; x++) {
        if (picNoise(x, 1, seed) % 3) continue;
        int d = depth + static_cast<int>(picNoise(x, 0, seed) % 3) - ((x % 5 == 2) ? 1 : 0);
        const int len = 1 + static_cast<int>(picNoise(x, 2, seed) % 3);
        for (int y = d; y < d + len && y < T; y++) put(c, x, y, tone(c, cap, y == d + len - 1 ? 1 : 2));
        if (d + len < T) put(c, x, d + len, tone(c, cap, 0));
    }
    for (int i = 0; i < numPetals; i++) {
        const int x = 1 + static_cast<int>(picNoise(i, 5, seed) % 14),
                  y = 1 + static_cast<int>(picNoise(i, 6, seed) % 2);
        put(c, x, y, petals[i]);
        put(c, x, y + 1, tone(c, cap, 0));
    }
}

void meadowTop(Ctx& c) {
    soilFill(c, rEarth, 3, 0);
    capTop(c, rGrass, 4, 4);
    static const uint32_t petals[3] = {0xfff070, 0xffffff, 0xf07090};
    richTurf(c, rGrass, 4, 4, petals, 3);
}
void meadowEarth(Ctx& c) {
    soilFill(c, rEarth, 5, 0);
}
void castleStone(Ctx& c) {
    blocksFill(c, rStone, 8, 16, 0x2a2a32, 6);
    if (c.set != SET_DELUXE) return;
    // deluxe: old stone, a crack in one block and moss in the joints
    static const int crack[][2] = {{4, 2}, {5, 3}, {5, 4}, {6, 5}, {11, 10}, {12, 11}, {12, 12}};
    for (const auto& k : crack) put(c, k[0], k[1], tone(c, rStone, 0));
    static const int moss[][2] = {{2, 7}, {3, 7}, {9, 15}, {10, 15}, {10, 14}, {14, 7}};
    for (const auto& k : moss) put(c, k[0], k[1], 0x4a7a30);
}
void castleDark(Ctx& c) {
    blocksFill(c, rDark, 8, 8, 0x101018, 7);
}
void forestTop(Ctx& c) {
    soilFill(c, rSoil, 8, 0);
    capTop(c, rMoss, 9, 5);
    for (int i = 0; i < 4; i++) { // fallen leaves in the moss
        int x = picNoise(i, 3, 9) % 14, y = 1 + picNoise(i, 4, 9) % 3;
        put(c, x, y, i & 1 ? 0xc86a20 : 0xd8a030);
    }
    static const uint32_t spores[2] = {0xd8e890, 0xa0c060};
    richTurf(c, rMoss, 9, 5, spores, 2);
}
void forestSoil(Ctx& c) {
    soilFill(c, rSoil, 10, 0);
    for (int y = 0; y < T; y++) { // a winding root
        int x = 5 + static_cast<int>(3 * picSin(y * 0.55));
        put(c, x, y, tone(c, rWood, 1));
        put(c, x + 1, y, tone(c, rWood, 2));
    }
}
void caveTop(Ctx& c) {
    rockFill(c, rRock, 11);
    for (int x = 0; x < T; x++) {
        put(c, x, 0, tone(c, rRock, 3));
        if (picNoise(x, 9, 11) % 3) put(c, x, 1, tone(c, rRock, 2));
    }
}
void caveRock(Ctx& c) {
    rockFill(c, rRock, 12);
}
void snowTop(Ctx& c) {
    for (int y = 0; y < T; y++)
        for (int x = 0; x < T; x++) put(c, x, y, grain(c, rIce, 1, x, y, 13));
    capTop(c, rSnow, 14, 5);
}
void iceBlock(Ctx& c) {
    for (int y = 0; y < T; y++)
        for (int x = 0; x < T; x++) {
            int lvl = 2;
            if (x == 0 || y == 0) lvl = 3;
            if (x == 15 || y == 15) lvl = 0;
            int d = x + y;
            if (lvl == 2 && (d == 9 || d == 10 || d == 13)) lvl = 3; // the shine across the block
            put(c, x, y,
                c.flat ? tone(c, rIce, lvl) : (lvl == 2 ? grain(c, rIce, 2, x, y, 15) : tone(c, rIce, lvl)));
        }
    if (!c.flat)
        for (int i = 0; i < 5; i++) put(c, 3 + i, 11 - i / 2, tone(c, rIce, 1)); // a hairline crack
}
void nightTop(Ctx& c) {
    soilFill(c, rNightSoil, 16, 0);
    capTop(c, rNightGrass, 17, 4);
    static const uint32_t dew[2] = {0xa0f0e0, 0xe0fff8};
    richTurf(c, rNightGrass, 17, 4, dew, 2);
}
void nightSoil(Ctx& c) {
    soilFill(c, rNightSoil, 18, 0);
}
void caveCeiling(Ctx& c) {
    rockFill(c, rRock, 19);
    // dark drips hang from the ceiling's lower edge, still rock
    for (int x = 0; x < T; x++) {
        int len = 1 + static_cast<int>(picNoise(x / 3, 5, 19) % 4) - (x % 3 == 1 ? 0 : 2);
        for (int y = T - 1; y > T - 1 - len; y--) put(c, x, y, tone(c, rRock, 0));
    }
}
void pillar(Ctx& c) {
    static const int shade[T] = {0, 1, 2, 3, 3, 2, 2, 2, 2, 2, 1, 1, 1, 1, 0, 0};
    for (int y = 0; y < T; y++)
        for (int x = 0; x < T; x++) {
            int lvl = shade[x];
            if (x == 7 || x == 11) lvl = 0; // fluting
            if (y == 0 || y == 8) lvl = lvl > 0 ? lvl - 1 : 0;
            put(c, x, y, tone(c, rStone, lvl));
        }
}
void crate(Ctx& c) {
    for (int y = 0; y < T; y++)
        for (int x = 0; x < T; x++) {
            int lvl = (y % 5 == 4) ? 1 : 2; // planks
            if (x < 2 || x > 13 || y < 2 || y > 13)
                lvl = (x == 0 || y == 0) ? 3 : (x == 15 || y == 15) ? 0 : 2;
            else if (std::abs(x - y) <= 1)
                lvl = 3; // diagonal brace
            put(c, x, y, lvl == 2 ? grain(c, rWood, 2, x, y, 20) : tone(c, rWood, lvl));
        }
    static const int nails[4][2] = {{1, 1}, {14, 1}, {1, 14}, {14, 14}};
    for (const auto& n : nails) put(c, n[0], n[1], tone(c, rIron, 3));
}

// ---- walls behind the play: passable, opaque, dark ----

void backStone(Ctx& c) {
    blocksFill(c, rBackStone, 8, 16, 0x0a0a0e, 30);
}
void backRock(Ctx& c) {
    rockFill(c, rBackRock, 31);
}
void backWood(Ctx& c) {
    for (int y = 0; y < T; y++)
        for (int x = 0; x < T; x++) {
            int lvl = (x % 8 == 7) ? 0 : (x % 8 == 0 ? 3 : 2);
            if ((x % 8 == 3 || x % 8 == 4) && (y == 2 || y == 13)) lvl = 0; // nail heads
            put(c, x, y, lvl == 2 ? grain(c, rBackWood, 2, x, y, 32) : tone(c, rBackWood, lvl));
        }
}
void backIce(Ctx& c) {
    blocksFill(c, rBackIce, 8, 8, 0x081220, 33);
}

// ---- working parts ----

// The bump block, lifted by lift pixels and glowing by glow (0..256) while it shines.
void bumpBlock(Ctx& c, int lift, int glow) {
    for (int y = 0; y < T; y++)
        for (int x = 0; x < T; x++) {
            int lvl = 2;
            if (x == 0 || y == 0)
                lvl = 3;
            else if (x == 15 || y == 15)
                lvl = 0;
            else if (x == 1 || y == 1)
                lvl = 3;
            else if (x == 14 || y == 14)
                lvl = 1;
            int dx = std::abs(x * 2 - 15), dy = std::abs(y * 2 - 15);
            if (dx + dy <= 9) lvl = 3; // the diamond
            if (dx + dy == 10 || dx + dy == 11) lvl = 1;
            if ((x == 3 || x == 12) && (y == 3 || y == 12)) lvl = 0; // rivets
            uint32_t v = tone(c, rGold, lvl);
            if (glow) v = picMix(v, 0xffffff, glow);
            put(c, x, y - lift, v);
        }
}
void bump0(Ctx& c) {
    bumpBlock(c, 0, 0);
}
void bump1(Ctx& c) {
    bumpBlock(c, 3, 200);
}
void bump2(Ctx& c) {
    bumpBlock(c, 2, 120);
}
void bump3(Ctx& c) {
    bumpBlock(c, 1, 50);
}

// Clay bricks; stage 1..4 cracks them and finally breaks them into falling bits.
void brickStage(Ctx& c, int stage) {
    blocksFill(c, rClay, 4, 8, 0x3a1810, 21);
    if (stage == 0) return;
    // cracks spread from the middle of the lower edge, where the head hit it
    static const int crack[][2] = {{7, 15}, {7, 14}, {8, 13}, {8, 12}, {7, 11}, {6, 10}, {9, 11}, {10, 10},
                                   {6, 9},  {5, 8},  {10, 9}, {11, 8}, {5, 7},  {12, 7}, {4, 6},  {12, 6},
                                   {8, 10}, {8, 9},  {8, 8},  {9, 7},  {9, 6},  {3, 5},  {13, 5}, {9, 5}};
    int n = stage == 1 ? 8 : stage == 2 ? 16 : 24;
    for (int i = 0; i < n; i++) put(c, crack[i][0], crack[i][1], 0x1a0804);
    if (stage < 3) return;
    // pieces come loose: gaps open and chunks slide down
    Pic old = c.t;
    c.t = picNew(T, T, PIC_KEY);
    int drop = stage == 3 ? 2 : 6;
    for (int y = 0; y < T; y++)
        for (int x = 0; x < T; x++) {
            int chunk = (x / 5) + 3 * (y / 6);
            int d = drop * (1 + chunk % 3) / 2;
            if (stage == 4 && picNoise(chunk, 4, 22) % 3 == 0) continue;
            if (picGet(old, x, y) == 0x1a0804) continue;
            put(c, x, y + d, picGet(old, x, y));
        }
}
void brick0(Ctx& c) {
    brickStage(c, 0);
}
void brick1(Ctx& c) {
    brickStage(c, 1);
}
void brick2(Ctx& c) {
    brickStage(c, 2);
}
void brick3(Ctx& c) {
    brickStage(c, 3);
}
void brick4(Ctx& c) {
    brickStage(c, 4);
}

// Where the two cracks of the slab run, row by row: the slab breaks into three pieces there.
const int crackA[T] = {5, 5, 6, 6, 5, 4, 4, 5, 6, 6, 5, 5, 4, 5, 5, 6};
const int crackB[T] = {10, 11, 11, 10, 10, 9, 10, 11, 11, 10, 9, 9, 10, 11, 10, 10};

// Which piece a pixel of the slab belongs to; -1 on a crack.
int slabPiece(int x, int y) {
    if (x == crackA[y] || x == crackB[y]) return -1;
    return x < crackA[y] ? 0 : x < crackB[y] ? 1 : 2;
}

// A sandstone slab; stage 1 shows its cracks, 2 and 3 sink its three pieces, 4 leaves rubble.
void slabStage(Ctx& c, int stage) {
    static const int sink[5][3] = {{0, 0, 0}, {0, 0, 0}, {1, 2, 1}, {4, 7, 3}, {0, 0, 0}};
    Pic whole = picNew(T, T, PIC_KEY);
    std::swap(whole, c.t);
    for (int y = 0; y < T; y++)
        for (int x = 0; x < T; x++) {
            int lvl = y < 2 ? 3 : (y > 13 ? 1 : 2);
            if (x == 0 || x == 15) lvl = 1;
            put(c, x, y, lvl == 2 ? grain(c, rSand, 2, x, y, 23) : tone(c, rSand, lvl));
        }
    // the fine cracks that tell the slab is weak
    static const int hairs[][2] = {{3, 2}, {4, 3}, {12, 9}, {13, 10}, {2, 11}, {8, 4}, {7, 12}};
    for (const auto& k : hairs) put(c, k[0], k[1], tone(c, rSand, 0));
    std::swap(whole, c.t);
    for (int y = 0; y < T; y++)
        for (int x = 0; x < T; x++) {
            const int piece = slabPiece(x, y);
            uint32_t v = picGet(whole, x, y);
            if (stage == 0) {
                put(c, x, y, v);
            } else if (stage == 1) {
                put(c, x, y, piece < 0 ? tone(c, rSand, 0) : v); // the cracks open right through
            } else if (stage < 4) {
                if (piece < 0 || (stage == 3 && y == 0)) continue;
                put(c, x, y + sink[stage][piece], v);
            } else if (y >= 12 && piece >= 0 && (x + piece) % 5 < 3) {
                put(c, x, y, v); // rubble at the bottom of the hole
            }
        }
}
void slab0(Ctx& c) {
    slabStage(c, 0);
}
void slab1(Ctx& c) {
    slabStage(c, 1);
}
void slab2(Ctx& c) {
    slabStage(c, 2);
}
void slab3(Ctx& c) {
    slabStage(c, 3);
}
void slab4(Ctx& c) {
    slabStage(c, 4);
}

// A heavy hatch of planks and iron; drawn hanging down by `down` rows of 16 (open at 0).
void hatch(Ctx& c, int down) {
    for (int y = 0; y < down; y++)
        for (int x = 0; x < T; x++) {
            int lvl = (x % 4 == 3) ? 1 : 2;
            if (y == 2 || y == down - 3) lvl = -1; // iron bands
            uint32_t v = lvl < 0 ? tone(c, rIron, (x % 5 == 2) ? 3 : 2) : grain(c, rWood, lvl, x, y, 25);
            if (x == 0 || x == 15) v = tone(c, rIron, 1);
            put(c, x, y, v);
        }
    // the frame's hinge beam stays at the top whatever the state
    fill(c, 0, 0, T, 2, tone(c, rIron, 2));
    fill(c, 0, 0, T, 1, tone(c, rIron, 3));
    for (int x = 0; x < T; x += 5) put(c, x + 1, 1, tone(c, rIron, 0));
}
void hatchShut(Ctx& c) {
    hatch(c, 16);
}
void hatchOpen(Ctx& c) {
    hatch(c, 3);
}
void hatchHalf(Ctx& c) {
    hatch(c, 10);
}

// A spike trap's floor plate with three slots; stage 0 armed, 1 tips showing, 2 spikes out.
void spikes(Ctx& c, int stage) {
    fill(c, 0, 13, T, 3, tone(c, rIron, 2));
    fill(c, 0, 13, T, 1, tone(c, rIron, 3));
    fill(c, 0, 15, T, 1, tone(c, rIron, 1));
    const int height = stage == 0 ? 0 : stage == 1 ? 2 : 12; // rows above the plate
    for (int k = 0; k < 3; k++) {
        const int mid = 2 + 5 * k + (k == 2 ? 1 : 0); // three slots spread over the plate
        fill(c, mid - 1, 14, 3, 1, tone(c, rIron, 0));
        for (int i = 0; i < height; i++) {
            const int y = 12 - i;
            // full spikes narrow from five pixels to a point; a set trap only shows the points
            const int half = stage == 2 ? (height - 1 - i) * 3 / height : 0;
            for (int x = mid - half; x <= mid + half; x++) {
                uint32_t v = x < mid ? tone(c, rIron, 3) : x == mid ? tone(c, rIron, 2) : tone(c, rIron, 0);
                if (i == height - 1 || (stage == 1 && i == 0))
                    v = c.set == SET_GB ? picGbShades[0] : 0xffffff;
                put(c, x, y, v);
            }
        }
    }
}
void spikesArmed(Ctx& c) {
    spikes(c, 0);
}
void spikesTips(Ctx& c) {
    spikes(c, 1);
}
void spikesOut(Ctx& c) {
    spikes(c, 2);
}

// The lethal block: a dark iron core bristling with red-hot thorns on every side.
void thornBlock(Ctx& c) {
    for (int y = 0; y < T; y++)
        for (int x = 0; x < T; x++) {
            int dx = std::abs(x * 2 - 15), dy = std::abs(y * 2 - 15);
            int m = dx > dy ? dx : dy;
            if (m <= 9) {
                int lvl = (x + y < 14) ? 2 : 1;
                if (m >= 8) lvl = 0;
                put(c, x, y, tone(c, rIron, lvl));
            } else if ((m <= 15) && ((dx > dy ? y : x) % 4 == 1 || (dx > dy ? y : x) % 4 == 2) &&
                       (dx > dy ? dy : dx) <= 13 - (m - 10)) {
                put(c, x, y, m >= 14 ? 0xffe0a0 : (m >= 12 ? 0xf04010 : 0x901010));
            }
        }
    fill(c, 6, 6, 4, 4, 0xc01818); // the glowing heart
    fill(c, 7, 7, 2, 2, 0xffa040);
}

// The 2 x 2 exit door, open or closed, as a 32 x 32 picture.
Pic doorPic(bool flat, bool open) {
    Ctx c{picNew(32, 32, PIC_KEY), flat, 0};
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++) {
            double dx = x + 0.5 - 16, dy = y + 0.5 - 14;
            bool inArch = y >= 14 ? (x >= 2 && x < 30) : (dx * dx + dy * dy <= 14 * 14);
            bool inHole = y >= 14 ? (x >= 6 && x < 26) : (dx * dx + dy * dy <= 10 * 10);
            if (!inArch) continue;
            if (!inHole) {
                // stone frame, lit from the top left
                int lvl = ((x + y / 4 * 3) % 6 == 0 || y % 5 == 0) ? 1 : (dx < 0 ? 3 : 2);
                put(c, x, y, tone(c, rStone, lvl));
            } else if (open) {
                // warm light from inside, dark towards the top
                int t = y * 256 / 32;
                put(c, x, y, flat ? (y > 22 ? 0xf8d040 : 0x000000) : picMix(0x100808, 0xf0b040, t * t / 256));
            } else {
                int lvl = (x % 5 == 0) ? 1 : 2;
                if (x == 15 || x == 16) lvl = 0;
                put(c, x, y, lvl == 2 ? grain(c, rWood, 2, x, y, 26) : tone(c, rWood, lvl));
            }
        }
    if (!open) {
        fill(c, 13, 18, 6, 5, tone(c, rGold, 2)); // padlock
        fill(c, 14, 15, 4, 1, tone(c, rGold, 3));
        fill(c, 14, 15, 1, 3, tone(c, rGold, 3));
        fill(c, 17, 15, 1, 3, tone(c, rGold, 3));
        put(c, 15, 20, 0x000000);
        put(c, 16, 20, 0x000000);
        put(c, 15, 21, 0x000000);
    } else {
        fill(c, 6, 30, 20, 2, flat ? 0xc87830 : 0xd89040); // threshold glow
    }
    fill(c, 0, 30, 32, 2, tone(c, rStone, 1)); // doorstep
    fill(c, 0, 30, 32, 1, tone(c, rStone, 3));
    return c.t;
}

// ---- water ----

// The body of water: deep blue with faint light ripples that meet across tile edges. The
// classic set paints it flat in its bright blue (deep water in navy); the handheld set
// keeps one shade for water alone, with a sprinkle of the next darker one where it is deep.
uint32_t waterAt(int set, int x, int y, int depth) {
    if (set == SET_GB) return depth && ((x + 2 * (y & 1)) & 3) == 0 ? picGbShades[2] : picGbShades[1];
    if (set == SET_CLASSIC) return depth ? rWater.c[1] : rWater.c[2];
    uint32_t base = depth ? rWater.c[0] : rWater.c[1];
    int r = static_cast<int>(picSin((x + 2 * (y / 4)) * 2 * M_PI / 16) * 2 + picSin(y * 2 * M_PI / 8));
    if (r >= 2 && (y % 4) == 1) return picMix(base, rWater.c[2], 160);
    return base;
}
void water(Ctx& c, int variant) {
    for (int y = 0; y < T; y++)
        for (int x = 0; x < T; x++) put(c, x, y, waterAt(c.set, x, y, variant == 2 || variant == 5));
    switch (variant) {
    case 1: // bubbles
        for (int i = 0; i < 3; i++) {
            int bx = 3 + 5 * i, by = 12 - 4 * i;
            put(c, bx, by, rWater.c[3]);
            put(c, bx + 1, by + 1, rWater.c[2]);
        }
        break;
    case 3: // waterweed
        for (int y = 2; y < T; y++) {
            int x = 6 + static_cast<int>(2 * picSin(y * 0.6));
            put(c, x, y, c.flat ? 0x38b030 : 0x2a8a4a);
            if (y % 3 == 0) put(c, x + 1, y, c.flat ? 0x38b030 : 0x3aa860);
            int x2 = 11 + static_cast<int>(1.5 * picSin(y * 0.5 + 2));
            if (y > 6) put(c, x2, y, c.flat ? 0x186018 : 0x1c6a3c);
        }
        break;
    case 4: // sandy bed
        for (int y = 11; y < T; y++)
            for (int x = 0; x < T; x++) {
                int top = 11 + static_cast<int>(picNoise(x / 3, 0, 27) % 2);
                if (y >= top)
                    put(c, x, y, c.flat ? 0xc87830 : picMix(rSand.c[2], rWater.c[1], 70 + (y - 11) * 10));
            }
        break;
    case 5: // deep water with a small shoal far off
        for (int i = 0; i < 3; i++) {
            int fx = 3 + 4 * i, fy = 5 + (i % 2) * 4;
            fill(c, fx, fy, 2, 1, rWater.c[2]);
            put(c, fx + 2, fy, rWater.c[1]);
        }
        break;
    case 6: // a stone on the bed
        for (int y = 10; y < T; y++)
            for (int x = 3; x < 13; x++) {
                int dx = x * 2 - 15, dy = (y - 15) * 3;
                if (dx * dx + dy * dy <= 100) put(c, x, y, tone(c, rRock, y < 12 ? 2 : 1));
            }
        break;
    case 7: // shafts of light slanting down from the surface
        for (int y = 0; y < T; y++)
            for (int x = 0; x < T; x++)
                if ((x + y / 2) % 8 < 2)
                    put(c, x, y, c.flat ? rWater.c[3] : picMix(waterAt(c.set, x, y, 0), rWater.c[2], 90));
        break;
    default: break;
    }
}

// The 32 x 16 water surface that the game slides round for its four wave phases.
Pic waterStrip(int set) {
    const bool flat = set == SET_CLASSIC;
    Pic p = picNew(32, T, PIC_KEY);
    for (int x = 0; x < 32; x++) {
        double t = x * 2 * M_PI / 32;
        int crest = 4 + static_cast<int>(std::lround(1.6 * picSin(t) + 0.8 * picSin(2 * t + 1.3)));
        for (int y = crest; y < T; y++) {
            uint32_t v = waterAt(set, x, y, 0);
            if (y == crest)
                v = flat ? 0xf8f8f8 : rWater.c[3];
            else if (y == crest + 1)
                v = flat ? 0x70b8f8 : picMix(rWater.c[3], rWater.c[2], 128);
            else if (!flat && y == crest + 4 && (x % 8) < 3)
                v = picMix(v, rWater.c[3], 90); // foam streaks
            picPut(p, x, y, v);
        }
    }
    return p;
}

// The coded tiles and who draws them.
struct CodedTile {
    int code;
    void (*draw)(Ctx&);
};

void waterPlain(Ctx& c) {
    water(c, 0);
}
void waterBubbles(Ctx& c) {
    water(c, 1);
}
void waterDeep(Ctx& c) {
    water(c, 2);
}
void waterWeed(Ctx& c) {
    water(c, 3);
}
void waterSand(Ctx& c) {
    water(c, 4);
}
void waterShoal(Ctx& c) {
    water(c, 5);
}
void waterStone(Ctx& c) {
    water(c, 6);
}
void waterRays(Ctx& c) {
    water(c, 7);
}

const CodedTile codedTiles[] = {
    {20, bump0},       {80, bump1},        {100, bump2},        {120, bump3},     {21, meadowTop},
    {23, meadowEarth}, {43, castleStone},  {44, castleDark},    {63, forestTop},  {64, forestSoil},
    {128, caveTop},    {129, caveRock},    {130, snowTop},      {131, iceBlock},  {132, nightTop},
    {133, nightSoil},  {134, caveCeiling}, {135, pillar},       {136, crate},     {40, brick0},
    {200, brick1},     {201, brick2},      {202, brick3},       {203, brick4},    {22, slab0},
    {180, slab1},      {181, slab2},       {182, slab3},        {183, slab4},     {69, hatchShut},
    {88, hatchOpen},   {89, hatchHalf},    {86, spikesArmed},   {87, spikesTips}, {105, spikesOut},
    {140, thornBlock}, {85, waterPlain},   {145, waterBubbles}, {146, waterDeep}, {162, waterWeed},
    {163, waterSand},  {154, backStone},   {155, backRock},     {156, backWood},  {157, backIce},
    {164, waterRays},  {165, waterShoal},  {166, waterStone},
};

// Brings a finished picture into the set's colours.
void toSet(Pic& p, int set) {
    for (uint32_t& v : p.px) {
        if (set == SET_CLASSIC)
            v = picToClassic(v);
        else if (set == SET_GB)
            v = picToGb(v);
    }
}

} // namespace

// Draws every coded tile of one set onto its sheet. Called by makeBlockSheet.
void drawCodedTiles(Pic& sheet, int set) {
    const bool flat = set == SET_CLASSIC;
    for (const CodedTile& ct : codedTiles) {
        Ctx c{picNew(T, T, PIC_KEY), flat, set};
        ct.draw(c);
        toSet(c.t, set);
        picBlit(sheet, c.t, 0, 0, T, T, 16 * (ct.code % 20), 16 * (ct.code / 20), false);
    }
    for (int open = 0; open < 2; open++) {
        Pic d = doorPic(flat, open != 0);
        toSet(d, set);
        int code = open ? 27 : 38;
        picBlit(sheet, d, 0, 0, 32, 32, 16 * (code % 20), 16 * (code / 20), false);
    }
    Pic s = waterStrip(set);
    toSet(s, set);
    picBlit(sheet, s, 0, 0, 32, T, 0, 128, false);
}
