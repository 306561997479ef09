// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Frame pacing by busy-waiting on the millisecond clock.
#include "2platform/fps.h"

#include "2platform/sys.h"

uint32_t fpsCurTick = 0;
uint32_t fpsGrpTick = 0;
int32_t cntFrames = 0;
int32_t fpsSum = 0;
int skipFrame = 0;

namespace {
constexpr int32_t FRAME_BUDGET = 17; // first and second frame of a group
constexpr int32_t GROUP_BUDGET = 50; // the whole group, measured at its third frame
} // namespace

// Forgets all debt and starts a new group now. Called at the start of every frame loop.
void initFPS() {
    fpsCurTick = fpsGrpTick = sysTicks();
    skipFrame = 0;
    cntFrames = 0;
    fpsSum = 0;
}

// Ends one frame. Called once per frame by every frame loop, after drawing.
void controlFPS() {
    uint32_t prev = fpsCurTick;
    uint32_t now = sysTicks();
    fpsCurTick = now;
    int32_t budget, elapsed;
    if (cntFrames < 2) {
        budget = FRAME_BUDGET;
        elapsed = (int32_t)(now - prev);
    } else {
        // The third frame closes the group: its time counts from the group's start.
        budget = GROUP_BUDGET;
        elapsed = (int32_t)(now - fpsGrpTick);
    }
    int32_t sum = fpsSum + elapsed;
    if (sum <= budget) {
        int32_t wait = budget - sum;
        if (wait > 0) sysWaitUntil(fpsCurTick + (uint32_t)wait);
        fpsSum = 0;
        skipFrame = 0;
    } else {
        fpsSum = sum - budget;
        skipFrame = 1;
    }
    fpsCurTick = sysTicks();
    if (cntFrames == 2) {
        cntFrames = 0;
        fpsGrpTick = fpsCurTick;
    } else {
        cntFrames++;
    }
}
