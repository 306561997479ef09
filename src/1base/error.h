// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The ways the program ends: the fatal error, a stop signal (SIGTERM, SIGINT,
// SIGHUP) answered at the next frame, and the orderly end; and the functions
// that give things back when it does.
#pragma once

// Prints "message: detail" (detail "unknown" when absent) on standard output, runs
// the exit functions registered for errors and ends with status 1.
[[noreturn]] void error(const char* message, const char* detail);
// Called by error() after the message instead of ending the program, when set: the fuzz targets and the soak
// use it to go on with their next input. It must not return; if it does, the program ends as usual.
extern void (*errorHook)();
// What a stop signal does once the frame loops notice it: start-up sets it to the
// game's orderly end (everything released, the settings written).
extern void (*stopHook)();
[[noreturn]] void exitOnStopSignal(); // stopHook, then the program ends with status 0

// Registers fn to run when the program ends: always at the orderly end
// (runExitFunctions), and through error() too when runOnError is set. A function
// already registered stays where it is. They run newest first, each once.
void atExit(void (*fn)(), bool runOnError);
void runExitFunctions(); // the orderly end: every registered function, newest first
