// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The sequences with a picture of their own: the bonus count after a level, the
// story before the first level, the ending after the last, and game over with
// the question whether to continue.
#include "3audio/sound.h"
#include "5world/world.h"
#include "2platform/fps.h"
#include "7game/run.h"
#include "7game/stuff.h"
#include "1base/text.h"
#include "6draw/draw.h"
#include "6draw/font.h"
#include "6draw/gfx.h"
#include "6draw/hiscreen.h"
#include "4io/input.h"
#include "2platform/sys.h"
#include "5world/anims.h"
#include "5world/monsters.h"

#include <cstdio>

namespace {

constexpr int BONUS_START = 192; // frame counter when the bonus count begins
constexpr int TIME_BONUS_AT = 282;
constexpr int LIFE_BONUS_AT = 342;
constexpr int BONUS_END = 552; // 360 frames after the start
constexpr int BLINK = 32;

// One line of a text screen: a text number and its row.
struct TextLine {
    int text;
    int y;
};

const TextLine storyLines[] = {{53, 40},  {54, 60},  {55, 80},  {56, 100},
                               {57, 120}, {58, 140}, {59, 160}, {60, 200}};
const TextLine endingLines[] = {{49, 70}, {50, 90}, {51, 110}, {52, 150}};

// A black screen with lines of big text, shown at once.
void textScreen(const TextLine* lines, int count) {
    fillRect(screen, 0, 0, SCREEN_W, SCREEN_H, BLACK);
    for (int i = 0; i < count; i++) drawTextCenterAt(screen, tr(lines[i].text), lines[i].y, fontbig);
    flipScreen();
}

// True when left or right was released during this frame's poll.
bool leftOrRightTyped() {
    return input.lastKeyTyped == KEY_LEFT || input.lastKeyTyped == KEY_RIGHT;
}

} // namespace

// Counts the time and life bonuses over the darkened level for six seconds, then
// goes on to the next level. The test level ends the game instead.
FlowStep levelComplete(Flow& g) {
    if (g.test) return FLOW_LEAVE;
    playSFX(SFX_JIPIE);
    const int32_t timeBonus = world.timeLeft / 60;
    snprintf(g.bonusA, sizeof g.bonusA, "%s: %d", tr(44), timeBonus);
    MP_FadeOutMusic(5000);
    g.frame = BONUS_START;
    Figure away = world.figure; // the play-field is drawn without the figure, who is in the door
    away.alive = 0;
    initFPS();
    while (g.frame < BONUS_END) {
        checkInput();
        inputForget();
        if (g.frame == TIME_BONUS_AT) addScore(timeBonus);
        if (g.frame == LIFE_BONUS_AT) {
            // An extra life from the time bonus counts here, and the line shows what is added.
            snprintf(g.bonusB, sizeof g.bonusB, "%s: %d", tr(45), world.play.lives);
            addScore(world.play.lives);
        }
        drawScreen(g.frame, away, 0);
        if (!skipFrame) {
            darken();
            drawTextCenterAt(screen, tr(46), 70, fontbig);
            if (g.frame >= TIME_BONUS_AT) drawTextCenterAt(screen, g.bonusA, 110, fontbig);
            if (g.frame >= LIFE_BONUS_AT) drawTextCenterAt(screen, g.bonusB, 130, fontbig);
            if (world.play.level <= 15 && !(g.frame & BLINK)) {
                drawTextCenterAt(screen, tr(47), 160, fontbig);
                drawTextCenterAt(screen, tr(48), 180, fontbig);
            }
        }
        g.frame++;
        if (!skipFrame) flipScreen();
        controlFPS();
    }
    world.play.level++;
    return FLOW_AFTER_LEVEL;
}

// The story before level 1; the escape key goes back to the title.
FlowStep story(Flow& g) {
    (void)g;
    releaseWait();
    textScreen(storyLines, 8);
    while (!isSpace()) {
        if (input.escape) return FLOW_RETURN_TO_TITLE;
        checkKey();
        sysDelay(100);
    }
    return FLOW_NEW_LEVEL;
}

// The ending after level 16, then the hiscore entry and the title.
FlowStep ending(Flow&) {
    releaseWait();
    textScreen(endingLines, 4);
    while (!isSpace() && !input.escape) {
        checkKey();
        sysDelay(100);
    }
    releaseWait();
    if (input.escape) {
        inputClearQuit();
    }
    checkHiscore(world.figure);
    initVars0();
    return FLOW_NEW_LEVEL;
}

// Game over over the still moving level, the hiscore entry, then the question
// whether to play the lost level again.
FlowStep gameOver(Flow& g) {
    stopMusic(g.music);
    g.music = loadMusic(1);
    MP_PlayMusic(g.music, -1);
    releaseWait();
    char scoreLine[64];
    snprintf(scoreLine, sizeof scoreLine, "%s: %d", tr(61), world.play.score);
    initFPS();
    while (!isSpace() && !input.done) {
        checkKey();
        worldStep(); // the figure is gone: only the objects and the monsters move
        drawScreen(g.frame, world.figure, 0);
        g.frame++;
        if (!skipFrame) {
            drawTextCenterAt(screen, tr(62), 96, fontbig);
            drawTextCenterAt(screen, scoreLine, 136, fontbig);
            if (!(g.frame & BLINK) && world.play.messageString[0])
                drawTextCenterAt(screen, world.play.messageString, 116, fontbig);
            flipScreen();
        }
        controlFPS();
    }
    releaseWait();
    if (input.done)
        inputClearQuit(); // escape only ends the picture, as on the ending: the entry and the question follow
    world.play.messageString[0] = 0;
    checkHiscore(world.figure);
    inputForgetTyped(); // only a release seen while the question is up answers it
    initFPS();
    while (!leftOrRightTyped() && !input.done) { // a quit request answers no
        checkKey();
        worldStep(); // the figure is gone: only the objects and the monsters move
        drawScreen(g.frame, world.figure, 0);
        g.frame++;
        if (!skipFrame) {
            darken();
            drawTextCenterAt(screen, tr(63), 96, fontbig);
            drawTextCenterAt(screen, tr(42), 128, font);
            flipScreen();
        }
        controlFPS();
    }
    const int32_t lost = world.play.level;
    const bool again = input.lastKeyTyped == KEY_LEFT;
    initVars0();
    inputClearQuit();
    if (again) world.play.level = lost;
    return FLOW_NEW_LEVEL;
}
