// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The frame surface, the named colours, the darkening overlay and the small blit
// functions all drawing goes through; presenting a finished frame.
#include "6draw/gfx.h"
#include "5world/world.h"

#include "6draw/blit.h"
#include "2platform/video.h"
#include "5world/map.h"

#include <cstdlib>
#include <cstring>

SDL_Surface* black = nullptr;
SDL_Surface* logo = nullptr;
SDL_Surface* background = nullptr;
SDL_Surface* moon = nullptr;
SDL_Surface* blocks[NUM_BLOCKS] = {};
SDL_Surface* wblocks[NUM_WBLOCKS] = {};
int32_t moonx = 0;
int gfxSet = 1;
int aa2 = 0;
int s2x = 0;
Uint32 BLACK = 0, RED = 0, DRED = 0, BLUE = 0, DBLUE = 0, PURPLE = 0, GREY = 0, LGREY = 0, DGREY = 0;

const char* const gfxBlocks[3] = {"blocks", "newblocks", "gbblocks"};
const char* const gfxBack[3] = {"back", "newback", nullptr};
const char* const gfxLogo[3] = {"logo", "logo", "gblogo"};
const char* const gfxFont[3] = {"font", "font", "gbfont"};
const char* const gfxFontBig[3] = {"fontbig", "fontbig", "gbfontbig"};

// Maps the nine named colours in the frame format. Called by main once the frame surface exists.
void mapColors() {
    SDL_PixelFormat* f = screen->format;
    BLACK = SDL_MapRGB(f, 0, 0, 0);
    RED = SDL_MapRGB(f, 255, 0, 0);
    DRED = SDL_MapRGB(f, 128, 0, 0);
    BLUE = SDL_MapRGB(f, 0, 0, 255);
    DBLUE = SDL_MapRGB(f, 0, 0, 128);
    PURPLE = SDL_MapRGB(f, 255, 0, 255);
    GREY = SDL_MapRGB(f, 128, 128, 128);
    LGREY = SDL_MapRGB(f, 192, 192, 192);
    DGREY = SDL_MapRGB(f, 96, 96, 96);
}

// Draws the whole of src with its top-left corner at (x, y); the blit clips.
void blitImage(SDL_Surface* src, int x, int y, SDL_Surface* dst) {
    if (!src || !dst) return;
    SDL_Rect r;
    r.x = (Sint16)x;
    r.y = (Sint16)y;
    r.w = (Uint16)src->w;
    r.h = (Uint16)src->h;
    blitSurface(src, nullptr, dst, &r);
}

// SDL's clipping blit, drawn by our own blitters where they can. Used by the
// picture and text functions and the language screen's cursor.
void blitSurface(SDL_Surface* src, SDL_Rect* srcRect, SDL_Surface* dst, SDL_Rect* dstRect) {
    if (!src || !dst) return;
    if (!fastBlit(src, srcRect, dst, dstRect)) SDL_UpperBlit(src, srcRect, dst, dstRect);
}

// Draws tile `tile` at map position (x, y), unless it lies wholly out of view.
// Called by the figure and monster drawing.
void drawSprite(int x, int y, int tile) {
    if (x + 16 < world.map.step || x > world.map.step + 320 || y < -15 || y > 192) return;
    if (tile < 0 || tile >= NUM_BLOCKS || !blocks[tile]) return;
    blitImage(blocks[tile], x - world.map.step, y, screen);
}

// Fills a rectangle with a pixel value.
void fillRect(SDL_Surface* dst, int x, int y, int w, int h, Uint32 colour) {
    static SDL_Rect r;
    if (!dst || w <= 0 || h <= 0) return;
    r.x = (Sint16)x;
    r.y = (Sint16)y;
    r.w = (Uint16)w;
    r.h = (Uint16)h;
    if (!fastFill(dst, &r, colour)) SDL_FillRect(dst, &r, colour);
}

// Frees a surface (null is fine).
void freeSurface(SDL_Surface* s) {
    if (!s) return;
    unstampSurface(s);
    SDL_FreeSurface(s);
}

// Halves every colour channel of the play area, as blending the black overlay at
// alpha 128 does; the HUD band stays as it is. Used by pauses, menus and messages.
void darken() {
    if (black && !fastHalve(screen, black->w, black->h)) blitImage(black, 0, 0, screen);
}

// Presents the finished frame on the display in use. Called once per drawn frame by every loop.
void flipScreen() {
    videoPresent();
}

// The darkening overlay over the play area. Called by start-up once the colours are mapped.
int videoCreateOverlay() {
    const SDL_PixelFormat* f = screen->format;
    black = SDL_CreateRGBSurface(SDL_HWSURFACE, 320, 192, f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask,
                                 f->Amask);
    if (!black) return 0;
    fillRect(black, 0, 0, 320, 192, BLACK);
    SDL_SetAlpha(black, SDL_SRCALPHA, 128);
    return 1;
}

// A frame surface without a display to show it on, in the default 5-6-5 frame
// format, with the named colours and the overlay: what the tests and tools that
// compose frames need. Returns 0 when SDL's video cannot start.
int videoOpenOffscreen() {
    if (!videoOpenOffscreenFrame()) return 0;
    mapColors();
    return videoCreateOverlay();
}

// Frees the frame surface and the overlay and stops SDL's video.
void videoCloseOffscreen() {
    freeSurface(black);
    black = nullptr;
    if (screen) unstampSurface(screen);
    videoCloseOffscreenFrame();
}
