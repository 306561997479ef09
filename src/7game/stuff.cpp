// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Score, lives, the game resets and the four-byte saved game.
#include "7game/stuff.h"
#include "5world/world.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "3audio/sound.h"
#include "1base/text.h"
#include "6draw/gfx.h"
#include "4io/config.h"
#include "4io/input.h"
#include "2platform/savefile.h"
#include "5world/anims.h"
#include "5world/figure.h"
#include "5world/map.h"
#include "5world/monsters.h"

int useSound = 0;

namespace {

constexpr int SAVE_SIZE = 4;          // bytes of the saved game
constexpr int KEY_DRAWS = 10;         // draws of the key before the fixed one is taken
constexpr int32_t FIXED_KEY = 0x5EB1; // a valid key when every draw was 0x0000 or 0xFFFF

// A key of 0x0000 or 0xFFFF would leave the level count readable in the
// file; the reader refuses them, so the writer never uses them.
int validKey(int32_t k) {
    return k != 0x0000 && k != 0xFFFF;
}

// Where the saved game lives, beside the other files the game owns.
const char* savePath() {
    return filename(configFolder, "savegame", "dat");
}

} // namespace

// The game reset: back to the title with a fresh score and six lives. The
// scroller keeps the language of the first reset for the whole run. Called by
// initStuff and by the game flow on every return to the title.
void initVars0() {
    world.play.score = 0;
    world.play.level = 0;
    world.play.workflow = 0;
    world.play.scrollidx = 0;
    world.play.scrolldx = 0;
    world.play.lives = START_LIVES;
    if (!world.play.scroller) world.play.scroller = tr(TEXT_SCROLLER);
    world.play.scrollmax = (int32_t)strlen(world.play.scroller);
    world.play.messageString[0] = '\0';
}

// The one-time preparation at the start of run: flags, pools, values, tiles
// and sound effects; no level is loaded yet.
void initStuff() {
    inputClearFlags();
    stopCoasting(world.figure);
    world.play.paused = 0;
    resetAnims();
    killMonsters();
    useSound = 1;
    initVars0();
    initBlocks(gfxSet);
    if (useSound) loadSFX();
    freeLevel();
    world.play.saved = 0;
}

// Levels completed in the saved game, 0 when there is none or it is not valid.
// The file carries its own key: bytes 0 and 2, with the count folded into 1 and 3.
// Called by run at start-up.
int32_t loadGame() {
    FILE* f = fopen(savePath(), "rb");
    if (!f) return 0;
    int b[SAVE_SIZE];
    for (int i = 0; i < SAVE_SIZE; i++) b[i] = fgetc(f);
    fclose(f);
    for (int i = 0; i < SAVE_SIZE; i++)
        if (b[i] == EOF) return 0;
    const int32_t key = b[0] * 256 + b[2];
    if (!validKey(key)) return 0;
    const int32_t v = key ^ (b[3] * 256 + b[1]);
    if ((v >> 8) != (v & 0xFF)) return 0;
    const int32_t n = v & 0xFF;
    return (n >= 1 && n <= 16) ? n : 0;
}

// Remembers that the levels before the current one are done. The file is
// replaced as a whole, so a crash never leaves half a saved game; when it
// cannot be written the player is told and the running game still knows. Called by run before levels 2 to 16.
void saveGame() {
    int32_t key = rand() & 0xFFFF;
    for (int i = 1; i < KEY_DRAWS && !validKey(key); i++) key = rand() & 0xFFFF;
    if (!validKey(key)) key = FIXED_KEY;
    const int32_t n = (world.play.level - 1) & 0xFF;
    const uint8_t kh = (uint8_t)(key >> 8), kl = (uint8_t)(key & 0xFF);
    const uint8_t bytes[SAVE_SIZE] = {kh, (uint8_t)(kl ^ n), kl, (uint8_t)(kh ^ n)};
    saveGameFile(savePath(), bytes, SAVE_SIZE);
    world.play.saved = world.play.level - 1;
}
