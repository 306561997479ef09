// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The fatal-error exit used by start-up and the resource loaders, and the end after a stop signal.
#include "1base/error.h"

#include <cstdio>
#include <cstdlib>

void (*errorHook)() = nullptr;
void (*stopHook)() = nullptr;

// Prints the message and its detail and ends the program with status 1.
// Called wherever the game cannot go on (video, audio, a missing resource).
void error(const char* message, const char* detail) {
    printf("%s: %s\n", message ? message : "unknown", detail ? detail : "unknown");
    fflush(stdout);
    if (errorHook) errorHook();
    exit(1);
}

// Ends the program in order after a stop signal: the game's own end first (set
// by start-up), then status 0. Called by checkInput at the start of a frame.
void exitOnStopSignal() {
    if (stopHook) stopHook();
    exit(0);
}
