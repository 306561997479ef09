// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// EGL on the X11 window SDL opened: the desktop's way to the GPU (any Linux
// desktop, and the Raspberry Pi OS desktop under X11 or through XWayland). SDL
// keeps the window and its events; EGL draws into it over a connection of ours.
#include "2platform/dispvars.h"

#include <SDL.h>
#include <SDL_syswm.h>

namespace {

Display* x11Display = nullptr; // our own connection, for EGL

// Finds SDL's window, opens a connection of ours to its display and hands over the
// window with its size and visual.
int x11Open(DisplayTarget* t, const char** why) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11) {
        *why = "SDL's window is not an X11 window";
        return 0;
    }
    x11Display = XOpenDisplay(nullptr);
    if (!x11Display) {
        *why = "the X display cannot be opened";
        return 0;
    }
    XWindowAttributes a;
    if (!XGetWindowAttributes(x11Display, info.info.x11.window, &a) || a.width < 1 || a.height < 1) {
        *why = "SDL's window cannot be looked at";
        XCloseDisplay(x11Display);
        x11Display = nullptr;
        return 0;
    }
    t->platform = EGL_PLATFORM_X11_KHR;
    t->native_display = x11Display;
    t->window = (EGLNativeWindowType)info.info.x11.window;
    t->surface_bit = EGL_WINDOW_BIT;
    t->visual_id = (EGLint)XVisualIDFromVisual(a.visual);
    t->width = (uint32_t)a.width;
    t->height = (uint32_t)a.height;
    return 1;
}

// Closes our connection; the window stays SDL's.
void x11Close() {
    if (x11Display) XCloseDisplay(x11Display);
    x11Display = nullptr;
}

} // namespace

const DisplayProvider x11Provider = {"x11", x11Open, nullptr, x11Close};
