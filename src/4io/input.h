// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Keyboard and pad input. Once per frame the event queue is drained into the
// held controls `lastKey` and the control released during that poll
// (`lastKeyTyped`); checkKey turns them into the per-frame flags the figure
// reads. Menus react to released controls, play to held ones.
#pragma once

#include <SDL.h>
#include <cstdint>

// Control bits of lastKey and values of lastKeyTyped.
enum {
    KEY_SELECT = 0x001,
    KEY_START = 0x002,
    KEY_FIRE = 0x004,
    KEY_JUMP = 0x008,
    KEY_LEFT = 0x010,
    KEY_RIGHT = 0x020,
    KEY_DOWN = 0x040,
    KEY_UP = 0x080,
    KEY_D = 0x100,
    KEY_L = 0x200,
    KEY_R = 0x400,
    KEY_C = 0x800,
};

constexpr int32_t STICK_DEAD_ZONE = 31000; // the stick counts as pushed only beyond this, either way

// Key bindings (SDL key symbols; -1 while being re-bound).
extern int32_t UP_KEY;    // up, default cursor up
extern int32_t DOWN_KEY;  // down (crawl), default cursor down
extern int32_t RIGHT_KEY; // right, default cursor right
extern int32_t LEFT_KEY;  // left, default cursor left
extern int32_t JUMP_KEY;  // jump, default cursor up like UP_KEY
extern int32_t FIRE_KEY;  // fire, default the space bar
extern int32_t START_KEY; // start, default return
// Pad bindings: button numbers (-1 none), and hat direction masks for the four directions.
extern int32_t JUMP_BUTTON;   // jump button, default 0; -1 makes the stick's up jump too
extern int32_t FIRE_BUTTON;   // fire button, default 1
extern int32_t START_BUTTON;  // start button, default 7
extern int32_t SELECT_BUTTON; // select button, default 6
extern int32_t UP_BUTTON;     // hat mask for up, default SDL_HAT_UP
extern int32_t RIGHT_BUTTON;  // hat mask for right, default SDL_HAT_RIGHT
extern int32_t DOWN_BUTTON;   // hat mask for down, default SDL_HAT_DOWN
extern int32_t LEFT_BUTTON;   // hat mask for left, default SDL_HAT_LEFT

extern SDL_Joystick* joystick; // the first pad, or null
extern int32_t lastKey;        // controls held now (KEY_ bits)
extern int32_t lastKeyTyped;   // the control released during the current poll, 0 if none
extern int32_t lastKeySym;     // key symbol of the last key event; 0 after a pad button event
extern int32_t lastJButton;    // button of the last pad button event; -1 after a key event
extern int done;               // quit requested by the escape key or the window's close button
extern int
    stopDeferred; // while set, checkInput leaves a stop signal to its caller (the name entry saves first)

// Per-frame flags written by checkKey, each 0 or 1.
extern uint8_t space;   // select or start held
extern uint8_t left;    // left held
extern uint8_t right;   // right held
extern uint8_t jump;    // jump held
extern uint8_t crawl;   // down held
extern uint8_t escape;  // quit requested; only the game flow clears it
extern int padWentAway; // the pad in use was pulled out during the current poll

// The pads the player bound buttons for on the options page, by name: kept in blomp.cfg.
constexpr int MAX_PAD_MEMORY = 8; // pads remembered; the oldest gives way
constexpr int PAD_NAME = 64;      // bytes of a pad's name kept
struct PadMemory {
    char name[PAD_NAME]; // "" for a free slot
    int32_t start, jump;
};
extern PadMemory padMemory[MAX_PAD_MEMORY];
// The start, select, jump and fire buttons of a pad the table does not know: blomp.cfg's j_ lines.
struct PadButtons {
    int32_t start, select, jump, fire;
};
extern PadButtons padBase;

void inputOpenPad();             // opens the first pad, if one is plugged in
void inputClear();               // nothing held, nothing typed, every per-frame flag off
void inputPadBindingsRead();     // blomp.cfg was read: its buttons are a strange pad's, the open pad's layout
                                 // again
void inputRememberPadBindings(); // the start and jump buttons just bound are kept for the open pad
const char* inputPadName();      // the open pad's name, "" for none
void checkInput();               // drains the event queue into lastKey / lastKeyTyped
void checkKey();                 // checkInput, then the per-frame flags
int isSpace();                   // an action control was typed this frame
void waitKeyUp();                // waits until no key and no button is held
