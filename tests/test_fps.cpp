// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Frame pacing against the simulated clock.
#include "2platform/fps.h"
#include "2platform/sys.h"

#include <gtest/gtest.h>

#include <vector>

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

TEST_F(Fps, FramesWaitForTheGridAndALateOneIsOwedBackBySkippingTheNext) {
    // each frame: the work before controlFPS; then the clock, the skip flag and the debt after it
    // (-1: not checked)
    struct Step {
        uint32_t work, clock;
        int skip, owed;
    };
    const struct {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"light work ends on the group grid",
         {{5, 17, 0, 0}, {5, 34, 0, 0}, {5, 50, 0, 0}, {5, 67, 0, 0}, {5, 84, 0, 0}, {5, 100, 0, 0}}},
        {"late: no wait, then 8 + 5 <= 17 waits 4", {{25, 25, 1, 8}, {5, 34, 0, 0}}},
        {"exactly on budget", {{17, 17, 0, 0}}},
        // third frame: 40 ms since the group began plus 6 owed = 46 <= 50, waits 4
        {"the third frame measures the group plus the debt",
         {{20, 20, -1, 3}, {20, 40, -1, 6}, {0, 44, 0, -1}}},
    };
    for (const auto& c : cases) {
        SetUp();
        for (const Step& s : c.steps) {
            EXPECT_EQ(frame(s.work), s.clock) << c.name;
            if (s.skip >= 0) {
                EXPECT_EQ(skipFrame, s.skip) << c.name << " at " << s.clock;
            }
            if (s.owed >= 0) {
                EXPECT_EQ(fpsSum, s.owed) << c.name << " at " << s.clock;
            }
        }
    }
}

TEST_F(Fps, InitForgetsTheDebt) {
    frame(100);
    ASSERT_EQ(skipFrame, 1);
    initFPS();
    frame(5);
    EXPECT_EQ(skipFrame, 0);
    EXPECT_EQ(fpsSum, 0);
}

} // namespace
