// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Demos: a recorded way through a level, the input of every frame from the
// level's first frame of play to the frame the figure enters the door. Made by
// blompplaycheck -d; replayed by the demo test and the frame-cost benchmark.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A recorded way through a level: where it ends and the input of every frame.
struct Demo {
    int level = -1, frames = -1, score = -1, lives = -1;
    std::vector<uint8_t> inputs; // one mask a frame: 1 left, 2 right, 4 jump, 8 crawl
};

// Reads a demo file; returns what is wrong with it, or "" when it was read whole.
std::string readDemo(const std::string& path, Demo& d);
// Sets the held controls (left, right, jump, crawl) from one frame's mask.
void applyDemoInput(uint8_t mask);
