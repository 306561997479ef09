// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Bringing SDL's video, pad and audio subsystems up and down, and choosing the
// display frames reach the screen through: the GPU display on an X11 window, on
// the console (KMS) or off screen, or SDL's own window when no GPU display can
// start. Everything after the choice goes through the display's entry.
#include "2platform/video.h"

#include "1base/error.h"
#include "2platform/display.h"
#include "2platform/kms.h"
#include "2platform/raspberrypi.h"
#include "2platform/sys.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

SDL_Surface* screen = nullptr;
SDL_Surface* fscreen = nullptr;
int videoForced = 0;

namespace {

// The displays by the names BLOMP_DISPLAY takes ("auto" aside).
const VideoDisplay* const displays[] = {&x11Display, &kmsDisplay, &headlessDisplay, &sdlDisplay};

// SDL's drivers that draw the game as characters in a terminal: never a picture.
const char* const textDrivers[] = {"aalib", "caca"};

const VideoDisplay* display = &sdlDisplay; // the display in use; SDL's window until one is chosen
int desktopWidth, desktopHeight; // the desktop's size before any mode is set (full screen on the GPU)
int driverIsOurs;                // SDL's video driver was chosen by us, for the display's sake

// 1 when SDL landed in a driver that shows no picture a player wants.
int onTextDriver() {
    char name[32] = "";
    if (!SDL_VideoDriverName(name, sizeof name)) return 0;
    for (const char* t : textDrivers)
        if (strcmp(name, t) == 0) {
            SDL_SetError("no display for a picture here (SDL offers only its text-mode driver %s)", t);
            return 1;
        }
    return 0;
}

// Starts SDL's video; refuses the text-mode drivers.
int startSDLVideo() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) < 0) return 0;
    if (onTextDriver()) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return 0;
    }
    const SDL_VideoInfo* vi = SDL_GetVideoInfo();
    desktopWidth = vi ? vi->current_w : 0;
    desktopHeight = vi ? vi->current_h : 0;
    return 1;
}

// The display the player gets without asking: an X display means its window; no
// X but a console a KMS card can drive means the console; otherwise SDL. An
// SDL_VIDEODRIVER other than x11 asks for SDL's own display.
const VideoDisplay* autoDisplay() {
    const char* driver = getenv("SDL_VIDEODRIVER");
    if (driver && *driver && strcmp(driver, "x11") != 0) return &sdlDisplay;
    const char* x = getenv("DISPLAY");
    if (x && *x) return &x11Display;
    if (kmsUsable()) return &kmsDisplay;
    return &sdlDisplay;
}

// The frame surface for the GPU display: 5-6-5 words, or with 24 bits the bytes
// red, green, blue as the texture takes them.
SDL_Surface* gpuFrame(int bpp) {
    if (bpp == 24) return SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 24, 0x0000FF, 0x00FF00, 0xFF0000, 0);
    return SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 16, 0xF800, 0x07E0, 0x001F, 0);
}

} // namespace

// SDL's mode of w x h, the frame surface, and the presenter on display d's window.
// Called by the GPU displays' open; 0 with SDL's error set.
int gpuOpen(const VideoDisplay* d, int w, int h, uint32_t flags, int bpp) {
    fscreen = SDL_SetVideoMode(w, h, 0, flags);
    if (!fscreen) return 0;
    screen = gpuFrame(bpp);
    if (!screen) return 0;
    if (pi_init(d, 320, 240, bpp == 24 ? 24 : 16, 1, screen->pixels)) return 1;
    SDL_SetError("the %s display cannot start: %s", d->name, pi_error());
    SDL_FreeSurface(screen);
    screen = nullptr;
    return 0;
}

// Uploads the frame, draws it through the scan-line shader and swaps. The GPU
// displays' present, once per drawn frame.
void gpuPresent() {
    gles2_draw();
    pi_videoflip();
}

// Gives the presenter and the display's window back. The GPU displays' close.
void gpuClose() {
    pi_deinit();
}

// The desktop's size as SDL saw it before any mode was set. Called by the x11
// display for full screen.
void videoDesktopSize(int* w, int* h) {
    *w = desktopWidth;
    *h = desktopHeight;
}

