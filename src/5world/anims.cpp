// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The animated-object pool: each object rewrites one map cell, once per
// frame, from a fixed sequence of block codes, and frees itself at the end.
#include "5world/anims.h"
#include "5world/world.h"

#include "5world/map.h"

namespace {

constexpr int MAX_SEQUENCE = 16; // longest sequence (the checkpoint)
constexpr int NUM_KINDS = 9;     // kinds 0 to 8; 0 and 3 are not used

// The codes an object writes, one per update; the last one ends it.
struct AnimSequence {
    int length;
    int32_t codes[MAX_SEQUENCE];
};
constexpr AnimSequence sequences[NUM_KINDS] = {
    {0, {}},                                                                // unused
    {11, {200, 200, 201, 201, 202, 202, 203, 203, 0, 0, 0}},                // brick crumbles
    {11, {180, 180, 181, 181, 182, 182, 183, 183, 0, 0, 0}},                // floor crumbles
    {0, {}},                                                                // unused
    {7, {0, 0, 87, 87, 105, 105, 105}},                                     // spikes pop up
    {9, {80, 80, 100, 100, 120, 120, 20, 20, 20}},                          // bump block shines
    {5, {89, 89, 89, 89, 69}},                                              // trap door shuts
    {16, {17, 17, 17, 17, 17, 17, 18, 18, 18, 18, 18, 18, 19, 19, 19, 19}}, // checkpoint lights
    {1, {0}},                                                               // pickup vanishes
};

} // namespace

// Fills one slot for a new object at a cell. Called by startAnim.
void setAnimation(AnimObject& a, int x, int y, int kind) {
    a.x = x;
    a.y = y;
    a.kind = kind;
    a.counter = 0;
    a.active = 1;
}

// Writes an object's next code into its cell; the last code frees the slot.
// A cell outside the map is not written, but the object still ends on time.
// An unknown kind has nothing to write and is freed at once.
void updateAnimation(AnimObject& a) {
    if (!a.active) return;
    const AnimSequence* s = (a.kind >= 0 && a.kind < NUM_KINDS) ? &sequences[a.kind] : nullptr;
    if (!s || a.counter < 0 || a.counter >= s->length) {
        a.active = 0;
        return;
    }
    setBlock(a.x >> 4, a.y >> 4, s->codes[a.counter]);
    a.counter++;
    if (a.counter >= s->length) a.active = 0;
}

// Starts an object at a cell, or restarts the one already there with the new
// kind. Returns 1 only for a new object, so that the action's sound (and an
// extra life) comes once. Called by the figure's cell rules.
int startAnim(int x, int y, int kind) {
    for (AnimObject& a : world.aos) {
        if (!a.active || a.x != x || a.y != y) continue;
        a.kind = kind;
        a.counter = 0;
        return 0;
    }
    for (AnimObject& a : world.aos) {
        if (a.active) continue;
        setAnimation(a, x, y, kind);
        return 1;
    }
    return 0;
}

// One update of every active object in slot order. Called by the game flow
// first thing in the frame, before the monsters and the figure move.
void updateAnims() {
    for (AnimObject& a : world.aos)
        if (a.active) updateAnimation(a);
}

// Frees every slot. Called by initStuff when the game starts and by every level start.
void resetAnims() {
    for (AnimObject& a : world.aos) a.active = 0;
}
