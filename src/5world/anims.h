// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Animated objects: map cells that change over a few frames (crumbling bricks
// and floors, springing spikes, a shining bump block, a shutting trap door, a
// lighting checkpoint, a vanishing pickup), in a fixed pool of slots.
#pragma once

#include <cstdint>

constexpr int MAX_ANIMS = 16; // animated-object slots

// Animation kinds.
enum {
    ANIM_BRICK = 1,
    ANIM_FLOOR = 2,
    ANIM_SPIKES = 4,
    ANIM_SHINE = 5,
    ANIM_TRAPDOOR = 6,
    ANIM_CHECKPOINT = 7,
    ANIM_PICKUP = 8
};

// One animated object; free while active is 0.
struct AnimObject {
    int32_t x, y;    // top-left pixel of the cell
    int32_t counter; // updates done so far
    int32_t kind;    // ANIM_ kind
    int32_t active;  // slot in use
};

int startAnim(int x, int y, int kind); // 1 when a new object started; restarting one at the cell gives 0
void updateAnims();                    // one update of every active object
void resetAnims();                     // frees every slot

// Single-record forms of the same rules.
void setAnimation(AnimObject& a, int x, int y, int kind); // fills one slot for a new object
void updateAnimation(AnimObject& a);                      // writes its next code; the last one frees it
