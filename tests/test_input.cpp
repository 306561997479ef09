// Keyboard and pad input fed through the simulated event queue.
#include "game/options.h"
#include "game/stuff.h"
#include "io/input.h"
#include "platform/sys.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Every binding and input global a test may change, put back afterwards so other
// suites in the binary see the defaults.
struct InputState {
    int32_t keys[7], buttons[8];
    int32_t lastKey, lastKeyTyped, lastKeySym, lastJButton, workflow, cfgStep, cfgStatus;
    int done;
    uint8_t flags[7];
    SDL_Joystick* joystick;
};

int32_t* const keyVars[7] = {&UP_KEY, &DOWN_KEY, &RIGHT_KEY, &LEFT_KEY, &JUMP_KEY, &FIRE_KEY, &START_KEY};
int32_t* const buttonVars[8] = {&JUMP_BUTTON, &FIRE_BUTTON,  &START_BUTTON, &SELECT_BUTTON,
                                &UP_BUTTON,   &RIGHT_BUTTON, &DOWN_BUTTON,  &LEFT_BUTTON};
uint8_t* const flagVars[7] = {&space, &left, &right, &jump, &crawl, &escape, &paused};

class Input : public ::testing::Test {
protected:
    InputState saved;

    void SetUp() override {
        for (int i = 0; i < 7; i++) saved.keys[i] = *keyVars[i];
        for (int i = 0; i < 8; i++) saved.buttons[i] = *buttonVars[i];
        for (int i = 0; i < 7; i++) saved.flags[i] = *flagVars[i];
        saved.lastKey = lastKey;
        saved.lastKeyTyped = lastKeyTyped;
        saved.lastKeySym = lastKeySym;
        saved.lastJButton = lastJButton;
        saved.workflow = workflow;
        saved.cfgStep = cfgStep;
        saved.cfgStatus = cfgStatus;
        saved.done = done;
        saved.joystick = joystick;
        // The game's defaults, whatever an earlier test left.
        UP_KEY = SDLK_UP;
        DOWN_KEY = SDLK_DOWN;
        RIGHT_KEY = SDLK_RIGHT;
        LEFT_KEY = SDLK_LEFT;
        JUMP_KEY = SDLK_UP;
        FIRE_KEY = SDLK_SPACE;
        START_KEY = SDLK_RETURN;
        JUMP_BUTTON = 0;
        FIRE_BUTTON = 1;
        START_BUTTON = 7;
        SELECT_BUTTON = 6;
        UP_BUTTON = SDL_HAT_UP;
        RIGHT_BUTTON = SDL_HAT_RIGHT;
        DOWN_BUTTON = SDL_HAT_DOWN;
        LEFT_BUTTON = SDL_HAT_LEFT;
        lastKey = lastKeyTyped = lastKeySym = 0;
        lastJButton = 0;
        done = 0;
        for (uint8_t* f : flagVars) *f = 0;
        joystick = nullptr;
        simStart(1000);
    }

    void TearDown() override {
        simStop();
        for (int i = 0; i < 7; i++) *keyVars[i] = saved.keys[i];
        for (int i = 0; i < 8; i++) *buttonVars[i] = saved.buttons[i];
        for (int i = 0; i < 7; i++) *flagVars[i] = saved.flags[i];
        lastKey = saved.lastKey;
        lastKeyTyped = saved.lastKeyTyped;
        lastKeySym = saved.lastKeySym;
        lastJButton = saved.lastJButton;
        workflow = saved.workflow;
        cfgStep = saved.cfgStep;
        cfgStatus = saved.cfgStatus;
        done = saved.done;
        joystick = saved.joystick;
    }

    // A key pressed (1) or released (0) now.
    static void key(int sym, int down) { simKey(simClock, sym, down); }

