// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Keyboard and pad input: SDL events into held and released controls, the
// per-frame flags, and the capture of new bindings for the options page.
#include "4io/input.h"

#include <cstring>

#include "1base/error.h"
#include "2platform/devwatch.h"
#include "2platform/sys.h"
#include "2platform/video.h"
#include "4io/pads.h"

#include <cstdio>
#include <cstring>

Input input;

namespace {

constexpr int PAD_BUTTONS = 256; // SDL numbers a pad's buttons with one byte
const char* const PAD_FOLDER = "/dev/input";

int32_t padHeld = 0;    // the controls the pad holds now, let go of when it goes away
char padName[PAD_NAME]; // the name of the open pad

// Buttons that read as held when the pad was opened (some pads report one so for good):
// they count as not held until they have been let go once, or a wait for every control
// to come up would never end.
uint8_t heldAtOpen[PAD_BUTTONS];

constexpr int FIRST_LOCK_KEY = SDLK_NUMLOCK;  // the lock keys stay "held" while their light is on,
constexpr int LAST_LOCK_KEY = SDLK_SCROLLOCK; // so waiting for them to come up would never end

// The fixed keys: select and four letters whose release any "press a key" screen accepts.
const int32_t SELECT_SYM = SDLK_s;
const int32_t D_SYM = SDLK_d;
const int32_t L_SYM = SDLK_l;
const int32_t R_SYM = SDLK_r;
const int32_t C_SYM = SDLK_c;

// A direction: pressing it lets go of its opposite.
struct Direction {
    const int32_t* binding;
    int32_t bit;
    int32_t opposite;
};

// A control bound to one key or one button.
struct Control {
    const int32_t* binding;
    int32_t bit;
};

// Directions come first, then the controls; a key may be both (cursor up jumps as well).
const Direction keyDirections[] = {
    {&input.UP_KEY, KEY_UP, KEY_DOWN},
    {&input.DOWN_KEY, KEY_DOWN, KEY_UP},
    {&input.RIGHT_KEY, KEY_RIGHT, KEY_LEFT},
    {&input.LEFT_KEY, KEY_LEFT, KEY_RIGHT},
};

constexpr int BOUND_CONTROLS = 3; // jump, fire and start; the rest of keyControls are fixed keys
const Control keyControls[] = {
    {&input.JUMP_KEY, KEY_JUMP},
    {&input.FIRE_KEY, KEY_FIRE},
    {&input.START_KEY, KEY_START},
    {&SELECT_SYM, KEY_SELECT},
    {&D_SYM, KEY_D},
    {&L_SYM, KEY_L},
    {&R_SYM, KEY_R},
    {&C_SYM, KEY_C},
};

// Pressed and released buttons are looked up in a slightly different order; it only
// matters when two controls share a button.
const Control buttonsPressed[] = {
    {&input.JUMP_BUTTON, KEY_JUMP},
    {&input.FIRE_BUTTON, KEY_FIRE},
    {&input.START_BUTTON, KEY_START},
    {&input.SELECT_BUTTON, KEY_SELECT},
};

const Control buttonsReleased[] = {
    {&input.JUMP_BUTTON, KEY_JUMP},
    {&input.FIRE_BUTTON, KEY_FIRE},
    {&input.SELECT_BUTTON, KEY_SELECT},
    {&input.START_BUTTON, KEY_START},
};

// Holds a direction and lets go of its opposite. Called by the event handlers.
void hold(int32_t bit, int32_t opposite) {
    input.lastKey = (input.lastKey | bit) & ~opposite;
}

// Lets go of a control and reports it typed, held or not: menus must see a release
// even after waitKeyUp has forgotten the press. Called by the event handlers.
void letGo(int32_t bit) {
    input.lastKey &= ~bit;
    input.lastKeyTyped = bit;
}

// Lets go of a control only if it is held; returns 1 when it was. Called by the stick and hat handlers.
int letGoHeld(int32_t bit) {
    if (!(input.lastKey & bit)) return 0;
    letGo(bit);
    return 1;
}

// The first control of a table bound to value, or null. Called by the key and button handlers.
const Control* findControl(const Control* table, int count, int32_t value) {
    for (int i = 0; i < count; i++)
        if (*table[i].binding == value) return &table[i];
    return nullptr;
}

// A key pressed or released. Called by checkInput.
void keyEvent(int32_t sym, int pressed) {
    input.lastJButton = -1;
    input.lastKeySym = sym;
    bool direction = false;
    for (const Direction& d : keyDirections) {
        if (*d.binding != sym) continue;
        if (pressed)
            hold(d.bit, d.opposite);
        else
            letGo(d.bit);
        direction = true;
        break;
    }
    const Control* c = findControl(keyControls, int(sizeof keyControls / sizeof keyControls[0]), sym);
    // A fixed key counts only when no direction has it: a right key bound to the d types right.
    if (c && direction && c - keyControls >= BOUND_CONTROLS) c = nullptr;
    if (c) {
        if (pressed)
            input.lastKey |= c->bit;
        else
            letGo(c->bit);
    } else if (pressed && sym == SDLK_ESCAPE) {
        input.done = 1;
    }
}

// The stick moved; only beyond the dead zone does it count as pushed. Called by checkInput.
void axisEvent(int axis, int value) {
    if (axis == 0) {
        if (value > STICK_DEAD_ZONE)
            hold(KEY_RIGHT, KEY_LEFT);
        else if (value < -STICK_DEAD_ZONE)
            hold(KEY_LEFT, KEY_RIGHT);
        else if (!letGoHeld(KEY_RIGHT))
            letGoHeld(KEY_LEFT);
    } else if (axis == 1) {
        if (value < -STICK_DEAD_ZONE) {
            hold(KEY_UP, KEY_DOWN);
            if (input.JUMP_BUTTON == -1)
                input.lastKey |= KEY_JUMP; // a pad without a jump button jumps with the stick
        } else if (value > STICK_DEAD_ZONE) {
            hold(KEY_DOWN, KEY_UP);
        } else {
            if (!letGoHeld(KEY_DOWN)) letGoHeld(KEY_UP);
            if (input.JUMP_BUTTON == -1) letGoHeld(KEY_JUMP);
        }
    }
}

// The hat moved. A direction is let go only when the hat comes back to the centre,
// so sliding from up-left to up keeps left held. Called by checkInput.
void hatEvent(int value) {
    if (value & input.UP_BUTTON)
        hold(KEY_UP, KEY_DOWN);
    else if (value & input.DOWN_BUTTON)
        hold(KEY_DOWN, KEY_UP);
    if (value & input.LEFT_BUTTON) {
        hold(KEY_LEFT, KEY_RIGHT);
    } else if (value & input.RIGHT_BUTTON) {
        hold(KEY_RIGHT, KEY_LEFT);
    } else if (value == SDL_HAT_CENTERED) {
        if (!letGoHeld(KEY_DOWN)) letGoHeld(KEY_UP);
        if (!letGoHeld(KEY_RIGHT)) letGoHeld(KEY_LEFT);
    }
}

// A pad button pressed or released. Called by checkInput.
void buttonEvent(int button, int pressed) {
    if (button >= 0 && button < PAD_BUTTONS && heldAtOpen[button]) {
        if (!pressed) heldAtOpen[button] = 0; // let go at last: from now on it counts
        return;
    }
    input.lastKeySym = 0;
    input.lastJButton = button;
    const Control* table = pressed ? buttonsPressed : buttonsReleased;
    const Control* c = findControl(table, int(sizeof buttonsPressed / sizeof buttonsPressed[0]), button);
    if (!c) return;
    if (pressed)
        input.lastKey |= c->bit;
    else
        letGo(c->bit);
}

// Keeps the open pad's name, as blomp.cfg can hold it: one line, nothing that reads as a key.
void notePadName() {
    snprintf(padName, sizeof padName, "%s", input.joystick ? sysJoystickName(0) : "");
    for (char* c = padName; *c; c++)
        if (*c == '=' || *c == '\n' || *c == '\r') *c = ' ';
}

// The remembered bindings of the pad of this name, or null. Called by the pad's opening and the capture.
PadMemory* rememberedPad(const char* name) {
    for (PadMemory& m : input.padMemory)
        if (m.name[0] && strcmp(m.name, name) == 0) return &m;
    return nullptr;
}

// The buttons of the open pad: the table's layout for a pad it knows, the file's
// (or today's default) buttons for any other, then what the player bound for this
// pad on the options page. Called when a pad is opened and after the file is read.
void applyPadLayout() {
    const PadLayout& l = padLayoutFor(padName);
    const bool known = input.joystick && &l != &defaultPadLayout;
    input.START_BUTTON = known ? l.start : input.padBase.start;
    input.SELECT_BUTTON = known ? l.select : input.padBase.select;
    input.JUMP_BUTTON = known ? l.jump : input.padBase.jump;
    input.FIRE_BUTTON = known ? l.fire : input.padBase.fire;
    const PadMemory* m = input.joystick ? rememberedPad(padName) : nullptr;
    if (m) {
        input.START_BUTTON = m->start;
        input.JUMP_BUTTON = m->jump;
    }
}

// Notes the buttons the pad reports held as it opens. Called whenever a pad is opened.
void noteHeldButtons() {
    memset(heldAtOpen, 0, sizeof heldAtOpen);
    if (!input.joystick) return;
    sysPumpEvents(); // the state the pad reports as it opens
    const int buttons = sysJoystickNumButtons(input.joystick);
    for (int b = 0; b < buttons && b < PAD_BUTTONS; b++)
        heldAtOpen[b] = sysJoystickButton(input.joystick, b) != 0;
}

// Opens the first pad SDL sees, if any, with its layout. Called by the rescan.
void openFirstPad() {
    input.joystick = sysNumJoysticks() >= 1 ? sysJoystickOpen(0) : nullptr;
    notePadName();
    applyPadLayout();
    noteHeldButtons();
}

// A pad came or went: the old one is closed and lets go of every control it held,
// SDL looks for pads again and the first is opened. A pad that was there and is
// gone now is reported for this poll. Called by checkInput when the device folder changed.
void rescanPads() {
    const bool had = input.joystick != nullptr;
    if (input.joystick) sysJoystickClose(input.joystick);
    input.joystick = nullptr;
    input.lastKey &= ~padHeld;
    padHeld = 0;
    sysJoystickRescan();
    openFirstPad();
    if (had && !input.joystick) input.padWentAway = 1;
}

} // namespace

