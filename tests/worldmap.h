// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Test maps drawn as rows of characters, one per cell, bottom rows last;
// missing rows at the top are empty, and so are '.' and unknown characters.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "4io/input.h"
#include "5world/world.h"

// Block code of a map character ("~=" the two halves of the water's surface, "_" the water under it).
inline int32_t cellCode(char c) {
    static const char keys[] = "#*kohvpgGsxX1234wBcL^Tb5678~=_";
    static const int32_t codes[] = {21, 41, 17, 9,  13, 33, 53, 67, 121, 87, 105, 140, 27,  28,  47,
                                    48, 85, 40, 22, 26, 86, 88, 20, 38,  39, 58,  59,  160, 161, 162};
    const char* k = c ? strchr(keys, c) : nullptr;
    return k ? codes[k - keys] : 0;
}

inline std::string row(size_t n, char c) {
    return std::string(n, c);
}

// The code of cell (m, r) a drawn map asks for.
inline int32_t drawnCell(const std::vector<std::string>& rows, size_t m, size_t r) {
    const size_t top = MAP_ROWS - rows.size();
    return r < top ? 0 : cellCode(rows[r - top][m]);
}

// A level file: the column count less one (low byte first), then 12 cells a column.
inline std::vector<uint8_t> levelFile(const std::vector<std::string>& rows) {
    const size_t width = rows[0].size();
    std::vector<uint8_t> out = {(uint8_t)((width - 1) & 0xFF), (uint8_t)((width - 1) >> 8)};
    for (size_t m = 0; m < width; m++)
        for (size_t r = 0; r < MAP_ROWS; r++) out.push_back((uint8_t)drawnCell(rows, m, r));
    return out;
}

// Lays a drawn map straight into memory, without the load's door and item rules.
inline void layMap(const std::vector<std::string>& rows) {
    freeLevel();
    world.map.mapLength = (int32_t)rows[0].size();
    world.map.mapData.assign((size_t)world.map.mapLength * MAP_ROWS, 0);
    for (int m = 0; m < world.map.mapLength; m++)
        for (size_t r = 0; r < MAP_ROWS; r++) world.map.mapData[m * MAP_ROWS + r] = drawnCell(rows, m, r);
}

inline int32_t cellAt(int m, int r) {
    return world.map.mapData[m * MAP_ROWS + r];
}

// A fresh world: a new play-through, full time and air, no map, figure, monsters or
// animated objects, the view at the left, the start point at (16, 100); nothing held.
inline void resetWorld() {
    world = World();
    inputClear();
}

// A fresh world on a drawn map.
inline void freshWorld(const std::vector<std::string>& rows) {
    resetWorld();
    layMap(rows);
}

// How many slots of a pool (world.monst, world.aos) are active.
template <class T, size_t N> int activeIn(const T (&pool)[N]) {
    int n = 0;
    for (const T& x : pool) n += x.active;
    return n;
}

// Tests that start and leave a fresh world; fig is the world's figure.
class WorldTest : public ::testing::Test {
protected:
    Figure& fig = world.figure;
    void SetUp() override { resetWorld(); }
    void TearDown() override { resetWorld(); }
};
