// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The two ways the program ends early: the fatal error, and a stop signal
// (SIGTERM, SIGINT, SIGHUP) answered at the next frame.
#pragma once

// Prints "message: detail" (detail "unknown" when absent) on standard output and ends with status 1.
[[noreturn]] void error(const char* message, const char* detail);
// Called by error() after the message instead of ending the program, when set: the fuzz targets and the soak
// use it to go on with their next input. It must not return; if it does, the program ends as usual.
extern void (*errorHook)();
// What a stop signal does once the frame loops notice it: start-up sets it to the
// game's orderly end (everything released, the settings written).
extern void (*stopHook)();
[[noreturn]] void exitOnStopSignal(); // stopHook, then the program ends with status 0
