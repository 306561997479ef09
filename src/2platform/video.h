// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The display and devices as SDL brings them up: video, the frame surface and the
// display-side surface, the darkening overlay, the caption, the pad, the audio
// subsystem. Start-up calls these in its fixed order and turns a failure into
// its fatal message with platformError's text.
#pragma once
#include <SDL.h>

extern SDL_Surface* screen;  // the 320 x 240 frame surface every frame is composed into
extern SDL_Surface* fscreen; // the display-side surface of a 640 x 480 or full-screen mode, else null
extern int videoForced;      // the player forced a GPU display: no fallback, its failure is fatal

int videoInit();                                  // chooses the display, starts SDL's video; 0 on failure
int videoOpen(int zoom, int fullScreen, int bpp); // the video mode, fscreen and screen; 0 on failure
void videoPresent();                              // shows the finished frame on the display in use
void videoClose();                                // the display and the frame surface given back
const char* videoDisplayName(); // the display in use, as BLOMP_DISPLAY names it ("sdl" after a fallback)
void videoSetCaption(const char* title); // the window's caption; the mouse pointer hidden
SDL_Joystick* joystickInit();            // the first pad when SDL sees one, else null
int audioInit();                         // SDL's audio subsystem; 0 on failure
int videoOpenOffscreenFrame();           // tests and tools: video and a 16-bit frame surface, no display
void videoCloseOffscreenFrame();         // frees it and stops SDL's video
const char* platformError();             // SDL's last error text
void platformQuit();                     // shuts SDL down
