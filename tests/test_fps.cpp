// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Frame pacing against the simulated clock.
#include "game/fps.h"
#include "platform/sys.h"

#include <gtest/gtest.h>

namespace {

class Fps : public ::testing::Test {
protected:
    void SetUp() override {
        simStart(1000);
        initFPS();
    }
    void TearDown() override { simStop(); }
    // One frame that takes `work` milliseconds before controlFPS; returns the clock after it.
    uint32_t frame(uint32_t work) {
        simClock += work;
        controlFPS();
        return simClock - 1000;
    }
};

TEST_F(Fps, FramesOfLightWorkEndOnTheGroupGrid) {
    EXPECT_EQ(frame(5), 17u);
    EXPECT_EQ(frame(5), 34u);
    EXPECT_EQ(frame(5), 50u);
    EXPECT_EQ(frame(5), 67u);
    EXPECT_EQ(frame(5), 84u);
    EXPECT_EQ(frame(5), 100u);
    EXPECT_EQ(skipFrame, 0);
    EXPECT_EQ(fpsSum, 0);
}

TEST_F(Fps, ALateFrameIsOwedBackBySkippingTheNext) {
    EXPECT_EQ(frame(25), 25u); // no wait when late
    EXPECT_EQ(fpsSum, 8);
    EXPECT_EQ(skipFrame, 1);
    EXPECT_EQ(frame(5), 34u); // 8 + 5 = 13 <= 17: waits 4 ms
    EXPECT_EQ(fpsSum, 0);
    EXPECT_EQ(skipFrame, 0);
}

TEST_F(Fps, AFrameExactlyOnBudgetNeitherWaitsNorSkips) {
    EXPECT_EQ(frame(17), 17u);
    EXPECT_EQ(skipFrame, 0);
    EXPECT_EQ(fpsSum, 0);
}

TEST_F(Fps, TheThirdFrameMeasuresTheWholeGroupPlusTheDebt) {
    frame(20); // 3 owed
    EXPECT_EQ(fpsSum, 3);
    frame(20); // 3 + 20 = 23 > 17: 6 owed
    EXPECT_EQ(fpsSum, 6);
    // Third frame: 40 ms since the group began plus 6 owed = 46 <= 50, waits 4.
    EXPECT_EQ(frame(0), 44u);
    EXPECT_EQ(skipFrame, 0);
    EXPECT_EQ(cntFrames, 0);
    EXPECT_EQ(fpsGrpTick, 1044u);
}

TEST_F(Fps, InitForgetsTheDebt) {
    frame(100);
    EXPECT_EQ(skipFrame, 1);
    initFPS();
    EXPECT_EQ(skipFrame, 0);
    EXPECT_EQ(fpsSum, 0);
    EXPECT_EQ(cntFrames, 0);
    frame(5);
    EXPECT_EQ(skipFrame, 0);
}

} // namespace
