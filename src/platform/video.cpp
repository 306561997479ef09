// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Bringing SDL's video, pad and audio subsystems up and down, and choosing how
// frames reach the screen: the GPU display on an X11 window, on the console
// (KMS) or off screen, or SDL's own window when no GPU path can start.
#include "platform/video.h"

#include "gfx/gfx.h"
#include "io/input.h"
#include "platform/dispvars.h"
#include "platform/evdev.h"
#include "platform/kms.h"
#include "platform/raspberrypi.h"
#include "platform/sys.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int videoPath = PATH_SDL;
int videoForced = 0;

namespace {

// The paths by the names BLOMP_DISPLAY takes, and their providers.
struct PathInfo {
    const char* name;
    const DisplayProvider* provider;
};

const PathInfo paths[NUM_PATHS] = {
    {"auto", nullptr},
#ifdef BLOMP_KMS
    {"kms", &kmsProvider},
#else
    {"kms", nullptr},
#endif
    {"x11", &x11Provider}, {"headless", &headlessProvider}, {"sdl", nullptr},
};

// SDL's drivers that draw the game as characters in a terminal: never a picture.
const char* const textDrivers[] = {"aalib", "caca"};

int desktopWidth, desktopHeight; // the desktop's size before any mode is set (full screen on the GPU path)
int dummyIsOurs;                 // SDL's dummy driver was chosen by us, for the console path's events

// A surface of another size in the given format.
SDL_Surface* surfaceLike(const SDL_PixelFormat* f, Uint32 flags, int w, int h) {
    return SDL_CreateRGBSurface(flags, w, h, f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask, f->Amask);
}

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

// 1 while SDL runs its dummy driver, which has no display at all (tests and tools).
int onDummyDriver() {
    char name[32] = "";
    return SDL_VideoDriverName(name, sizeof name) && strcmp(name, "dummy") == 0;
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

// The path the player gets without asking: an X display means its window; no X
// but a console a KMS card can drive means the console; otherwise SDL. An
// SDL_VIDEODRIVER other than x11 asks for SDL's own display.
int autoPath() {
    const char* driver = getenv("SDL_VIDEODRIVER");
    if (driver && *driver && strcmp(driver, "x11") != 0) return PATH_SDL;
    const char* x = getenv("DISPLAY");
    if (x && *x) return PATH_X11;
    if (kmsUsable()) return PATH_KMS;
    return PATH_SDL;
}

// The frame surface for the GPU display: 5-6-5 words, or with 24 bits the bytes
// red, green, blue as the texture takes them.
SDL_Surface* gpuFrame(int bpp) {
    if (bpp == 24) return SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 24, 0x0000FF, 0x00FF00, 0xFF0000, 0);
    return SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 16, 0xF800, 0x07E0, 0x001F, 0);
}

// The GPU display on the chosen path. In a window the picture fills it (320 x 240,
// or 640 x 480 zoomed); full screen covers the desktop with the aspect kept.
int openGPU(int zoom, int fullScreen, int bpp) {
    int w = zoom || fullScreen ? 640 : 320, h = zoom || fullScreen ? 480 : 240;
    Uint32 flags = SDL_SWSURFACE | SDL_ANYFORMAT;
    if (videoPath == PATH_X11 && fullScreen && desktopWidth > 0 && desktopHeight > 0) {
        w = desktopWidth;
        h = desktopHeight;
        flags |= SDL_FULLSCREEN;
    }
    if (videoPath != PATH_X11) w = 320, h = 240;
    fscreen = SDL_SetVideoMode(w, h, 0, flags);
    if (!fscreen) return 0;
    screen = gpuFrame(bpp);
    if (!screen) return 0;
    if (pi_init(paths[videoPath].provider, 320, 240, bpp == 24 ? 24 : 16, 1, screen->pixels)) return 1;
    SDL_SetError("the %s display cannot start: %s", paths[videoPath].name, pi_error());
    SDL_FreeSurface(screen);
    screen = nullptr;
    return 0;
}

// SDL's own window. On a real display it takes the display's pixel format, so
// no conversion runs per frame; unzoomed, the frame is composed in the window's
// own pixels. SDL's dummy driver (no display) keeps the asked depth.
int openSDL(int zoom, int fullScreen, int bpp) {
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

// Gives the GPU display back before SDL closes the window under it. Registered
// after SDL_Quit, so it runs before it when the program ends through error().
void closeAtExit() {
    pi_deinit();
    evdevClose();
}

} // namespace

