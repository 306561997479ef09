// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Fuzz target: a bitmap. The bytes are stored in a graphics archive as a plain
// picture, as the block sheet and as both font sheets; the game loads the
// picture, cuts the sheet into its tiles and the fonts into glyphs, and draws
// with all of them. A bitmap it cannot use gets its fatal line.
#include "fuzz.h"

#include "6draw/font.h"
#include "6draw/gfx.h"
#include "2platform/zda.h"
#include "2platform/zdawrite.h"

#include <cstdio>

namespace {

// The names the input is stored under.
const char* const entryNames[] = {"fuzz.bmp", "blocks.bmp", "font.bmp", "fontbig.bmp"};

// A plain picture with and without the colour key, drawn. Called through fuzzGuard.
void loadPicture(void*) {
    for (int key = 0; key <= 1; key++) {
        SDL_Surface* s = loadGFX("fuzz", key, 255, 0, 255);
        if (!s) fuzzFail("loadGFX returned no picture and no fatal line");
        if (s && (s->w < 1 || s->h < 1)) fuzzFail("loadGFX returned an empty picture");
        blitImage(s, key * 40 - 20, 30, screen);
        freeSurface(s);
    }
}

// The block sheet cut into tiles and water tiles, every one drawn. Called through fuzzGuard.
void loadSheet(void*) {
    initBlocks(0);
    for (int i = 0; i < NUM_BLOCKS; i++) blitImage(blocks[i], (i % 20) * 16, (i / 20) * 16, screen);
    for (int i = 0; i < NUM_WBLOCKS; i++) blitImage(wblocks[i], i * 16, 200, screen);
}

// Both fonts cut from the sheet, with text drawn in each. Called through fuzzGuard.
void loadFonts(void*) {
    loadSpriteFont(0);
    drawTextAt(screen, "SCORE 0123 ~!\x7f\xff", 4, 4, font);
    drawTextCenterAt(screen, "GAME OVER", 96, fontbig);
    drawNumberAt(screen, 9999, 300, 220, 5, 1, fontbig);
}

} // namespace

// Loads the bytes as picture, block sheet and fonts; refused when any of them gets the fatal line.
int fuzzBitmap(const uint8_t* data, size_t size) {
    fuzzEnter();
    if (!screen) fuzzVideo();
    ZdaItem items[4];
    for (int i = 0; i < 4; i++) items[i] = {entryNames[i], data, (int32_t)size};
    if (size < 1) {
        fuzzLeave();
        return FUZZ_REFUSED; // an archive holds no empty entry
    }
    closeArchives();
    if (!writeZDA("data/gfx.zda", items, 4)) fuzzFail("cannot write the archive");
    openArchives();
    int accepted = fuzzGuard(loadPicture, nullptr);
    accepted &= fuzzGuard(loadSheet, nullptr);
    accepted &= fuzzGuard(loadFonts, nullptr);
    closeArchives();
    // The game's own tiles and fonts come back for whoever draws next.
    freeBlocks();
    destroyFonts();
    remove("data/gfx.zda");
    remove("fuu.xxx");
    fuzzLeave();
    return accepted ? FUZZ_ACCEPTED : FUZZ_REFUSED;
}
