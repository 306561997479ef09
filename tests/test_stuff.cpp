// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Score, lives and the saved game: points and the extra life per hundred,
// the cap, the four saved bytes and every file the reader must refuse.
#include <gtest/gtest.h>
#include "5world/world.h"

#include <climits>
#include <cstdlib>
#include <vector>

#include "7game/stuff.h"
#include "testutil.h"

namespace {

class Stuff : public ::testing::Test {
protected:
    ScratchDir dir;
    void TearDown() override { world.play = Play(); }
};

// The four bytes for a key and a level count.
std::vector<uint8_t> saveBytes(int key, int n) {
    const uint8_t kh = (uint8_t)(key >> 8), kl = (uint8_t)key;
    return {kh, (uint8_t)(kl ^ n), kl, (uint8_t)(kh ^ n)};
}

} // namespace

TEST_F(Stuff, PointsAndOneLifePerCallForANewHundred) {
    const struct {
        int32_t score, lives, points, newScore, newLives;
    } cases[] = {
        {99, 6, 1, 100, 7},    {9998, 6, 1, 9999, 6}, {9999, 6, 5, 9999, 6},    {80, 6, 250, 330, 7},
        {99, 99, 1, 100, 99},  {98, 98, 5, 103, 99},  {0, 6, INT_MAX, 9999, 7}, {9900, 6, 200, 9999, 6},
        {9899, 6, 1, 9900, 7}, {50, 6, 0, 50, 6},     {199, 6, 1000, 1199, 7},  {0, 6, 99, 99, 6},
    };
    for (const auto& c : cases) {
        world.play.score = c.score;
        world.play.lives = c.lives;
        addScore(c.points);
        EXPECT_EQ(world.play.score, c.newScore) << c.score << " + " << c.points;
        EXPECT_EQ(world.play.lives, c.newLives) << c.score << " + " << c.points;
    }
}

TEST_F(Stuff, TheSavedGameIsFourBytesOfKeyAndLevelCountAndReadsBack) {
    writeFile("savegame.dat", std::vector<uint8_t>(100, 0x55)); // replaced whole
    for (int lv = 2; lv <= 16; lv++) {
        srand(lv * 7919);
        world.play.level = lv;
        saveGame();
        EXPECT_EQ(world.play.saved, lv - 1);
        const std::vector<uint8_t> b = readFile("savegame.dat");
        ASSERT_EQ(b.size(), 4u);
        const int key = b[0] * 256 + b[2];
        EXPECT_TRUE(key != 0 && key != 0xFFFF) << key;
        EXPECT_EQ(b, saveBytes(key, lv - 1));
        world.play.saved = 0;
        EXPECT_EQ(loadGame(), lv - 1);
    }
    srand(42); // the same draws give the same bytes
    saveGame();
    const std::vector<uint8_t> first = readFile("savegame.dat");
    srand(42);
    saveGame();
    EXPECT_EQ(readFile("savegame.dat"), first);
}

TEST_F(Stuff, TheReaderRefusesEveryBadFile) {
    EXPECT_EQ(loadGame(), 0); // no file
    const struct {
        std::vector<uint8_t> bytes;
        int32_t result;
    } cases[] = {
        {{}, 0},
        {{0x12, 0x37, 0x34}, 0},               // short
        {{0x00, 0x05, 0x00, 0x05}, 0},         // key 0
        {saveBytes(0xFFFF, 5), 0},             // key 0xFFFF
        {{0x12, 0x34 ^ 3, 0x34, 0x12 ^ 4}, 0}, // bytes 1 and 3 disagree
        {saveBytes(0x1234, 0), 0},             // nothing completed
        {saveBytes(0x1234, 1), 1},             // the first level done
        {saveBytes(0x1234, 16), 16},           // all done: straight to the ending
        {saveBytes(0x1234, 17), 0},            // more levels than there are
        {saveBytes(0x0001, 2), 2},             // a small key is still a key
        {saveBytes(0xFF00, 7), 7},             // so is one with a full high byte
        {{0x80, 0x80, 0x80, 0x80}, 0},         // the count folds to 0
    };
    for (const auto& c : cases) {
        writeFile("savegame.dat", c.bytes);
        EXPECT_EQ(loadGame(), c.result) << c.bytes.size() << " bytes";
    }
}