// Opens the first pad, if one is plugged in, notes the buttons already held, and
// starts watching for pads that come and go. Called by start-up.
void inputOpenPad() {
    input.joystick = joystickInit();
    notePadName();
    applyPadLayout();
    noteHeldButtons();
    if (!sysSimulated) devWatchOpen(PAD_FOLDER, DEVWATCH_PADS);
}

// The buttons read from blomp.cfg are those of a pad the table does not know; the
// open pad gets its own layout again. Called by loadConfig after reading.
void inputPadBindingsRead() {
    input.padBase = {input.START_BUTTON, input.SELECT_BUTTON, input.JUMP_BUTTON, input.FIRE_BUTTON};
    applyPadLayout();
}

// Keeps the start and jump buttons just bound for the open pad (by its name), and
// for a pad the table does not know also as the file's buttons. Called by the
// options page when a capture of pad buttons is complete.
void inputRememberPadBindings() {
    if (!input.joystick) return;
    if (&padLayoutFor(padName) == &defaultPadLayout) {
        input.padBase.start = input.START_BUTTON;
        input.padBase.jump = input.JUMP_BUTTON;
    }
    PadMemory* m = rememberedPad(padName);
    if (!m) { // a free slot, or the oldest one gives way
        m = &input.padMemory[0];
        for (PadMemory& p : input.padMemory)
            if (!p.name[0]) {
                m = &p;
                break;
            }
        if (m == &input.padMemory[0] && input.padMemory[0].name[0]) {
            memmove(&input.padMemory[0], &input.padMemory[1], sizeof(PadMemory) * (MAX_PAD_MEMORY - 1));
            m = &input.padMemory[MAX_PAD_MEMORY - 1];
        }
        snprintf(m->name, sizeof m->name, "%s", padName);
    }
    m->start = input.START_BUTTON;
    m->jump = input.JUMP_BUTTON;
}

