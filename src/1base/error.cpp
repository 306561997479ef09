// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The fatal-error exit used by start-up and the resource loaders, the end after a
// stop signal, and the one list of what the program's end gives back.
#include "1base/error.h"

#include <cstdio>
#include <cstdlib>

void (*errorHook)() = nullptr;
void (*stopHook)() = nullptr;

namespace {

struct ExitFunction {
    void (*fn)();
    bool runOnError;
};

constexpr int MAX_EXIT_FUNCTIONS = 8; // the display and SDL; room to spare
ExitFunction exitFunctions[MAX_EXIT_FUNCTIONS];
int exitCount = 0;

// Runs the registered functions newest first, all of them or those for errors,
// each taken off the list before it runs: one that ends in error() is not run again.
void runRegistered(bool onError) {
    while (exitCount > 0) {
        const ExitFunction f = exitFunctions[--exitCount];
        if (!onError || f.runOnError) f.fn();
    }
}

} // namespace

// Registers a function for the program's end. Called by videoInit (the display
// and SDL); a second registration of the same function changes nothing.
void atExit(void (*fn)(), bool runOnError) {
    for (int i = 0; i < exitCount; i++)
        if (exitFunctions[i].fn == fn) return;
    if (exitCount < MAX_EXIT_FUNCTIONS) exitFunctions[exitCount++] = {fn, runOnError};
}

// Runs every registered function, newest first. Called by exitGame at its end
// and by the tools that open the display.
void runExitFunctions() {
    runRegistered(false);
}

// Prints the message and its detail and ends the program with status 1, after the
// exit functions for errors (the console gets its mode back). Called wherever the
// game cannot go on (video, audio, a missing resource).
void error(const char* message, const char* detail) {
    printf("%s: %s\n", message ? message : "unknown", detail ? detail : "unknown");
    fflush(stdout);
    if (errorHook) errorHook();
    runRegistered(true);
    exit(1);
}

// Ends the program in order after a stop signal: the game's own end first (set
// by start-up), then status 0. Called by checkInput at the start of a frame.
void exitOnStopSignal() {
    if (stopHook) stopHook();
    exit(0);
}
