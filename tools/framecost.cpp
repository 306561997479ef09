// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// blompframecost: counts the instructions one frame of the game costs, under
// valgrind's callgrind, so that the numbers are the same on every run and can be
// compared across commits. It replays the recorded demo of every level to its
// door, as the game plays it: the level intro (180 darkened frames, nothing
// moves), then one frame of play per recorded input: the world's update, the
// composition of the frame (drawScreen) and its presentation (flipScreen).
// A separate darken() on the intro frames gives the cost of the darkening alone.
//
//   valgrind --tool=callgrind --callgrind-out-file=<base> blompframecost <base> [options]
//   options: -b24 (24 bits per pixel), -set N (graphic set 0-2, default 1),
//            -levels A-B (default 1-16), -frames N (at most N play frames a level),
//            -every K (count every K-th frame only; the world still moves every
//            frame, so the replay is the same and K times cheaper to run),
//            -worst FILE (save the dearest play frame as a PNG picture),
//            -demos DIR (default ../../tests/demos, from the run folder)
//
// Run in the run folder (it reads data/). scripts/framecost.sh does all of this.
// The counts come from callgrind's own dumps: before each measured step the
// counters are zeroed, after it they are dumped to <base>.<n>, read back and removed.
#include "7game/demo.h"
#include "5world/world.h"
#include "7game/run.h"
#include "7game/stuff.h"
#include "6draw/draw.h"
#include "6draw/font.h"
#include "6draw/gfx.h"
#include "6draw/shot.h"
#include "4io/input.h"
#include "2platform/devwatch.h"
#include "2platform/video.h"
#include "2platform/zda.h"
#include "5world/anims.h"
#include "5world/figure.h"
#include "5world/map.h"
#include "5world/monsters.h"

#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

constexpr int INTRO = 180; // darkened frames of a level's intro

const char* dumpBase = nullptr;  // callgrind's output file; dump n is <base>.<n>
const char* worstShot = nullptr; // where to save the dearest play frame as PNG, or null
long long worstSoFar = 0;        // the dearest play frame of all levels so far
int dumpCount = 0;

// Starts counting a step. Called before every measured step.
void countStart() {
    CALLGRIND_ZERO_STATS;
}

// Ends a step: the instructions since countStart, from callgrind's dump of them.
long long countEnd() {
    CALLGRIND_DUMP_STATS;
    char path[4096];
    snprintf(path, sizeof path, "%s.%d", dumpBase, ++dumpCount);
    FILE* f = fopen(path, "r");
    long long n = -1;
    if (f) {
        char line[512];
        while (n < 0 && fgets(line, sizeof line, f))
            if (strncmp(line, "summary:", 8) == 0) n = atoll(line + 8);
        fclose(f);
        unlink(path);
    }
    if (n < 0) {
        fprintf(stderr, "blompframecost: no callgrind dump %s\n", path);
        exit(1);
    }
    return n;
}

// Sums of one kind of step: how many, the total, and the dearest.
struct Stat {
    long long count = 0, total = 0, worst = 0;
    void add(long long v) {
        count++;
        total += v;
        if (v > worst) worst = v;
    }
    void add(const Stat& s) {
        count += s.count;
        total += s.total;
        if (s.worst > worst) worst = s.worst;
    }
    long long mean() const { return count ? total / count : 0; }
};

// What one level (or all of them) cost.
struct LevelCost {
    Stat update, compose, present, play, intro, darken;
};

// Instructions as thousands with one decimal, "504.3k".
std::string kilo(long long v) {
    char buf[32];
    snprintf(buf, sizeof buf, "%.1fk", v / 1000.0);
    return buf;
}

// One line of the table.
void printRow(const char* name, const LevelCost& c) {
    printf("%-9s %6lld %8s %9s %9s %9s %9s %9s %9s %9s\n", name, c.play.count, kilo(c.update.mean()).c_str(),
           kilo(c.compose.mean()).c_str(), kilo(c.present.mean()).c_str(), kilo(c.play.mean()).c_str(),
           kilo(c.play.worst).c_str(), kilo(c.intro.mean()).c_str(), kilo(c.intro.worst).c_str(),
           kilo(c.darken.mean()).c_str());
}

