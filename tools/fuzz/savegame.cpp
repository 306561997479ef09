// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Fuzz target: savegame.dat. Whatever the file holds, the game reads a level
// count of 0 (no saved game) to 16; what it writes for that level it reads back.
#include "fuzz.h"
#include "5world/world.h"

#include "7game/stuff.h"

#include <cstdio>
#include <cstdlib>

// Reads the saved game, then writes and reads one for the level it named.
int fuzzSavegame(const uint8_t* data, size_t size) {
    fuzzEnter();
    if (!fuzzWriteFile("savegame.dat", data, size)) fuzzFail("cannot write savegame.dat");
    srand(fuzzHash(data, size));
    const int32_t n = loadGame();
    if (n < 0 || n > 16) fuzzFail("a saved game names a level outside 0..16");
    // A game saved before level n + 1 reads back as n levels done; the file is the four bytes only.
    const int32_t oldLevel = world.play.level;
    world.play.level = n + 1;
    if (n >= 1) {
        saveGame();
        if (world.play.saved != n || loadGame() != n) fuzzFail("a saved game does not read back as written");
        FILE* f = fopen("savegame.dat", "rb");
        long length = -1;
        if (f && fseek(f, 0, SEEK_END) == 0) length = ftell(f);
        if (f) fclose(f);
        if (length != 4) fuzzFail("the saved game is not four bytes");
    }
    world.play.level = oldLevel;
    remove("savegame.dat");
    fuzzLeave();
    return n >= 1 ? FUZZ_ACCEPTED : FUZZ_REFUSED;
}