    // A pad event delivered now.
    static void axis(int which, int value) {
        SDL_Event ev;
        memset(&ev, 0, sizeof ev);
        ev.type = SDL_JOYAXISMOTION;
        ev.jaxis.axis = (Uint8)which;
        ev.jaxis.value = (Sint16)value;
        simPushEvent(ev);
    }
    static void hat(int value) {
        SDL_Event ev;
        memset(&ev, 0, sizeof ev);
        ev.type = SDL_JOYHATMOTION;
        ev.jhat.value = (Uint8)value;
        simPushEvent(ev);
    }
    static SDL_Event buttonEvent(int button, int down) {
        SDL_Event ev;
        memset(&ev, 0, sizeof ev);
        ev.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
        ev.jbutton.button = (Uint8)button;
        ev.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
        return ev;
    }
    static void button(int b, int down) { simPushEvent(buttonEvent(b, down)); }

    // Plugs in a pad with twelve buttons.
    static void plugPad() {
        simSetJoystick(1, 12);
        joystick = sysJoystickOpen(0);
    }
};

TEST_F(Input, CursorUpHoldsUpAndJumpAndItsReleaseTypesJump) {
    key(SDLK_UP, 1);
    checkInput();
    EXPECT_EQ(lastKey, KEY_UP | KEY_JUMP);
    EXPECT_EQ(lastKeyTyped, 0);
    EXPECT_EQ(lastKeySym, SDLK_UP);
    EXPECT_EQ(lastJButton, -1);
    key(SDLK_UP, 0);
    checkInput();
    EXPECT_EQ(lastKey, 0);
    EXPECT_EQ(lastKeyTyped, KEY_JUMP);
    // With jump on a key of its own, up types up.
    JUMP_KEY = SDLK_x;
    key(SDLK_UP, 1);
    key(SDLK_UP, 0);
    checkInput();
    EXPECT_EQ(lastKeyTyped, KEY_UP);
    // The next poll without events reports nothing typed.
    checkInput();
    EXPECT_EQ(lastKeyTyped, 0);
}

TEST_F(Input, OppositeDirectionsExcludeEachOther) {
    key(SDLK_LEFT, 1);
    checkInput();
    EXPECT_EQ(lastKey, KEY_LEFT);
    key(SDLK_RIGHT, 1);
    checkInput();
    EXPECT_EQ(lastKey, KEY_RIGHT);
    // The left key is still down, but releasing right leaves nothing held.
    key(SDLK_RIGHT, 0);
    checkInput();
    EXPECT_EQ(lastKey, 0);
    EXPECT_EQ(lastKeyTyped, KEY_RIGHT);
    key(SDLK_DOWN, 1);
    key(SDLK_UP, 1);
    checkInput();
    EXPECT_EQ(lastKey, KEY_UP | KEY_JUMP);
    key(SDLK_DOWN, 1);
    checkInput();
    EXPECT_EQ(lastKey, KEY_DOWN | KEY_JUMP);
}

TEST_F(Input, ReleasesReportTheLaterAndEvenClearBits) {
    key(SDLK_SPACE, 1);
    key(SDLK_RETURN, 1);
    checkInput();
    EXPECT_EQ(lastKey, KEY_FIRE | KEY_START);
    key(SDLK_RETURN, 0);
    key(SDLK_SPACE, 0);
    checkInput();
    EXPECT_EQ(lastKeyTyped, KEY_FIRE);
    EXPECT_EQ(lastKey, 0);
    // Nothing held, and still the release of 's' and of 'c' are reported.
    key(SDLK_s, 0);
    checkInput();
    EXPECT_EQ(lastKeyTyped, KEY_SELECT);
    key(SDLK_c, 0);
    checkInput();
    EXPECT_EQ(lastKeyTyped, KEY_C);
    EXPECT_EQ(lastKey, 0);
    // A key with no meaning is remembered but changes nothing.
    key(SDLK_q, 1);
    key(SDLK_q, 0);
    checkInput();
    EXPECT_EQ(lastKeyTyped, 0);
    EXPECT_EQ(lastKeySym, SDLK_q);
}

