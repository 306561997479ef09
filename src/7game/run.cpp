// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The game flow: level starts, the frame loop and its states, deaths, the
// title's menus, and the steps between levels.
#include "7game/run.h"
#include "5world/world.h"

#include "3audio/sound.h"
#include "2platform/fps.h"
#include "7game/options.h"
#include "7game/pause.h"
#include "7game/stuff.h"
#include "1base/text.h"
#include "6draw/draw.h"
#include "6draw/font.h"
#include "6draw/gfx.h"
#include "6draw/hiscreen.h"
#include "4io/input.h"
#include "2platform/sys.h"
#include "5world/anims.h"
#include "5world/map.h"
#include "5world/monsters.h"

#include <cstdlib>

const char* const levelNames[NUM_LEVEL_NAMES] = {"plan0", "beginner", "plan8", "plan2", "plan6", "planc",
                                                 "plan1", "plan3",    "plan4", "plan7", "plana", "plan9",
                                                 "planb", "plan5",    "pland", "plane", "planf"};

namespace {

// Main-menu entries, the values of workflow on the title.
enum { MENU_NEW_GAME = 1, MENU_CONTINUE, MENU_HISCORES, MENU_OPTIONS, MENU_EXIT };
constexpr int PAGE_HISCORES = -3; // workflow while the hiscore page is shown
constexpr int PAGE_OPTIONS = -4;  // workflow while the options page is shown
constexpr int TITLE_TRACK = 0;    // module of the title

// True when `control` was released during this frame's poll.
bool typed(int control) {
    return lastKeyTyped == control;
}

// The module of a level: the title's own, or level % 16 + 2 (the test level gets 1).
int levelTrack(int lvl) {
    return lvl == 0 ? TITLE_TRACK : lvl % 16 + 2;
}

// Prepares a level (or the title) and the figure, and starts the music if due.
void levelStart(Flow& g) {
    fillRect(screen, 0, 0, SCREEN_W, SCREEN_H, BLACK);
    // The test level is read from its plain file; the title and the levels from the maps archive.
    const int32_t lvl = world.play.level;
    worldStart(g.test && lvl < 0 ? nullptr : levelNames[lvl < 0 ? 0 : lvl], lvl == 0);
    placeMoon();
    if (g.reloadMusic) {
        stopMusic(g.music);
        g.music = loadMusic(levelTrack(world.play.level));
        MP_FadeInMusic(g.music, -1, 300);
    }
    world.play.paused = 0;
    g.frame = 0;
    initFPS();
}

// The quit question over the frozen play-field. Left leaves escape set (the
// next pass returns to the title), right takes play up again.
void quitDialog() {
    skipFrame = 0;
    // Opened from the pause menu, the question stands alone: the menu's own
    // text would lie under it. The menu is still open when the answer is no.
    const uint8_t wasPaused = world.play.paused;
    world.play.paused = 0;
    drawScreen(32, world.figure, 0);
    world.play.paused = wasPaused;
    darken();
    drawTextCenterAt(screen, tr(41), 96, fontbig);
    drawTextCenterAt(screen, tr(42), 128, font);
    drawTextCenterAt(screen, tr(43), 140, font);
    flipScreen();
    // The request that opened the question is answered here; a new one (escape again,
    // the window's close button) answers it with yes.
    done = 0;
    while (!typed(KEY_LEFT) && !typed(KEY_RIGHT) && !done) {
        checkInput();
        sysDelay(100);
    }
    if (typed(KEY_RIGHT) && !done) {
        initFPS();
        escape = 0;
        done = 0;
        playSFX(SFX_JIPIE);
    } else {
        playSFX(SFX_AJ);
    }
}

// The title's menus, once a frame while the demonstration level scrolls.
// Returns FLOW_LEVEL_START to stay in the frame loop, or where to go next.
FlowStep titleLogic(Flow& g) {
    if (world.play.workflow == PAGE_OPTIONS && cfgStatus != 0) {
        optionsCapture();
        return FLOW_LEVEL_START;
    }
    moveForward(1);
    if (world.play.workflow == 0) {
        if (confirmTyped()) {
            // Keep the world moving until the confirming control has been let go.
            do {
                worldStep(); // no figure on the title: only the objects and the monsters move
                drawScreen(g.frame, world.figure, 1);
                checkKey();
            } while (confirmTyped());
            world.play.workflow = world.play.saved > 0 ? MENU_CONTINUE : MENU_NEW_GAME;
        } else if (typed(KEY_RIGHT) || typed(KEY_DOWN)) {
            world.play.workflow = MENU_NEW_GAME;
            playSFX(SFX_KLONK);
        } else if (backTyped()) {
            world.play.workflow = MENU_EXIT;
            playSFX(SFX_KLONK);
        }
    } else if (world.play.workflow >= MENU_NEW_GAME && world.play.workflow <= MENU_EXIT) {
        if (typed(KEY_RIGHT) || typed(KEY_DOWN)) {
            world.play.workflow = world.play.workflow == MENU_EXIT ? MENU_NEW_GAME : world.play.workflow + 1;
            playSFX(SFX_KLONK);
        } else if (backTyped()) {
            world.play.workflow = world.play.workflow == MENU_NEW_GAME ? MENU_EXIT : world.play.workflow - 1;
            playSFX(SFX_KLONK);
        } else if (confirmTyped()) {
            switch (world.play.workflow) {
            case MENU_NEW_GAME:
                playSFX(SFX_JIPIE);
                world.play.level = 1;
                return FLOW_AFTER_LEVEL;
            case MENU_CONTINUE:
                playSFX(SFX_JIPIE);
                world.play.level = world.play.saved + 1;
                return FLOW_AFTER_LEVEL;
            case MENU_HISCORES: world.play.workflow = PAGE_HISCORES; break;
            case MENU_OPTIONS:
                world.play.workflow = PAGE_OPTIONS;
                cfgIndex = cfgCount = cfgStatus = 0;
                break;
            case MENU_EXIT:
                playSFX(SFX_AJ);
                escape = 1;
                releaseWait();
                return FLOW_LEAVE;
            }
        }
    } else if (world.play.workflow == PAGE_HISCORES) {
        if (confirmTyped()) world.play.workflow = MENU_HISCORES;
    } else if (world.play.workflow == PAGE_OPTIONS) {
        optionsUpdate();
    }
    return FLOW_LEVEL_START;
}

// Moves the title's credits scroller on by one frame: a pixel every two frames.
void advanceScroller() {
    if (++world.play.scrolldx < 16) return;
    world.play.scrolldx = 0;
    if (++world.play.scrollidx >= world.play.scrollmax) world.play.scrollidx = 0;
}

// The frame loop: runs until the level (or title) is left one way or another.
FlowStep frameLoop(Flow& g) {
    for (;;) {
        // 1-3: what the figure's state and a quit request decide.
        // The countdown runs whenever the figure is gone; on the title it has no end,
        // so it rests at 0 there instead of running on for ever.
        if (!world.figure.alive && (world.play.level != 0 || world.figure.timer > 0)) world.figure.timer--;
        const bool dead = !world.figure.alive && world.figure.timer <= 0 && world.play.level != 0;
        const bool made = haveMadeit(world.figure);
        if (escape) return world.play.level > 0 ? FLOW_RETURN_TO_TITLE : FLOW_LEAVE;
        if (dead) {
            // Death resolution: one life less; the last one ends the game.
            if (--world.play.lives == 0) return gameOver(g);
            world.play.messageString[0] = 0;
            g.frame = 0;
            g.reloadMusic = 0;
            releaseWait();
            return FLOW_LEVEL_START;
        }
        if (made) return levelComplete(g);

        // 4: input; during a level's intro it is read and thrown away.
        const bool intro = g.frame <= LEVEL_INTRO && world.play.level != 0;
        if (intro) {
            checkInput();
            lastKey = 0;
            lastKeyTyped = 0;
        } else {
            checkKey();
            openPauseOnFire(world.play.level, isActive(world.figure));
        }

        // 5: the world moves.
        if (intro) {
        } else if (world.play.paused) {
            updatePaused(world.figure);
        } else {
            worldStep();
            if (world.play.level == 0) {
                FlowStep next = titleLogic(g);
                if (next != FLOW_LEVEL_START) return next;
            }
        }

        // 6-7: the picture, and what is drawn over it.
        const bool title = world.play.level == 0;
        drawScreen(g.frame, world.figure, world.play.level > 0 || world.play.workflow >= 0 ? 1 : 0);
        if (title) {
            if (world.play.workflow == PAGE_HISCORES || world.play.workflow == PAGE_OPTIONS) {
                if (!skipFrame) {
                    if (world.play.workflow == PAGE_HISCORES)
                        drawHiscorePage();
                    else
                        optionsDraw();
                    flipScreen();
                }
                controlFPS();
            } else {
                advanceScroller();
            }
        } else if (escape) {
            quitDialog();
        }
        g.frame++;
    }
}

// After a level is done or a game begins: the ending, the story, or the saved game and the next level.
FlowStep afterLevel(Flow& g) {
    if (world.play.level >= 17) return ending(g);
    if (world.play.level == 1) return story(g);
    saveGame();
    return FLOW_NEW_LEVEL;
}

} // namespace

