// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The name entry after a game, driven by scripted keys on the simulated clock.
// (The hiscore page itself is one of the golden frames.)
#include "1base/error.h"
#include "4io/hiscore.h"
#include "4io/input.h"
#include "5world/world.h"
#include "6draw/hiscreen.h"
#include "2platform/sys.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

constexpr uint32_t GIVE_UP = 120000; // a name entry still running after two minutes is stuck

void stuckGuard() {
    if (simClock > GIVE_UP) throw std::runtime_error("the name entry never ended");
}

class Hiscreen : public ::testing::Test {
protected:
    static void SetUpTestSuite() { openLevelScreen(); }
    static void TearDownTestSuite() { closeLevelScreen(); }

    ScratchDir dir;

    void SetUp() override {
        for (int i = 0; i < NUM_HISCORES; i++) { // the default table: 2500 down to 250
            hiscores[i] = {"", ORIGIN_DEFAULT, {0, 0}, 2500 - 250 * i};
            snprintf(hiscores[i].name, sizeof hiscores[i].name, "OLD%d", i);
        }
        world = World();
        input = Input();
        simStart(0);
        simPollHook = stuckGuard;
        remove("hiscores.dat"); // the table above is the whole truth: a file left over would be merged in
    }
    void TearDown() override {
        simStop();
        sysStopSignal = 0;
        stopHook = nullptr;
        input = Input();
    }

    // Taps a key at time t for 50 ms; returns the time of the next tap (well after the repeat delay).
    uint32_t tap(uint32_t t, int sym) {
        simTapKey(t, sym, 50);
        return t + 300;
    }
    // Runs the entry for a score and returns where it landed (-1: not in the table).
    int enter(int32_t points) {
        world.play.score = points;
        checkHiscore(world.figure);
        for (int i = 0; i < NUM_HISCORES; i++)
            if (hiscores[i].origin == 0) return i;
        return -1;
    }
};

// Keys tapped one after another, then start: where the score lands and the name saved.
TEST_F(Hiscreen, AScoreTakesItsPlaceBelowEqualOnesWithTheNameTyped) {
    const struct {
        int32_t score;
        std::vector<int> keys;
        int rank; // -1: not in the table
        const char* name;
    } cases[] = {
        {250, {}, -1, "OLD0"}, // not in the table: the first stays first
        {2500, {}, 1, "A"},    // start at once
        {2501, {}, 0, "A"},
        // up: B, down: blank, twice: Z
        {3000, {SDLK_UP, SDLK_RIGHT, SDLK_DOWN, SDLK_RIGHT, SDLK_DOWN, SDLK_DOWN}, 0, "B Z"},
        // cut at the cursor
        {3000, {SDLK_RIGHT, SDLK_RIGHT, SDLK_RIGHT, SDLK_RIGHT, SDLK_LEFT, SDLK_LEFT}, 0, "AAA"},
        // up also reports jump, which is the up key here: only the letter steps
        {3000, {SDLK_UP}, 0, "B"},
    };
    for (const auto& c : cases) {
        SetUp();
        uint32_t t = 100;
        for (int k : c.keys) t = tap(t, k);
        tap(t, SDLK_RETURN);
        ASSERT_EQ(enter(c.score), c.rank) << c.score << " " << c.name;
        EXPECT_EQ(fileExists("hiscores.dat"), c.rank >= 0) << c.score;
        EXPECT_STREQ(hiscores[0].name, c.rank == 0 ? c.name : "OLD0") << c.score;
        EXPECT_STREQ(hiscores[c.rank < 0 ? 0 : c.rank].name, c.name) << c.score;
        EXPECT_EQ(hiscores[9].score, c.rank < 0 ? 250 : 500) << c.score; // the old tenth drops out
    }
}

uint32_t savedAt = 0; // when the hiscore file appeared, in simulated ms; 0 until then

void watchSave() {
    stuckGuard();
    if (!savedAt && fileExists("hiscores.dat")) savedAt = simClock;
}

TEST_F(Hiscreen, MovingPastTheEighthLetterSavesAtOnceButTheNextScreenGetsNoRelease) {
    // right, fire, or a jump key of its own moves past the end and is held a second
    const int keys[] = {SDLK_RIGHT, SDLK_SPACE, 'x'};
    for (int key : keys) {
        SetUp();
        input.JUMP_KEY = 'x';
        simPollHook = watchSave;
        savedAt = 0;
        uint32_t t = 100;
        for (int i = 0; i < 7; i++) t = tap(t, key);
        simKey(t, key, 1);
        simKey(t + 1000, key, 0);
        ASSERT_EQ(enter(3000), 0) << key;
        EXPECT_STREQ(hiscores[0].name, "AAAAAAAA");
        EXPECT_GE(savedAt, t) << key;
        EXPECT_LT(savedAt, t + 100) << key; // saved in the frame of the last press: no wait for a start key
        EXPECT_GE(simClock, t + 1000) << key;
        checkKey(); // the next screen's first poll
        EXPECT_EQ(input.lastKeyTyped, 0) << key;
    }
}

struct Stopped {}; // thrown by the stop hook in place of the program's end
uint32_t stopAt = 0;

void signalAtStopTime() {
    stuckGuard();
    if (simClock >= stopAt) sysStopSignal = SIGTERM;
}

// Escape or a stop signal ends the entry as start does, and the name typed so far is
// saved before the game goes on or, after the signal, ends.
TEST_F(Hiscreen, EscapeOrAStopSignalEndsTheEntryAndSavesIt) {
    for (const bool bySignal : {false, true}) {
        SetUp();
        stopAt = tap(100, SDLK_UP); // B
        if (bySignal)
            simPollHook = signalAtStopTime;
        else
            tap(stopAt, SDLK_ESCAPE);
        stopHook = [] { throw Stopped(); };
        bool stopped = false;
        try {
            enter(3000);
        } catch (const Stopped&) {
            stopped = true;
        }
        EXPECT_EQ(stopped, bySignal);
        EXPECT_TRUE(fileExists("hiscores.dat")) << bySignal;
        EXPECT_STREQ(hiscores[0].name, "B") << bySignal;
    }
}

TEST_F(Hiscreen, StartHeldWhenTheEntryBeginsSavesAAfterItsRelease) {
    input.space = 1; // the start input is held as the entry begins
    simKey(0, SDLK_RETURN, 1);
    simKey(500, SDLK_RETURN, 0);
    ASSERT_EQ(enter(3000), 0);
    EXPECT_STREQ(hiscores[0].name, "A");
    EXPECT_GE(simClock, 500u);
}

TEST_F(Hiscreen, AHeldLetterKeyRepeatsEveryElevenFrames) {
    simKey(100, SDLK_UP, 1);
    simKey(100 + 11 * 50 / 3 * 3 + 40, SDLK_UP, 0); // about 34 frames: actions at frames 0, 11, 22, 33
    simTapKey(1500, SDLK_RETURN, 50);
    ASSERT_EQ(enter(3000), 0);
    EXPECT_STREQ(hiscores[0].name, "E");
}

} // namespace