TEST_F(Input, EscapeAndTheWindowCloseRequestQuitting) {
    key(SDLK_ESCAPE, 0);
    checkInput();
    EXPECT_EQ(done, 0); // releasing escape does nothing
    EXPECT_EQ(lastKeyTyped, 0);
    key(SDLK_ESCAPE, 1);
    checkKey(0, 1);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(escape, 1);
    done = 0;
    escape = 0;
    SDL_Event ev;
    memset(&ev, 0, sizeof ev);
    ev.type = SDL_QUIT;
    simPushEvent(ev);
    checkKey(-1, 0);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(escape, 1);
    // Input never clears the request.
    checkKey(-1, 0);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(escape, 1);
}

TEST_F(Input, StickCountsOnlyBeyondItsDeadZone) {
    axis(0, 31000);
    axis(1, -31000);
    checkInput();
    EXPECT_EQ(lastKey, 0);
    axis(0, 31001);
    checkInput();
    EXPECT_EQ(lastKey, KEY_RIGHT);
    axis(0, -31001);
    checkInput();
    EXPECT_EQ(lastKey, KEY_LEFT);
    axis(0, -31000); // centred
    checkInput();
    EXPECT_EQ(lastKey, 0);
    EXPECT_EQ(lastKeyTyped, KEY_LEFT);
    axis(1, 32767);
    checkInput();
    EXPECT_EQ(lastKey, KEY_DOWN);
    axis(1, 0);
    checkInput();
    EXPECT_EQ(lastKeyTyped, KEY_DOWN);
    // Centring with nothing held reports nothing; other axes are ignored.
    axis(0, 0);
    axis(2, 32767);
    axis(3, -32768);
    checkInput();
    EXPECT_EQ(lastKey, 0);
    EXPECT_EQ(lastKeyTyped, 0);
}

TEST_F(Input, StickUpJumpsOnlyWithoutAJumpButton) {
    axis(1, -32768);
    checkInput();
    EXPECT_EQ(lastKey, KEY_UP);
    axis(1, 0);
    checkInput();
    EXPECT_EQ(lastKeyTyped, KEY_UP);
    JUMP_BUTTON = -1;
    axis(1, -32768);
    checkInput();
    EXPECT_EQ(lastKey, KEY_UP | KEY_JUMP);
    axis(1, 0);
    checkInput();
    EXPECT_EQ(lastKey, 0);
    EXPECT_EQ(lastKeyTyped, KEY_JUMP); // jump is let go last
}

TEST_F(Input, HatDirectionsHoldUntilCentred) {
    hat(SDL_HAT_RIGHTUP);
    checkInput();
    EXPECT_EQ(lastKey, KEY_UP | KEY_RIGHT);
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
    EXPECT_EQ(lastKeyTyped, KEY_LEFT); // the horizontal release comes after the vertical one
    hat(SDL_HAT_DOWN);
    hat(SDL_HAT_CENTERED);
    checkInput();
    EXPECT_EQ(lastKeyTyped, KEY_DOWN);
    // Re-mapped hat directions follow their masks.
    UP_BUTTON = SDL_HAT_DOWN;
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
    checkInput();
    EXPECT_EQ(lastKey, KEY_JUMP | KEY_FIRE | KEY_START | KEY_SELECT);
    EXPECT_EQ(lastJButton, 6);
    EXPECT_EQ(lastKeySym, 0);
    button(0, 0);
    checkInput();
    EXPECT_EQ(lastKeyTyped, KEY_JUMP);
    EXPECT_EQ(lastKey, KEY_FIRE | KEY_START | KEY_SELECT);
    button(7, 0);
    button(6, 0);
    checkInput();
    EXPECT_EQ(lastKeyTyped, KEY_SELECT);
    // An unbound button is remembered but changes nothing; a key event forgets it.
    button(9, 1);
    checkInput();
    EXPECT_EQ(lastJButton, 9);
    EXPECT_EQ(lastKey, KEY_FIRE);
    key(SDLK_a, 1);
    checkInput();
    EXPECT_EQ(lastJButton, -1);
    EXPECT_EQ(lastKeySym, SDLK_a);
}

