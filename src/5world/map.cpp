// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The level map and its queries.
#include "5world/map.h"
#include "5world/world.h"

#include <cstdlib>

#include "1base/error.h"
#include "1base/text.h"
#include "2platform/zda.h"
#include "5world/monsters.h"

namespace {

const char* const TEST_MAP = "mapsen/test.bin"; // the plain test level of "-t"
constexpr int FILE_HEAD = 2;                    // the column count before the cells

enum { F_SOLID = 1, F_LETHAL = 2, F_WATER = 4 };

// Runs of block codes and what they are; every other code is passable scenery.
struct BlockRun {
    int first, last, flags;
};
constexpr BlockRun blockRuns[] = {
    {20, 23, F_SOLID},    {40, 40, F_SOLID},   {43, 44, F_SOLID},   {63, 64, F_SOLID},   {69, 69, F_SOLID},
    {89, 89, F_SOLID},    {128, 136, F_SOLID}, {180, 183, F_SOLID}, {200, 203, F_SOLID}, {105, 105, F_LETHAL},
    {140, 140, F_LETHAL}, {85, 85, F_WATER},   {145, 146, F_WATER}, {160, 166, F_WATER},
};

struct BlockTable {
    uint8_t flags[256];
};

// Spreads the runs over one entry per code, at compile time.
constexpr BlockTable makeBlockTable() {
    BlockTable t{};
    for (const BlockRun& r : blockRuns)
        for (int c = r.first; c <= r.last; c++) t.flags[c] = (uint8_t)(t.flags[c] | r.flags);
    return t;
}
constexpr BlockTable blockTable = makeBlockTable();

// Flags of a code; codes outside 0-255 are plain scenery.
int blockFlags(int32_t code) {
    return (code & ~255) ? 0 : blockTable.flags[code];
}

// What the column scan does with a code: start a monster of a kind (0 none) and leave a code behind.
struct Spawn {
    int32_t code, kind, leaves;
};
constexpr Spawn spawns[] = {
    {9, 1, 0}, {13, 2, 0}, {33, 3, 0}, {53, 5, BLK_WATER}, {67, 6, 0}, {121, 6, 0}, {87, 0, BLK_SPIKES_ARMED},
};

// The exit door's four cells (column and row offsets from its top-left cell), closed and open.
constexpr int doorOffsets[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
constexpr int32_t doorCodes[2][4] = {{38, 39, 58, 59}, {27, 28, 47, 48}};

} // namespace

// Loads and prepares a level: cells, items, door, start checkpoint, the
// monsters in view, and the scroll position. Called by the game flow at each
// level start and after each lost life.
void loadLevel(const char* name) {
    int32_t size = 0;
    const int language = (lang_id >= 0 && lang_id < 4) ? lang_id : 0;
    uint8_t* file = name ? loadZDAFile(maps[language], name, "bin", &size) : loadBINFile(TEST_MAP, &size);
    world.map.step = 0;
    // A file shorter than its head promises has lost its end, and with it maybe
    // the floor or the door of the last columns: refuse it like a missing one
    // rather than pad it into a level nobody can finish.
    if (!file || size < FILE_HEAD ||
        size - FILE_HEAD < MAP_ROWS * ((int32_t)file[0] + 256 * (int32_t)file[1] + 1)) {
        free(file);
        error("Can't load file", name ? name : TEST_MAP);
    }
    world.map.mapLength = (int32_t)file[0] + 256 * (int32_t)file[1] + 1;
    world.map.mapData.assign((size_t)world.map.mapLength * MAP_ROWS, 0);

    const int32_t cells = world.map.mapLength * MAP_ROWS;
    world.map.door = NO_DOOR;
    for (int32_t i = 0; i < cells; i++) {
        world.map.mapData[i] = file[FILE_HEAD + i];
        if (world.map.mapData[i] == BLK_DOOR_OPEN) world.map.door = i;
    }
    free(file);

    int32_t x0 = world.map.startx - CELL;
    if (x0 < 0) x0 = 0;
    world.map.step = x0 - VIEW_W;
    if (getBlockAtPos(world.map.startx, world.map.starty) == BLK_CHECKPOINT)
        setBlock(world.map.startx >> 4, world.map.starty >> 4, BLK_CHECKPOINT_LIT);
    for (int k = 0; k <= VIEW_W / CELL; k++) tileScan(x0 + CELL * k);
    moveForward(VIEW_W);
    // A map no wider than the view would leave the view left of column 0; it
    // stays at 0 instead, and moveForward never moves it on such a map.
    if (world.map.step < 0) world.map.step = 0;

    // Items left of the view cannot be reached any more (it never scrolls back),
    // so after a checkpoint they do not count. Near the map's end the view stops
    // left of the checkpoint, and the items in between are in view: they count.
    int32_t items = 0;
    for (int32_t i = 0; i < cells; i++)
        if (world.map.mapData[i] == BLK_ITEM && CELL * (i / MAP_ROWS) >= world.map.step) items++;
    world.map.stars = items;
    if (world.map.stars != 0) setDoor(0);
}

// The code of the cell holding a pixel; 0 outside the map. Called by the figure and the drawing.
int getBlockAtPos(int x, int y) {
    if (world.map.mapData.empty() || x < 0 || x >= world.map.mapLength * CELL || y < 0 || y > MAP_BOTTOM)
        return 0;
    return world.map.mapData[(x >> 4) * MAP_ROWS + (y >> 4)];
}

// Solid test for the figure and the monsters. The map's left and right ends
// are walls, the sky above repeats row 0, and below the map is open so that
// things can fall out.
int isSolidPos(int x, int y) {
    if (world.map.mapData.empty() || x < 0 || x >= world.map.mapLength * CELL) return 1;
    if (y > MAP_BOTTOM) return 0;
    if (y < 0) y = 0;
    return (blockFlags(world.map.mapData[(x >> 4) * MAP_ROWS + (y >> 4)]) & F_SOLID) ? 1 : 0;
}

// Spikes and lethal blocks, inside the map only. Called by the figure's corner test.
int isLeathalPos(int x, int y) {
    return (blockFlags(getBlockAtPos(x, y)) & F_LETHAL) ? 1 : 0;
}

// The water codes. Called by the figure's air rule.
int isWaterBlock(int code) {
    return (blockFlags(code) & F_WATER) ? 1 : 0;
}

// 1 for the codes the figure and the monsters stand on. Called by the level check.
int isSolidBlock(int code) {
    return (blockFlags(code) & F_SOLID) ? 1 : 0;
}

// 1 for the codes that kill on touch. Called by the level check.
int isLethalBlock(int code) {
    return (blockFlags(code) & F_LETHAL) ? 1 : 0;
}

// Changes one cell; positions outside the map are ignored. Called by the
// animated objects, the door and loadLevel.
void setBlock(int column, int row, int code) {
    if (world.map.mapData.empty() || row < 0 || row >= MAP_ROWS || column < 0 ||
        column >= world.map.mapLength)
        return;
    world.map.mapData[column * MAP_ROWS + row] = code;
}

// Sets the start and restart point. Called by the game flow and by checkpoints.
void setStart(int x, int y) {
    world.map.startx = x;
    world.map.starty = y;
}

// Column scan: starts the monsters of the column holding x and arms its spike
// traps. Spawn codes are cleared even when no monster slot is free, so a
// column passed many times by the view starts each monster once.
void tileScan(int x) {
    if (world.map.mapData.empty() || x < 0 || x >= world.map.mapLength * CELL) return;
    int32_t* column = world.map.mapData.data() + (x >> 4) * MAP_ROWS;
    for (int r = 0; r < MAP_ROWS; r++) {
        for (const Spawn& s : spawns) {
            if (column[r] != s.code) continue;
            if (s.kind) startMonster(x, CELL * r, s.kind);
            column[r] = s.leaves;
            break;
        }
    }
}

// Scrolls the view up to n pixels, one at a time, scanning the column that is
// about to come into view. Called by the figure, the title demo and loadLevel.
void moveForward(int n) {
    for (int i = 0; i < n; i++) {
        if (world.map.step + VIEW_W < world.map.mapLength * CELL - 1) world.map.step++;
        if (world.map.step + VIEW_W + CELL < world.map.mapLength * CELL)
            tileScan(world.map.step + VIEW_W + CELL);
    }
}

// Writes the exit door's cells. A level without a door, or with its door at
// the right or bottom edge, gets only the cells that exist. Called by
// loadLevel (closed) and by the last item (open).
void setDoor(int open) {
    if (world.map.door < 0) return;
    const int column = world.map.door / MAP_ROWS, row = world.map.door % MAP_ROWS;
    for (int k = 0; k < 4; k++)
        setBlock(column + doorOffsets[k][0], row + doorOffsets[k][1], doorCodes[open ? 1 : 0][k]);
}

// Frees the map. Called by exitGame.
void freeLevel() {
    std::vector<int32_t>().swap(world.map.mapData);
    world.map.mapLength = 0;
    world.map.step = 0;
    world.map.stars = 0;
}
