// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
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
#include "platform/video.h"
#include "platform/zda.h"
#include "world/map.h"

#include <cstdlib>

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
    sysCatchStopSignals();
    if (!videoInit()) error("Unable to init SDL", platformError());
    if (!videoOpen(opts.zoom, opts.fullScreen, opts.bpp)) error("Unable to set video mode", platformError());
    mapColors();
    if (!videoCreateOverlay()) error("Unable to set video mode", platformError());
    joystickInit();
    if (!audioInit()) error("SDL_Init", platformError());
    if (MP_OpenAudio(22050, MP_FORMAT_S16LSB, 2, 1024) == -1) error("Mix_OpenAudio", platformError());
    sysCatchStopSignals();
    allocateSFXChannels();
    videoSetCaption("BLOMP");
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
    loadScenery(gfxSet);
    loadHiscores();
    if (!done) run(opts.test);
    return exitGame();
}

// A stop signal (kill, a logout, Ctrl-C in the terminal) ends the game as the
// player's last quit does: everything released, the settings written, status 0.
// Called by checkInput on the first frame after the signal.
void exitOnStopSignal() {
    exitGame();
    exit(0);
}

// Releases everything in its fixed order. Called once by blompMain; returns 0.
int exitGame() {
    if (joystick) sysJoystickClose(joystick);
    joystick = nullptr;
    freeSurface(logo);
    logo = nullptr;
    freeScenery();
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
    videoClose();
    platformQuit();
    return 0;
}