TEST_F(Input, CheckKeySetsTheFlagsFromTheHeldControls) {
    key(SDLK_s, 1);
    key(SDLK_DOWN, 1);
    key(SDLK_LEFT, 1);
    checkKey(1, 1);
    EXPECT_EQ(space, 1);
    EXPECT_EQ(crawl, 1);
    EXPECT_EQ(left, 1);
    EXPECT_EQ(right, 0);
    EXPECT_EQ(jump, 0);
    key(SDLK_s, 0);
    key(SDLK_DOWN, 0);
    key(SDLK_UP, 1);
    key(SDLK_RIGHT, 1);
    checkKey(1, 1);
    EXPECT_EQ(space, 0);
    EXPECT_EQ(crawl, 0);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(right, 1);
    EXPECT_EQ(jump, 1);
    EXPECT_EQ(paused, 0);
}

TEST_F(Input, ATypedFireOpensThePauseMenuOnce) {
    workflow = 0;
    // Not on the title, not while dying, not on a press.
    simTapKey(simClock, SDLK_SPACE, 0);
    checkKey(0, 1);
    simTapKey(simClock, SDLK_SPACE, 0);
    checkKey(3, 0);
    simTapKey(simClock, SDLK_SPACE, 0);
    checkKey(3, 2);
    key(SDLK_SPACE, 1);
    checkKey(3, 1);
    EXPECT_EQ(paused, 0);
    EXPECT_EQ(workflow, 0);
    key(SDLK_SPACE, 0);
    checkKey(3, 1);
    EXPECT_EQ(paused, 1);
    EXPECT_EQ(workflow, 2);
    // The player moves the pause cursor; a second typed fire leaves it there.
    workflow = 3;
    simTapKey(simClock, SDLK_SPACE, 0);
    checkKey(3, 1);
    EXPECT_EQ(paused, 1);
    EXPECT_EQ(workflow, 3);
}

TEST_F(Input, IsSpaceTakesJumpOnlyWhenItIsNotUp) {
    const int32_t typed[] = {KEY_SELECT, KEY_START, KEY_FIRE};
    for (int32_t t : typed) {
        lastKeyTyped = t;
        EXPECT_TRUE(isSpace()) << t;
    }
    lastKeyTyped = KEY_JUMP;
    EXPECT_FALSE(isSpace());
    JUMP_KEY = SDLK_LCTRL;
    EXPECT_TRUE(isSpace());
    const int32_t others[] = {0, KEY_UP, KEY_DOWN, KEY_LEFT, KEY_RIGHT, KEY_D};
    for (int32_t t : others) {
        lastKeyTyped = t;
        EXPECT_FALSE(isSpace()) << t;
    }
}

TEST_F(Input, WaitKeyUpWaitsForKeysAndButtonsButNotLockKeys) {
    plugPad();
    key(SDLK_CAPSLOCK, 1); // the light stays on for the whole test
    key(SDLK_NUMLOCK, 1);
    key(SDLK_a, 1);
    simKey(simClock + 50, SDLK_a, 0);
    simScheduleEvent(simClock + 30, buttonEvent(3, 1));
    simScheduleEvent(simClock + 120, buttonEvent(3, 0));
    // Were the lock keys counted, the wait would last until they come up much later.
    simKey(simClock + 100000, SDLK_CAPSLOCK, 0);
    simKey(simClock + 100000, SDLK_NUMLOCK, 0);
    checkInput();
    lastKey = KEY_FIRE;
    lastKeyTyped = KEY_START;
    uint32_t start = simClock;
    waitKeyUp();
    EXPECT_GE(simClock - start, 120u);
    EXPECT_LT(simClock - start, 200u);
    EXPECT_EQ(lastKey, 0);
    EXPECT_EQ(lastKeyTyped, 0);
    EXPECT_EQ(lastJButton, -1);
    EXPECT_EQ(lastKeySym, 0);
    // The releases are still queued for the next poll.
    checkInput();
    EXPECT_EQ(lastKeyTyped, 0); // 'a' and button 3 mean nothing
    EXPECT_EQ(lastJButton, 3);
}

