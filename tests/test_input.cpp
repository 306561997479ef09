// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Keyboard and pad input fed through the simulated event queue.
#include "7game/options.h"
#include "5world/world.h"
#include "4io/input.h"
#include "7game/pause.h"
#include "2platform/sys.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <stdexcept>

namespace {

// One event of a script: 'k' key (sym, down), 'a' stick axis (axis, value), 'h' hat (-, value),
// 'b' pad button (button, down), 'j' rebinding the jump button (button, -) before the next events.
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
    static void reset() { // the game's bindings and nothing held, so other suites see the game's
        input = ::Input();
        world = World();
        cfgStep = cfgStatus = 0;
    }
    // Plays a script frame by frame, polling after each one.
    template <int N> static void play(const Frame (&frames)[N]) {
        for (int i = 0; i < N; i++) {
            for (const Event& e : frames[i].ev) {
                if (e.kind == 'k') simKey(simClock, e.a, e.b);
                if (e.kind == 'a') simPushEvent(pad(SDL_JOYAXISMOTION, e.a, e.b));
                if (e.kind == 'h') simPushEvent(pad(SDL_JOYHATMOTION, 0, e.b));
                if (e.kind == 'b') simPushEvent(pad(e.b ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP, e.a, 0));
                if (e.kind == 'j') input.JUMP_BUTTON = e.a;
            }
            checkInput();
            EXPECT_EQ(input.lastKey, frames[i].held) << "frame " << i;
            EXPECT_EQ(input.lastKeyTyped, frames[i].typed) << "frame " << i;
        }
    }
};

