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

// The pads the player bound buttons for on the options page, by name: kept in blomp.cfg.
constexpr int MAX_PAD_MEMORY = 8; // pads remembered; the oldest gives way
constexpr int PAD_NAME = 64;      // bytes of a pad's name kept
struct PadMemory {
    char name[PAD_NAME]; // "" for a free slot
    int32_t start, jump;
};
// The start, select, jump and fire buttons of a pad the table does not know: blomp.cfg's j_ lines.
struct PadButtons {
    int32_t start, select, jump, fire;
};

// Everything input knows: the bindings, the pad, the held and typed controls and
// the per-frame flags. Only input's own functions write it (the bindings also
// through loadConfig and the options page's capture, which input hands them to);
// the game reads it, and clears the quit request through inputClearQuit.
struct Input {
    // Key bindings (SDL key symbols; -1 while being re-bound).
    int32_t UP_KEY = SDLK_UP;        // up, default cursor up
    int32_t DOWN_KEY = SDLK_DOWN;    // down (crawl), default cursor down
    int32_t RIGHT_KEY = SDLK_RIGHT;  // right, default cursor right
    int32_t LEFT_KEY = SDLK_LEFT;    // left, default cursor left
    int32_t JUMP_KEY = SDLK_UP;      // jump, default cursor up like UP_KEY
    int32_t FIRE_KEY = SDLK_SPACE;   // fire, default the space bar
    int32_t START_KEY = SDLK_RETURN; // start, default return
    // Pad bindings: button numbers (-1 none), and hat direction masks for the four directions.
    int32_t JUMP_BUTTON = 0;                  // jump button, default 0; -1 makes the stick's up jump too
    int32_t FIRE_BUTTON = 1;                  // fire button, default 1
    int32_t START_BUTTON = 7;                 // start button, default 7
    int32_t SELECT_BUTTON = 6;                // select button, default 6
    int32_t UP_BUTTON = SDL_HAT_UP;           // hat mask for up
    int32_t RIGHT_BUTTON = SDL_HAT_RIGHT;     // hat mask for right
    int32_t DOWN_BUTTON = SDL_HAT_DOWN;       // hat mask for down
    int32_t LEFT_BUTTON = SDL_HAT_LEFT;       // hat mask for left
    PadMemory padMemory[MAX_PAD_MEMORY] = {}; // start and jump bound on the options page, by pad
    PadButtons padBase = {7, 6, 0, 1};        // the buttons of a pad the table does not know

    SDL_Joystick* joystick = nullptr; // the first pad, or null
    int32_t lastKey = 0;              // controls held now (KEY_ bits)
    int32_t lastKeyTyped = 0;         // the control released during the current poll, 0 if none
    int32_t lastKeySym = 0;           // key symbol of the last key event; 0 after a pad button event
    int32_t lastJButton = 0;          // button of the last pad button event; -1 after a key event
    int done = 0;                     // quit requested by the escape key or the window's close button
    int stopDeferred =
        0; // while set, checkInput leaves a stop signal to its caller (the name entry saves first)
    int padWentAway = 0; // the pad in use was pulled out during the current poll

    // Per-frame flags written by checkKey, each 0 or 1.
    uint8_t space = 0;  // select or start held
    uint8_t left = 0;   // left held
    uint8_t right = 0;  // right held
    uint8_t jump = 0;   // jump held
    uint8_t crawl = 0;  // down held
    uint8_t escape = 0; // quit requested
};

extern Input input;

void inputOpenPad();             // opens the first pad, if one is plugged in
void inputClear();               // nothing held, nothing typed, every per-frame flag off
void inputPadBindingsRead();     // blomp.cfg was read: its buttons are a strange pad's, the open pad's layout
                                 // again
void inputRememberPadBindings(); // the start and jump buttons just bound are kept for the open pad
const char* inputPadName();      // the open pad's name, "" for none
void inputClosePad();            // closes the pad (the program's end)
void inputClearFlags();          // the per-frame flags and the quit request off, as a new game starts
void inputClearQuit();           // the quit request (done and escape) taken back: the player said no
void inputClearDone();           // the quit request seen: a new one is told apart (the quit question)
void inputAskQuit();             // escape set: the game flow asks whether to quit (pause menu, title EXIT)
void inputForget();              // nothing held, nothing typed: input read and thrown away
void inputForgetTyped();         // the control typed in this poll forgotten
void inputDeferStop(int defer);  // 1: a stop signal is left to the caller (the name entry saves first)
void inputSetHeld(int mask);     // holds left (1), right (2), jump (4) and crawl (8): demos and tools
void checkInput();               // drains the event queue into lastKey / lastKeyTyped
void checkKey();                 // checkInput, then the per-frame flags
int isSpace();                   // an action control was typed this frame
void waitKeyUp();                // waits until no key and no button is held
