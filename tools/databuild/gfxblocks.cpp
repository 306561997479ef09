// The block sheets: 240 tiles of 16 x 16 for each graphic set. Terrain, water and the
// working parts of a level (bricks, doors, traps) are drawn by code in gfxtiles.cpp;
// the figure, the monsters, pickups and decoration come from the pixel-art sources.
#include "gfxart.h"
#include "gfxtiles.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The pixel-art sources, drawn in this order (a later file may not redraw a tile).
const char* const artFiles[] = {"figure.txt", "monsters.txt", "items.txt", "decor.txt"};

// Finds the picture of an earlier tile of the same file for mirror and copy lines.
const ArtTile* findTile(const ArtFile& f, int code) {
    for (const ArtTile& t : f.tiles)
        if (t.code == code && t.mirrorOf < 0 && t.copyOf < 0) return &t;
    return nullptr;
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
            int src = t.mirrorOf >= 0 ? t.mirrorOf : t.copyOf;
            const ArtTile* from = src >= 0 ? findTile(f, src) : &t;
            if (!from || (src >= 0 && (from->wTiles != 1 || from->hTiles != 1))) {
                fprintf(stderr, "databuild: %s: tile %d refers to %d, which is no single tile of that file\n",
                        name, t.code, src);
                exit(1);
            }
            Pic p = renderArt(*from, set);
            if (t.mirrorOf >= 0) p = picMirror(p);
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
    return sheet;
}