// Keys, the hat and the stick hold their controls until released or centred.
TEST_F(Input, KeysHatAndStickHoldTheirControlsUntilReleased) {
    const Frame script[] = {
        {{{'k', SDLK_UP, 1}}, KEY_UP | KEY_JUMP, 0}, // cursor up is both up and jump
        {{{'k', SDLK_UP, 0}}, 0, KEY_JUMP},
        {{}, 0, 0},                                                  // a release is typed for one frame
        {{{'k', SDLK_LEFT, 1}, {'k', SDLK_RIGHT, 1}}, KEY_RIGHT, 0}, // right lets go of left
        {{{'k', SDLK_RIGHT, 0}}, 0, KEY_RIGHT},
        {{{'k', SDLK_RETURN, 0}, {'k', SDLK_SPACE, 0}}, 0, KEY_FIRE}, // the later release wins
        {{{'k', SDLK_c, 0}}, 0, KEY_C},                               // even when the bit was clear
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
    const auto fire = [](int down, int level, int active) { // down -1: a tap
        down < 0 ? simTapKey(simClock, SDLK_SPACE, 0) : simKey(simClock, SDLK_SPACE, down);
        checkKey();
        openPauseOnFire(level, active);
    };
    fire(-1, 0, 1); // not on the title
    fire(-1, 3, 0); // not while dying
    fire(1, 3, 1);  // not on a press
    EXPECT_EQ(world.play.paused, 0);
    fire(0, 3, 1);
    EXPECT_EQ(world.play.paused, 1);
    EXPECT_EQ(world.play.workflow, 2);
    world.play.workflow = 3; // the player moved the pause cursor; another fire must not move it back
    fire(-1, 3, 1);
    EXPECT_EQ(world.play.workflow, 3);
}

// A wait for every control to come up ends on a stop signal and on a quit request; a pad
// button held from the moment the pad is opened (some pads report one so for good) is
// not held, and its release types nothing, until it has been let go once. Otherwise the
// wait lasts while a key or a button is held, caps lock aside.
TEST_F(Input, WaitsEndOnAStopOrAQuitAndAButtonHeldAtOpenCountsOnlyOnceLetGo) {
    simPollHook = [] {
        if (simClock > 60000) throw std::runtime_error("the wait never ended");
    };
    simKey(simClock, SDLK_a, 1); // held for good
    checkInput();
    sysStopSignal = SIGTERM;
    EXPECT_NO_THROW(waitKeyUp());
    sysStopSignal = 0;
    input.done = 1;
    EXPECT_NO_THROW(waitKeyUp());
    input.done = 0;
    simKey(simClock, SDLK_a, 0);
    checkInput();

    simSetJoystick(1, 12);
    simScheduleEvent(simClock, pad(SDL_JOYBUTTONDOWN, 7, 0)); // the start button, held as the pad opens
    inputOpenPad();
    ASSERT_NE(input.joystick, nullptr);
    EXPECT_NO_THROW(waitKeyUp());
    const Frame frames[] = {
        {{}, 0, 0},                    // its press is not seen
        {{{'b', 7, 0}}, 0, 0},         // nor its release
        {{{'b', 7, 1}}, KEY_START, 0}, // from now on it counts
        {{{'b', 7, 0}}, 0, KEY_START},
    };
    play(frames);
    simKey(simClock, SDLK_CAPSLOCK, 1); // the light stays on
    simKey(simClock, SDLK_a, 1);
    simKey(simClock + 50, SDLK_a, 0);
    simScheduleEvent(simClock + 30, pad(SDL_JOYBUTTONDOWN, 3, 0));
    simScheduleEvent(simClock + 120, pad(SDL_JOYBUTTONUP, 3, 0));
    simKey(simClock + 100000, SDLK_CAPSLOCK, 0); // were it counted, the wait would last until here
    checkInput();
    const uint32_t start = simClock;
    waitKeyUp();
    EXPECT_GE(simClock - start, 120u);
    EXPECT_LT(simClock - start, 200u);
}

TEST_F(Input, ConfigKeyRefusesKeysTakenOrReadFirstSoLeftAndRightAlwaysType) {
    input.START_KEY = input.LEFT_KEY = input.RIGHT_KEY = input.JUMP_KEY = -1;
    cfgStatus = 1;
    const struct {
        int32_t* binding;
        int sym;
        int32_t bound; // the binding afterwards
        int step;
    } table[] = {
        {&input.START_KEY, SDLK_UP, -1, 0},     {&input.START_KEY, SDLK_RETURN, SDLK_RETURN, 1},
        {&input.LEFT_KEY, SDLK_RETURN, -1, 1},  {&input.LEFT_KEY, SDLK_UP, -1, 1},
        {&input.LEFT_KEY, SDLK_s, SDLK_s, 2},   {&input.RIGHT_KEY, SDLK_DOWN, -1, 2},
        {&input.RIGHT_KEY, SDLK_SPACE, -1, 2},  {&input.RIGHT_KEY, SDLK_s, -1, 2},
        {&input.RIGHT_KEY, SDLK_d, SDLK_d, 3},  {&input.JUMP_KEY, SDLK_DOWN, -1, 3},
        {&input.JUMP_KEY, SDLK_UP, SDLK_UP, 4},
    };
    for (const auto& t : table) {
        simTapKey(simClock, t.sym, 40);
        checkInput();
        const uint32_t start = simClock;
        configKey(t.binding);
        EXPECT_GE(simClock - start, 40u) << t.sym; // waited for the key to come up
        EXPECT_EQ(*t.binding, t.bound) << t.sym;
        EXPECT_EQ(cfgStep, t.step) << t.sym;
        EXPECT_EQ(cfgStatus, t.step < 4 ? 1 : 0) << t.sym;
    }
    EXPECT_EQ(input.START_KEY, SDLK_RETURN); // no refusal undid an earlier binding
    const Frame frames[] = {
        {{{'k', SDLK_s, 1}, {'k', SDLK_s, 0}}, 0, KEY_LEFT},
        {{{'k', SDLK_d, 1}, {'k', SDLK_d, 0}}, 0, KEY_RIGHT},
        {{{'k', SDLK_c, 1}, {'k', SDLK_c, 0}}, 0, KEY_C}, // an unbound fixed letter stays itself
    };
    play(frames);
}

} // namespace
