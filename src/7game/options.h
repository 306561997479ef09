// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The options page of the title screen: re-binding keys and pad buttons and
// setting the two volumes.
#pragma once

#include <cstdint>

extern int32_t cfgIndex;  // cursor: 0 keys, 1 pad, 2 music volume, 3 effects volume, 4 back to the menu
extern int32_t cfgCount;  // frames during which input is ignored after a change
extern int32_t cfgStatus; // 0 the page is shown; otherwise a capture of bindings runs
extern int32_t cfgStep;   // bindings made in the running capture

void optionsUpdate();                // one frame of the page's rules: cursor, volumes, starting a capture
void optionsCapture();               // one frame of a running capture of key or pad bindings
void configKey(int32_t* binding);    // offers the last pressed key to a key binding
void configButton(int32_t* binding); // offers the last pressed pad button to a button binding
void optionsDraw();                  // the page over the darkened title
