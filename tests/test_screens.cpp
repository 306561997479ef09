// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The intro screens, driven through runScreens with the simulated clock and a
// scripted player that taps keys on given frames of given screens.
#include "7game/screens.h"
#include "1base/text.h"
#include "6draw/gfx.h"
#include "4io/input.h"
#include "2platform/sys.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

// A key tapped (pressed and released) during the input poll after frame `frame`
// of screen `screen`; the screen's Update sees it in the next frame.
struct Tap {
    int screen, frame, sym;
};

std::vector<Tap> plan;       // what the scripted player taps
std::map<int, int> framesOf; // input polls seen on each screen
std::vector<int> langLog;    // lang_id at each poll of the language screen
uint32_t lastPollClock;
bool stuck; // a screen never ended: the player pushed its way out

// Presses and releases a key, as the player does between two polls.
void tap(int sym) {
    SDL_Event ev{};
    ev.key.keysym.sym = (SDLKey)sym;
    for (int type : {SDL_KEYDOWN, SDL_KEYUP}) {
        ev.type = (Uint8)type;
        simPushEvent(ev);
    }
}

// The scripted player, called by the simulated event queue whenever it runs dry.
void player() {
    if (simClock == lastPollClock) return; // the same poll asks again once the queue is drained
    lastPollClock = simClock;
    const int frame = ++framesOf[currentScreen];
    if (currentScreen == 0) langLog.push_back(lang_id);
    for (const Tap& t : plan)
        if (t.screen == currentScreen && t.frame == frame) tap(t.sym);
    static const int out[3] = {SDLK_RETURN, SDLK_UP, SDLK_LEFT}; // leaves any screen in turn
    stuck |= frame > 2000;
    if (frame > 2000) tap(out[frame % 3]);
}

// Taps that finish each screen quickly, for the screens a test is not about.
const Tap passThrough[] = {
    {0, 1, SDLK_RETURN}, {1, 60, SDLK_SPACE}, {2, 1, SDLK_UP}, {3, 1, SDLK_UP}, {4, 1, SDLK_RIGHT}};

class ScreensTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { openLevelScreen(); } // the screens write no file
    static void TearDownTestSuite() { closeLevelScreen(); }
    void SetUp() override {
        logo = loadGFX("logo", 1, 255, 0, 255);
        lang_id = 0;
        inputClear();
        gfxSet = 1;
        input.JUMP_KEY = input.UP_KEY = SDLK_UP;
        simStart(1000);
        simPollHook = player;
    }
    void TearDown() override {
        simStop();
        lang_id = input.done = currentScreen = 0;
        freeSurface(logo);
        logo = nullptr;
    }
    // Runs the screens with the given taps, plus quick exits for the other screens.
    void run(std::vector<Tap> taps) {
        for (const Tap& p : passThrough) {
            bool planned = false;
            for (const Tap& t : taps) planned |= t.screen == p.screen;
            if (!planned) taps.push_back(p);
        }
        plan = taps;
        framesOf.clear();
        langLog.clear();
        stuck = false;
        lastPollClock = ~0u;
        currentScreen = 0;
        runScreens();
        EXPECT_FALSE(stuck);
        EXPECT_EQ(currentScreen, NUM_SCREENS);
    }
};

TEST_F(ScreensTest, LanguageCursorWrapsChangesRowAndOnlyStartLeaves) {
    const int keys[] = {SDLK_RIGHT, SDLK_RIGHT, SDLK_RIGHT, SDLK_RIGHT,  SDLK_LEFT,
                        SDLK_RIGHT, SDLK_DOWN,  SDLK_UP,    SDLK_RIGHT,  SDLK_DOWN,
                        SDLK_UP,    SDLK_SPACE, 's',        SDLK_ESCAPE, SDLK_RETURN};
    std::vector<Tap> taps;
    for (int i = 0; i < 15; i++) taps.push_back({0, i + 1, keys[i]});
    run(taps);
    // after each tap: 1 2 3, wrap to 0, left wraps to 3, 0, down to French, up
    // (the up key reports jump) back, German, down to Spanish, up to German, then
    // fire, a letter and escape move nothing
    EXPECT_EQ(langLog, (std::vector<int>{0, 1, 2, 3, 0, 3, 0, 2, 0, 1, 3, 1, 1, 1, 1}));
    EXPECT_EQ(lang_id, 1);    // kept for the rest of the game
    EXPECT_EQ(input.done, 1); // escape only asks to quit; every screen still ran
    EXPECT_EQ(framesOf.size(), 5u);
}

TEST_F(ScreensTest, TheQuotationIgnoresInputForItsFirst59FramesAndTenDownsChooseTheHiddenSet) {
    // nine downs then left: the classic set; the tenth down itself ends the screen on set 2
    for (int last : {SDLK_LEFT, SDLK_DOWN}) {
        std::vector<Tap> taps = {{4, 10, last}, {4, 11, SDLK_RIGHT}};
        for (int f = 1; f <= 9; f++) taps.push_back({4, f, SDLK_DOWN});
        for (int f = 1; f <= 59; f++) taps.push_back({1, f, f % 2 ? SDLK_SPACE : SDLK_UP});
        run(taps);
        EXPECT_EQ(framesOf[1], 59); // the tap after frame 59 ends it
        EXPECT_EQ(gfxSet, last == SDLK_LEFT ? 0 : 2);
        EXPECT_EQ(framesOf[4], 10);
    }
}

} // namespace
