// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The pictures of the intro screens: the quotation picture, the four flags and the cursor.
#include "gfxart.h"

#include <cmath>

namespace {

constexpr int FLAG_W = 90;
constexpr int FLAG_H = 60;

// Three bands of equal size, across (horizontal) or upright.
Pic bands(uint32_t a, uint32_t b, uint32_t c, bool horizontal) {
    Pic p = picNew(FLAG_W, FLAG_H, a);
    for (int y = 0; y < FLAG_H; y++)
        for (int x = 0; x < FLAG_W; x++) {
            int i = horizontal ? y * 3 / FLAG_H : x * 3 / FLAG_W;
            picPut(p, x, y, i == 0 ? a : i == 1 ? b : c);
        }
    return p;
}

// The union flag: blue field, white and red diagonals turned like a pinwheel, white and red cross.
Pic flagUk() {
    const uint32_t blue = 0x1c2c78, red = 0xd0202c, white = 0xf8f8f8;
    Pic p = picNew(FLAG_W, FLAG_H, blue);
    const double len = std::sqrt(double(FLAG_W * FLAG_W + FLAG_H * FLAG_H));
    for (int y = 0; y < FLAG_H; y++)
        for (int x = 0; x < FLAG_W; x++) {
            double px = x + 0.5, py = y + 0.5;
            // signed distances to the two diagonals
            double d1 = (px * FLAG_H - py * FLAG_W) / len;            // > 0 above the falling diagonal
            double d2 = (px * FLAG_H - (FLAG_H - py) * FLAG_W) / len; // > 0 below the rising diagonal
            bool leftHalf = px < FLAG_W / 2.0, topHalf = py < FLAG_H / 2.0;
            uint32_t c = blue;
            if (std::fabs(d1) < 6.5 || std::fabs(d2) < 6.5) c = white;
            // the red of each arm lies on one side of its white, turning round the centre
            if (leftHalf == topHalf) {
                double s = topHalf ? -d1 : d1;
                if (s > 0 && s < 3.5) c = red;
            } else {
                double s = topHalf ? -d2 : d2;
                if (s > 0 && s < 3.5) c = red;
            }
            if (std::fabs(px - FLAG_W / 2.0) < 10 || std::fabs(py - FLAG_H / 2.0) < 10) c = white;
            if (std::fabs(px - FLAG_W / 2.0) < 6 || std::fabs(py - FLAG_H / 2.0) < 6) c = red;
            picPut(p, x, y, c);
        }
    return p;
}

// Red, wide yellow, red, with a small quartered shield near the hoist.
Pic flagEs() {
    const uint32_t red = 0xc8141c, yellow = 0xf8c400;
    Pic p = picNew(FLAG_W, FLAG_H, red);
    picFill(p, 0, 15, FLAG_W, 30, yellow);
    const int sx = 20, sy = 20;
    picFill(p, sx + 1, sy - 3, 10, 3, 0xd89c10); // crown
    picFill(p, sx, sy, 12, 14, 0xa01820);        // shield
    picFill(p, sx + 6, sy, 6, 7, 0xe8d8c0);
    picFill(p, sx, sy + 7, 6, 7, 0xe8d8c0);
    picFill(p, sx + 2, sy + 14, 8, 2, 0xa01820); // rounded foot
    picFill(p, sx - 4, sy + 1, 2, 14, 0xe0e0e0); // the two pillars
    picFill(p, sx + 14, sy + 1, 2, 14, 0xe0e0e0);
    return p;
}

} // namespace

// The flags of the language screen, all 90 x 60. Called by buildGfx.
Pic makeFlag(int lang) {
    Pic p;
    switch (lang) {
    case 0: p = flagUk(); break;
    case 1: p = bands(0x101010, 0xd81818, 0xf8c800, true); break;
    case 2: p = bands(0x1c48a8, 0xf8f8f8, 0xe03838, false); break;
    default: p = flagEs(); break;
    }
    // a thin light frame keeps the dark flags apart from the black screen
    for (int x = 0; x < FLAG_W; x++) {
        picPut(p, x, 0, picMix(picGet(p, x, 0), 0xffffff, 96));
        picPut(p, x, FLAG_H - 1, picMix(picGet(p, x, FLAG_H - 1), 0x000000, 96));
    }
    for (int y = 0; y < FLAG_H; y++) {
        picPut(p, 0, y, picMix(picGet(p, 0, y), 0xffffff, 96));
        picPut(p, FLAG_W - 1, y, picMix(picGet(p, FLAG_W - 1, y), 0x000000, 96));
    }
    return p;
}

// A yellow arrow pointing up at the chosen flag. Called by buildGfx.
Pic makeCursor() {
    Pic p = picNew(16, 8, PIC_KEY);
    for (int y = 0; y < 8; y++) {
        int half = y < 5 ? y + 1 : 2; // widening head, then a short stem
        for (int x = 8 - half; x < 8 + half; x++) {
            bool edge = x == 8 - half || x == 7 + half || (y == 4 && (x < 6 || x > 9)) || y == 7;
            picPut(p, x, y, edge ? 0xb86000 : (y < 2 ? 0xfff8c0 : 0xf8d020));
        }
    }
    return p;
}

// A calm night by a lake: a quiet dark sky and water under the six lines of the quotation.
Pic makeMuse() {
    const int w = 320, h = 200, horizon = 124;
    Pic p = picNew(w, h, 0);
    for (int y = 0; y < horizon; y++) {
        uint32_t c = picMix(0x04061a, 0x2c1c50, y * 256 / horizon);
        for (int x = 0; x < w; x++) picPut(p, x, y, c);
    }
    // stars thin out towards the horizon
    for (int i = 0; i < 140; i++) {
        int x = picNoise(i, 1, 77) % w, y = picNoise(i, 2, 77) % (horizon - 20);
        int b = 110 + picNoise(i, 3, 77) % 140 - y;
        picPut(p, x, y, picRgb(b, b, b + 30));
    }
    // a crescent moon high on the right
    const int mx = 262, my = 34;
    for (int y = -12; y <= 12; y++)
        for (int x = -12; x <= 12; x++) {
            bool in = x * x + y * y <= 144, cut = (x + 5) * (x + 5) + (y - 3) * (y - 3) <= 121;
            if (in && !cut) picPut(p, mx + x, my + y, picMix(0xfff4c8, 0xd8c890, (y + 12) * 10));
        }
    // two rows of hills against the sky
    for (int x = 0; x < w; x++) {
        double t = x * 2 * M_PI / w;
        int far = horizon - 18 - int(10 * picSin(t * 1.5 + 1.0) + 6 * picSin(t * 3.7));
        int near = horizon - 6 - int(7 * picSin(t * 2.3 + 2.0) + 3 * picSin(t * 6.1));
        for (int y = far; y < horizon; y++) picPut(p, x, y, 0x1a1434);
        for (int y = near; y < horizon; y++) picPut(p, x, y, 0x0e0c20);
    }
    // the lake mirrors the sky darkly, with the moon's trail broken into ripples
    for (int y = horizon; y < h; y++) {
        int d = y - horizon;
        uint32_t c = picMix(0x120e2c, 0x03040e, d * 256 / (h - horizon));
        for (int x = 0; x < w; x++) picPut(p, x, y, c);
        if (d % 3 == 1) {
            // short broken streaks, wider and fainter nearer the viewer
            int spread = 3 + d / 4;
            for (int x = mx - spread; x <= mx + spread; x++)
                if ((x + picNoise(x / 4, y, 5)) % 7 < 4) picPut(p, x, y, picMix(c, 0xd8c890, 150 - 2 * d));
        }
    }
    return p;
}
