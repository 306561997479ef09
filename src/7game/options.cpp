// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The options page: re-binding the start, left, right and jump keys and the
// start and jump buttons of a pad, and the two volumes in steps of 5 percent.
#include "7game/options.h"
#include "5world/world.h"

#include "3audio/sound.h"
#include "7game/run.h"
#include "7game/stuff.h"
#include "1base/text.h"
#include "6draw/font.h"
#include "6draw/gfx.h"
#include "4io/input.h"

#include <cstdio>

int32_t cfgIndex = 0;
int32_t cfgCount = 0;
int32_t cfgStatus = 0;
int32_t cfgStep = 0;

namespace {

enum { OPT_KEYS, OPT_PAD, OPT_MUSIC, OPT_SFX, OPT_BACK };
constexpr int OPTION_ROWS = 5;
constexpr int CHANGE_DELAY =
    10; // frames without input after a change: a held control repeats every 11 frames

// The key bindings a capture offers keys to, in the order of its prompts.
int32_t* const captureKeys[4] = {&START_KEY, &LEFT_KEY, &RIGHT_KEY, &JUMP_KEY};
int32_t* const captureButtons[2] = {&START_BUTTON, &JUMP_BUTTON};
const int keyPrompts[4] = {26, 27, 28, 29}; // PRESS START KEY ... PRESS JUMP KEY
const int buttonPrompts[2] = {32, 33};      // PRESS START BUTTON, PRESS JUMP BUTTON

// The control was released this frame, or is held.
bool typedOrHeld(int control) {
    return lastKeyTyped == control || (lastKey & control);
}

// One step of a volume in percent: up 5 (97 and more go to 100) or down 5 (4 and less go to 0).
void stepVolume(int32_t* percent, int32_t* volume, int up) {
    if (up)
        *percent = *percent > 95 ? 100 : *percent + 5;
    else
        *percent = *percent > 4 ? *percent - 5 : 0;
    *volume = percentToVolume(*percent);
}

constexpr int KEYS_TO_CAPTURE = 4;    // start, left, right, jump
constexpr int BUTTONS_TO_CAPTURE = 2; // start, jump

} // namespace

// Binds the last pressed key unless one of the four keys being captured already has
// it, so no two of them share a key, or up, down or fire has it: those are read first,
// and a left or right key among them could be held but never typed, so the quit and
// continue questions, which only left and right answer, could never be left. Jump may
// share the up key, as it does by default. Called by the options page, once per prompt.
void configKey(int32_t* binding) {
    int32_t k = lastKeySym;
    const bool readFirst = (k == UP_KEY && binding != &JUMP_KEY) || k == DOWN_KEY || k == FIRE_KEY;
    if (k != 0 && !readFirst && k != START_KEY && k != JUMP_KEY && k != LEFT_KEY && k != RIGHT_KEY) {
        *binding = k;
        cfgStep++;
        if (cfgStep >= KEYS_TO_CAPTURE) cfgStatus = 0;
    }
    waitKeyUp();
}

// Binds the last pressed pad button unless start or jump already has it. A null binding
// only waits. Called by the options page, once per prompt.
void configButton(int32_t* binding) {
    if (binding) {
        int32_t b = lastJButton;
        if (b != -1 && b != START_BUTTON && b != JUMP_BUTTON) {
            *binding = b;
            cfgStep++;
            if (cfgStep >= BUTTONS_TO_CAPTURE) {
                cfgStatus = 0;
                inputRememberPadBindings(); // kept for this pad in blomp.cfg
            }
        }
    }
    waitKeyUp();
}

