// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The values of one play-through (score, lives, level, menu state), the rules
// that change them, the game resets, and the four-byte saved game.
#pragma once

#include <cstdint>

constexpr int MAX_MESSAGE = 256; // size of the death text buffer
constexpr int START_LIVES = 6;   // lives at the start of a game

extern int32_t score;    // points, 0..9999
extern int32_t lives;    // lives left, including the one being played
extern int32_t level;    // 0 title, 1..16 levels, 17 the ending, -1 the test level
extern int32_t workflow; // menu state: title 0 attract, 1..5 menu, -3 hiscores, -4 options; pause cursor 1..3
extern int32_t saved;    // levels completed in the saved game, 0 = none
extern const char* scroller; // the title's scrolling text (text 89 of the language at the first reset)
extern int32_t scrollidx;    // first visible character of the scroller
extern int32_t scrolldx;     // pixel phase of the scroller, 0..15
extern int32_t scrollmax;    // length of the scroller
extern char messageString[MAX_MESSAGE]; // the death text shown after a death
extern int useSound;                    // the sound effects are loaded at start

void addScore(
    int32_t points); // adds points (cap 9999); a life for each hundreds boundary crossed, one per call
void addLife();      // one life more with a fanfare, unless at 99
void initStuff();    // the one-time preparation at the start of run
void initVars0();    // the game reset: title, score 0, 6 lives
int32_t loadGame();  // levels completed in the saved game, 0 when none or invalid
void saveGame();     // writes the saved game for the current level and sets saved
