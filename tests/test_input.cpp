// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Keyboard and pad input fed through the simulated event queue.
#include "7game/options.h"
#include "5world/world.h"
#include "7game/stuff.h"
#include "4io/input.h"
#include "7game/pause.h"
#include "2platform/sys.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <stdexcept>

namespace {

// The bindings and their defaults; every test starts and ends with them, so other suites see the game's.
int32_t* const vars[] = {&UP_KEY,        &DOWN_KEY,     &RIGHT_KEY,    &LEFT_KEY,    &JUMP_KEY,
                         &FIRE_KEY,      &START_KEY,    &JUMP_BUTTON,  &FIRE_BUTTON, &START_BUTTON,
                         &SELECT_BUTTON, &UP_BUTTON,    &RIGHT_BUTTON, &DOWN_BUTTON, &LEFT_BUTTON,
                         &lastKey,       &lastKeyTyped, &lastKeySym,   &lastJButton, &world.play.workflow,
                         &cfgStep,       &cfgStatus};
const int32_t values[] = {
    SDLK_UP,    SDLK_DOWN,     SDLK_RIGHT,   SDLK_LEFT,    SDLK_UP, SDLK_SPACE, SDLK_RETURN, 0, 1, 7, 6,
    SDL_HAT_UP, SDL_HAT_RIGHT, SDL_HAT_DOWN, SDL_HAT_LEFT, 0,       0,          0,           0, 0, 0, 0};
constexpr int NUM_VARS = int(sizeof vars / sizeof vars[0]);

// One event of a script: 'k' key (sym, down), 'a' stick axis (axis, value), 'h' hat (-, value),
// 'j' rebinding the jump button (button, -) before the next events.
struct Event {
    char kind;
    int a, b;
};
// The events of one frame and what the poll after them must report.
struct Frame {
    Event ev[3];
    int32_t held, typed;
};

// A pad event of the given type with one field set.
SDL_Event pad(int type, int which, int value) {
    SDL_Event ev;
    memset(&ev, 0, sizeof ev);
    ev.type = (Uint8)type;
    if (type == SDL_JOYAXISMOTION) ev.jaxis.axis = (Uint8)which, ev.jaxis.value = (Sint16)value;
    if (type == SDL_JOYHATMOTION) ev.jhat.value = (Uint8)value;
    if (type == SDL_JOYBUTTONDOWN || type == SDL_JOYBUTTONUP) ev.jbutton.button = (Uint8)which;
    return ev;
}

class Input : public ::testing::Test {
protected:
    void SetUp() override {
        reset();
        simStart(1000);
    }
    void TearDown() override {
        simStop();
        reset();
    }
    static void reset() {
        for (int i = 0; i < NUM_VARS; i++) *vars[i] = values[i];
        done = 0;
        space = left = right = jump = crawl = escape = world.play.paused = 0;
        joystick = nullptr;
    }
    // Plays a script frame by frame, polling after each one.
    template <int N> static void play(const Frame (&frames)[N]) {
        for (int i = 0; i < N; i++) {
            for (const Event& e : frames[i].ev) {
                if (e.kind == 'k') simKey(simClock, e.a, e.b);
                if (e.kind == 'a') simPushEvent(pad(SDL_JOYAXISMOTION, e.a, e.b));
                if (e.kind == 'h') simPushEvent(pad(SDL_JOYHATMOTION, 0, e.b));
                if (e.kind == 'j') JUMP_BUTTON = e.a;
            }
            checkInput();
            EXPECT_EQ(lastKey, frames[i].held) << "frame " << i;
            EXPECT_EQ(lastKeyTyped, frames[i].typed) << "frame " << i;
        }
    }
};

TEST_F(Input, KeysHoldAndReleaseTheirControls) {
    const Frame script[] = {
        {{{'k', SDLK_UP, 1}}, KEY_UP | KEY_JUMP, 0}, // cursor up is both up and jump
        {{{'k', SDLK_UP, 0}}, 0, KEY_JUMP},
        {{}, 0, 0},                                                  // a release is typed for one frame
        {{{'k', SDLK_LEFT, 1}, {'k', SDLK_RIGHT, 1}}, KEY_RIGHT, 0}, // right lets go of left
        {{{'k', SDLK_RIGHT, 0}}, 0, KEY_RIGHT},
        {{{'k', SDLK_RETURN, 0}, {'k', SDLK_SPACE, 0}}, 0, KEY_FIRE}, // the later release wins
        {{{'k', SDLK_c, 0}}, 0, KEY_C},                               // even when the bit was clear
    };
    play(script);
}

TEST_F(Input, HatAndStickHoldUntilCentred) {
    const Frame script[] = {
        {{{'h', 0, SDL_HAT_RIGHTUP}, {'h', 0, SDL_HAT_UP}}, KEY_UP | KEY_RIGHT, 0},
        {{{'h', 0, SDL_HAT_LEFTDOWN}}, KEY_DOWN | KEY_LEFT, 0},
        {{{'h', 0, SDL_HAT_CENTERED}}, 0, KEY_LEFT},                  // horizontal after vertical
        {{{'a', 0, 31000}, {'a', 1, -31000}, {'a', 2, 32767}}, 0, 0}, // other axes mean nothing
        {{{'a', 0, 31001}, {'a', 0, -31001}}, KEY_LEFT, 0},
        {{{'a', 0, -31000}}, 0, KEY_LEFT},
        {{{'a', 1, -32768}}, KEY_UP, 0}, // up is no jump while there is a jump button
        {{{'j', -1, 0}, {'a', 1, -32768}}, KEY_UP | KEY_JUMP, 0},
        {{{'a', 1, 0}}, 0, KEY_JUMP}, // jump is released last, so it is the one typed
    };
    play(script);
}

TEST_F(Input, ATypedFireOpensThePauseMenuOnce) {
    // Not on the title, not while dying, not on a press.
    const int levels[] = {0, 3, 3}, allowed[] = {1, 0, 2};
    for (int i = 0; i < 3; i++) {
        simTapKey(simClock, SDLK_SPACE, 0);
        checkKey();
        openPauseOnFire(levels[i], allowed[i] & 1);
    }
    simKey(simClock, SDLK_SPACE, 1);
    checkKey();
    openPauseOnFire(3, 1);
    EXPECT_EQ(world.play.paused, 0);
    simKey(simClock, SDLK_SPACE, 0);
    checkKey();
    openPauseOnFire(3, 1);
    EXPECT_EQ(world.play.paused, 1);
    EXPECT_EQ(world.play.workflow, 2);
    world.play.workflow = 3; // the player moved the pause cursor; another fire must not move it back
    simTapKey(simClock, SDLK_SPACE, 0);
    checkKey();
    openPauseOnFire(3, 1);
    EXPECT_EQ(world.play.workflow, 3);
}

TEST_F(Input, WaitKeyUpWaitsForKeysAndButtonsButNotCapsLock) {
    simSetJoystick(1, 12);
    joystick = sysJoystickOpen(0);
    simKey(simClock, SDLK_CAPSLOCK, 1); // the light stays on
    simKey(simClock, SDLK_a, 1);
    simKey(simClock + 50, SDLK_a, 0);
    simScheduleEvent(simClock + 30, pad(SDL_JOYBUTTONDOWN, 3, 0));
    simScheduleEvent(simClock + 120, pad(SDL_JOYBUTTONUP, 3, 0));
    simKey(simClock + 100000, SDLK_CAPSLOCK, 0); // were it counted, the wait would last until here
    checkInput();
    uint32_t start = simClock;
    waitKeyUp();
    EXPECT_GE(simClock - start, 120u);
    EXPECT_LT(simClock - start, 200u);
}

// A wait for every control to come up ends on a stop signal and on a quit request; a pad
// button held from the moment the pad is opened (some pads report one so for good) is
// not held, and its release types nothing, until it has been let go once.
TEST_F(Input, WaitsEndOnAStopOrAQuitAndAButtonHeldAtOpenCountsOnlyOnceLetGo) {
    simPollHook = [] {
        if (simClock > 60000) throw std::runtime_error("the wait never ended");
    };
    simKey(simClock, SDLK_a, 1); // held for good
    checkInput();
    sysStopSignal = SIGTERM;
    EXPECT_NO_THROW(waitKeyUp());
    sysStopSignal = 0;
    done = 1;
    EXPECT_NO_THROW(waitKeyUp());
    done = 0;
    simKey(simClock, SDLK_a, 0);
    checkInput();

    simSetJoystick(1, 12);
    simScheduleEvent(simClock, pad(SDL_JOYBUTTONDOWN, 7, 0)); // the start button, held as the pad opens
    inputOpenPad();
    ASSERT_NE(joystick, nullptr);
    EXPECT_NO_THROW(waitKeyUp());
    const struct {
        int type;
        int32_t held, typed;
    } frames[] = {
        {0, 0, 0},                         // its press is not seen
        {SDL_JOYBUTTONUP, 0, 0},           // nor its release
        {SDL_JOYBUTTONDOWN, KEY_START, 0}, // from now on it counts
        {SDL_JOYBUTTONUP, 0, KEY_START},
    };
    for (const auto& f : frames) {
        if (f.type) simPushEvent(pad(f.type, 7, 0));
        checkInput();
        EXPECT_EQ(lastKey, f.held) << f.type;
        EXPECT_EQ(lastKeyTyped, f.typed) << f.type;
    }
}

TEST_F(Input, ConfigKeyRefusesAKeyAlreadyBound) {
    START_KEY = LEFT_KEY = RIGHT_KEY = JUMP_KEY = -1;
    cfgStatus = 1;
    const int syms[] = {SDLK_a, SDLK_a, SDLK_b, SDLK_c, SDLK_d};
    int32_t* const bindings[] = {&START_KEY, &LEFT_KEY, &LEFT_KEY, &RIGHT_KEY, &JUMP_KEY};
    const int steps[] = {1, 1, 2, 3, 4};
    for (int i = 0; i < 5; i++) {
        simTapKey(simClock, syms[i], 40);
        checkInput();
        uint32_t start = simClock;
        configKey(bindings[i]);
        EXPECT_GE(simClock - start, 40u) << i; // waited for the key to come up
        EXPECT_EQ(cfgStep, steps[i]) << i;
        EXPECT_EQ(cfgStatus, i < 4 ? 1 : 0) << i;
    }
    EXPECT_EQ(START_KEY, SDLK_a);
    EXPECT_EQ(LEFT_KEY, SDLK_b);
    EXPECT_EQ(JUMP_KEY, SDLK_d);
}

// Left and right can always be typed, so the quit and continue questions, which wait for
// nothing else, can be answered: a capture refuses the keys of up, down and fire, which
// are read first (jump alone may take the up key), and a fixed letter bound to a
// direction types the direction.
TEST_F(Input, LeftAndRightAlwaysTypeThemselves) {
    const struct {
        int32_t* binding;
        int sym;
        bool taken;
    } table[] = {
        {&LEFT_KEY, SDLK_UP, false},  {&RIGHT_KEY, SDLK_DOWN, false}, {&RIGHT_KEY, SDLK_SPACE, false},
        {&START_KEY, SDLK_UP, false}, {&JUMP_KEY, SDLK_DOWN, false},  {&JUMP_KEY, SDLK_UP, true},
        {&RIGHT_KEY, SDLK_d, true},   {&LEFT_KEY, SDLK_s, true},      {&START_KEY, SDLK_RETURN, true},
    };
    for (const auto& t : table) {
        START_KEY = LEFT_KEY = RIGHT_KEY = JUMP_KEY = -1;
        cfgStep = 0;
        cfgStatus = 1;
        simTapKey(simClock, t.sym, 20);
        checkInput();
        configKey(t.binding);
        EXPECT_EQ(*t.binding, t.taken ? t.sym : -1) << "key " << t.sym;
        EXPECT_EQ(cfgStep, t.taken ? 1 : 0) << "key " << t.sym;
    }
    START_KEY = SDLK_RETURN, LEFT_KEY = SDLK_s, RIGHT_KEY = SDLK_d, JUMP_KEY = SDLK_w;
    const Frame frames[] = {
        {{{'k', SDLK_s, 1}, {'k', SDLK_s, 0}}, 0, KEY_LEFT},
        {{{'k', SDLK_d, 1}, {'k', SDLK_d, 0}}, 0, KEY_RIGHT},
        {{{'k', SDLK_c, 1}, {'k', SDLK_c, 0}}, 0, KEY_C}, // an unbound fixed letter stays itself
    };
    play(frames);
}

} // namespace