// Plays level n's intro and demo, counting every step. Returns "" or what went wrong.
std::string measureLevel(int n, const Demo& d, int maxFrames, int every, LevelCost& c, int& worstFrame) {
    inputClear();
    worldPlayLevel(n, levelNames[n]);
    placeMoon();
    const Figure& figure = world.figure;
    // The intro: nothing moves; the play area is darkened under "BLOMP, RUN!".
    for (int frame = 1; frame <= INTRO; frame += every) {
        countStart();
        drawScreen(frame, figure, 0);
        flipScreen();
        c.intro.add(countEnd());
        countStart();
        darken();
        c.darken.add(countEnd());
    }
    const int frames = maxFrames > 0 && maxFrames < (int)d.inputs.size() ? maxFrames : (int)d.inputs.size();
    for (int i = 0; i < frames; i++) {
        applyDemoInput(d.inputs[i]);
        const bool sample =
            i % every == 0; // drawing changes nothing in the world: other frames are not drawn
        if (sample) countStart();
        worldStep();
        const long long u = sample ? countEnd() : 0;
        if (haveMadeit(figure)) break; // in the door: the level ends before this frame is drawn
        if (!isActive(figure)) return "died at frame " + std::to_string(i + 1);
        if (!sample) continue;
        countStart();
        drawScreen(INTRO + 1 + i, figure, 0);
        const long long m = countEnd();
        countStart();
        flipScreen();
        const long long p = countEnd();
        c.update.add(u);
        c.compose.add(m);
        c.present.add(p);
        if (u + m + p > c.play.worst) worstFrame = i + 1;
        if (worstShot && u + m + p > worstSoFar) {
            worstSoFar = u + m + p;
            saveSurfacePNG(screen, worstShot);
        }
        c.play.add(u + m + p);
    }
    return "";
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || !RUNNING_ON_VALGRIND) {
        fprintf(stderr, "usage: valgrind --tool=callgrind --callgrind-out-file=<base> blompframecost <base> "
                        "[-b24] [-set N] [-levels A-B] [-frames N] [-every K] [-worst FILE] [-demos DIR]\n"
                        "(scripts/framecost.sh runs it)\n");
        return 2;
    }
    dumpBase = argv[1];
    int bpp = 16, set = 1, first = 1, last = NUM_LEVEL_NAMES - 1, maxFrames = 0, every = 1;
    std::string demos = "../../tests/demos";
    for (int i = 2; i < argc; i++) {
        if (!strcmp(argv[i], "-b24"))
            bpp = 24;
        else if (!strcmp(argv[i], "-b16"))
            bpp = 16;
        else if (!strcmp(argv[i], "-set") && i + 1 < argc)
            set = atoi(argv[++i]);
        else if (!strcmp(argv[i], "-worst") && i + 1 < argc)
            worstShot = argv[++i];
        else if (!strcmp(argv[i], "-every") && i + 1 < argc)
            every = atoi(argv[++i]);
        else if (!strcmp(argv[i], "-frames") && i + 1 < argc)
            maxFrames = atoi(argv[++i]);
        else if (!strcmp(argv[i], "-demos") && i + 1 < argc)
            demos = argv[++i];
        else if (!strcmp(argv[i], "-levels") && i + 1 < argc &&
                 sscanf(argv[i + 1], "%d-%d", &first, &last) >= 1) {
            if (!strchr(argv[++i], '-')) last = first;
        } else {
            fprintf(stderr, "blompframecost: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (set < 0 || set > 2 || first < 1 || last >= NUM_LEVEL_NAMES || first > last || every < 1) {
        fprintf(stderr, "blompframecost: set 0-2, levels 1-%d, every 1 or more\n", NUM_LEVEL_NAMES - 1);
        return 2;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    // The frame surface and display as the game opens them in its default window mode.
    if (!videoInit() || !videoOpen(0, 0, bpp)) {
        fprintf(stderr, "blompframecost: no video: %s\n", platformError());
        return 1;
    }
    mapColors();
    if (!videoCreateOverlay()) return 1;
    openArchives();
    gfxSet = set;
    loadSpriteFont(set);
    logo = loadGFX(gfxLogo[set], 1, 255, 0, 255);
    loadScenery(set);
    initBlocks(set);
    printf("instructions per frame, set %d, %d bits per pixel, counted every %d. frame "
           "(play = update + compose + present)\n",
           set, bpp, every);
    printf("%-9s %6s %8s %9s %9s %9s %9s %9s %9s %9s\n", "level", "frames", "update", "compose", "present",
           "play", "worst", "dark", "dark max", "darken");
    LevelCost all;
    int worstLevel = 0, worstFrame = 0;
    long long worstPlay = 0;
    int failed = 0;
    for (int n = first; n <= last; n++) {
        Demo d;
        std::string err = readDemo(demos + "/" + levelNames[n] + ".demo", d);
        LevelCost c;
        int frame = 0;
        if (err.empty()) err = measureLevel(n, d, maxFrames, every, c, frame);
        if (!err.empty()) {
            printf("%-9s %s\n", levelNames[n], err.c_str());
            failed++;
            continue;
        }
        printRow(levelNames[n], c);
        if (c.play.worst > worstPlay) worstPlay = c.play.worst, worstLevel = n, worstFrame = frame;
        all.update.add(c.update), all.compose.add(c.compose), all.present.add(c.present);
        all.play.add(c.play), all.intro.add(c.intro), all.darken.add(c.darken);
    }
    printRow("all", all);
    if (all.play.count)
        printf("worst play frame: level %d (%s) frame %d, %s; worst/mean %.2f\n", worstLevel,
               levelNames[worstLevel], worstFrame, kilo(worstPlay).c_str(),
               (double)worstPlay / (double)all.play.mean());
    // The device folder's watch (keyboards and pads that come and go) is read once a
    // frame in checkInput: its cost on a frame where nothing changed (the game's every
    // frame but one in ages), with the keyboards' look for new nodes.
    devWatchOpen("/dev/input", DEVWATCH_KEYBOARDS);
    devWatchOpen("/dev/input", DEVWATCH_PADS);
    Stat watch;
    char node[64];
    for (int i = 0; i < 100; i++) {
        countStart();
        devWatchRead();
        devWatchNextNode(node, sizeof node);
        watch.add(countEnd());
    }
    devWatchClose(DEVWATCH_KEYBOARDS);
    devWatchClose(DEVWATCH_PADS);
    printf("device watch: %lld instructions a frame (mean of %lld), %lld at most\n", (long long)watch.mean(),
           watch.count, watch.worst);
    printf("columns: mean instructions a frame; worst = the dearest play frame; dark = an intro frame "
           "(compose with darken + present), its mean and max; darken = darken() alone\n");
    return failed ? 1 : 0;
}
