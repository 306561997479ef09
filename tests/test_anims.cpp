// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Animated objects: the code each kind writes update by update, the restart
// at a busy cell, a full pool, and cells outside the map.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <vector>

#include "game/run.h"
#include "testutil.h"
#include "world/anims.h"
#include "worldmap.h"

namespace {

using V = std::vector<int32_t>;

class Anims : public ::testing::Test {
protected:
    // every cell 99 so that each write shows
    void SetUp() override {
        resetAnims();
        layMap({row(30, '.')});
        for (int i = 0; i < 30 * MAP_ROWS; i++) mapData[i] = 99;
    }
    void TearDown() override {
        resetAnims();
        freeLevel();
    }
    int busy() {
        int n = 0;
        for (const AnimObject& a : aos) n += a.active;
        return n;
    }
    // Runs one object at (x, y) to its end; what cell (3, 4) showed after each update.
    V run(int x, int y, int kind) {
        V seen;
        startAnim(x, y, kind);
        for (int i = 0; i < 40 && busy(); i++) {
            updateAnims();
            seen.push_back(cellAt(3, 4));
        }
        return seen;
    }
    // only the object's own cell may change
    void expectUntouched() {
        for (int i = 0; i < 30 * MAP_ROWS; i++)
            EXPECT_EQ(mapData[i], i == 3 * MAP_ROWS + 4 ? mapData[i] : 99) << i;
    }
};

} // namespace

TEST_F(Anims, EveryKindWritesItsSequenceIntoItsOwnCellAndEnds) {
    const struct {
        int kind;
        int32_t before;
        V seen;
    } kinds[] = {
        {ANIM_BRICK, 99, {200, 200, 201, 201, 202, 202, 203, 203, 0, 0, 0}},
        {ANIM_FLOOR, 99, {180, 180, 181, 181, 182, 182, 183, 183, 0, 0, 0}},
        {ANIM_SPIKES, 99, {0, 0, 87, 87, 105, 105, 105}},
        {ANIM_SHINE, 99, {80, 80, 100, 100, 120, 120, 20, 20, 20}},
        {ANIM_TRAPDOOR, 99, {89, 89, 89, 89, 69}},
        {ANIM_CHECKPOINT, 99, {17, 17, 17, 17, 17, 17, 18, 18, 18, 18, 18, 18, 19, 19, 19, 19}},
        {ANIM_PICKUP, 41, {0}},
        {3, 99, {99}}, // an unknown kind writes nothing and frees its slot
        {-1, 99, {99}},
    };
    for (const auto& k : kinds) {
        mapData[3 * MAP_ROWS + 4] = k.before;
        EXPECT_EQ(run(48, 64, k.kind), k.seen) << k.kind;
        expectUntouched();
    }
}

TEST_F(Anims, ARestartAtABusyCellAndAFullPool) {
    for (int i = 0; i < MAX_ANIMS; i++) EXPECT_EQ(startAnim(16 * i, 64, ANIM_BRICK), 1);
    updateAnims();
    EXPECT_EQ(startAnim(16 * 20, 64, ANIM_BRICK), 0); // the seventeenth is refused
    EXPECT_EQ(startAnim(48, 64, ANIM_SHINE), 0);      // a restart takes over the cell's slot
    EXPECT_EQ(busy(), MAX_ANIMS);
    updateAnims();
    EXPECT_EQ(cellAt(3, 4), 80);
    EXPECT_EQ(cellAt(4, 4), 200);
    EXPECT_EQ(cellAt(20, 4), 99);
}

TEST_F(Anims, ACellOutsideTheMapIsNotWrittenButTheObjectEndsOnTime) {
    const int cells[][2] = {{-16, 0}, {30 * 16, 0}, {0, -16}, {0, 192}, {-1, 0}};
    for (const auto& c : cells) {
        EXPECT_EQ(run(c[0], c[1], ANIM_BRICK).size(), 11u) << c[0] << "," << c[1];
        expectUntouched();
        EXPECT_EQ(cellAt(3, 4), 99);
    }
}

TEST_F(Anims, AnObjectStillRunningWhenALevelIsLeftLeavesTheNextMapAlone) {
    ScratchDir dir;
    mkdir("mapsen", 0755);
    // a brick at cell (20, 7) in the level, an item there on the title's map
    std::vector<std::string> rows(MAP_ROWS, row(40, '.'));
    rows[MAP_ROWS - 1] = row(40, '#');
    rows[7][20] = 'B';
    const std::vector<uint8_t> level = levelFile(rows);
    rows[7][20] = '*';
    const std::vector<uint8_t> title = levelFile(rows);
    Figure fig{};
    setStart(16, 100);
    writeFile("mapsen/test.bin", level);
    prepareLevel(fig, nullptr, 0);
    ASSERT_EQ(cellAt(20, 7), 40);
    startAnim(20 * 16, 7 * 16, ANIM_BRICK); // the figure's head bumps it
    for (int frame = 0; frame < 3; frame++) updateAnims();
    EXPECT_EQ(cellAt(20, 7), 201);
    // the quit dialog is answered yes: the title starts while the brick crumbles
    writeFile("mapsen/test.bin", title);
    prepareLevel(fig, nullptr, 1);
    EXPECT_EQ(busy(), 0);
    for (int frame = 0; frame < 11; frame++) updateAnims();
    EXPECT_EQ(cellAt(20, 7), 41);
}
