// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The displays: the ways a finished frame reaches the screen, each one entry of
// the same table (x11, kms, headless, sdl). videoInit chooses one; videoOpen,
// videoPresent and videoClose go through it. The three GPU displays share the
// presenter and differ in where EGL finds its native window.
#pragma once

#ifndef EGL_NO_X11
#define EGL_NO_X11 // our own X11 code includes Xlib where it needs it
#endif
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <cstdint>

// What a GPU display hands the presenter: where EGL finds the display and window.
struct DisplayTarget {
    EGLenum platform;           // EGL platform of the native display (X11, GBM, surfaceless)
    void* native_display;       // its native display (Display*, gbm_device*, or none)
    EGLNativeWindowType window; // the native window; unused for an off-screen surface
    EGLint surface_bit;         // EGL_WINDOW_BIT, or EGL_PBUFFER_BIT off screen
    EGLint visual_id;           // the window's native visual or format the config must match; 0 any
    uint32_t width, height;     // the display's size in pixels
};

// One display. (Not called Display: Xlib has that name.)
struct VideoDisplay {
    const char* name; // as BLOMP_DISPLAY names it
    // The video mode and the frame surface `screen` (and `fscreen`); 0 with SDL's
    // error set and nothing left open. Null where this build lacks the display.
    int (*open)(int zoom, int fullScreen, int bpp);
    void (*present)(); // shows the finished frame
    void (*close)();   // gives back what open took; harmless when nothing is open
    // The SDL video driver SDL runs on under this display when the player chose
    // none (the console: dummy, SDL only brings events and pads), else null.
    const char* sdlDriver;
    // GPU displays only, null for SDL's window. window fills the target (0 on
    // failure, with a reason in *why); afterSwap runs after each buffer swap
    // (page flips), may be null; release gives the window back.
    int (*window)(DisplayTarget* t, const char** why);
    void (*afterSwap)();
    void (*release)();
};

extern const VideoDisplay x11Display;      // EGL on SDL's own X11 window
extern const VideoDisplay kmsDisplay;      // the console: KMS/DRM with GBM (open null without it)
extern const VideoDisplay headlessDisplay; // an off-screen buffer on Mesa (tests, CI)
extern const VideoDisplay sdlDisplay;      // SDL's own window, no scan lines

// The GPU displays' common steps, for their entries.
int gpuOpen(const VideoDisplay* d, int w, int h, uint32_t flags,
            int bpp); // SDL window w x h, frame, presenter
void gpuPresent();    // uploads, draws and swaps
void gpuClose();      // the presenter and the window given back

void videoDesktopSize(int* w, int* h);        // the desktop's size before any mode was set; 0 unknown
void headlessSetSize(uint32_t w, uint32_t h); // the size of the next off-screen display
