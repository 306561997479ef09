// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The BLOMP title logo: chunky letters from a coarse grid, smoothed, outlined and shaded.
#include "gfxart.h"

namespace {

constexpr int LETTER_ROWS = 7;
constexpr int CELL = 8; // every grid cell becomes 8 x 8 pixels
constexpr int LOGO_W = 256;
constexpr int LOGO_H = 80;

// The five letters on a 7-row grid; '#' is ink.
const char* const letterB[LETTER_ROWS] = {"####.", "##.##", "##.##", "####.", "##.##", "##.##", "####."};
const char* const letterL[LETTER_ROWS] = {"##...", "##...", "##...", "##...", "##...", "##...", "#####"};
const char* const letterO[LETTER_ROWS] = {".###.", "##.##", "##.##", "##.##", "##.##", "##.##", ".###."};
const char* const letterM[LETTER_ROWS] = {"##...##", "###.###", "#######", "##.#.##",
                                          "##...##", "##...##", "##...##"};
const char* const letterP[LETTER_ROWS] = {"####.", "##.##", "##.##", "####.", "##...", "##...", "##..."};
const char* const* const letters[5] = {letterB, letterL, letterO, letterM, letterP};
const int drop[5] = {6, 2, 0, 2, 6}; // the letters sit on a gentle arch, the middle one highest

// Colours of one look: fill gradient, rim light, outline, drop shadow.
struct LogoLook {
    uint32_t top, bottom, rim, outline, shadow;
};
const LogoLook looks[NUM_SETS] = {
    {0xffe040, 0xf06010, 0xfffff0, 0x301008, 0x000000},
    {0xffe040, 0xf06010, 0xfffff0, 0x301008, 0x000000},
    {0xc8d4a8, 0x8c9c74, 0xc8d4a8, 0x1c2418, 0x4e5c44},
};

// One smoothing doubling of a mask: corners follow two agreeing neighbours.
std::vector<uint8_t> smoothDouble(const std::vector<uint8_t>& m, int w, int h) {
    std::vector<uint8_t> o(static_cast<size_t>(w) * h * 4);
    auto at = [&](int x, int y) -> uint8_t {
        return (x < 0 || y < 0 || x >= w || y >= h) ? 0 : m[y * w + x];
    };
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint8_t p = at(x, y), a = at(x, y - 1), b = at(x + 1, y), c = at(x - 1, y), d = at(x, y + 1);
            o[(2 * y) * 2 * w + 2 * x] = (c == a && c != d && a != b) ? a : p;
            o[(2 * y) * 2 * w + 2 * x + 1] = (a == b && a != c && b != d) ? b : p;
            o[(2 * y + 1) * 2 * w + 2 * x] = (d == c && d != b && c != a) ? c : p;
            o[(2 * y + 1) * 2 * w + 2 * x + 1] = (b == d && b != a && d != c) ? d : p;
        }
    return o;
}

} // namespace

// The logo on magenta, 256 x 80. Called by buildGfx for "logo" and "gblogo".
Pic makeLogo(int set) {
    const LogoLook& look = looks[set];
    // lay the letters out on one coarse mask, one blank column between letters
    int gw = 0;
    for (int l = 0; l < 5; l++) gw += static_cast<int>(std::string(letters[l][0]).size()) + (l < 4 ? 1 : 0);
    const int gh = LETTER_ROWS;
    std::vector<uint8_t> mask(static_cast<size_t>(gw) * gh, 0);
    std::vector<int> owner(static_cast<size_t>(gw), 0);
    for (int l = 0, gx = 0; l < 5; l++) {
        const int lw = static_cast<int>(std::string(letters[l][0]).size());
        for (int y = 0; y < gh; y++)
            for (int x = 0; x < lw; x++)
                if (letters[l][y][x] == '#') mask[y * gw + gx + x] = 1;
        for (int x = 0; x < lw + 1 && gx + x < gw; x++) owner[gx + x] = l;
        gx += lw + 1;
    }
    // three doublings: 8 pixels a cell with rounded corners and smooth diagonals
    int w = gw, h = gh;
    for (int i = 0; i < 3; i++) {
        mask = smoothDouble(mask, w, h);
        w *= 2;
        h *= 2;
    }
    // the letters on the canvas, each lowered by its place on the arch
    const int ox = (LOGO_W - w) / 2, oy = 4;
    std::vector<uint8_t> ink(static_cast<size_t>(LOGO_W) * LOGO_H, 0);
    std::vector<int> top(static_cast<size_t>(LOGO_W), 0); // where each column's letter starts
    for (int x = 0; x < w; x++) {
        const int d = drop[owner[x / CELL]];
        top[ox + x] = oy + d;
        for (int y = 0; y < h; y++)
            if (mask[y * w + x]) ink[(oy + d + y) * LOGO_W + ox + x] = 1;
    }
    auto at = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < LOGO_W && y < LOGO_H && ink[y * LOGO_W + x] != 0;
    };
    Pic p = picNew(LOGO_W, LOGO_H, PIC_KEY);
    // drop shadow, then a round outline, then the shaded letters
    for (int y = 0; y < LOGO_H; y++)
        for (int x = 0; x < LOGO_W; x++)
            if (at(x - 4, y - 4)) picPut(p, x, y, look.shadow);
    for (int y = 0; y < LOGO_H; y++)
        for (int x = 0; x < LOGO_W; x++) {
            bool near = false;
            for (int j = -3; j <= 3 && !near; j++)
                for (int i = -3; i <= 3 && !near; i++) near = i * i + j * j <= 9 && at(x + i, y + j);
            if (near) picPut(p, x, y, look.outline);
        }
    for (int y = 0; y < LOGO_H; y++)
        for (int x = 0; x < LOGO_W; x++) {
            if (!at(x, y)) continue;
            uint32_t c = picMix(look.top, look.bottom, (y - top[x]) * 256 / h);
            if (!at(x - 2, y - 2))
                c = look.rim; // light from the upper left
            else if (!at(x + 2, y + 2))
                c = picMix(c, look.outline, 90); // shade on the lower right
            if (set == SET_GB) c = picToGb(c);
            picPut(p, x, y, c);
        }
    // the O is Blomp himself: two big eyes on its strokes, looking to the right
    const int eyeY = oy + drop[2] + 22, leftEye = ox + 13 * CELL, rightEye = ox + 16 * CELL;
    for (int e = 0; e < 2; e++) {
        const int cx = e ? rightEye : leftEye;
        for (int j = -9; j <= 9; j++)
            for (int i = -7; i <= 7; i++) {
                const double d = (i * i) / 42.0 + (j * j) / 72.0; // an upright oval
                if (d > 1.0) continue;
                uint32_t v = d > 0.62 ? look.outline : 0xffffff;
                if (i >= 0 && i <= 4 && j >= -2 && j <= 3) v = 0x101010; // the pupil
                if (i == 1 && j == -1) v = 0xffffff;                     // and its glint
                if (set == SET_GB) v = picToGb(v);
                picPut(p, cx + i, eyeY + j, v);
            }
    }
    return p;
}
