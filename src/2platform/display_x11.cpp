// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// EGL on the X11 window SDL opened: the desktop's way to the GPU (any Linux
// desktop, and the Raspberry Pi OS desktop under X11 or through XWayland). SDL
// keeps the window and its events; EGL draws into it over a connection of ours.
#include "2platform/display.h"

#include <SDL.h>
#include <SDL_syswm.h>

namespace {

Display* x11Connection = nullptr; // our own connection, for EGL

// Finds SDL's window, opens a connection of ours to its display and hands over the
// window with its size and visual.
int x11Window(DisplayTarget* t, const char** why) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11) {
        *why = "SDL's window is not an X11 window";
        return 0;
    }
    x11Connection = XOpenDisplay(nullptr);
    if (!x11Connection) {
        *why = "the X display cannot be opened";
        return 0;
    }
    XWindowAttributes a;
    if (!XGetWindowAttributes(x11Connection, info.info.x11.window, &a) || a.width < 1 || a.height < 1) {
        *why = "SDL's window cannot be looked at";
        XCloseDisplay(x11Connection);
        x11Connection = nullptr;
        return 0;
    }
    t->platform = EGL_PLATFORM_X11_KHR;
    t->native_display = x11Connection;
    t->window = (EGLNativeWindowType)info.info.x11.window;
    t->surface_bit = EGL_WINDOW_BIT;
    t->visual_id = (EGLint)XVisualIDFromVisual(a.visual);
    t->width = (uint32_t)a.width;
    t->height = (uint32_t)a.height;
    return 1;
}

// Closes our connection; the window stays SDL's.
void x11Release() {
    if (x11Connection) XCloseDisplay(x11Connection);
    x11Connection = nullptr;
}

// The game's window, the picture filling it: 320 x 240, 640 x 480 zoomed; full
// screen covers the desktop with the aspect kept.
int x11Open(int zoom, int fullScreen, int bpp) {
    int w = zoom || fullScreen ? 640 : 320, h = zoom || fullScreen ? 480 : 240;
    uint32_t flags = SDL_SWSURFACE | SDL_ANYFORMAT;
    int dw, dh;
    videoDesktopSize(&dw, &dh);
    if (fullScreen && dw > 0 && dh > 0) {
        w = dw;
        h = dh;
        flags |= SDL_FULLSCREEN;
    }
    return gpuOpen(&x11Display, w, h, flags, bpp);
}

} // namespace

const VideoDisplay x11Display = {"x11",   x11Open,   gpuPresent, gpuClose,
                                 nullptr, x11Window, nullptr,    x11Release};
