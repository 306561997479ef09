// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Animated objects: what each kind leaves and when it ends, the restart
// at a busy cell, a full pool, and cells outside the map.
#include <sys/stat.h>
#include <vector>

#include "testutil.h"
#include "worldmap.h"

namespace {

using V = std::vector<int32_t>;

class Anims : public WorldTest {
protected:
    void SetUp() override { // every cell 99 so that each write shows
        freshWorld({row(30, '.')});
        world.map.mapData.assign(30 * MAP_ROWS, 99);
    }
    // Runs one object at (x, y) to its end; what cell (3, 4) showed after each update.
    V run(int x, int y, int kind) {
        V seen;
        startAnim(x, y, kind);
        for (int i = 0; i < 40 && activeIn(world.aos); i++) {
            updateAnims();
            seen.push_back(cellAt(3, 4));
        }
        return seen;
    }
    // only the object's own cell may change
    void expectUntouched() {
        for (int i = 0; i < 30 * MAP_ROWS; i++)
            EXPECT_EQ(world.map.mapData[i], i == 3 * MAP_ROWS + 4 ? world.map.mapData[i] : 99) << i;
    }
};

} // namespace

TEST_F(Anims, EveryKindEndsOnTimeWithItsLastPictureInItsOwnCell) {
    // What stays in the map when the object ends (a bumped brick leaves an empty
    // cell, the shine an item...) and the updates it takes.
    const struct {
        int kind;
        int32_t before, last;
        size_t updates;
    } kinds[] = {
        {ANIM_BRICK, 99, 0, 11},
        {ANIM_FLOOR, 99, 0, 11},
        {ANIM_SPIKES, 99, 105, 7},
        {ANIM_SHINE, 99, 20, 9},
        {ANIM_TRAPDOOR, 99, 69, 5},
        {ANIM_CHECKPOINT, 99, 19, 16},
        {ANIM_PICKUP, 41, 0, 1},
        {3, 99, 99, 1}, // an unknown kind writes nothing and frees its slot
        {-1, 99, 99, 1},
    };
    for (const auto& k : kinds) {
        world.map.mapData[3 * MAP_ROWS + 4] = k.before;
        const V seen = run(48, 64, k.kind);
        EXPECT_EQ(seen.size(), k.updates) << k.kind;
        EXPECT_EQ(cellAt(3, 4), k.last) << k.kind;
        expectUntouched();
    }
}

TEST_F(Anims, ARestartAtABusyCellAndAFullPool) {
    for (int i = 0; i < MAX_ANIMS; i++) EXPECT_EQ(startAnim(16 * i, 64, ANIM_BRICK), 1);
    updateAnims();
    EXPECT_EQ(startAnim(16 * 20, 64, ANIM_BRICK), 0); // the seventeenth is refused
    EXPECT_EQ(startAnim(48, 64, ANIM_SHINE), 0);      // a restart takes over the cell's slot
    EXPECT_EQ(activeIn(world.aos), MAX_ANIMS);
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
    writeFile("mapsen/test.bin", level);
    worldStart(nullptr, 0);
    ASSERT_EQ(cellAt(20, 7), 40);
    startAnim(20 * 16, 7 * 16, ANIM_BRICK); // the figure's head bumps it
    for (int frame = 0; frame < 3; frame++) updateAnims();
    EXPECT_EQ(cellAt(20, 7), 201);
    // the quit dialog is answered yes: the title starts while the brick crumbles
    writeFile("mapsen/test.bin", title);
    worldStart(nullptr, 1);
    EXPECT_EQ(activeIn(world.aos), 0);
    for (int frame = 0; frame < 11; frame++) updateAnims();
    EXPECT_EQ(cellAt(20, 7), 41);
}
