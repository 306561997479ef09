// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The deluxe set's own foliage: the leafy tree's crown and the bush are drawn as clumps
// of leaves, each clump a ball lit by the moon from the upper left, with dark seams where
// one clump lies over another and a few fruits. The plain pixel art of these tiles stays
// for the classic and handheld sets; the trunk of the tree is kept from it.
#include "gfxart.h"

namespace {

// One clump of leaves: centre, radius, all in pixels of the picture.
struct Clump {
    int cx, cy, r;
};

// Greens from the deepest shadow to the brightest leaf tip, and the outline.
const uint32_t leafRamp[5] = {0x12401a, 0x1e6424, 0x2e8a2a, 0x52b03a, 0x9ae070};
constexpr uint32_t LEAF_LINE = 0x0a1a0c;

// Which clump a pixel belongs to (the last one that covers it stands in front); -1 for none.
int clumpAt(const Clump* c, int n, int x, int y) {
    int hit = -1;
    for (int i = 0; i < n; i++) {
        const int dx = x - c[i].cx, dy = y - c[i].cy;
        if (dx * dx + dy * dy <= c[i].r * c[i].r) hit = i;
    }
    return hit;
}

// Paints the clumps into rows 0..maxY of p: shading by the ball's slope towards the light,
// leaf grain, seams between clumps, a dark rim round the whole, and fruit where asked.
void paintClumps(Pic& p, const Clump* c, int n, int maxY, int seed, uint32_t fruit, int fruits) {
    for (int y = 0; y <= maxY; y++)
        for (int x = 0; x < p.w; x++) {
            const int i = clumpAt(c, n, x, y);
            if (i < 0) continue;
            // light from the upper left: how far the ball's surface faces it, -256..256
            const int facing = ((c[i].cx - x) * 150 + (c[i].cy - y) * 200) / c[i].r;
            int lvl = facing > 120 ? 4 : facing > 30 ? 3 : facing > -60 ? 2 : facing > -150 ? 1 : 0;
            const uint32_t n16 = picNoise(x, y, seed) % 16;
            if (n16 < 3 && lvl > 0) lvl--; // leaves in each other's shadow
            if (n16 == 15 && lvl < 4) lvl++;
            uint32_t col = leafRamp[lvl];
            bool edge = false, seam = false;
            static const int near[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
            for (const auto& d : near) {
                const int j = clumpAt(c, n, x + d[0], y + d[1]);
                if (j < 0 || x + d[0] < 0 || x + d[0] >= p.w)
                    edge = true;
                else if (j > i)
                    seam = true; // a clump in front begins here
            }
            if (edge)
                col = LEAF_LINE;
            else if (seam)
                col = leafRamp[0];
            picPut(p, x, y, col);
        }
    for (int k = 0; k < fruits; k++) { // fruit hangs in the lit part of a clump
        const Clump& f = c[picNoise(k, 0, seed + 1) % n];
        const int x = f.cx - f.r / 3 + static_cast<int>(picNoise(k, 1, seed + 1) % 5);
        const int y = f.cy - f.r / 4 + static_cast<int>(picNoise(k, 2, seed + 1) % 4);
        if (picGet(p, x, y) == LEAF_LINE || picGet(p, x + 1, y + 1) == LEAF_LINE) continue;
        picPut(p, x, y, fruit);
        picPut(p, x + 1, y, picScale(fruit, 70));
        picPut(p, x, y + 1, picScale(fruit, 70));
        picPut(p, x + 1, y + 1, picScale(fruit, 50));
        picPut(p, x, y - 1, 0xffe0d0); // the shine on it
    }
}

// Moves a 32-pixel-wide picture made of 16 x 16 tiles between the sheet and a Pic.
Pic cut(const Pic& sheet, int code, int w, int h) {
    Pic p = picNew(w, h, PIC_KEY);
    picBlit(p, sheet, 16 * (code % 20), 16 * (code / 20), w, h, 0, 0, false);
    return p;
}
void paste(Pic& sheet, const Pic& p, int code) {
    picBlit(sheet, p, 0, 0, p.w, p.h, 16 * (code % 20), 16 * (code / 20), false);
}

} // namespace

// Replaces the crown of the leafy tree (70, 2 x 3) and the bush (31 and 32) on the deluxe
// sheet. Called by makeBlockSheet after the pixel art is placed.
void drawDeluxeFoliage(Pic& sheet) {
    Pic tree = cut(sheet, 70, 32, 48);
    for (int y = 0; y < 24; y++)
        for (int x = 0; x < 32; x++)
            if (y < 22 || x < 13 || x > 20) picPut(tree, x, y, PIC_KEY); // keep the trunk's top
    static const Clump crown[] = {{9, 14, 8}, {22, 13, 9}, {15, 7, 8}, {23, 5, 5},
                                  {7, 7, 5},  {16, 17, 8}, {5, 17, 4}, {27, 17, 4}};
    paintClumps(tree, crown, sizeof(crown) / sizeof(crown[0]), 25, 41, 0xe03030, 5);
    paste(sheet, tree, 70);

    Pic bush = picNew(32, 16, PIC_KEY);
    static const Clump clumps[] = {{7, 11, 5},  {25, 11, 5}, {12, 8, 6}, {20, 8, 6},
                                   {16, 11, 6}, {3, 13, 3},  {29, 13, 3}};
    paintClumps(bush, clumps, sizeof(clumps) / sizeof(clumps[0]), 15, 43, 0xe03050, 3);
    paste(sheet, bush, 31);
}