// The page's rules, the first that applies ends the frame. Called by the game flow on the options page.
void optionsUpdate() {
    if (confirmTyped()) {
        waitKeyUp();
        if (cfgIndex == OPT_KEYS) {
            for (int32_t* k : captureKeys) *k = -1;
            cfgStatus = 1;
            cfgCount = CHANGE_DELAY;
            cfgStep = 0;
        } else if (cfgIndex == OPT_PAD) {
            if (joystick) {
                for (int32_t* b : captureButtons) *b = -1;
                cfgStatus = 1;
            }
            cfgCount = CHANGE_DELAY;
            cfgStep = 0;
        } else if (cfgIndex == OPT_BACK) {
            world.play.workflow = 4; // back to the menu, the cursor on OPTIONS
        }
        return;
    }
    if (cfgCount != 0) {
        if (cfgCount > 0) cfgCount--;
        return;
    }
    if (typedOrHeld(KEY_UP)) {
        cfgIndex = cfgIndex == 0 ? OPTION_ROWS - 1 : cfgIndex - 1;
        cfgCount = CHANGE_DELAY;
    } else if (typedOrHeld(KEY_DOWN)) {
        cfgIndex = cfgIndex == OPTION_ROWS - 1 ? 0 : cfgIndex + 1;
        cfgCount = CHANGE_DELAY;
    } else if (cfgIndex == OPT_MUSIC && (typedOrHeld(KEY_RIGHT) || typedOrHeld(KEY_LEFT))) {
        stepVolume(&_mus_volume_100_, &_mus_volume_, typedOrHeld(KEY_RIGHT));
        MP_VolumeMusic(_mus_volume_);
        cfgCount = CHANGE_DELAY;
    } else if (cfgIndex == OPT_SFX && (typedOrHeld(KEY_RIGHT) || typedOrHeld(KEY_LEFT))) {
        stepVolume(&_sfx_volume_100_, &_sfx_volume_, typedOrHeld(KEY_RIGHT));
        setSFXVolume(_sfx_volume_);
        playSFX(SFX_TADA); // the new volume, heard at once
        cfgCount = CHANGE_DELAY;
    }
}

// One frame of a capture: after a short pause, each key (or button) pressed is
// offered to the binding of the prompt shown. Called by the game flow.
void optionsCapture() {
    if (cfgCount != 0) {
        if (cfgCount > 0) cfgCount--;
        return;
    }
    if (lastJButton == -1 && lastKeySym == 0) return; // nothing pressed since the last wait
    if (cfgIndex == OPT_KEYS) {
        if (cfgStep < 0 || cfgStep > 3) return;
        const int wasJump = cfgStep == 3;
        configKey(captureKeys[cfgStep]);
        if (wasJump) {
            printf("%d %d\n", lastKeyTyped, cfgStatus);
            fflush(stdout);
        }
    } else if (cfgIndex == OPT_PAD) {
        if (cfgStep < 0 || cfgStep > 1) return;
        configButton(captureButtons[cfgStep]);
    }
    if (cfgStatus == 0) {
        // The release of the control just bound is still queued; the page would
        // take a new jump key's release for a confirm and start the capture again.
        checkInput();
        lastKeyTyped = 0;
    }
}

// The page, or the prompt of a running capture, over the darkened title.
void optionsDraw() {
    darken();
    drawTextCenterAt(screen, tr(22), 64, fontbig);
    drawTextCenterAt(screen, "BLOMP V1.0B", 216, fontbig);
    if (cfgStatus != 0 && cfgIndex == OPT_KEYS) {
        if (cfgStep >= 0 && cfgStep < 4) drawTextCenterAt(screen, tr(keyPrompts[cfgStep]), 124, font);
        return;
    }
    if (cfgStatus != 0 && cfgIndex == OPT_PAD) {
        if (cfgStep >= 0 && cfgStep < 2) drawTextCenterAt(screen, tr(buttonPrompts[cfgStep]), 124, font);
        return;
    }
    drawTextAt(screen, ">", 14, cfgIndex < OPT_BACK ? 112 + 10 * cfgIndex : 176, font);
    char number[16];
    drawTextAt(screen, tr(25), 24, 112, font);
    drawTextAt(screen, tr(23), 192, 112, font);
    drawTextAt(screen, tr(31), 24, 122, font);
    drawTextAt(screen, tr(joystick ? 23 : 24), 192, 122, font);
    drawTextAt(screen, tr(35), 24, 132, font);
    snprintf(number, sizeof number, "%d", _mus_volume_100_);
    drawTextAt(screen, number, 192, 132, font);
    drawTextAt(screen, tr(36), 24, 142, font);
    snprintf(number, sizeof number, "%d", _sfx_volume_100_);
    drawTextAt(screen, number, 192, 142, font);
    drawTextAt(screen, tr(37), 24, 176, font);
}
