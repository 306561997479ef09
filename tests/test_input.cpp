// Keyboard and pad input fed through the simulated event queue.
#include "game/options.h"
#include "game/stuff.h"
#include "io/input.h"
#include "platform/sys.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// The bindings and their defaults; every test starts and ends with them, so other suites see the game's.
int32_t* const vars[] = {&UP_KEY,        &DOWN_KEY,     &RIGHT_KEY,    &LEFT_KEY,    &JUMP_KEY,
                         &FIRE_KEY,      &START_KEY,    &JUMP_BUTTON,  &FIRE_BUTTON, &START_BUTTON,
                         &SELECT_BUTTON, &UP_BUTTON,    &RIGHT_BUTTON, &DOWN_BUTTON, &LEFT_BUTTON,
                         &lastKey,       &lastKeyTyped, &lastKeySym,   &lastJButton, &workflow,
                         &cfgStep,       &cfgStatus};
const int32_t values[] = {
    SDLK_UP,    SDLK_DOWN,     SDLK_RIGHT,   SDLK_LEFT,    SDLK_UP, SDLK_SPACE, SDLK_RETURN, 0, 1, 7, 6,
    SDL_HAT_UP, SDL_HAT_RIGHT, SDL_HAT_DOWN, SDL_HAT_LEFT, 0,       0,          0,           0, 0, 0, 0};
constexpr int NUM_VARS = int(sizeof vars / sizeof vars[0]);

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
        space = left = right = jump = crawl = escape = paused = 0;
        joystick = nullptr;
    }
    static void key(int sym, int down) { simKey(simClock, sym, down); }
    // A pad event of the given type with one field set, delivered now.
    static SDL_Event pad(int type, int which, int value) {
        SDL_Event ev;
        memset(&ev, 0, sizeof ev);
        ev.type = (Uint8)type;
        if (type == SDL_JOYAXISMOTION) ev.jaxis.axis = (Uint8)which, ev.jaxis.value = (Sint16)value;
        if (type == SDL_JOYHATMOTION) ev.jhat.value = (Uint8)value;
        if (type == SDL_JOYBUTTONDOWN || type == SDL_JOYBUTTONUP) ev.jbutton.button = (Uint8)which;
        return ev;
    }
    static void axis(int which, int value) { simPushEvent(pad(SDL_JOYAXISMOTION, which, value)); }
    static void hat(int value) { simPushEvent(pad(SDL_JOYHATMOTION, 0, value)); }
    static void button(int b, int down) {
        simPushEvent(pad(down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP, b, 0));
    }
    static void plugPad() {
        simSetJoystick(1, 12);
        joystick = sysJoystickOpen(0);
    }
};

TEST_F(Input, KeysHoldAndReleaseTheirControls) {
    key(SDLK_UP, 1); // cursor up is both up and jump
    checkInput();
    EXPECT_EQ(lastKey, KEY_UP | KEY_JUMP);
    EXPECT_EQ(lastKeySym, SDLK_UP);
    EXPECT_EQ(lastJButton, -1);
    key(SDLK_UP, 0);
    checkInput();
    EXPECT_EQ(lastKey, 0);
    EXPECT_EQ(lastKeyTyped, KEY_JUMP);
    checkInput();
    EXPECT_EQ(lastKeyTyped, 0);
    // Right while left is held lets go of left, so releasing right leaves nothing held.
    key(SDLK_LEFT, 1);
    key(SDLK_RIGHT, 1);
    checkInput();
    EXPECT_EQ(lastKey, KEY_RIGHT);
    key(SDLK_RIGHT, 0);
    checkInput();
    EXPECT_EQ(lastKey, 0);
    // Two releases in one poll: the later is reported. A release reports its bit even when clear.
    key(SDLK_RETURN, 0);
    key(SDLK_SPACE, 0);
    checkInput();
    EXPECT_EQ(lastKeyTyped, KEY_FIRE);
    key(SDLK_c, 0);
    checkInput();
    EXPECT_EQ(lastKeyTyped, KEY_C);
    // Escape asks to quit on its press only; a key with no meaning is just remembered.
    key(SDLK_ESCAPE, 0);
    key(SDLK_q, 1);
    checkInput();
    EXPECT_EQ(done, 0);
    EXPECT_EQ(lastKeySym, SDLK_q);
    key(SDLK_ESCAPE, 1);
    checkKey(-1, 0);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(escape, 1);
}

TEST_F(Input, TheStickCountsOnlyBeyondItsDeadZone) {
    axis(0, 31000);
    axis(1, -31000);
    axis(2, 32767); // other axes mean nothing
    checkInput();
    EXPECT_EQ(lastKey, 0);
    axis(0, 31001);
    axis(0, -31001);
    checkInput();
    EXPECT_EQ(lastKey, KEY_LEFT);
    axis(0, -31000);
    checkInput();
    EXPECT_EQ(lastKey, 0);
    EXPECT_EQ(lastKeyTyped, KEY_LEFT);
    // Up is no jump while there is a jump button; without one the stick jumps, released last.
    axis(1, -32768);
    checkInput();
    EXPECT_EQ(lastKey, KEY_UP);
    JUMP_BUTTON = -1;
    axis(1, -32768);
    checkInput();
    EXPECT_EQ(lastKey, KEY_UP | KEY_JUMP);
    axis(1, 0);
    checkInput();
    EXPECT_EQ(lastKey, 0);
    EXPECT_EQ(lastKeyTyped, KEY_JUMP);
}