// Jump released while it is not the up key, or start, or fire released.
int confirmTyped() {
    return (typed(KEY_JUMP) && JUMP_KEY != UP_KEY) || typed(KEY_START) || typed(KEY_FIRE);
}

// Up or left released, or jump released while it is the up key (the default keys
// report a released cursor up as jump).
int backTyped() {
    return typed(KEY_UP) || typed(KEY_LEFT) || (typed(KEY_JUMP) && JUMP_KEY == UP_KEY);
}

// Waits, polling every 100 ms, until the control that ended a screen is released;
// a quit request ends the wait too (a stop signal ends the game at the poll).
void releaseWait() {
    while (isSpace() && !done) {
        checkKey();
        sysDelay(100);
    }
}

// The game. Called once by main after the intro screens.
void run(int test) {
    static Flow g; // large enough to keep off the stack; one game runs at a time
    g = Flow();
    g.test = test;
    initStuff();
    if (!test)
        world.play.saved = loadGame();
    else
        world.play.level = -1;
    setStart(16, 100);
    g.music = nullptr;
    g.reloadMusic = 1;
    FlowStep next = escape ? FLOW_LEAVE : FLOW_LEVEL_START;
    while (next != FLOW_LEAVE) {
        switch (next) {
        case FLOW_LEVEL_START:
            levelStart(g);
            next = frameLoop(g);
            break;
        case FLOW_AFTER_LEVEL: next = afterLevel(g); break;
        case FLOW_NEW_LEVEL:
            setStart(16, 100);
            stopMusic(g.music);
            g.music = nullptr;
            g.reloadMusic = 1;
            releaseWait();
            next = escape ? FLOW_LEAVE : FLOW_LEVEL_START;
            break;
        case FLOW_RETURN_TO_TITLE:
            initVars0();
            setStart(16, 100);
            done = 0;
            escape = 0;
            stopMusic(g.music);
            g.music = nullptr;
            g.reloadMusic = 1;
            releaseWait();
            next = FLOW_LEVEL_START;
            break;
        case FLOW_LEAVE: break;
        }
    }
    stopMusic(g.music);
    g.music = nullptr;
}
