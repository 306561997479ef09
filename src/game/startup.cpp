// Start-up and shutdown: the whole program from the command line to the last
// release, in a fixed order.
#include "game/startup.h"

#include "audio/music.h"
#include "audio/sound.h"
#include "game/fps.h"
#include "game/run.h"
#include "game/screens.h"
#include "gfx/font.h"
#include "gfx/gfx.h"
#include "io/config.h"
#include "io/hiscore.h"
#include "io/input.h"
#include "platform/sys.h"
#include "platform/zda.h"
#include "world/map.h"

#include <SDL.h>
#include <cstdlib>

namespace {

// Opens the SDL video mode and creates the frame surface and the display-side surface.
void openVideo(const StartOptions& o) {
    if (o.zoom || o.fullScreen) {
        // The zoom modes: a 640 x 480 SDL mode shows the frame doubled.
        Uint32 flags = SDL_HWSURFACE | SDL_DOUBLEBUF;
        if (o.fullScreen) flags |= SDL_FULLSCREEN;
        fscreen = SDL_SetVideoMode(640, 480, o.bpp, flags);
        if (!fscreen) error("Unable to set video mode", SDL_GetError());
        SDL_PixelFormat* f = fscreen->format;
        screen = SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, o.bpp, f->Rmask, f->Gmask, f->Bmask, f->Amask);
        gfxInit();
    } else {
        // The default mode: a 320 x 240 window, the frame surface beside it.
        fscreen = nullptr;
        if (!SDL_SetVideoMode(320, 240, o.bpp, 0)) error("Unable to set video mode", SDL_GetError());
        fscreen = SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, o.bpp, 0, 0, 0, 0);
        if (fscreen) {
            SDL_PixelFormat* f = fscreen->format;
            screen = SDL_CreateRGBSurface(SDL_HWSURFACE, 320, 240, f->BitsPerPixel, f->Rmask, f->Gmask,
                                          f->Bmask, f->Amask);
        }
    }
    if (!screen) error("Unable to set video mode", SDL_GetError());
}

// Creates the darkening overlay: black, the play area's size, alpha 128.
void createOverlay() {
    SDL_PixelFormat* f = screen->format;
    black = SDL_CreateRGBSurface(SDL_HWSURFACE, 320, 192, f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask,
                                 f->Amask);
    if (!black) error("Unable to set video mode", SDL_GetError());
    fillRect(black, 0, 0, 320, 192, BLACK);
    SDL_SetAlpha(black, SDL_SRCALPHA, 128);
}

// Opens the first pad when SDL sees one; no pad is no failure.
void openJoystick() {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) return;
    joystick = sysNumJoysticks() >= 1 ? sysJoystickOpen(0) : nullptr;
    SDL_JoystickEventState(SDL_ENABLE);
}

} // namespace

// The program. Called by main; returns the exit status.
int blompMain(int argc, char** argv) {
    StartOptions opts;
    aa2 = 0;
    s2x = 0;
    getConfigFolder();
    parseArgs(argc, argv, &opts);
    if (opts.help) {
        printHelp();
        return 0;
    }
    if (SDL_Init(SDL_INIT_VIDEO) < 0) error("Unable to init SDL", SDL_GetError());
    atexit(SDL_Quit);
    openVideo(opts);
    mapColors();
    createOverlay();
    openJoystick();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == -1) error("SDL_Init", SDL_GetError());
    if (MP_OpenAudio(22050, AUDIO_S16LSB, 2, 1024) == -1) error("Mix_OpenAudio", SDL_GetError());
    allocateSFXChannels();
    SDL_WM_SetCaption("BLOMP", nullptr);
    SDL_ShowCursor(SDL_DISABLE);
    openArchives();
    loadSpriteFont(gfxSet);
    logo = loadGFX(gfxLogo[0], 1, 255, 0, 255);
    loadConfig();
    applyVolumes();
    if (opts.test) currentScreen = gameScreen;
    runScreens();
    // The choices of the intro screens: set 2 has a logo and fonts of its own.
    if (!done && gfxSet == 2) {
        freeSurface(logo);
        logo = loadGFX(gfxLogo[2], 1, 255, 0, 255);
        destroyFonts();
        loadSpriteFont(2);
    }
    background = gfxBack[gfxSet] ? loadGFX(gfxBack[gfxSet], 0, 0, 0, 0) : nullptr;
    moon = loadGFX("moon", 1, 255, 0, 255);
    loadHiscores();
    if (!done) run(opts.test);
    return exitGame();
}

// Releases everything in its fixed order. Called once by blompMain; returns 0.
int exitGame() {
    if (joystick) sysJoystickClose(joystick);
    joystick = nullptr;
    gfxShutdown();
    freeSurface(logo);
    freeSurface(moon);
    freeSurface(background);
    logo = moon = background = nullptr;
    freeBlocks();
    destroyFonts();
    for (int i = 0; i < NUM_SFX; i++) freeSFX(i);
    freeLevel();
    closeArchives();
    closeAudio();
    // The configuration is written here and only here, so volumes and pad buttons changed on the options page
    // persist.
    dumpConfig();
    freeSurface(black);
    black = nullptr;
    SDL_Quit();
    return 0;
}
