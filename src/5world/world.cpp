// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The world's record, the level start, the world step, and the score and lives.
#include "5world/world.h"

#include "3audio/sound.h"

World world;

namespace {

constexpr int32_t MAX_SCORE = 9999;
constexpr int32_t MAX_LIVES = 99;

} // namespace

// The world's part of a level start. Called by the level start of the game
// flow, and by the level check, the benchmarks, the fuzz target and the tests.
void worldStart(const char* name, int title) {
    world.flag1 = 0;
    world.timeLeft = LEVEL_TIME;
    killMonsters();
    // An object still running (a brick crumbling when the quit dialog was answered)
    // would go on writing its cell into the next map.
    resetAnims();
    loadLevel(name);
    if (title) {
        killFigure(world.figure, "");
    } else {
        // Drop the start point onto the ground below it; with none, the figure falls out.
        int y = world.map.starty;
        while (!isSolidPos(world.map.startx, y + 16) && y <= MAP_BOTTOM) y++;
        placeFigure(world.figure, world.map.startx, y);
    }
    world.airLeft = LEVEL_AIR;
}

// One frame of the world: the animated objects first (they write their cells),
// then the monsters, then the figure while it is alive.
void worldStep() {
    updateAnims();
    updateMonsters(world.figure);
    if (world.figure.alive) updateAlive(world.figure);
}

// A level from its very start with a fresh play-through, for the tools and tests
// that play one level as the game would after the title's "new game".
void worldPlayLevel(int n, const char* name) {
    const char* scroller = world.play.scroller;
    world.play = Play();
    world.play.scroller = scroller;
    world.play.level = n;
    world.figure = Figure();
    setStart(16, 100);
    worldStart(name, 0);
}

// Adds points up to 9999. Crossing into a new hundred gives one life, however
// many hundreds were crossed. Called by the figure, the monsters and the level bonuses.
void addScore(int32_t points) {
    Play& p = world.play;
    if (p.score > MAX_SCORE - 1) return;
    const int32_t oldHundreds = p.score / 100;
    int32_t hundreds;
    // Compare before adding, so a huge bonus cannot overflow the sum.
    if (points > MAX_SCORE - p.score) {
        p.score = MAX_SCORE;
        hundreds = MAX_SCORE / 100;
    } else {
        p.score += points;
        hundreds = p.score / 100;
    }
    if (oldHundreds < hundreds && p.lives <= MAX_LIVES - 1) {
        playSFX(SFX_TADA);
        p.lives++;
    }
}

// One life more with a fanfare, unless the counter is full. Called by the figure on an extra-life cell.
void addLife() {
    if (world.play.lives >= MAX_LIVES) return;
    playSFX(SFX_TADA);
    world.play.lives++;
}