// The name of the open pad, "" for none. Called by the tests.
const char* inputPadName() {
    return padName;
}

// Lets go of every control and clears the per-frame flags and the quit request.
// Called by the tools and tests that start play from a clean slate.
void inputClear() {
    inputForget();
    inputClearFlags();
    input.lastKeySym = 0;
    input.lastJButton = -1;
    input.done = 0;
}

// Closes the pad. Called by exitGame.
void inputClosePad() {
    if (input.joystick) sysJoystickClose(input.joystick);
    input.joystick = nullptr;
}

// The per-frame flags and the quit request off, the held controls kept. Called by initStuff.
void inputClearFlags() {
    input.jump = input.left = input.right = input.crawl = input.space = input.escape = 0;
}

// Takes the quit request back. Called by the game flow when the player answers no
// or leaves for the title, and when the quit question opens.
void inputClearQuit() {
    input.done = 0;
    input.escape = 0;
}

// Marks the quit request as seen, escape still set, so that a new one can be told
// apart. Called by the quit question as it opens.
void inputClearDone() {
    input.done = 0;
}

// Asks the game flow to put the quit question (or leave). Called by the pause menu's
// EXIT and the title's EXIT.
void inputAskQuit() {
    input.escape = 1;
}

// Forgets what is held and what was typed: input read during a level's intro or
// the bonus count is thrown away. Called by the game flow.
void inputForget() {
    input.lastKey = 0;
    input.lastKeyTyped = 0;
}

