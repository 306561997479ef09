// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// SDL's own window: the display where no GPU path runs (no X and no console
// card, an SDL_VIDEODRIVER of the player's, or a GPU display that cannot start).
// The picture without scan lines, in the window's own pixel format.
#include "2platform/display.h"
#include "2platform/video.h"

#include <SDL.h>
#include <cstring>

namespace {

// A surface of another size in the given format.
SDL_Surface* surfaceLike(const SDL_PixelFormat* f, Uint32 flags, int w, int h) {
    return SDL_CreateRGBSurface(flags, w, h, f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask, f->Amask);
}

// 1 while SDL runs its dummy driver, which has no display at all (tests and tools).
int onDummyDriver() {
    char name[32] = "";
    return SDL_VideoDriverName(name, sizeof name) && strcmp(name, "dummy") == 0;
}

// The window. On a real display it takes the display's pixel format, so no
// conversion runs per frame; unzoomed, the frame is composed in the window's own
// pixels. SDL's dummy driver (no display) keeps the asked depth.
int sdlOpen(int zoom, int fullScreen, int bpp) {
    const int dummy = onDummyDriver();
    const int depth = dummy ? bpp : 0;
    Uint32 flags = dummy ? 0 : SDL_SWSURFACE | SDL_ANYFORMAT;
    if (zoom || fullScreen) {
        if (dummy) flags = SDL_HWSURFACE | SDL_DOUBLEBUF;
        if (fullScreen) flags |= SDL_FULLSCREEN;
        fscreen = SDL_SetVideoMode(640, 480, depth, flags);
        if (!fscreen) return 0;
        screen = surfaceLike(fscreen->format, SDL_SWSURFACE, 320, 240);
        return screen != nullptr;
    }
    SDL_Surface* video = SDL_SetVideoMode(320, 240, depth, flags);
    if (!video) return 0;
    fscreen = nullptr;
    if (!dummy && !SDL_MUSTLOCK(video) && video->w == 320 && video->h == 240)
        screen = video;
    else
        screen = surfaceLike(video->format, SDL_SWSURFACE, 320, 240);
    return screen != nullptr;
}

// Doubles a row of n pixels of type T.
template <class T> void doubleRow(const uint8_t* src, uint8_t* dst, int n) {
    const T* s = (const T*)src;
    T* d = (T*)dst;
    for (int x = 0; x < n; x++) d[2 * x] = d[2 * x + 1] = s[x];
}

// Copies the frame into a surface twice its size in the same format: each row's
// pixels doubled once, then that whole row copied below it.
void zoom2x(SDL_Surface* src, SDL_Surface* dst) {
    const int bpp = src->format->BytesPerPixel;
    if (SDL_MUSTLOCK(dst) && SDL_LockSurface(dst) < 0) return;
    const size_t rowBytes = (size_t)(2 * src->w * bpp);
    for (int y = 0; y < src->h && 2 * y + 1 < dst->h; y++) {
        const uint8_t* s = (const uint8_t*)src->pixels + y * src->pitch;
        uint8_t* d0 = (uint8_t*)dst->pixels + 2 * y * dst->pitch;
        if (bpp == 2)
            doubleRow<uint16_t>(s, d0, src->w);
        else if (bpp == 4)
            doubleRow<uint32_t>(s, d0, src->w);
        else
            for (int x = 0; x < src->w; x++) {
                memcpy(d0 + 2 * x * bpp, s + x * bpp, bpp);
                memcpy(d0 + (2 * x + 1) * bpp, s + x * bpp, bpp);
            }
        memcpy(d0 + dst->pitch, d0, rowBytes);
    }
    if (SDL_MUSTLOCK(dst)) SDL_UnlockSurface(dst);
}

// Shows the frame: composed in place, doubled into the zoomed mode, or blitted.
// Called by videoPresent, once per drawn frame.
void sdlPresent() {
    SDL_Surface* video = SDL_GetVideoSurface();
    if (!video || !screen) return;
    if (video != screen) {
        if (video->w >= 2 * screen->w && video->h >= 2 * screen->h &&
            video->format->BytesPerPixel == screen->format->BytesPerPixel &&
            video->format->Rmask == screen->format->Rmask && video->format->Bmask == screen->format->Bmask)
            zoom2x(screen, video);
        else
            SDL_BlitSurface(screen, nullptr, video, nullptr);
    }
    SDL_Flip(video);
}

// The window is SDL's and goes with SDL_Quit; the frame surface goes in videoClose.
void sdlClose() {}

} // namespace

const VideoDisplay sdlDisplay = {"sdl", sdlOpen, sdlPresent, sdlClose, nullptr, nullptr, nullptr, nullptr};
