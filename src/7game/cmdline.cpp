// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The command line: a table of options, each setting some of the start-up values.
#include "7game/startup.h"

#include "6draw/gfx.h"

#include <cstdio>
#include <cstring>

const char* const helpLines[8] = {
    "-w : window mode (not fullscreen)",
    "-fs : fullscreen (-x2 automatically added)",
    "-x2 : zoom with no antialiasing",
    "-aa : zoom with antialiasing",
    "-s2x: zoom with antialiasing (requires 16bpp)",
    "-b16 : 16 bits video mode",
    "-b24 : 24 bits video mode (maybe usefull if fade in/fade out looks crappy)",
    "-h : help",
};

namespace {

constexpr int KEEP = -1; // the option leaves this value as it is

// What each option sets; KEEP leaves a value unchanged.
struct Option {
    const char* arg;
    int zoom, fullScreen, aa2, s2x, bpp, test;
};

const Option optionTable[] = {
    {"-w", 0, 0, 0, 0, KEEP, KEEP},
    {"-fs", 1, 1, KEEP, KEEP, KEEP, KEEP},
    {"-x2", 1, KEEP, 0, 0, KEEP, KEEP},
    {"-aa", 1, KEEP, 1, 0, KEEP, KEEP},
    {"-s2x", 1, KEEP, 0, 1, 16, KEEP},
    {"-b16", KEEP, KEEP, KEEP, KEEP, 16, KEEP},
    {"-b24", KEEP, KEEP, KEEP, KEEP, 24, KEEP},
    {"-t", 0, 0, 0, 0, 16, 1},
};

// Stores v unless it is KEEP.
void apply(int* value, int v) {
    if (v != KEEP) *value = v;
}

} // namespace

// Prints the eight help lines. Called by blompMain for "-h".
void printHelp() {
    for (const char* line : helpLines) printf("%s\n", line);
    fflush(stdout);
}

// Parses the arguments into opts and the zoom flags aa2 and s2x. Anything that is
// not exactly an option is ignored. Called by blompMain.
void parseArgs(int argc, char** argv, StartOptions* opts) {
    opts->zoom = 0;
    opts->fullScreen = 0;
    opts->bpp = 16;
    opts->test = 0;
    opts->help = 0;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "-h") == 0) {
            opts->help = 1;
            return; // nothing after "-h" is looked at
        }
        for (const Option& o : optionTable) {
            if (strcmp(argv[i], o.arg) != 0) continue;
            apply(&opts->zoom, o.zoom);
            apply(&opts->fullScreen, o.fullScreen);
            apply(&aa2, o.aa2);
            apply(&s2x, o.s2x);
            apply(&opts->bpp, o.bpp);
            apply(&opts->test, o.test);
        }
    }
}