// Chooses the display path (BLOMP_DISPLAY: auto, x11, kms, headless, sdl) and
// starts SDL's video for it. Called first by start-up; 0 on failure with SDL's
// error text set.
int videoInit() {
    const char* want = getenv("BLOMP_DISPLAY");
    videoForced = 0;
    videoPath = PATH_AUTO;
    if (want && *want) {
        int found = -1;
        for (int i = 0; i < NUM_PATHS; i++)
            if (strcmp(want, paths[i].name) == 0) found = i;
        if (found < 0) {
            SDL_SetError("unknown display \"%s\" (BLOMP_DISPLAY takes auto, x11, kms, headless or sdl)",
                         want);
            return 0;
        }
        videoPath = found;
        videoForced = found != PATH_AUTO && found != PATH_SDL;
    }
    const char* size = getenv("BLOMP_DISPLAY_SIZE");
    unsigned sw = 0, sh = 0;
    if (size && sscanf(size, "%ux%u", &sw, &sh) == 2 && sw > 0 && sh > 0 && sw <= 16384 && sh <= 16384)
        headlessSetSize(sw, sh);
    if (videoPath == PATH_AUTO) videoPath = autoPath();
    if (videoPath == PATH_KMS && !paths[PATH_KMS].provider) {
        SDL_SetError("this build has no console display (libdrm and libgbm were missing)");
        return 0;
    }
    // On the console SDL only brings events and the pad: its dummy driver, so it
    // neither takes the screen nor falls into a text mode.
    dummyIsOurs = 0;
    if (videoPath == PATH_KMS && !getenv("SDL_VIDEODRIVER")) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        dummyIsOurs = 1;
    }
    static int once;
    if (SDL_Init(0) < 0) return 0;
    if (!once) {
        atexit(SDL_Quit);
        atexit(closeAtExit);
        once = 1;
    }
    return startSDLVideo();
}

// Opens the video mode, the display-side surface and the frame surface on the
// chosen path. A GPU path that cannot start falls back to SDL's window with one
// line on standard error, unless the player forced it. Called by start-up; 0 on
// failure with SDL's error text set.
int videoOpen(int zoom, int fullScreen, int bpp) {
    screen = fscreen = nullptr;
    if (videoPath != PATH_SDL) {
        if (openGPU(zoom, fullScreen, bpp)) {
            if (videoPath == PATH_KMS) evdevOpen();
            return 1;
        }
        if (videoForced) return 0;
        // When SDL cannot show a picture either, the player learns why the GPU display could not start.
        char why[512];
        snprintf(why, sizeof why, "%s", SDL_GetError());
        int ok = 1;
        if (dummyIsOurs) {
            // The console path had SDL's dummy driver: SDL's own choice now, which may be none.
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            unsetenv("SDL_VIDEODRIVER");
            dummyIsOurs = 0;
            ok = startSDLVideo();
        }
        videoPath = PATH_SDL;
        if (!ok || !openSDL(zoom, fullScreen, bpp)) {
            SDL_SetError("%s", why);
            return 0;
        }
        fprintf(stderr, "blomp: %s; showing the game through SDL instead\n", why);
        return 1;
    }
    return openSDL(zoom, fullScreen, bpp);
}

// Shows the frame through SDL's window: composed in place, doubled into the
// zoomed mode, or blitted. Called by flipScreen when no GPU display runs.
void videoFlipSDL() {
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

// Gives back the display and the frame surface. Called by exitGame before SDL shuts down.
void videoClose() {
    pi_deinit();
    evdevClose();
    if (screen && screen != SDL_GetVideoSurface()) SDL_FreeSurface(screen);
    screen = fscreen = nullptr;
}

// The darkening overlay over the play area. Called by start-up once the colours are mapped.
int videoCreateOverlay() {
    black = surfaceLike(screen->format, SDL_HWSURFACE, 320, 192);
    if (!black) return 0;
    fillRect(black, 0, 0, 320, 192, BLACK);
    SDL_SetAlpha(black, SDL_SRCALPHA, 128);
    return 1;
}

// A frame surface without a display to show it on, in the default 5-6-5 frame
// format, with the named colours and the overlay: what the tests and tools that
// compose frames need. Returns 0 when SDL's video cannot start.
int videoOpenOffscreen() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) < 0 || !SDL_SetVideoMode(320, 240, 16, 0)) return 0;
    screen = SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 16, 0xF800, 0x07E0, 0x001F, 0);
    if (!screen) return 0;
    mapColors();
    return videoCreateOverlay();
}

// Frees the frame surface and the overlay and stops SDL's video.
void videoCloseOffscreen() {
    freeSurface(black);
    freeSurface(screen);
    black = screen = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// The caption of the window; the mouse pointer has no use in the game.
void videoSetCaption(const char* title) {
    SDL_WM_SetCaption(title, nullptr);
    SDL_ShowCursor(SDL_DISABLE);
}

// Opens the first pad when SDL's joystick subsystem comes up and sees one.
void joystickInit() {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) return;
    joystick = sysNumJoysticks() >= 1 ? sysJoystickOpen(0) : nullptr;
    SDL_JoystickEventState(SDL_ENABLE);
}

// SDL's audio subsystem, before the mixer opens the device.
int audioInit() {
    return SDL_InitSubSystem(SDL_INIT_AUDIO) != -1;
}

// SDL's text for the last failure.
const char* platformError() {
    return SDL_GetError();
}

// Shuts SDL down. Called last by exitGame.
void platformQuit() {
    SDL_Quit();
}
