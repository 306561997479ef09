// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The font sheets: letters from assets/gfx/font.txt (5 x 7 pictures), shaded into
// 8 x 8 cells for the small font and smoothed to double size for the big one.
#include "gfxart.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

constexpr int FIRST_CODE = 32;
constexpr int NUM_GLYPHS = 96; // codes 32..127, six rows of sixteen
constexpr int SHEET_COLS = 16;
constexpr int GLYPH_W = 5;
constexpr int GLYPH_H = 7;

// One letter: 7 rows of 5 bits, bit 4 the leftmost pixel.
struct Glyph {
    bool defined = false;
    uint8_t rows[GLYPH_H] = {};
};

// Colours of one font look: fill gradient top to bottom, outline or shadow.
struct FontLook {
    uint32_t top, bottom, edge;
};

const FontLook smallLooks[NUM_SETS] = {
    {0xf8f8f8, 0xb8c8e0, 0x182048}, // classic and deluxe share the font sheet
    {0xf8f8f8, 0xb8c8e0, 0x182048},
    {0xc8d4a8, 0xc8d4a8, 0x4e5c44},
};
const FontLook bigLooks[NUM_SETS] = {
    {0xfff080, 0xe83818, 0x200808},
    {0xfff080, 0xe83818, 0x200808},
    {0xc8d4a8, 0x8c9c74, 0x1c2418},
};

// Reads the letter pictures; a broken file stops the build.
void loadGlyphs(const std::string& path, Glyph* glyphs) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        fprintf(stderr, "databuild: cannot read %s\n", path.c_str());
        exit(1);
    }
    std::string line;
    int lineNo = 0;
    while (std::getline(f, line)) {
        lineNo++;
        std::istringstream w(line);
        std::string cmd;
        int code = -1;
        if (!(w >> cmd) || cmd[0] == '#') continue;
        if (cmd != "glyph" || !(w >> code) || code < FIRST_CODE || code >= FIRST_CODE + NUM_GLYPHS) {
            fprintf(stderr, "databuild: %s:%d: expected 'glyph <code 32..127>'\n", path.c_str(), lineNo);
            exit(1);
        }
        Glyph& g = glyphs[code - FIRST_CODE];
        g.defined = true;
        for (int r = 0; r < GLYPH_H; r++) {
            std::string row;
            lineNo++;
            if (!std::getline(f, row) || row.size() < GLYPH_W) {
                fprintf(stderr, "databuild: %s:%d: glyph %d needs 7 rows of 5\n", path.c_str(), lineNo, code);
                exit(1);
            }
            g.rows[r] = 0;
            for (int c = 0; c < GLYPH_W; c++)
                if (row[c] == '#') g.rows[r] |= 1 << (GLYPH_W - 1 - c);
        }
    }
    // lower case is drawn as upper case; anything still missing stays blank
    for (int c = 'a'; c <= 'z'; c++)
        if (!glyphs[c - FIRST_CODE].defined) glyphs[c - FIRST_CODE] = glyphs[c - 'a' + 'A' - FIRST_CODE];
}

bool inked(const Glyph& g, int x, int y) {
    if (x < 0 || y < 0 || x >= GLYPH_W || y >= GLYPH_H) return false;
    return (g.rows[y] >> (GLYPH_W - 1 - x)) & 1;
}

// The letter at double size with its diagonals smoothed (each pixel becomes four,
// a corner taking the neighbours' value where two of them agree).
void doubled(const Glyph& g, bool out[GLYPH_H * 2][GLYPH_W * 2]) {
    for (int y = 0; y < GLYPH_H; y++)
        for (int x = 0; x < GLYPH_W; x++) {
            bool p = inked(g, x, y);
            bool a = inked(g, x, y - 1), b = inked(g, x + 1, y), c = inked(g, x - 1, y),
                 d = inked(g, x, y + 1);
            bool e0 = (c == a && c != d && a != b) ? a : p;
            bool e1 = (a == b && a != c && b != d) ? b : p;
            bool e2 = (d == c && d != b && c != a) ? c : p;
            bool e3 = (b == d && b != a && d != c) ? d : p;
            out[2 * y][2 * x] = e0;
            out[2 * y][2 * x + 1] = e1;
            out[2 * y + 1][2 * x] = e2;
            out[2 * y + 1][2 * x + 1] = e3;
        }
}

// A small letter: gradient fill at (1, 0) with a shadow one pixel down and right.
void drawSmall(Pic& sheet, int cx, int cy, const Glyph& g, const FontLook& look) {
    for (int y = 0; y < GLYPH_H; y++)
        for (int x = 0; x < GLYPH_W; x++)
            if (inked(g, x, y)) picPut(sheet, cx + 2 + x, cy + 1 + y, look.edge);
    for (int y = 0; y < GLYPH_H; y++)
        for (int x = 0; x < GLYPH_W; x++)
            if (inked(g, x, y)) picPut(sheet, cx + 1 + x, cy + y, picMix(look.top, look.bottom, y * 256 / 6));
}

// A big letter: the smoothed double-size picture at (3, 1) with a dark outline all round.
void drawBig(Pic& sheet, int cx, int cy, const Glyph& g, const FontLook& look) {
    bool d[GLYPH_H * 2][GLYPH_W * 2];
    doubled(g, d);
    const int ox = cx + 3, oy = cy + 1;
    for (int y = 0; y < GLYPH_H * 2; y++)
        for (int x = 0; x < GLYPH_W * 2; x++) {
            if (!d[y][x]) continue;
            for (int j = -1; j <= 1; j++)
                for (int i = -1; i <= 1; i++) picPut(sheet, ox + x + i, oy + y + j, look.edge);
        }
    for (int y = 0; y < GLYPH_H * 2; y++)
        for (int x = 0; x < GLYPH_W * 2; x++) {
            if (!d[y][x]) continue;
            uint32_t c = picMix(look.top, look.bottom, y * 256 / 13);
            // a light rim on the upper-left edge of every stroke gives the letters some body
            bool rim = (y == 0 || !d[y - 1][x]) || (x == 0 || !d[y][x - 1]);
            if (rim && look.top != look.bottom) c = picMix(c, 0xffffff, 110);
            picPut(sheet, ox + x, oy + y, c);
        }
}

} // namespace

// Draws all 96 glyph cells of one font sheet. Called by buildGfx.
Pic makeFontSheet(const std::string& assetsDir, int set, bool big) {
    Glyph glyphs[NUM_GLYPHS];
    loadGlyphs(assetsDir + "/gfx/font.txt", glyphs);
    const int cell = big ? 16 : 8;
    Pic sheet = picNew(SHEET_COLS * cell, NUM_GLYPHS / SHEET_COLS * cell, PIC_KEY);
    for (int i = 0; i < NUM_GLYPHS; i++) {
        int cx = (i % SHEET_COLS) * cell, cy = (i / SHEET_COLS) * cell;
        if (big)
            drawBig(sheet, cx, cy, glyphs[i], bigLooks[set]);
        else
            drawSmall(sheet, cx, cy, glyphs[i], smallLooks[set]);
    }
    if (set == SET_GB) // the handheld knows four shades only: the gradient and rims snap to them
        for (uint32_t& v : sheet.px) v = picToGb(v);
    return sheet;
}
