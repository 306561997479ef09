// Animated objects: the code each kind writes, update by update, the restart
// at a busy cell, a full pool, and cells outside the map.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "world/anims.h"
#include "world/map.h"

namespace {

class Anims : public ::testing::Test {
protected:
    void SetUp() override {
        resetAnims();
        freeLevel();
        // an empty map of 30 columns, every cell 99 so that each write shows
        mapLength = 30;
        mapData = (int32_t*)malloc(sizeof(int32_t) * 30 * MAP_ROWS);
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
    // Runs an object of a kind at cell (3, 4) to its end; the codes the cell showed after each update.
    std::vector<int32_t> run(int kind) {
        std::vector<int32_t> seen;
        EXPECT_EQ(startAnim(48, 64, kind), 1);
        for (int i = 0; i < 40 && busy(); i++) {
            updateAnims();
            seen.push_back(mapData[3 * MAP_ROWS + 4]);
        }
        return seen;
    }
};

using V = std::vector<int32_t>;

} // namespace

TEST_F(Anims, EveryKindWritesItsSequenceAndEnds) {
    EXPECT_EQ(run(ANIM_BRICK), V({200, 200, 201, 201, 202, 202, 203, 203, 0, 0, 0}));
    EXPECT_EQ(run(ANIM_FLOOR), V({180, 180, 181, 181, 182, 182, 183, 183, 0, 0, 0}));
    EXPECT_EQ(run(ANIM_SPIKES), V({0, 0, 87, 87, 105, 105, 105}));
    EXPECT_EQ(run(ANIM_SHINE), V({80, 80, 100, 100, 120, 120, 20, 20, 20}));
    EXPECT_EQ(run(ANIM_TRAPDOOR), V({89, 89, 89, 89, 69}));
    EXPECT_EQ(run(ANIM_CHECKPOINT), V({17, 17, 17, 17, 17, 17, 18, 18, 18, 18, 18, 18, 19, 19, 19, 19}));
    mapData[3 * MAP_ROWS + 4] = 41;
    EXPECT_EQ(run(ANIM_PICKUP), V({0}));
    // only the object's own cell changed
    mapData[3 * MAP_ROWS + 4] = 99;
    for (int i = 0; i < 30 * MAP_ROWS; i++) ASSERT_EQ(mapData[i], 99) << i;
}

TEST_F(Anims, TheEndStatesOfCrumblingAndShining) {
    // a crumbling brick stays solid until it is gone; a shining block is passable until it is back
    startAnim(48, 64, ANIM_BRICK);
    for (int i = 0; i < 8; i++) {
        updateAnims();
        EXPECT_EQ(isSolidPos(50, 70), 1) << i;
    }
    updateAnims();
    EXPECT_EQ(isSolidPos(50, 70), 0);
    startAnim(80, 64, ANIM_SHINE);
    for (int i = 0; i < 6; i++) {
        updateAnims();
        EXPECT_EQ(isSolidPos(85, 70), 0) << i;
    }
    updateAnims();
    EXPECT_EQ(isSolidPos(85, 70), 1);
}

TEST_F(Anims, ASecondStartAtTheSameCellRestartsIt) {
    EXPECT_EQ(startAnim(48, 64, ANIM_BRICK), 1);
    updateAnims();
    updateAnims();
    updateAnims();
    EXPECT_EQ(aos[0].counter, 3);
    EXPECT_EQ(startAnim(48, 64, ANIM_SHINE), 0);
    EXPECT_EQ(busy(), 1);
    EXPECT_EQ(aos[0].kind, ANIM_SHINE);
    EXPECT_EQ(aos[0].counter, 0);
    updateAnims();
    EXPECT_EQ(mapData[3 * MAP_ROWS + 4], 80);
    // another cell takes the next slot
    EXPECT_EQ(startAnim(64, 64, ANIM_BRICK), 1);
    EXPECT_EQ(aos[1].x, 64);
    // a freed slot is taken again, lowest first
    aos[0].active = 0;
    EXPECT_EQ(startAnim(0, 0, ANIM_PICKUP), 1);
    EXPECT_EQ(aos[0].x, 0);
    EXPECT_EQ(aos[0].kind, ANIM_PICKUP);
}

TEST_F(Anims, AFullPoolRefusesTheSeventeenth) {
    for (int i = 0; i < MAX_ANIMS; i++) EXPECT_EQ(startAnim(16 * i, 0, ANIM_CHECKPOINT), 1);
    AnimObject before[MAX_ANIMS];
    for (int i = 0; i < MAX_ANIMS; i++) before[i] = aos[i];
    EXPECT_EQ(startAnim(16 * 20, 0, ANIM_BRICK), 0);
    for (int i = 0; i < MAX_ANIMS; i++) {
        EXPECT_EQ(aos[i].x, before[i].x);
        EXPECT_EQ(aos[i].kind, before[i].kind);
        EXPECT_EQ(aos[i].counter, before[i].counter);
    }
    updateAnims();
    EXPECT_EQ(mapData[20 * MAP_ROWS], 99);
    // a restart still works in a full pool
    EXPECT_EQ(startAnim(16 * 5, 0, ANIM_PICKUP), 0);
    EXPECT_EQ(aos[5].kind, ANIM_PICKUP);
}

TEST_F(Anims, ACellOutsideTheMapIsNotWrittenButTheObjectEndsOnTime) {
    const int cells[][2] = {{-16, 0}, {30 * 16, 0}, {0, -16}, {0, 192}, {-1, 0}};
    for (const auto& c : cells) {
        resetAnims();
        EXPECT_EQ(startAnim(c[0], c[1], ANIM_BRICK), 1);
        int updates = 0;
        while (busy() && updates < 50) {
            updateAnims();
            updates++;
        }
        EXPECT_EQ(updates, 11);
    }
    for (int i = 0; i < 30 * MAP_ROWS; i++) ASSERT_EQ(mapData[i], 99) << i;
}

TEST_F(Anims, AnUnknownKindWritesNothingAndFreesItsSlot) {
    for (int kind : {0, 3, 9, -1}) {
        resetAnims();
        startAnim(48, 64, kind);
        updateAnims();
        EXPECT_EQ(busy(), 0) << kind;
    }
    for (int i = 0; i < 30 * MAP_ROWS; i++) ASSERT_EQ(mapData[i], 99) << i;
}

TEST_F(Anims, ObjectsOutliveALevelLoadAndWriteIntoTheNewMap) {
    startAnim(48, 64, ANIM_SPIKES);
    updateAnims();
    // a new map of the same size arrives
    free(mapData);
    mapData = (int32_t*)calloc(30 * MAP_ROWS, sizeof(int32_t));
    for (int i = 0; i < 3; i++) updateAnims();
    EXPECT_EQ(mapData[3 * MAP_ROWS + 4], 87);
    // the single-record form does nothing for a free slot
    AnimObject idle = {48, 64, 0, ANIM_SPIKES, 0};
    updateAnimation(idle);
    EXPECT_EQ(idle.counter, 0);
}
