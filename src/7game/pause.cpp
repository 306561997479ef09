// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The pause menu of play: GO ON, SUICIDE and EXIT.
#include "7game/pause.h"

#include "1base/text.h"
#include "3audio/sound.h"
#include "4io/input.h"
#include "5world/world.h"

namespace {

constexpr int TXT_SUICIDE = 12; // the death text of the pause menu's suicide

// Pause-menu controls: which typed control does what, and whether it depends
// on the jump key being bound to the up key (then jump means "back").
enum { PAUSE_NEXT = 1, PAUSE_PREVIOUS, PAUSE_CONFIRM };
enum { JUMP_ANY, JUMP_IS_UP, JUMP_NOT_UP };
struct PauseControl {
    int32_t typed, jumpRule, action;
};
constexpr PauseControl pauseControls[] = {
    {KEY_DOWN, JUMP_ANY, PAUSE_NEXT},       {KEY_RIGHT, JUMP_ANY, PAUSE_NEXT},
    {KEY_UP, JUMP_ANY, PAUSE_PREVIOUS},     {KEY_LEFT, JUMP_ANY, PAUSE_PREVIOUS},
    {KEY_JUMP, JUMP_IS_UP, PAUSE_PREVIOUS}, {KEY_START, JUMP_ANY, PAUSE_CONFIRM},
    {KEY_JUMP, JUMP_NOT_UP, PAUSE_CONFIRM},
};

enum { PAUSE_SUICIDE = 1, PAUSE_GO_ON = 2, PAUSE_EXIT = 3 };

// The chosen pause entry.
void confirmPause(Figure& fig) {
    world.play.paused = 0;
    if (world.play.workflow == PAUSE_SUICIDE) {
        figureDying(fig, tr(TXT_SUICIDE));
        playSFX(SFX_AJ);
    } else if (world.play.workflow == PAUSE_GO_ON) {
        playSFX(SFX_JIPIE);
    } else if (world.play.workflow == PAUSE_EXIT) {
        escape = 1; // the game flow asks whether to quit
    }
    world.play.workflow = 0;
}

} // namespace

// Opens the pause menu on its first choice when fire was typed in a level while
// the figure can be touched, or when the pad was pulled out then (as consoles do:
// the player may be looking for a battery). Called by the game flow's frame loop after checkKey.
void openPauseOnFire(int level, int active) {
    if (level > 0 && active && (lastKeyTyped == KEY_FIRE || padWentAway) && !world.play.paused) {
        world.play.paused = 1;
        world.play.workflow = 2;
    }
}

// One frame of the pause menu: moves the cursor or carries out the chosen
// entry. Called by the game flow instead of the world's updates while paused.
void updatePaused(Figure& fig) {
    const int jumpIsUp = JUMP_KEY == UP_KEY;
    for (const PauseControl& c : pauseControls) {
        if (lastKeyTyped != c.typed) continue;
        if ((c.jumpRule == JUMP_IS_UP && !jumpIsUp) || (c.jumpRule == JUMP_NOT_UP && jumpIsUp)) continue;
        if (c.action == PAUSE_NEXT) {
            world.play.workflow = world.play.workflow % 3 + 1;
            playSFX(SFX_KLONK);
        } else if (c.action == PAUSE_PREVIOUS) {
            world.play.workflow = (world.play.workflow + 1) % 3 + 1;
            playSFX(SFX_KLONK);
        } else {
            confirmPause(fig);
        }
        return;
    }
}
