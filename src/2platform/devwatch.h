// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The one watch on the device folder (/dev/input): two readers want to know when
// a device node is made, removed or given its rights. The console's keyboards
// take the event nodes that appear; the pads restart SDL's joystick part, since
// SDL 1.2 has no device events and looks for joysticks only when that part
// starts. One inotify watch, read without blocking once a frame, tells both, so
// no frame pays for a rescan it does not need.
#pragma once

enum DevWatchReader { DEVWATCH_KEYBOARDS = 1, DEVWATCH_PADS = 2 };

// Starts the watch on folder (normally /dev/input) for a reader, or adds the reader
// to the running one (the folder of the first stays). 0 when the kernel cannot watch
// it; the pads then hear "maybe" every two seconds instead.
int devWatchOpen(const char* folder, DevWatchReader reader);
// The reader stops listening; the last one ends the watch.
void devWatchClose(DevWatchReader reader);
// Reads what changed since the last call (one read when nothing did): 1 when a pad's
// node came, went or got its rights (or, without a watch, when two seconds have
// passed). The event nodes made meanwhile wait for devWatchNextNode. Never blocks.
int devWatchRead();
// The name of the next event node made or given its rights (oldest first), for the
// keyboards; 0 when none waits.
int devWatchNextNode(char* name, int size);
