// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// blompbench: measures what one frame of the game costs on this machine, so the
// budget of a Pi Zero (16.7 ms a frame for everything) can be checked: the world's
// update and the composition of the frame for each level, and the memory used.
//
//   blompbench [frames per level]      (run in the run folder, which holds data/)
#include "7game/stuff.h"
#include "5world/world.h"
#include "7game/run.h"
#include "6draw/draw.h"
#include "6draw/font.h"
#include "6draw/gfx.h"
#include "4io/input.h"
#include "2platform/video.h"
#include "2platform/zda.h"
#include "5world/anims.h"
#include "5world/figure.h"
#include "5world/map.h"
#include "5world/monsters.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? atoi(argv[1]) : 1200;
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (!videoOpenOffscreen()) {
        fprintf(stderr, "blompbench: no video: %s\n", platformError());
        return 1;
    }
    openArchives();
    gfxSet = 1;
    loadSpriteFont(1);
    initBlocks(1);
    loadScenery(1);
    printf("%-10s %10s %10s %10s\n", "level", "update ms", "draw ms", "worst ms");
    double allUpdate = 0, allDraw = 0, worst = 0;
    for (int lvl = 1; lvl < NUM_LEVEL_NAMES; lvl++) {
        worldPlayLevel(lvl, levelNames[lvl]);
        placeMoon();
        Figure& figure = world.figure;
        double update = 0, draw = 0, levelWorst = 0;
        for (int f = 0; f < frames; f++) {
            inputSetHeld((f % 40) < 20 ? 2 | 4 : 2); // walk right through the level, jumping now and then
            Clock::time_point t0 = Clock::now();
            worldStep();
            double u = msSince(t0);
            Clock::time_point t1 = Clock::now();
            drawScreen(200 + f, figure, 0);
            double d = msSince(t1);
            update += u;
            draw += d;
            if (u + d > levelWorst) levelWorst = u + d;
            if (!figure.alive || figure.dying) placeFigure(figure, world.map.step + 16, 0);
        }
        printf("%-10s %10.4f %10.4f %10.4f\n", levelNames[lvl], update / frames, draw / frames, levelWorst);
        allUpdate += update / frames;
        allDraw += draw / frames;
        if (levelWorst > worst) worst = levelWorst;
    }
    const int n = NUM_LEVEL_NAMES - 1;
    struct rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    printf("%-10s %10.4f %10.4f %10.4f\n", "average", allUpdate / n, allDraw / n, worst);
    printf("peak memory (resident): %ld KiB\n", ru.ru_maxrss);
    return 0;
}
