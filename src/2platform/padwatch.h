// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Notices pads being plugged in and pulled out while the game runs. SDL 1.2 has
// no device events and looks for joysticks only when its joystick part starts,
// so the game watches the device folder itself and restarts that part only
// when something there changed: no frame pays for a rescan it does not need.
#pragma once

// Starts watching folder (normally /dev/input); 0 when the kernel cannot watch it,
// and then padWatchChanged answers "maybe" every two seconds instead.
int padWatchOpen(const char* folder);
// 1 when a device appeared, went away or changed its permissions since the last
// call (or, without a watch, when two seconds have passed). Never blocks.
int padWatchChanged();
void padWatchClose();
