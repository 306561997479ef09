// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The keyboard on the console display: SDL has no window there, so key presses
// are read from the kernel's input devices and handed to SDL's event queue, where
// the game's input code finds them as from any window. Pads stay with SDL.
#pragma once

#include <cstdint>

constexpr int MAX_KEYBOARDS = 8; // keyboards read at once

void evdevOpen();          // opens and grabs every keyboard among /dev/input/event*, watches for new ones
void evdevClose();         // lets them go
int evdevAdd(int fd);      // reads keys from an open device too (the tests hand in a pipe); 0 when full
int evdevPump();           // turns what the keyboards sent into SDL key events; returns how many
int evdevKeySym(int code); // the SDL key of a kernel key code, 0 for keys the game has no use for
int evdevIsKeyboard(const uint8_t* keyBits, int bytes); // a device with letter keys and no pad buttons

// Where keyboards appear (/dev/input) and the check that takes and grabs one; tests
// point them at a folder of their own and accept pipes.
extern const char* evdevFolder;
extern int (*evdevAccept)(int fd);
