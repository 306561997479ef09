// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The player figure, driven frame by frame the way the game flow does:
// jumping, hopping, coasting, crawling, scrolling, the cells it touches,
// dying, time and air.
#include <algorithm>
#include <vector>

#include "worldmap.h"

namespace {

class Figures : public WorldTest {
protected:
    void SetUp() override { freshWorld({row(100, '.'), row(100, '#')}); } // a standing figure has y 160
    void frames(int n = 1) {
        for (int i = 0; i < n; i++) worldStep();
    }
    // A figure standing on the floor at x, settled for one frame.
    void stand(int x) {
        placeFigure(fig, x, 160);
        frames();
    }
    // Frames until the figure is back on the floor; the highest y on the way.
    int flight(int* top) {
        int n = 0;
        for (*top = fig.y; n < 200 && (n == 0 || fig.y != 160); n++) {
            frames();
            *top = std::min(*top, (int)fig.y);
        }
        return n;
    }
};

} // namespace

TEST_F(Figures, AJumpRisesFiftyAndLandsOnItsFortyThirdFrameAndAHopRisesFour) {
    int top = 0;
    stand(48);
    input.jump = 1;
    EXPECT_EQ(flight(&top), 43);
    EXPECT_EQ(top, 110);
    frames(30); // still holding the key: no second jump
    EXPECT_EQ(fig.y, 160);
    input.jump = 0;
    frames();
    input.jump = 1; // released and pressed again: a new jump
    frames();
    EXPECT_EQ(fig.y, 155);
    input.jump = 0;
    stand(48);
    fig.bounce = 1; // a stomped monster's bounce
    flight(&top);
    EXPECT_EQ(top, 156);
}

TEST_F(Figures, ReleasedRightCoastsToTheNextMultipleOfEightAndCrawlingMovesOne) {
    stand(32);
    input.right = input.crawl = 1;
    frames(5);
    EXPECT_EQ(fig.x, 37);
    input.right = input.crawl = 0;
    const int coast[] = {38, 40, 40};
    for (int x : coast) {
        frames();
        EXPECT_EQ(fig.x, x);
    }
    EXPECT_EQ(fig.sprite, 65);
}

TEST_F(Figures, TheViewFollowsPastTheThresholdsAndStopsAtTheMapsEnd) {
    const int cases[][2] = {{200, 0}, {201, 1}, {230, 1}, {231, 2}};
    for (const auto& c : cases) {
        world.map.step = 0;
        stand(c[0]);
        EXPECT_EQ(world.map.step, c[1]) << c[0];
    }
    world.map.step = 0;
    placeFigure(fig, 232, 160);
    input.right = 1;
    frames();
    const int onScreen =
        fig.x - world.map.step; // at speed 2 past 230 the figure keeps its place on the screen
    for (int i = 0; i < 50; i++) {
        frames();
        ASSERT_EQ(fig.x - world.map.step, onScreen) << i;
    }
    frames(1000);
    EXPECT_EQ(world.map.step, 100 * 16 - 321);
    EXPECT_EQ(fig.x, 100 * 16 - 16);
}

TEST_F(Figures, AnItemNeverCountsTwiceAndTheLastOneOpensTheDoor) {
    layMap({row(20, '.') + "56" + row(78, '.'), "..*.*" + row(15, '.') + "78" + row(78, '.'), row(100, '#')});
    world.map.door = 20 * MAP_ROWS + 9;
    world.map.stars = 2;
    for (int i = 0; i < MAX_ANIMS; i++) startAnim(16 * (50 + i), 0, ANIM_CHECKPOINT); // every slot busy
    placeFigure(fig, 32, 160);
    frames(4);
    EXPECT_EQ(world.play.score, 1);
    EXPECT_EQ(world.map.stars, 1);
    EXPECT_EQ(cellAt(2, 10), 0);
    placeFigure(fig, 336, 160);
    frames();
    EXPECT_EQ(fig.atClosedDoor, 1);
    EXPECT_EQ(fig.madeIt, 0);
    placeFigure(fig, 64, 160);
    frames();
    EXPECT_EQ(world.map.stars, 0);
    EXPECT_EQ(std::vector<int32_t>({cellAt(20, 9), cellAt(21, 9), cellAt(20, 10), cellAt(21, 10)}),
              std::vector<int32_t>({27, 28, 47, 48}));
    placeFigure(fig, 336, 160);
    frames();
    EXPECT_EQ(haveMadeit(fig), 1);
}

