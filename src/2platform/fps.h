// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Frame pacing: 60 frames per second in groups of three frames of 17, 17 and
// 16 milliseconds. A late frame is owed back by skipping the drawing of the
// next one, so the game logic keeps its speed on a slow machine.
#pragma once

#include <cstdint>

extern uint32_t fpsCurTick; // clock at the end of the last controlFPS (or at initFPS)
extern uint32_t fpsGrpTick; // clock at the start of the current group of three frames
extern int32_t cntFrames;   // position of the coming frame in its group, 0..2
extern int32_t fpsSum;      // milliseconds owed: how far pacing is behind its budget
extern int skipFrame;       // 1: the frame now beginning is updated but not drawn or presented

void initFPS();    // restarts the measurement; every frame loop calls it when it starts
void controlFPS(); // waits out the frame, or records the debt and skips the next drawing
