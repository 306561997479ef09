// Bringing SDL's video, pad and audio subsystems up and down.
#include "platform/video.h"

#include "gfx/gfx.h"
#include "io/input.h"
#include "platform/sys.h"

#include <SDL.h>
#include <cstdlib>

namespace {

// A surface of the frame surface's size and format, or of another size in its format.
SDL_Surface* surfaceLike(const SDL_PixelFormat* f, Uint32 flags, int w, int h) {
    return SDL_CreateRGBSurface(flags, w, h, f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask, f->Amask);
}

} // namespace

// SDL's video, shut down again when the program exits. Called first by start-up.
int videoInit() {
    if (SDL_Init(SDL_INIT_VIDEO) < 0) return 0;
    atexit(SDL_Quit);
    return 1;
}

// The zoom modes open a 640 x 480 SDL mode that shows the frame doubled; the
// default opens a 320 x 240 window with the frame surface and a 640 x 480
// display-side surface beside it. Either way the frame surface takes the
// display-side surface's format. Called by start-up.
int videoOpen(int zoom, int fullScreen, int bpp) {
    if (zoom || fullScreen) {
        Uint32 flags = SDL_HWSURFACE | SDL_DOUBLEBUF;
        if (fullScreen) flags |= SDL_FULLSCREEN;
        fscreen = SDL_SetVideoMode(640, 480, bpp, flags);
        if (!fscreen) return 0;
        screen = surfaceLike(fscreen->format, SDL_SWSURFACE, 320, 240);
    } else {
        fscreen = nullptr;
        if (!SDL_SetVideoMode(320, 240, bpp, 0)) return 0;
        fscreen = SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, bpp, 0, 0, 0, 0);
        if (fscreen) screen = surfaceLike(fscreen->format, SDL_HWSURFACE, 320, 240);
    }
    return screen != nullptr;
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