// Forgets the control typed in this poll, so the next screen does not take it.
// Called by the screens, the options page, the name entry and game over.
void inputForgetTyped() {
    input.lastKeyTyped = 0;
}

// While set, a stop signal does not end the game in checkInput: the name entry
// ends and saves first. Called by the name entry.
void inputDeferStop(int defer) {
    input.stopDeferred = defer;
}

// Holds the four moves of a mask: 1 left, 2 right, 4 jump, 8 crawl. Called by the
// demo replay, the level check, the benchmarks and the fuzz target.
void inputSetHeld(int mask) {
    input.left = mask & 1;
    input.right = (mask >> 1) & 1;
    input.jump = (mask >> 2) & 1;
    input.crawl = (mask >> 3) & 1;
}

// Drains the event queue into the held and released controls. Called once a frame by every screen loop.
void checkInput() {
    SDL_Event ev;
    input.lastKeyTyped = 0;
    input.padWentAway = 0;
    if (sysStopSignal && !input.stopDeferred) exitOnStopSignal();
    if (sysPadsChanged()) rescanPads();
    while (sysPollEvent(&ev)) {
        const int32_t before = input.lastKey;
        switch (ev.type) {
        case SDL_KEYDOWN: keyEvent(ev.key.keysym.sym, 1); break;
        case SDL_KEYUP: keyEvent(ev.key.keysym.sym, 0); break;
        case SDL_JOYAXISMOTION: axisEvent(ev.jaxis.axis, ev.jaxis.value); break;
        case SDL_JOYHATMOTION: hatEvent(ev.jhat.value); break;
        case SDL_JOYBUTTONDOWN: buttonEvent(ev.jbutton.button, 1); break;
        case SDL_JOYBUTTONUP: buttonEvent(ev.jbutton.button, 0); break;
        case SDL_QUIT: input.done = 1; break;
        default: break;
        }
        // What the pad holds, so that a pad pulled out lets go of exactly that.
        const bool fromPad = ev.type == SDL_JOYAXISMOTION || ev.type == SDL_JOYHATMOTION ||
                             ev.type == SDL_JOYBUTTONDOWN || ev.type == SDL_JOYBUTTONUP;
        padHeld = (padHeld | (fromPad ? input.lastKey & ~before : 0)) & input.lastKey;
    }
}

// Polls input and sets the flags the figure reads. Called once a frame by the
// game flow's loops, the sequences and the name entry.
void checkKey() {
    checkInput();
    input.space = (input.lastKey & (KEY_SELECT | KEY_START)) != 0;
    input.left = (input.lastKey & KEY_LEFT) != 0;
    input.right = (input.lastKey & KEY_RIGHT) != 0;
    input.jump = (input.lastKey & KEY_JUMP) != 0;
    input.crawl = (input.lastKey & KEY_DOWN) != 0;
    if (input.done) input.escape = 1;
}

// True when select, start or fire was typed, or jump when it is not also the up key
// (otherwise every move up a menu would confirm it). Called by the menus.
int isSpace() {
    if (input.lastKeyTyped == KEY_SELECT || input.lastKeyTyped == KEY_START || input.lastKeyTyped == KEY_FIRE)
        return 1;
    return input.lastKeyTyped == KEY_JUMP && input.JUMP_KEY != input.UP_KEY;
}

// Waits until no key and no pad button is held, then forgets the last event. The
// release events stay queued, so the next poll still reports the control typed. A
// stop signal or a quit request ends the wait at once (the caller's next poll acts on
// them), so a control that never comes up cannot hang the game. Called by the menus
// and the binding capture.
void waitKeyUp() {
    int buttons = input.joystick ? sysJoystickNumButtons(input.joystick) : 0;
    if (buttons > PAD_BUTTONS) buttons = PAD_BUTTONS;
    for (;;) {
        if (sysStopSignal || input.done) break;
        sysDelay(10);
        sysPumpEvents();
        int numkeys = 0;
        const uint8_t* keys = sysKeyState(&numkeys);
        int held = 0;
        for (int k = 0; keys && k < numkeys; k++) {
            if (k >= FIRST_LOCK_KEY && k <= LAST_LOCK_KEY) continue;
            if (keys[k]) held++;
        }
        for (int b = 0; input.joystick && b < buttons; b++) {
            if (!sysJoystickButton(input.joystick, b))
                heldAtOpen[b] = 0;
            else if (!heldAtOpen[b])
                held++;
        }
        if (!held) break;
    }
    input.lastKey = 0;
    input.lastKeyTyped = 0;
    input.lastJButton = -1;
    input.lastKeySym = 0;
}
