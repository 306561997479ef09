// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// blompdisplaybench: what presenting one frame costs the game, for callgrind
// (collect only presentFrame) or the wall clock.
//
//   blompdisplaybench gpu [frames] [WxH]   the GPU display off screen (Mesa)
//   blompdisplaybench sdl [frames] [-x2]   SDL's window in the display's format (needs X)
//   blompdisplaybench sdl16 [frames]       SDL's window at 16 bits, converted by SDL as before
//
//   valgrind --tool=callgrind --toggle-collect=presentFrame blompdisplaybench gpu 200
#include "1base/error.h"
#include "6draw/gfx.h"
#include "2platform/raspberrypi.h"
#include "2platform/video.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// One frame's presentation; its own function so callgrind can collect it alone.
// With old, the way it was: a 16-bit window on any display, SDL converting every frame.
__attribute__((noinline)) void presentFrame(SDL_Surface* old) {
    if (!old) {
        flipScreen();
        return;
    }
    SDL_Surface* video = SDL_GetVideoSurface();
    SDL_BlitSurface(old, nullptr, video, nullptr);
    SDL_Flip(video);
}

} // namespace

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "gpu";
    const int frames = argc > 2 ? atoi(argv[2]) : 300;
    unsigned w = 1920, h = 1080;
    if (argc > 3 && strcmp(argv[3], "-x2") != 0) sscanf(argv[3], "%ux%u", &w, &h);
    const int zoom = argc > 3 && strcmp(argv[3], "-x2") == 0;
    SDL_Surface* old = nullptr;
    if (strcmp(mode, "gpu") == 0) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("BLOMP_DISPLAY", "headless", 1);
        char size[32];
        snprintf(size, sizeof size, "%ux%u", w, h);
        setenv("BLOMP_DISPLAY_SIZE", size, 1);
    } else {
        setenv("BLOMP_DISPLAY", "sdl", 1);
    }
    if (!videoInit()) {
        fprintf(stderr, "blompdisplaybench: %s\n", platformError());
        return 1;
    }
    if (strcmp(mode, "sdl16") == 0) {
        if (!SDL_SetVideoMode(320, 240, 16, 0)) return 1;
        old = screen = SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 16, 0xF800, 0x07E0, 0x001F, 0);
    } else if (!videoOpen(zoom, 0, 16)) {
        fprintf(stderr, "blompdisplaybench: %s\n", platformError());
        return 1;
    }
    SDL_Surface* video = SDL_GetVideoSurface();
    printf("%s: frame %d bpp, window %dx%d %d bpp%s\n", mode, screen->format->BitsPerPixel, video->w,
           video->h, video->format->BitsPerPixel, screen == video ? ", drawn in place" : "");
    uint32_t sw, sh, pw, ph;
    if (pi_picture_size(&sw, &sh, &pw, &ph)) printf("display %ux%u, picture %ux%u\n", sw, sh, pw, ph);
    const auto t0 = std::chrono::steady_clock::now();
    for (int f = 0; f < frames; f++) {
        SDL_FillRect(screen, nullptr, (Uint32)(f * 2654435761u)); // a new frame each time
        presentFrame(old);
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    printf("%d frames, %.3f ms a frame (fill and present)\n", frames, ms / frames);
    if (old) SDL_FreeSurface(old), screen = nullptr;
    runExitFunctions(); // the display, then SDL
    return 0;
}
