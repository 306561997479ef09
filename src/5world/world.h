// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The world's one home: the level map, the figure, the monsters, the animated
// objects, the level's clock and air, and the play-through they change (score,
// lives, the death message, and the flow's state the drawing shows). A snapshot
// of the world is a copy of `world`. The world advances only through worldStep
// and starts a level only through worldStart, in the game and in every tool and
// test that plays.
#pragma once
#include <cstdint>

#include "5world/anims.h"
#include "5world/figure.h"
#include "5world/map.h"
#include "5world/monsters.h"

constexpr int MAX_MESSAGE = 256; // size of the death text buffer
constexpr int START_LIVES = 6;   // lives at the start of a game
constexpr int LEVEL_TIME = 7000; // frames of time at a level start
constexpr int LEVEL_AIR = 500;   // frames of air at a level start

// One play-through. Score and lives change through addScore and addLife (and the
// game flow's resets and deaths); the message through the figure's death; level,
// workflow, saved, paused and the scroller through the game flow alone.
struct Play {
    int32_t score = 0;           // points, 0..9999
    int32_t lives = START_LIVES; // lives left, including the one being played
    int32_t level = 0;           // 0 title, 1..16 levels, 17 the ending, -1 the test level
    int32_t workflow =
        0;              // menu state: title 0 attract, 1..5 menu, -3 hiscores, -4 options; pause cursor 1..3
    int32_t saved = 0;  // levels completed in the saved game, 0 = none
    uint8_t paused = 0; // the pause menu is open
    char messageString[MAX_MESSAGE] = ""; // the death text shown after a death
    const char* scroller = nullptr; // the title's scrolling text (text 89 of the language at the first reset)
    int32_t scrollidx = 0;          // first visible character of the scroller
    int32_t scrolldx = 0;           // pixel phase of the scroller, 0..15
    int32_t scrollmax = 0;          // length of the scroller
};

// Everything that moves while a level is played.
struct World {
    LevelMap map;                   // the cells, the view, the start point, the door, the items
    Figure figure = {};             // the player
    Monster monst[MAX_MONST] = {};  // the monster pool
    AnimObject aos[MAX_ANIMS] = {}; // the animated-object pool
    int32_t timeLeft = LEVEL_TIME;  // frames of time left
    int32_t airLeft = LEVEL_AIR;    // frames of air left
    int flag1 = 0;                  // the splash has been played for this stay in water
    Play play;                      // the play-through
};

extern World world;

// Starts a level (name null: the test map) or the title: the clock and air, no
// monsters or animated objects, the map, and the figure dropped onto the ground
// below the start point, or gone on the title. Called by the game flow's level
// start and by every tool and test that plays a level.
void worldStart(const char* name, int title);
// One frame of the world in play: the animated objects, the monsters, then the
// figure while it is alive. Called by the game flow, the level check, the
// benchmarks, the fuzz target and the tests.
void worldStep();
// Level n (or the test map for a null name) from its very start with a fresh
// play-through: score 0, six lives, no message, the figure standing still. The
// level check, the benchmarks, the fuzz target and the tests play this way.
void worldPlayLevel(int n, const char* name);

void addScore(
    int32_t points); // adds points (cap 9999); a life for each hundreds boundary crossed, one per call
void addLife();      // one life more with a fanfare, unless at 99
