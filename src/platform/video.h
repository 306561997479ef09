// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The display and devices as SDL brings them up: video, the frame surface and the
// display-side surface, the darkening overlay, the caption, the pad, the audio
// subsystem. Start-up calls these in its fixed order and turns a failure into
// its fatal message with platformError's text.
#pragma once

// The ways a frame reaches the screen, by the names BLOMP_DISPLAY takes.
enum DisplayPath { PATH_AUTO, PATH_KMS, PATH_X11, PATH_HEADLESS, PATH_SDL, NUM_PATHS };

extern int videoPath;   // the path in use (after videoOpen: PATH_SDL when the GPU path fell back)
extern int videoForced; // the player forced a GPU path: no fallback, its failure is fatal

int videoInit();                                  // chooses the path, starts SDL's video; 0 on failure
int videoOpen(int zoom, int fullScreen, int bpp); // the video mode, fscreen and screen; 0 on failure
void videoFlipSDL();                              // shows the frame through SDL's window (no GPU display)
void videoClose();                                // the GPU display and the frame surface given back
int videoCreateOverlay();                         // `black`, filled with BLACK, alpha 128; 0 on failure
void videoSetCaption(const char* title);          // the window's caption; the mouse pointer hidden
void joystickInit();                              // opens the first pad when SDL sees one; none is no failure
int audioInit();                                  // SDL's audio subsystem; 0 on failure
int videoOpenOffscreen();    // tests and tools: video, a 16-bit frame surface, the colours and the overlay
void videoCloseOffscreen();  // frees what videoOpenOffscreen made
const char* platformError(); // SDL's last error text
void platformQuit();         // shuts SDL down
