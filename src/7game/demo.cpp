// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Reading demo files: a few "<key> <number>" lines, then runs of frame inputs
// "<mask> <frames>"; lines starting with # are comments.
#include "7game/demo.h"

#include "7game/run.h"
#include "4io/input.h"

#include <cstdio>
#include <cstring>

namespace {

// The lines before the inputs, each "<key> <number>".
const struct {
    const char* key;
    int Demo::*field;
} demoFields[] = {
    {"level", &Demo::level}, {"frames", &Demo::frames}, {"score", &Demo::score}, {"lives", &Demo::lives}};

} // namespace

// Reads a demo file whole. Called by the demo test and the frame-cost benchmark.
std::string readDemo(const std::string& path, Demo& d) {
    FILE* f = fopen(path.c_str(), "r");
    if (!f) return "cannot open " + path;
    char line[512], key[16];
    std::string err;
    for (int n = 1; err.empty() && fgets(line, sizeof(line), f); n++) {
        int a = 0, b = 0, known = 0;
        line[strcspn(line, "\n")] = '\0';
        if (line[0] == '#') continue;
        if (sscanf(line, "%d %d", &a, &b) == 2) {
            // A run of one mask; a demo longer than the level's time cannot be a finished level.
            known = a >= 0 && a <= 15 && b >= 1 && d.inputs.size() + b <= (size_t)LEVEL_TIME;
            if (known) d.inputs.insert(d.inputs.end(), b, (uint8_t)a);
        } else if (sscanf(line, "%15s %d", key, &a) == 2 && d.inputs.empty()) {
            for (const auto& fd : demoFields)
                if (!strcmp(key, fd.key)) d.*fd.field = a, known = 1;
        }
        if (!known) err = "line " + std::to_string(n) + " of " + path + " not understood: " + line;
    }
    fclose(f);
    return err;
}

// Holds the controls of one recorded frame. Called by every replay before the world moves.
void applyDemoInput(uint8_t mask) {
    inputSetHeld(mask);
}
