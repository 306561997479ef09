// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The hiscore page and the name entry: a name of up to eight characters typed
// letter by letter with the direction keys over the darkened last picture.
#include "6draw/hiscreen.h"
#include "5world/world.h"

#include "1base/error.h"
#include "2platform/fps.h"
#include "1base/text.h"
#include "6draw/draw.h"
#include "6draw/font.h"
#include "6draw/gfx.h"
#include "4io/hiscore.h"
#include "4io/input.h"
#include "2platform/sys.h"
#include "5world/figure.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int NAME_LEN = 8;      // characters of a name
constexpr int REPEAT_DELAY = 10; // frames without input after a change: a held control acts every 11 frames

// The letter before c in the entry's alphabet: blank, A..Z, round again.
char previousLetter(char c) {
    if (c == 'A') return ' ';
    if (c == ' ') return 'Z';
    return (char)(c - 1);
}

// The letter after c.
char nextLetter(char c) {
    if (c == 'Z') return ' ';
    if (c == ' ') return 'A';
    return (char)(c + 1);
}

// The picture behind the entry: the last picture of the game, frozen, darkened.
void drawEntry(Figure& figure, const char* name, const char* cursorLine) {
    drawScreen(-1, figure, 0);
    darken();
    drawTextCenterAt(screen, tr(38), 96, fontbig);
    drawTextCenterAt(screen, name, 136, fontbig);
    drawTextCenterAt(screen, cursorLine, 148, fontbig);
    flipScreen();
}

} // namespace

// The hiscore page over the darkened title. Called by the game flow each frame
// of the page, before it presents the frame.
void drawHiscorePage() {
    darken();
    drawTextCenterAt(screen, tr(21), 16, fontbig);
    for (int i = 0; i < NUM_HISCORES; i++) {
        char number[16];
        snprintf(number, sizeof number, "%05d", hiscores[i].score);
        drawTextAt(screen, hiscores[i].name, 48, 48 + 18 * i, fontbig);
        drawTextAt(screen, number, 192, 48 + 18 * i, fontbig);
    }
}

// The name entry, when the score beats the tenth entry. Up and down change the
// letter, left and right move, start (or passing the last letter) ends it; so do
// escape, the window's close button and a stop signal, and the name as typed so
// far is saved before the game goes on or ends. Called after game over and after the ending.
void checkHiscore(Figure& figure) {
    if (world.play.score <= hiscores[NUM_HISCORES - 1].score) return;
    char name[NAME_LEN + 1] = "A.......";
    char cursorLine[NAME_LEN + 1] = "-       ";
    int cursor = 0;
    int delay = 0;
    bool waitForStart = true; // false: the name was completed by moving past its end with start not held
    initFPS();
    stopDeferred = 1; // a stop signal must not end the game before the entry is saved
    if (!space) {
        for (;;) {
            if (sysStopSignal || done) break; // as if start were pressed: the name ends at the cursor
            if (delay > 0) {
                delay--;
            } else {
                checkKey();
                bool acted = true;
                if (lastKey & KEY_DOWN) {
                    name[cursor] = previousLetter(name[cursor]);
                } else if (lastKey & KEY_UP) {
                    name[cursor] = nextLetter(name[cursor]);
                } else if ((lastKey & KEY_LEFT) && cursor > 0) {
                    cursorLine[cursor] = ' ';
                    cursor--;
                    cursorLine[cursor] = '-';
                } else if ((lastKey & (KEY_RIGHT | KEY_FIRE)) ||
                           ((lastKey & KEY_JUMP) && JUMP_KEY != UP_KEY)) {
                    cursorLine[cursor] = ' ';
                    cursor++;
                    if (cursor == NAME_LEN) {
                        waitForStart = space != 0;
                        break;
                    }
                    cursorLine[cursor] = '-';
                    if (name[cursor] == '.') name[cursor] = 'A';
                } else {
                    acted = false;
                }
                if (acted) delay = REPEAT_DELAY;
            }
            if (!skipFrame) drawEntry(figure, name, cursorLine);
            controlFPS();
            if (space) break;
        }
    }
    if (waitForStart) {
        while (space && !sysStopSignal && !done) {
            checkKey();
            sysDelay(100);
        }
        // The name ends at the cursor; letters typed further right are dropped.
        if (cursor < NAME_LEN) name[cursor + 1] = 0;
    }
    stopDeferred = 0;
    saveHiscores(world.play.score, name);
    if (sysStopSignal) exitOnStopSignal();
    // A name completed by moving past its end: the control that did it is still
    // held, and its release must not answer the next screen (CONTINUE? or the title).
    while ((lastKey & (KEY_RIGHT | KEY_FIRE | KEY_JUMP)) && !done) {
        checkKey();
        sysDelay(100);
    }
    lastKeyTyped = 0;
}
