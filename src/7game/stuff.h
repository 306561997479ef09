// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The values of one play-through (score, lives, level, menu state), the rules
// that change them, the game resets, and the four-byte saved game.
#pragma once

#include <cstdint>

extern int useSound; // the sound effects are loaded at start

void initStuff();   // the one-time preparation at the start of run
void initVars0();   // the game reset: title, score 0, 6 lives
int32_t loadGame(); // levels completed in the saved game, 0 when none or invalid
void saveGame();    // writes the saved game for the current level and sets saved
