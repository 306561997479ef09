// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Start-up and shutdown: the whole program from the command line to the last
// release, in a fixed order.
#include "7game/startup.h"

#include "3audio/music.h"
#include "3audio/sound.h"
#include "2platform/fps.h"
#include "7game/run.h"
#include "7game/screens.h"
#include "6draw/font.h"
#include "6draw/gfx.h"
#include "4io/config.h"
#include "4io/hiscore.h"
#include "4io/input.h"
#include "2platform/sys.h"
#include "2platform/video.h"
#include "2platform/zda.h"
#include "5world/map.h"

#include <cstdlib>

namespace {
// A stop signal (kill, a logout, Ctrl-C in the terminal) ends the game as the
// player's last quit does: everything released, the settings written, status 0.
// Run by exitOnStopSignal on the first frame after the signal.
void stopGame() {
    exitGame();
}
} // namespace

// The program. Called by main; returns the exit status.
int blompMain(int argc, char** argv) {
    StartOptions opts;
    stopHook = stopGame;
    aa2 = 0;
    s2x = 0;
    getConfigFolder();
    parseArgs(argc, argv, &opts);
    if (opts.help) {
        printHelp();
        return 0;
    }
    sysCatchSignals();
    if (!videoInit()) error("Unable to init SDL", platformError());
    if (!videoOpen(opts.zoom, opts.fullScreen, opts.bpp)) error("Unable to set video mode", platformError());
    mapColors();
    if (!videoCreateOverlay()) error("Unable to set video mode", platformError());
    inputOpenPad();
    if (!audioInit()) error("SDL_Init", platformError());
    if (MP_OpenAudio(22050, MP_FORMAT_S16LSB, 2, 1024) == -1) error("Mix_OpenAudio", platformError());
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
    if (!input.done && gfxSet == 2) {
        freeSurface(logo);
        logo = loadGFX(gfxLogo[2], 1, 255, 0, 255);
        destroyFonts();
        loadSpriteFont(2);
    }
    loadScenery(gfxSet);
    loadHiscores();
    if (!input.done) run(opts.test);
    return exitGame();
}

// Releases everything in its fixed order. Called once by blompMain; returns 0.
int exitGame() {
    inputClosePad();
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
    runExitFunctions(); // the display, then SDL (registered by videoInit)
    return 0;
}
