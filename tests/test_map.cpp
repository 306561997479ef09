// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The level map: loading level files (good, short, odd), the position
// queries beyond the map's edges, the column scan and the scrolling.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "testutil.h"
#include "worldmap.h"

namespace {

class Map : public WorldTest {
protected:
    ScratchDir dir;
    void SetUp() override {
        resetWorld();
        mkdir("mapsen", 0755);
    }
    // Writes the test level and loads it the way "-t" does.
    void load(const std::vector<uint8_t>& bytes) {
        writeFile("mapsen/test.bin", bytes);
        loadLevel(nullptr);
    }
};

using MapDeathTest = Map;

// Loads a level in a child process with its standard output on standard error, where the death test reads it.
void loadAndDie(const char* name) {
    dup2(2, 1);
    loadLevel(name);
}

} // namespace

TEST_F(MapDeathTest, AFileShorterThanItSaysOrMissingEndsTheGame) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::vector<uint8_t> big = levelFile({row(10, '#')});
    big[0] = 43; // 300 columns promised, 10 present
    big[1] = 1;
    // one column promised and eleven cells present; 300 promised and 10 present; not even the count
    const std::vector<std::vector<uint8_t>> files = {std::vector<uint8_t>(13, 0), big, {5}};
    for (const auto& f : files) {
        writeFile("mapsen/test.bin", f);
        EXPECT_EXIT(loadAndDie(nullptr), ::testing::ExitedWithCode(1), "Can't load file: mapsen/test.bin")
            << f.size();
    }
    EXPECT_EXIT(loadAndDie("nosuchplan"), ::testing::ExitedWithCode(1), "Can't load file: nosuchplan");
}

TEST_F(Map, AOneColumnMapHoldsTheViewAndWallsItsRight) {
    std::vector<uint8_t> f(14, 0);
    f[13] = 21;
    f.push_back(9); // bytes after the cells are not read
    load(f);
    EXPECT_EQ(world.map.mapLength, 1);
    EXPECT_EQ(getBlockAtPos(0, 191), 21);
    moveForward(50);
    EXPECT_EQ(world.map.step, 0);
    EXPECT_EQ(isSolidPos(16, 0), 1);
}

TEST_F(Map, TheViewScrollsUpToTheMapsEndOnly) {
    // columns, pixels asked for, where the view stops
    const int cases[][3] = {{20, 400, 0}, {21, 5, 15}, {21, 100, 15}, {40, 10000, 40 * 16 - 321}};
    for (const auto& c : cases) {
        load(levelFile({row(c[0], '.'), row(c[0], '#')}));
        moveForward(c[1]);
        moveForward(1);
        EXPECT_EQ(world.map.step, std::min(c[1] + 1, c[2])) << c[0] << " columns";
    }
}

TEST_F(Map, TheLastDoorClosesWhileItemsRemain) {
    load(levelFile(
        {row(30, '.'), "..12......12..................", "..34......34..*...............", row(30, '#')}));
    EXPECT_EQ(world.map.stars, 1);
    EXPECT_EQ(world.map.door, 10 * 12 + 9);
    EXPECT_EQ(
        std::vector<int32_t>({cellAt(10, 9), cellAt(11, 9), cellAt(10, 10), cellAt(11, 10), cellAt(2, 9)}),
        std::vector<int32_t>({38, 39, 58, 59, 27}));
    load(levelFile({row(30, '.'), "..12" + row(26, '.'), "..34" + row(26, '.'), row(30, '#')}));
    EXPECT_EQ(world.map.stars, 0); // no items: the door stays open
    EXPECT_EQ(cellAt(3, 10), 48);
}

TEST_F(Map, NoDoorOrADoorAtTheEdgeWritesOnlyInsideTheMap) {
    // where the door's top-left cell lies (column, row), and the cell next to it in memory
    const int cases[][2] = {{-1, -1}, {29, 3}, {4, 11}, {29, 11}};
    for (const auto& c : cases) {
        std::vector<uint8_t> f = levelFile({row(30, '*'), row(30, '#')});
        if (c[0] >= 0) f[2 + c[0] * 12 + c[1]] = 27;
        f[2 + 5 * 12] = 99; // the top of column 5 follows the bottom of column 4
        load(f);
        EXPECT_EQ(world.map.door, c[0] < 0 ? NO_DOOR : c[0] * 12 + c[1]);
        std::vector<int32_t> before(world.map.mapData.data(), world.map.mapData.data() + 30 * MAP_ROWS);
        setDoor(1);
        setDoor(0);
        EXPECT_EQ(std::vector<int32_t>(world.map.mapData.data(), world.map.mapData.data() + 30 * MAP_ROWS),
                  before)
            << c[0] << "," << c[1];
        EXPECT_EQ(cellAt(5, 0), 99);
        if (c[0] >= 0) {
            setDoor(1);
            EXPECT_EQ(cellAt(c[0], c[1]), 27);
        }
    }
}

