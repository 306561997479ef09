// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The off-screen display: an EGL buffer of any size on Mesa's surfaceless
// platform, with no window and no screen. Continuous integration draws the real
// presenter's pictures into it and reads them back.
#include "2platform/display.h"

#include <SDL.h>

namespace {

uint32_t headlessWidth = 1024; // the size of the next off-screen display
uint32_t headlessHeight = 768;

// Hands over the surfaceless platform and an off-screen buffer of the chosen size.
int headlessWindow(DisplayTarget* t, const char** why) {
    if (headlessWidth == 0 || headlessHeight == 0) {
        *why = "the off-screen display has no size";
        return 0;
    }
    t->platform = EGL_PLATFORM_SURFACELESS_MESA;
    t->native_display = EGL_DEFAULT_DISPLAY;
    t->surface_bit = EGL_PBUFFER_BIT;
    t->width = headlessWidth;
    t->height = headlessHeight;
    return 1;
}

// Nothing of its own to give back.
void headlessRelease() {}

// SDL's 320 x 240 mode (its dummy driver in the tests) and the presenter off screen.
int headlessOpen(int, int, int bpp) {
    return gpuOpen(&headlessDisplay, 320, 240, SDL_SWSURFACE | SDL_ANYFORMAT, bpp);
}

} // namespace

const VideoDisplay headlessDisplay = {"headless", headlessOpen,   gpuPresent, gpuClose,
                                      nullptr,    headlessWindow, nullptr,    headlessRelease};

// Sets the size of the next off-screen display. Called by the tests and by
// videoInit from BLOMP_DISPLAY_SIZE.
void headlessSetSize(uint32_t w, uint32_t h) {
    headlessWidth = w;
    headlessHeight = h;
}