TEST_F(Figures, ACheckpointLightsOnlyAfterTheFigureMovesOn) {
    layMap({".....k" + row(94, '.'), row(100, '#')});
    stand(48);
    input.right = 1;
    int lastOn = -1;
    std::vector<int32_t> seen;
    for (int i = 0; i < 40; i++) {
        frames();
        if ((fig.x + 8) / 16 == 5) lastOn = i; // the checkpoint point is on the cell
        seen.push_back(cellAt(5, 10));
    }
    ASSERT_GT(lastOn, 0);
    EXPECT_EQ(world.map.startx, 80);
    EXPECT_EQ(world.map.starty, 160);
    // 17 while on it and 5 more updates, 18 for 6, then 19 for good
    for (int k = 0; k <= lastOn + 5; k++) EXPECT_EQ(seen[k], 17) << k;
    for (int k = lastOn + 7; k <= lastOn + 12; k++) EXPECT_EQ(seen[k], 18) << k;
    for (int k = lastOn + 13; k < 40; k++) EXPECT_EQ(seen[k], 19) << k;
}

TEST_F(Figures, AFiredSpikeTrapKillsOnItsFifthUpdate) {
    layMap({"...^" + row(96, '.'), row(100, '#')});
    placeFigure(fig, 48, 160);
    frames(5); // the first frame fires the trap
    EXPECT_EQ(fig.dying, 0);
    EXPECT_EQ(cellAt(3, 10), 87);
    frames();
    EXPECT_EQ(cellAt(3, 10), 105);
    EXPECT_EQ(fig.dying, 1);
    EXPECT_STREQ(world.play.messageString, "IMPALED TO DEATH");
}

TEST_F(Figures, TheTrapDoorShutsBehindTheFigure) {
    layMap({".....T" + row(94, '.'), row(100, '#')});
    stand(48);
    input.right = 1;
    for (int i = 0; i < 30 && !world.aos[0].active; i++) {
        EXPECT_EQ(cellAt(5, 10), 88) << fig.x; // open while the figure is on it
        frames();
    }
    EXPECT_GE(fig.x, 96);
    input.right = 0;
    frames(5);
    EXPECT_EQ(cellAt(5, 10), 69);
    input.left = 1; // walking back left, the shut door is a wall
    frames(20);
    EXPECT_EQ(fig.x, 96);
}

TEST_F(Figures, TheDeathFallFromY100TakesOneHundredFiftyEightFrames) {
    placeFigure(fig, 300, 100);
    figureDying(fig, "SUICIDE");
    int n = 0;
    for (; fig.alive && n < 1000; n++) frames();
    EXPECT_EQ(n, 158);
    EXPECT_EQ(fig.x, 300 - 158); // drifting left all the way
    EXPECT_STREQ(world.play.messageString, "SUICIDE");
}

TEST_F(Figures, TimeUpAndDrowning) {
    stand(48);
    frames(6998);
    EXPECT_EQ(fig.alive, 1);
    frames();
    EXPECT_EQ(fig.alive, 0);
    EXPECT_STREQ(world.play.messageString, "TIME UP");
    // under water: 500 frames of air, refilled 2 a frame outside up to 500
    freshWorld({"...w" + row(96, '.'), row(100, '#')});
    stand(48);
    frames(498);
    EXPECT_EQ(fig.alive, 1);
    frames();
    EXPECT_EQ(fig.alive, 0);
    EXPECT_STREQ(world.play.messageString, "DROWNED");
    stand(160);
    world.airLeft = 495;
    frames(3);
    EXPECT_EQ(world.airLeft, 499);
    world.airLeft = 496;
    frames(3);
    EXPECT_EQ(world.airLeft, 500);
}
