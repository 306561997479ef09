// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The display and devices as SDL brings them up: video, the frame surface and the
// display-side surface, the darkening overlay, the caption, the pad, the audio
// subsystem. Start-up calls these in its fixed order and turns a failure into
// its fatal message with platformError's text.
#pragma once
#include <SDL.h>

// The ways a frame reaches the screen, by the names BLOMP_DISPLAY takes.
enum DisplayPath { PATH_AUTO, PATH_KMS, PATH_X11, PATH_HEADLESS, PATH_SDL, NUM_PATHS };

extern SDL_Surface* screen;  // the 320 x 240 frame surface every frame is composed into
extern SDL_Surface* fscreen; // the display-side surface of a 640 x 480 or full-screen mode, else null
extern int videoPath;        // the path in use (after videoOpen: PATH_SDL when the GPU path fell back)
extern int videoForced;      // the player forced a GPU path: no fallback, its failure is fatal

int videoInit();                                  // chooses the path, starts SDL's video; 0 on failure
int videoOpen(int zoom, int fullScreen, int bpp); // the video mode, fscreen and screen; 0 on failure
void videoPresent();                              // shows the finished frame on the display in use
void videoFlipSDL();                              // shows the frame through SDL's window (no GPU display)
void videoClose();                                // the GPU display and the frame surface given back
void videoSetCaption(const char* title);          // the window's caption; the mouse pointer hidden
SDL_Joystick* joystickInit();                     // the first pad when SDL sees one, else null
int audioInit();                                  // SDL's audio subsystem; 0 on failure
int videoOpenOffscreenFrame();   // tests and tools: video and a 16-bit frame surface, no display
void videoCloseOffscreenFrame(); // frees it and stops SDL's video
const char* platformError();     // SDL's last error text
void platformQuit();             // shuts SDL down