TEST_F(Input, ConfigKeyRefusesAKeyAlreadyBound) {
    START_KEY = LEFT_KEY = RIGHT_KEY = JUMP_KEY = -1;
    cfgStep = 0;
    cfgStatus = 1;
    // Nothing pressed since the last wait: nothing is bound.
    lastKeySym = 0;
    configKey(&START_KEY);
    EXPECT_EQ(START_KEY, -1);
    EXPECT_EQ(cfgStep, 0);
    // The key is held for 40 ms; the capture waits for it to come up.
    simTapKey(simClock, SDLK_a, 40);
    checkInput();
    uint32_t start = simClock;
    configKey(&START_KEY);
    EXPECT_GE(simClock - start, 40u);
    EXPECT_EQ(START_KEY, SDLK_a);
    EXPECT_EQ(cfgStep, 1);
    EXPECT_EQ(lastKeySym, 0);
    // The same key again is refused, and the wait still happens.
    simTapKey(simClock, SDLK_a, 40);
    checkInput();
    start = simClock;
    configKey(&LEFT_KEY);
    EXPECT_GE(simClock - start, 40u);
    EXPECT_EQ(LEFT_KEY, -1);
    EXPECT_EQ(cfgStep, 1);
    EXPECT_EQ(cfgStatus, 1);
    const int syms[] = {SDLK_b, SDLK_c, SDLK_d};
    int32_t* const bindings[] = {&LEFT_KEY, &RIGHT_KEY, &JUMP_KEY};
    for (int i = 0; i < 3; i++) {
        simTapKey(simClock, syms[i], 10);
        checkInput();
        configKey(bindings[i]);
        EXPECT_EQ(*bindings[i], syms[i]);
    }
    EXPECT_EQ(cfgStep, 4);
    EXPECT_EQ(cfgStatus, 0);
}

TEST_F(Input, ConfigButtonRefusesStartAndJumpButtons) {
    plugPad();
    START_BUTTON = JUMP_BUTTON = -1;
    cfgStep = 0;
    cfgStatus = 1;
    button(4, 1);
    simScheduleEvent(simClock + 30, buttonEvent(4, 0));
    checkInput();
    configButton(&START_BUTTON);
    EXPECT_EQ(START_BUTTON, 4);
    EXPECT_EQ(cfgStep, 1);
    EXPECT_EQ(lastJButton, -1);
    // Button 4 again for jump is refused; a key press is no button.
    button(4, 1);
    button(4, 0);
    checkInput();
    configButton(&JUMP_BUTTON);
    EXPECT_EQ(JUMP_BUTTON, -1);
    simTapKey(simClock, SDLK_a, 10);
    checkInput();
    configButton(&JUMP_BUTTON);
    EXPECT_EQ(JUMP_BUTTON, -1);
    EXPECT_EQ(cfgStatus, 1);
    // Without a binding it only waits.
    button(2, 1);
    button(2, 0);
    checkInput();
    configButton(nullptr);
    EXPECT_EQ(cfgStep, 1);
    button(0, 1);
    button(0, 0);
    checkInput();
    configButton(&JUMP_BUTTON);
    EXPECT_EQ(JUMP_BUTTON, 0);
    EXPECT_EQ(cfgStep, 2);
    EXPECT_EQ(cfgStatus, 0);
}

} // namespace
