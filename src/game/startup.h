// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Start-up, command line and shutdown of the game, and the one fatal-error exit.
#pragma once

// What the command line chose.
struct StartOptions {
    int zoom;       // open a 640 x 480 SDL video mode instead of the GPU display path
    int fullScreen; // the 640 x 480 mode is full-screen
    int bpp;        // bits per pixel of the video mode and the frame surface
    int test;       // test mode: intro from the graphic-set screen, then the test level
    int help;       // "-h" was given: print the help and stop
};

extern const char* const helpLines[8]; // the eight lines "-h" prints

// Prints "message: detail" (detail "unknown" when absent) on standard output and ends with status 1.
[[noreturn]] void error(const char* message, const char* detail);
// Called by error() after the message instead of ending the program, when set: the fuzz targets and the soak
// use it to go on with their next input. It must not return; if it does, the program ends as usual.
extern void (*errorHook)();

// Reads the arguments in order, later ones overriding earlier ones; stops at "-h". Sets aa2 and s2x.
void parseArgs(int argc, char** argv, StartOptions* opts);
void printHelp(); // the help text on standard output

int blompMain(int argc, char** argv); // the whole program: start-up, intro, game, shutdown
int exitGame();                       // releases everything in its fixed order; returns 0
void exitOnStopSignal();              // exitGame, then the program ends with status 0
