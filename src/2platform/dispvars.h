// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The GPU display's state and the interface of the window providers, for the
// presenter, the providers and the tests that look inside.
#pragma once

#ifndef EGL_NO_X11
#define EGL_NO_X11 // our own X11 code includes Xlib where it needs it
#endif
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <cstdint>

struct dispvars_t {
    EGLDisplay egl_display;               // the provider's display
    EGLConfig egl_config;                 // the chosen frame-buffer configuration
    EGLContext egl_context;               // the OpenGL ES 2 context
    EGLSurface egl_surface;               // the window (or off-screen) surface
    uint32_t screen_width, screen_height; // the display size in pixels
    uint32_t input_width, input_height;   // the frame size, also the texture size
    float scale_x, scale_y;               // the share of the display the picture covers
    uint32_t output_width, output_height; // the picture's size on the display
    const void* pixels;                   // the frame surface's pixels, uploaded each frame
    uint32_t pixel_type;                  // GL type of a texel: 5-6-5 words or bytes
};

// What a provider hands the presenter: where EGL finds the display and window.
struct DisplayTarget {
    EGLenum platform;           // EGL platform of the native display (X11, GBM, surfaceless)
    void* native_display;       // its native display (Display*, gbm_device*, or none)
    EGLNativeWindowType window; // the native window; unused for an off-screen surface
    EGLint surface_bit;         // EGL_WINDOW_BIT, or EGL_PBUFFER_BIT off screen
    EGLint visual_id;           // the window's native visual or format the config must match; 0 any
    uint32_t width, height;     // the display's size in pixels
};

// One way of getting a native window. open fills the target (0 on failure, with a
// reason in *why); after_swap runs after each buffer swap (page flips), may be null;
// close gives everything back.
struct DisplayProvider {
    const char* name;
    int (*open)(DisplayTarget* t, const char** why);
    void (*after_swap)();
    void (*close)();
};

extern const DisplayProvider x11Provider;      // EGL on SDL's own X11 window
extern const DisplayProvider headlessProvider; // an off-screen buffer on Mesa (tests, CI)
#ifdef BLOMP_KMS
extern const DisplayProvider kmsProvider; // the console: KMS/DRM with GBM
#endif

void headlessSetSize(uint32_t w, uint32_t h); // the size of the next off-screen display
