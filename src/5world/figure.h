// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The player figure: walking, jumping, falling, dying, and everything it does
// to the cells it touches.
#pragma once

#include <cstdint>

// The figure record; one exists, owned by the game flow and passed by reference.
struct Figure {
    int32_t x, y;                 // top-left of the 16 x 16 box, map pixels
    int32_t vy;                   // vertical speed counter; moves vy / 4 pixels a frame
    int32_t walkCount;            // walk animation counter (up walking right, down walking left)
    int32_t timer;                // alive: frames standing still; after killFigure: 180 counted down
    int32_t sprite;               // tile drawn for the figure
    int32_t alive;                // exists and is drawn
    int32_t dying;                // the death fall runs
    int32_t madeIt;               // entered the open exit door
    int32_t atClosedDoor;         // entered the closed exit door with items missing
    int32_t jumpHeld;             // jumped and the jump key is not yet released
    int32_t bounce;               // a stomped monster asks for a bounce
    int32_t onTrapDoor;           // overlaps an open trap door
    int32_t trapDoorX, trapDoorY; // top-left of the trap-door cell last overlapped
    uint8_t last_left;            // coasting left to the next multiple of 8
    uint8_t last_right;           // coasting right to the next multiple of 8
};

constexpr int FIGURE_FACING = 24;      // the figure facing the viewer
constexpr int FIGURE_DEATH_VY = -16;   // vertical speed at the start of the death fall
constexpr int FIGURE_DEAD_TIMER = 180; // frames of the death countdown after killFigure

void placeFigure(Figure& fig, int x, int y);     // a new figure standing at (x, y), facing the viewer
void stopCoasting(Figure& fig);                  // no coast left over from an earlier run
void updateAlive(Figure& fig);                   // one frame of the figure
int isActive(const Figure& fig);                 // alive and not dying
int haveMadeit(const Figure& fig);               // alive and in the open exit door
int isWet(const Figure& fig);                    // its centre is in water
void figureDying(Figure& fig, const char* text); // starts the death fall
void killFigure(Figure& fig, const char* text);  // removes the figure at once
void eatStar(Figure& fig);                       // one item collected; the last one opens the door
