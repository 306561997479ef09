// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Surfaces, graphic sets and blitting. Every frame is composed into the 320 x 240
// frame surface `screen`: the play area (rows 0-191) on top, the HUD band
// (rows 192-239) below. All drawing of the game goes through these functions.
#pragma once

#include "2platform/video.h"
#include <SDL.h>
#include <cstdint>

constexpr int appletWidth = 320;  // play area width
constexpr int appletHeight = 192; // play area height
constexpr int SCREEN_W = 320;     // frame surface width
constexpr int SCREEN_H = 240;     // frame surface height
constexpr int NUM_BLOCKS = 240;   // tiles cut from a block sheet
constexpr int NUM_WBLOCKS = 8;    // water tiles: 4 phases x 2 halves

extern SDL_Surface* black;                // 320 x 192 black overlay with alpha 128, for darken()
extern SDL_Surface* logo;                 // title logo
extern SDL_Surface* background;           // back picture of the graphic set, or null (set 2)
extern SDL_Surface* moon;                 // the moon over the back picture
extern SDL_Surface* blocks[NUM_BLOCKS];   // tiles of the block sheet: map cells and all sprites
extern SDL_Surface* wblocks[NUM_WBLOCKS]; // water tiles, phase k halves at 2k and 2k + 1
extern int32_t moonx;                     // the moon's x in map pixels, chosen at each level start
extern int gfxSet;                        // graphic set: 0 classic, 1 deluxe, 2 the hidden one
extern int aa2;                           // "-aa" chosen (a 640 x 480 mode, like "-x2")
extern int s2x;                           // "-s2x" chosen

// The nine named colours as pixel values of the frame format.
extern Uint32 BLACK, RED, DRED, BLUE, DBLUE, PURPLE, GREY, LGREY, DGREY;

// Bitmap names of each graphic set, indexed by gfxSet; null where a set has none.
extern const char* const gfxBlocks[3];
extern const char* const gfxBack[3];
extern const char* const gfxLogo[3];
extern const char* const gfxFont[3];
extern const char* const gfxFontBig[3];

void mapColors(); // maps the named colours in the frame format; main, once the frame surface exists

// Loading: a bitmap from the "gfx" archive, converted to the frame format (fatal when missing or unreadable).
SDL_Surface* loadGFX(const char* name, int useKey, int r, int g, int b);
void setColorKey(SDL_Surface* s, int r, int g, int b); // the colour key rule
SDL_Surface* createSurface(int w, int h, int withKey); // a surface in the frame format, filled with BLACK
int initBlocks(int set);                               // cuts the block sheet into blocks and builds wblocks
void freeBlocks();                                     // frees blocks and wblocks (exit)
void loadScenery(int set);                             // the set's back picture (none for set 2) and the moon
void freeScenery();                                    // frees both (exit)

// Drawing.
void blitImage(SDL_Surface* src, int x, int y, SDL_Surface* dst);
void blitSurface(SDL_Surface* src, SDL_Rect* srcRect, SDL_Surface* dst, SDL_Rect* dstRect);
void drawSprite(int x, int y, int tile); // a tile at map position (x, y), shifted by step, culled
void fillRect(SDL_Surface* dst, int x, int y, int w, int h, Uint32 colour);
void freeSurface(SDL_Surface* s);
void darken();              // halves every channel of the play area
void flipScreen();          // presents the frame surface
int videoCreateOverlay();   // `black`, filled with BLACK, alpha 128; 0 on failure
int videoOpenOffscreen();   // tests and tools: video, a 16-bit frame surface, the colours and the overlay
void videoCloseOffscreen(); // frees what videoOpenOffscreen made