// Chooses the display (BLOMP_DISPLAY: auto, x11, kms, headless, sdl) and starts
// SDL's video for it. Registers the one teardown, videoClose, before SDL_Quit.
// Called first by start-up; 0 on failure with SDL's error text set.
int videoInit() {
    const char* want = getenv("BLOMP_DISPLAY");
    videoForced = 0;
    display = nullptr;
    if (want && *want && strcmp(want, "auto") != 0) {
        for (const VideoDisplay* d : displays)
            if (strcmp(want, d->name) == 0) display = d;
        if (!display) {
            display = &sdlDisplay;
            SDL_SetError("unknown display \"%s\" (BLOMP_DISPLAY takes auto, x11, kms, headless or sdl)",
                         want);
            return 0;
        }
        videoForced = display != &sdlDisplay;
    }
    const char* size = getenv("BLOMP_DISPLAY_SIZE");
    unsigned sw = 0, sh = 0;
    if (size && sscanf(size, "%ux%u", &sw, &sh) == 2 && sw > 0 && sh > 0 && sw <= 16384 && sh <= 16384)
        headlessSetSize(sw, sh);
    if (!display) display = autoDisplay();
    if (!display->open) { // only the console display can be missing
        display = &sdlDisplay;
        SDL_SetError("this build has no console display (libdrm and libgbm were missing)");
        return 0;
    }
    // On the console SDL only brings events and the pad: its dummy driver, so it
    // neither takes the screen nor falls into a text mode.
    driverIsOurs = 0;
    if (display->sdlDriver && !getenv("SDL_VIDEODRIVER")) {
        setenv("SDL_VIDEODRIVER", display->sdlDriver, 1);
        driverIsOurs = 1;
    }
    if (SDL_Init(0) < 0) return 0;
    // The display goes before SDL closes the window under it, also through error().
    atExit(platformQuit, true);
    atExit(videoClose, true);
    return startSDLVideo();
}

// Opens the video mode, the display-side surface and the frame surface on the
// chosen display. A GPU display that cannot start falls back to SDL's window with
// one line on standard error, unless the player forced it. Called by start-up; 0
// on failure with SDL's error text set.
int videoOpen(int zoom, int fullScreen, int bpp) {
    screen = fscreen = nullptr;
    if (display->open(zoom, fullScreen, bpp)) return 1;
    if (display == &sdlDisplay || videoForced) return 0;
    // When SDL cannot show a picture either, the player learns why the GPU display could not start.
    char why[512];
    snprintf(why, sizeof why, "%s", SDL_GetError());
    display = &sdlDisplay;
    int ok = 1;
    if (driverIsOurs) {
        // The console had SDL's dummy driver: SDL's own choice now, which may be none.
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        unsetenv("SDL_VIDEODRIVER");
        driverIsOurs = 0;
        ok = startSDLVideo();
    }
    if (!ok || !display->open(zoom, fullScreen, bpp)) {
        SDL_SetError("%s", why);
        return 0;
    }
    fprintf(stderr, "blomp: %s; showing the game through SDL instead\n", why);
    return 1;
}

// Shows the finished frame on the display in use. Called by flipScreen once per drawn frame.
void videoPresent() {
    display->present();
}

// The one teardown of the display: the display's own close (the presenter, the
// console's mode and keyboards), then the frame surface. Registered by videoInit,
// so the orderly end and error() both run it; safe to call again.
void videoClose() {
    display->close();
    if (screen && screen != SDL_GetVideoSurface()) SDL_FreeSurface(screen);
    screen = fscreen = nullptr;
    display = &sdlDisplay;
}

// The name of the display in use. Called by the tests.
const char* videoDisplayName() {
    return display->name;
}

// A 5-6-5 frame surface without a display to show it on, for the tests and tools
// that compose frames; 0 when SDL's video cannot start. videoCloseOffscreen ends it.
int videoOpenOffscreenFrame() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) < 0 || !SDL_SetVideoMode(320, 240, 16, 0)) return 0;
    screen = SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 16, 0xF800, 0x07E0, 0x001F, 0);
    return screen != nullptr;
}

// Frees the off-screen frame surface and stops SDL's video.
void videoCloseOffscreenFrame() {
    if (screen) SDL_FreeSurface(screen);
    screen = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// The caption of the window; the mouse pointer has no use in the game.
void videoSetCaption(const char* title) {
    SDL_WM_SetCaption(title, nullptr);
    SDL_ShowCursor(SDL_DISABLE);
}

// Brings SDL's joystick subsystem up and opens the first pad it sees; null for
// none, which is no failure. Called by the input's start.
SDL_Joystick* joystickInit() {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) return nullptr;
    SDL_Joystick* pad = sysNumJoysticks() >= 1 ? sysJoystickOpen(0) : nullptr;
    SDL_JoystickEventState(SDL_ENABLE);
    return pad;
}

// SDL's audio subsystem, before the mixer opens the device.
int audioInit() {
    return SDL_InitSubSystem(SDL_INIT_AUDIO) != -1;
}

// SDL's text for the last failure.
const char* platformError() {
    return SDL_GetError();
}

// Shuts SDL down. Registered by videoInit to run after videoClose.
void platformQuit() {
    SDL_Quit();
}
