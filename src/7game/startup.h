// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Start-up, command line and shutdown of the game.
#pragma once
#include "1base/error.h"

// What the command line chose.
struct StartOptions {
    int zoom;       // open a 640 x 480 SDL video mode instead of the GPU display path
    int fullScreen; // the 640 x 480 mode is full-screen
    int bpp;        // bits per pixel of the video mode and the frame surface
    int test;       // test mode: intro from the graphic-set screen, then the test level
    int help;       // "-h" was given: print the help and stop
};

extern const char* const helpLines[8]; // the eight lines "-h" prints

// Reads the arguments in order, later ones overriding earlier ones; stops at "-h". Sets aa2 and s2x.
void parseArgs(int argc, char** argv, StartOptions* opts);
void printHelp(); // the help text on standard output

int blompMain(int argc, char** argv); // the whole program: start-up, intro, game, shutdown
int exitGame();                       // releases everything in its fixed order; returns 0
