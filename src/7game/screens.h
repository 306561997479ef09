// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The intro screens between start-up and the game: language, quotation,
// warning, credits and graphic set, one record of four operations each.
#pragma once

#include <SDL.h>
#include <cstdint>

// One intro screen: a name and its four operations; the table ends with a null name.
struct Screen {
    const char* name;
    int (*init)();
    int (*shutdown)();
    int (*update)(); // non-zero when the screen is finished
    int (*render)(SDL_Surface* target);
};

constexpr int NUM_SCREENS = 5;   // intro screens before the end record
constexpr int NUM_FLAGS = 4;     // one flag per language
constexpr int MUSE_WAIT = 60;    // the quotation ignores input until its frame count reaches this
constexpr int MUSE_MAX = 240;    // ... and its frame count stops here
constexpr int SECRET_DOWNS = 10; // releases of down on the graphic-set screen that choose set 2

extern Screen screens[NUM_SCREENS + 1]; // the intro screens in order, ended by a record without a name
extern int32_t currentScreen;           // index of the running screen
extern const int32_t gameScreen;        // the graphic-set screen, where test mode starts

extern const char* const flags[NUM_FLAGS]; // flag bitmaps in lang_id order
extern SDL_Surface* sprCursor;             // the language cursor (keyed), while the language screen runs
extern SDL_Surface* flag_surf[NUM_FLAGS];  // the flags, while the language screen runs
extern SDL_Surface* muse;                  // the quotation's picture, while that screen runs
extern int32_t museCount;                  // frames since the quotation began, held at MUSE_MAX
extern int32_t warningBlink;               // the warning's blink counter, never reset
extern int32_t opensourceBlink;            // the credits' blink counter, never reset
extern int32_t cnt;                        // releases of down seen by the graphic-set screen

void runScreens(); // the driver: runs the screens from currentScreen on; main, after loading the config

// The operations of each screen, as listed in `screens`.
int languageInit();
int languageShutdown();
int languageUpdate();
int languageRender(SDL_Surface* target);
int museInit();
int museShutdown();
int museUpdate();
int museRender(SDL_Surface* target);
int warningInit();
int warningShutdown();
int warningUpdate();
int warningRender(SDL_Surface* target);
int opensourceInit();
int opensourceShutdown();
int opensourceUpdate();
int opensourceRender(SDL_Surface* target);
int gfxselectInit();
int gfxselectShutdown();
int gfxselectUpdate();
int gfxselectRender(SDL_Surface* target);
