// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Monsters: blobs, hoglets, bats, piranhas and hat guys, in a fixed pool of slots.
#pragma once

#include <cstdint>

struct Figure;

constexpr int MAX_MONST = 16;      // monster slots
constexpr int NUM_MONST_KINDS = 6; // kinds 1 to 6

// Monster kinds.
enum { MON_BLOB = 1, MON_HOGLET = 2, MON_BAT = 3, MON_DYING_BAT = 4, MON_PIRANHA = 5, MON_HATGUY = 6 };

// One monster slot; free while active is 0.
struct Monster {
    int32_t x, y;      // top-left of the 16 x 16 box, map pixels
    int32_t dx;        // horizontal step per frame; 0 squashed, stunned or dissolving
    int32_t savedDx;   // hat guy: dx when it was stomped
    int32_t vy;        // fall speed counter; falls vy / 3 pixels a frame
    int32_t timer;     // frames since start or the last stomp
    int32_t kind;      // 1 blob, 2 hoglet, 3 bat, 4 dying bat, 5 piranha, 6 hat guy
    int32_t active;    // slot in use
    int32_t stompable; // the figure can land on it
    int32_t hits;      // hat guy: times stomped
};

extern const int REASONS[NUM_MONST_KINDS]; // death text of each kind (kind - 1)

int startMonster(int x, int y, int kind); // takes the lowest free slot; 0 when all are busy
void killMonsters();                      // frees every slot
void updateMonsters(Figure& fig);         // one frame of every monster

// Single-record forms of the same rules.
void setMonster(Monster& m, int x, int y, int kind);
void updateMonster(Monster& m, Figure& fig, int32_t viewStep);
void killMonster(Monster& m);
int monsterPicture(const Monster& m); // tile of a monster this frame, -1 for none
