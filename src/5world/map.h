// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The level map: a grid of 16 x 16 cells, 12 rows high, stored column by column.
// Each cell holds a block code that is both its picture and its behaviour.
#pragma once

#include <cstdint>
#include <vector>

constexpr int MAP_ROWS = 12;    // cells per column
constexpr int CELL = 16;        // pixels per cell side
constexpr int MAP_BOTTOM = 191; // lowest pixel row of the map
constexpr int VIEW_W = 320;     // pixels of map the view shows
constexpr int scrollOne = 200;  // the figure right of step + this pushes the view 1 pixel
constexpr int scrollTwo = 230;  // ... and right of step + this, 2 pixels
constexpr int NO_DOOR = -1;     // door when the level has no exit door

// Block codes with a role of their own.
enum {
    BLK_EMPTY = 0,
    BLK_CHECKPOINT = 17,
    BLK_CHECKPOINT_LIT = 19,
    BLK_BUMP = 20,
    BLK_CRUMBLE = 22,
    BLK_EXTRA_LIFE = 26,
    BLK_DOOR_OPEN = 27,   // top-left cell of the open exit door
    BLK_DOOR_EXIT = 48,   // its bottom-right cell: walking in ends the level
    BLK_DOOR_CLOSED = 38, // top-left cell of the closed exit door
    BLK_DOOR_LOCKED = 59, // its bottom-right cell
    BLK_BRICK = 40,
    BLK_ITEM = 41,
    BLK_WATER = 85,
    BLK_SPIKES_ARMED = 86,
    BLK_SPIKES_STORED = 87,
    BLK_TRAPDOOR_OPEN = 88,
};

// The level being played: its cells, the view on them, where the figure
// restarts, the exit door and the items still to collect. Every field is written
// by the map's own functions here.
struct LevelMap {
    std::vector<int32_t> mapData; // mapLength x 12 cells, column-major: cell (m, r) is mapData[m * 12 + r]
    int32_t mapLength = 0;        // number of columns
    int32_t step = 0;             // map x shown at the left edge of the view; only grows in play
    int32_t startx = 16;          // where the figure starts or restarts (pixels)
    int32_t starty = 100;
    int32_t stars = 0;      // items still to collect in the reachable part of the level
    int32_t door = NO_DOOR; // element index of the exit door's top-left cell, NO_DOOR when there is none
};

void loadLevel(const char* name);             // loads a level by name, or the test map when name is null
int getBlockAtPos(int x, int y);              // code of the cell holding pixel (x, y); 0 outside
int isSolidPos(int x, int y);                 // 1 when solid; left and right of the map are solid
int isLeathalPos(int x, int y);               // 1 on spikes or a lethal block
int isWaterBlock(int code);                   // 1 for the water codes
int isSolidBlock(int code);                   // 1 for the codes one stands on
int isLethalBlock(int code);                  // 1 for spikes and the lethal block
void setBlock(int column, int row, int code); // changes one cell; ignored outside the map
void setStart(int x, int y);                  // sets the start/restart point
void tileScan(int x);                         // turns spawn codes of the column holding x into monsters
void moveForward(int n);                      // scrolls the view up to n pixels to the right
void setDoor(int open);                       // writes the exit door's four cells, open or closed
void freeLevel();                             // frees the map (exit)