TEST_F(Input, HatDirectionsHoldUntilCentred) {
    hat(SDL_HAT_RIGHTUP);
    hat(SDL_HAT_UP);
    checkInput();
    EXPECT_EQ(lastKey, KEY_UP | KEY_RIGHT);
    EXPECT_EQ(lastKeyTyped, 0);
    hat(SDL_HAT_LEFTDOWN);
    checkInput();
    EXPECT_EQ(lastKey, KEY_DOWN | KEY_LEFT);
    hat(SDL_HAT_CENTERED);
    checkInput();
    EXPECT_EQ(lastKey, 0);
    EXPECT_EQ(lastKeyTyped, KEY_LEFT); // horizontal after vertical
    UP_BUTTON = SDL_HAT_DOWN;          // a pad whose hat is upside down
    DOWN_BUTTON = SDL_HAT_UP;
    hat(SDL_HAT_UP);
    checkInput();
    EXPECT_EQ(lastKey, KEY_DOWN);
}

TEST_F(Input, PadButtonsFollowTheirBindings) {
    button(0, 1);
    button(1, 1);
    button(7, 1);
    button(6, 1);
    button(9, 1); // unbound
    checkInput();
    EXPECT_EQ(lastKey, KEY_JUMP | KEY_FIRE | KEY_START | KEY_SELECT);
    EXPECT_EQ(lastJButton, 9);
    EXPECT_EQ(lastKeySym, 0);
    button(0, 0);
    button(6, 0);
    checkKey(1, 1);
    EXPECT_EQ(lastKeyTyped, KEY_SELECT);
    EXPECT_EQ(space, 1); // start still held
    EXPECT_EQ(jump, 0);
    EXPECT_EQ(paused, 0);
}

TEST_F(Input, ATypedFireOpensThePauseMenuOnce) {
    // Not on the title, not while dying, not on a press.
    const int levels[] = {0, 3, 3}, allowed[] = {1, 0, 2};
    for (int i = 0; i < 3; i++) {
        simTapKey(simClock, SDLK_SPACE, 0);
        checkKey(levels[i], allowed[i]);
    }
    key(SDLK_SPACE, 1);
    checkKey(3, 1);
    EXPECT_EQ(paused, 0);
    key(SDLK_SPACE, 0);
    checkKey(3, 1);
    EXPECT_EQ(paused, 1);
    EXPECT_EQ(workflow, 2);
    workflow = 3; // the player moved the pause cursor
    simTapKey(simClock, SDLK_SPACE, 0);
    checkKey(3, 1);
    EXPECT_EQ(workflow, 3);
}

TEST_F(Input, IsSpaceTakesJumpOnlyWhenItIsNotUp) {
    const int32_t typed[] = {KEY_SELECT, KEY_START, KEY_FIRE, KEY_JUMP, KEY_UP, 0};
    const int before[] = {1, 1, 1, 0, 0, 0}, after[] = {1, 1, 1, 1, 0, 0};
    for (int i = 0; i < 6; i++) {
        lastKeyTyped = typed[i];
        JUMP_KEY = SDLK_UP;
        EXPECT_EQ(isSpace() != 0, before[i] != 0) << typed[i];
        JUMP_KEY = SDLK_LCTRL;
        EXPECT_EQ(isSpace() != 0, after[i] != 0) << typed[i];
    }
}

TEST_F(Input, WaitKeyUpWaitsForKeysAndButtonsButNotLockKeys) {
    plugPad();
    key(SDLK_CAPSLOCK, 1); // the light stays on
    key(SDLK_a, 1);
    simKey(simClock + 50, SDLK_a, 0);
    simScheduleEvent(simClock + 30, pad(SDL_JOYBUTTONDOWN, 3, 0));
    simScheduleEvent(simClock + 120, pad(SDL_JOYBUTTONUP, 3, 0));
    simKey(simClock + 100000, SDLK_CAPSLOCK, 0); // were it counted, the wait would last until here
    checkInput();
    uint32_t start = simClock;
    waitKeyUp();
    EXPECT_GE(simClock - start, 120u);
    EXPECT_LT(simClock - start, 200u);
    EXPECT_EQ(lastKey, 0);
    EXPECT_EQ(lastJButton, -1);
    EXPECT_EQ(lastKeySym, 0);
    checkInput(); // the releases are still queued
    EXPECT_EQ(lastJButton, 3);
}

TEST_F(Input, ConfigKeyRefusesAKeyAlreadyBound) {
    START_KEY = LEFT_KEY = RIGHT_KEY = JUMP_KEY = -1;
    cfgStatus = 1;
    configKey(&START_KEY); // nothing pressed yet
    EXPECT_EQ(START_KEY, -1);
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

TEST_F(Input, ConfigButtonRefusesStartAndJumpButtons) {
    plugPad();
    START_BUTTON = JUMP_BUTTON = -1;
    cfgStatus = 1;
    const int buttons[] = {4, 4, 0};
    int32_t* const bindings[] = {&START_BUTTON, &JUMP_BUTTON, &JUMP_BUTTON};
    const int steps[] = {1, 1, 2};
    for (int i = 0; i < 3; i++) {
        button(buttons[i], 1);
        button(buttons[i], 0);
        checkInput();
        configButton(bindings[i]);
        EXPECT_EQ(cfgStep, steps[i]) << i;
    }
    EXPECT_EQ(START_BUTTON, 4);
    EXPECT_EQ(JUMP_BUTTON, 0);
    EXPECT_EQ(cfgStatus, 0);
}

} // namespace