TEST_F(Map, ItemsCountFromTheFirstColumnTheViewShows) {
    std::vector<std::string> rows = {row(150, '.'), row(150, '#')};
    // near the end the view stops left of a restart point: at step 2079 it shows
    // one pixel of column 129, which the figure cannot reach, and all of column 130 on
    rows[0][98] = rows[0][99] = rows[0][120] = rows[0][129] = rows[0][130] = rows[0][140] = rows[0][147] =
        '*';
    rows[0][100] = 'k';
    const struct {
        int startX, stars, step, checkpoint;
    } cases[] = {{16, 7, 0, 17}, {1600, 6, 1584, 19}, {2320, 3, 150 * 16 - 321, 17}};
    for (const auto& c : cases) {
        setStart(c.startX, 160);
        load(levelFile(rows));
        EXPECT_EQ(world.map.stars, c.stars) << c.startX;
        EXPECT_EQ(world.map.step, c.step) << c.startX;
        EXPECT_EQ(cellAt(100, 10), c.checkpoint) << c.startX; // a restart lights it at once
    }
}

TEST_F(Map, QueriesBeyondTheEdges) {
    std::vector<std::string> rows(MAP_ROWS, row(25, '.'));
    rows[0] = "#x.......................";
    rows[11] = "#X......................#";
    load(levelFile(rows));
    const int cases[][5] = {
        // x, y, solid, lethal, block: walls left and right, the sky repeats row 0, open below
        {-1, 100, 1, 0, 0},   {400, 5000, 1, 0, 0}, {5, -40, 1, 0, 0},  {20, -40, 0, 0, 0},
        {5, 191, 1, 0, 21},   {5, 192, 0, 0, 0},    {16, 0, 0, 1, 105}, {16, -1, 0, 0, 0},
        {16, 191, 0, 1, 140}, {384, 180, 1, 0, 21},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isSolidPos(c[0], c[1]), c[2]) << c[0] << "," << c[1];
        EXPECT_EQ(isLeathalPos(c[0], c[1]), c[3]) << c[0] << "," << c[1];
        EXPECT_EQ(getBlockAtPos(c[0], c[1]), c[4]) << c[0] << "," << c[1];
    }
    std::vector<int32_t> before(world.map.mapData.data(), world.map.mapData.data() + 25 * MAP_ROWS);
    for (const auto& c : {-1, 25}) setBlock(c, 0, 5);
    for (const auto& r : {-1, 12}) setBlock(0, r, 5);
    EXPECT_EQ(std::vector<int32_t>(world.map.mapData.data(), world.map.mapData.data() + 25 * MAP_ROWS),
              before);
}

TEST_F(Map, MonstersStartAsTheirColumnNearsTheViewAndOnlyOnce) {
    std::vector<std::string> rows(MAP_ROWS, row(80, '.'));
    rows[11] = row(80, '#');
    rows[10][20] = 'o'; // within the first view: started by the load
    rows[10][21] = 'h'; // x0 + 336: scanned at the end of the load
    const char spawns[] = "ohvpgGss";
    for (int r = 0; r < 8; r++) rows[r + 1][40] = spawns[r];
    load(levelFile(rows));
    EXPECT_EQ(activeIn(world.monst), 2);
    EXPECT_EQ(world.monst[1].x, 336);
    moveForward(303);
    EXPECT_EQ(activeIn(world.monst), 2);
    moveForward(1); // step + 336 reaches column 40
    const int kinds[] = {1, 2, 3, 5, 6, 6};
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(world.monst[2 + i].kind, kinds[i]);
        EXPECT_EQ(world.monst[2 + i].x, 640);
        EXPECT_EQ(world.monst[2 + i].y, 16 * (i + 1));
    }
    EXPECT_EQ(std::vector<int32_t>({cellAt(40, 1), cellAt(40, 4), cellAt(40, 7), cellAt(40, 8)}),
              std::vector<int32_t>({0, 85, 86, 86})); // a piranha leaves its water, spikes arm
    for (int x : {40 * 16, -1, 80 * 16}) tileScan(x); // scanned again, or beyond the ends: nothing
    EXPECT_EQ(activeIn(world.monst), 8);
}
