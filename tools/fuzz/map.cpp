// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Fuzz target: a level map. The bytes become the test level's plain file; the
// game starts it as at a level start (from the start point or a checkpoint
// column the input picks) and plays a few hundred frames of pseudo-random
// input with the world's rules and the full frame drawing, restarting after a
// death as the game does. Items still to collect never go below zero.
#include "fuzz.h"
#include "5world/world.h"

#include "2platform/fps.h"
#include "7game/run.h"
#include "7game/stuff.h"
#include "6draw/draw.h"
#include "4io/input.h"
#include "5world/anims.h"
#include "5world/figure.h"
#include "5world/map.h"
#include "5world/monsters.h"

namespace {

constexpr int FRAMES = 300;       // frames played per input
constexpr int INPUT_RUN = 12;     // frames one pseudo-random input is held
constexpr int TEST_COLUMNS = 512; // a start column past this is not tried: it would scroll the most

// The level start of the game flow for the test map. Called through fuzzGuard.
void startLevel(void*) {
    worldStart(nullptr, 0);
}

} // namespace

// Plays the bytes as a level; refused when the game cannot load it.
int fuzzMap(const uint8_t* data, size_t size) {
    fuzzEnter();
    fuzzVideo();
    if (!fuzzWriteFile("mapsen/test.bin", data, size)) fuzzFail("cannot write the map");
    uint32_t seed = fuzzHash(data, size);
    world.play = Play();
    world.play.level = 1;
    world.figure = Figure();
    inputClear();
    skipFrame = 0;
    // Half the inputs start from a checkpoint column somewhere in the map, as after a death.
    const int columns = size >= 2 ? data[0] + 256 * data[1] + 1 : 1;
    int startColumn = 1;
    if (fuzzRandom(&seed) & 1)
        startColumn = (int)(fuzzRandom(&seed) % (uint32_t)(columns < TEST_COLUMNS ? columns : TEST_COLUMNS));
    setStart(CELL * startColumn, 100);
    const Figure& fig = world.figure;
    int outcome = fuzzGuard(startLevel, nullptr) ? FUZZ_ACCEPTED : FUZZ_REFUSED;
    uint8_t in = 0;
    for (int frame = 1; outcome == FUZZ_ACCEPTED && frame <= FRAMES; frame++) {
        if (frame % INPUT_RUN == 1) in = (uint8_t)fuzzRandom(&seed);
        // Mostly right and jump, so the view moves on through the map.
        const int right = (in & 3) != 0, left = !right && (in & 4);
        inputSetHeld(left | right << 1 | ((in >> 3) & 1) << 2 | ((in >> 4) & (in >> 5) & 1) << 3);
        if (!fig.alive) {
            if (--world.figure.timer <= 0) {
                if (!fuzzGuard(startLevel, nullptr)) fuzzFail("a map loaded once fails on the restart");
                continue;
            }
        } else if (haveMadeit(fig)) {
            break;
        }
        worldStep();
        drawScreen(frame, fig, 0);
        if (world.map.stars < 0) fuzzFail("the count of items to collect went below zero");
    }
    killMonsters();
    resetAnims();
    freeLevel();
    setStart(16, 100);
    world.play.level = 0;
    fuzzLeave();
    return outcome;
}
