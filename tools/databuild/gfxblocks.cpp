// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The block sheets: 240 tiles of 16 x 16 for each graphic set. Terrain, water and the
// working parts of a level (bricks, doors, traps) are drawn by code in gfxtiles.cpp;
// the figure, the monsters, pickups and decoration come from the pixel-art sources.
#include "gfxart.h"
#include "gfxtiles.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The pixel-art sources, drawn in this order (a later file may not redraw a tile).
const char* const artFiles[] = {"figure.txt", "monsters.txt", "items.txt", "decor.txt"};

// Whether a tile of a source is drawn in a set: a picture for one set replaces the plain
// picture of its code in that set.
bool usedIn(const ArtFile& f, const ArtTile& t, int set) {
    if (t.onlySet >= 0) return t.onlySet == set;
    for (const ArtTile& o : f.tiles)
        if (o.code == t.code && o.onlySet == set) return false;
    return true;
}

// Finds the picture of a tile of the same file, as drawn in a set, for mirror and copy lines.
const ArtTile* findTile(const ArtFile& f, int code, int set) {
    for (const ArtTile& t : f.tiles)
        if (t.code == code && t.mirrorOf < 0 && t.copyOf < 0 && usedIn(f, t, set)) return &t;
    return nullptr;
}

// A set's own picture must cover the same cells as the plain one: the game relies on them.
void checkSameCells(const ArtFile& f, const ArtTile& t, const char* name) {
    for (const ArtTile& o : f.tiles)
        if (o.code == t.code && o.onlySet < 0 && (o.wTiles != t.wTiles || o.hTiles != t.hTiles)) {
            fprintf(stderr, "databuild: %s: the picture of tile %d for one set has another size\n", name,
                    t.code);
            exit(1);
        }
}

// The deluxe set's light: the moon stands to the upper left, so the upper and left rims of
// every figure, monster and ornament catch light and the lower and right rims fall into
// shade. Only colours change; the outline stays the same.
void shadeRims(Pic& p) {
    const Pic src = p;
    auto open = [&](int x, int y) {
        return picGet(src, x, y) == PIC_KEY || x < 0 || y < 0 || x >= p.w || y >= p.h;
    };
    for (int y = 0; y < p.h; y++)
        for (int x = 0; x < p.w; x++) {
            const uint32_t c = picGet(src, x, y);
            if (c == PIC_KEY) continue;
            const bool lit = open(x - 1, y) || open(x, y - 1), dark = open(x + 1, y) || open(x, y + 1);
            if (lit && !dark)
                picPut(p, x, y, picMix(c, 0xfff8e8, 70));
            else if (dark && !lit)
                picPut(p, x, y, picScale(c, 72));
        }
}

// The deluxe set sets its scenery off with a dark line around it, each pixel of the line a
// deep shade of the colour it borders. Only for scenery that the figure passes through: the
// outlines of the figure, the monsters and the pickups stay as the game's rules know them.
void outlineScenery(Pic& p) {
    const Pic src = p;
    static const int near[4][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};
    for (int y = 0; y < p.h; y++)
        for (int x = 0; x < p.w; x++) {
            if (picGet(src, x, y) != PIC_KEY) continue;
            for (const auto& d : near) {
                const int nx = x + d[0], ny = y + d[1];
                if (nx < 0 || ny < 0 || nx >= p.w || ny >= p.h || picGet(src, nx, ny) == PIC_KEY) continue;
                picPut(p, x, y, picMix(picScale(picGet(src, nx, ny), 35), 0x080810, 96));
                break;
            }
        }
}

// Places one tile picture at its place on the sheet.
void placeTile(Pic& sheet, const Pic& t, int code) {
    picBlit(sheet, t, 0, 0, t.w, t.h, 16 * (code % 20), 16 * (code / 20), false);
}

} // namespace

// Draws one block sheet, 320 x 192. Called by buildGfx for sets 0, 1 and 2.
Pic makeBlockSheet(const std::string& assetsDir, int set) {
    Pic sheet = picNew(SHEET_W, SHEET_H, PIC_KEY);
    drawCodedTiles(sheet, set);
    std::vector<bool> drawn(NUM_TILES, false);
    for (const char* name : artFiles) {
        ArtFile f = loadArt(assetsDir + "/gfx/" + name);
        for (const ArtTile& t : f.tiles) {
            if (t.onlySet >= 0) checkSameCells(f, t, name);
            if (!usedIn(f, t, set)) continue;
            int src = t.mirrorOf >= 0 ? t.mirrorOf : t.copyOf;
            const ArtTile* from = src >= 0 ? findTile(f, src, set) : &t;
            if (!from || (src >= 0 && (from->wTiles != 1 || from->hTiles != 1))) {
                fprintf(stderr, "databuild: %s: tile %d refers to %d, which is no single tile of that file\n",
                        name, t.code, src);
                exit(1);
            }
            Pic p = renderArt(*from, set);
            if (t.mirrorOf >= 0) p = picMirror(p);
            if (set == SET_DELUXE) {
                shadeRims(p);
                if (std::string(name) == "decor.txt") outlineScenery(p);
            }
            for (int j = 0; j < p.h / 16; j++)
                for (int i = 0; i < p.w / 16; i++) {
                    int code = t.code + i + 20 * j;
                    if (drawn[code]) {
                        fprintf(stderr, "databuild: %s: tile %d is drawn twice\n", name, code);
                        exit(1);
                    }
                    drawn[code] = true;
                }
            placeTile(sheet, p, t.code);
        }
    }
    if (set == SET_DELUXE) drawDeluxeFoliage(sheet);
    return sheet;
}
