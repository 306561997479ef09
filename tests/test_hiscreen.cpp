// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The name entry after a game, driven by scripted keys on the simulated clock.
// (The hiscore page itself is one of the golden frames.)
#include "1base/error.h"
#include "2platform/fps.h"
#include "5world/world.h"
#include "7game/stuff.h"
#include "6draw/font.h"
#include "6draw/gfx.h"
#include "6draw/hiscreen.h"
#include "4io/hiscore.h"
#include "4io/input.h"
#include "2platform/sys.h"
#include "2platform/video.h"
#include "2platform/zda.h"
#include "testutil.h"
#include "5world/figure.h"
#include "5world/map.h"
#include "5world/monsters.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <unistd.h>
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
    Figure figure{};

    void SetUp() override {
        // The default table: 2500 down to 250.
        for (int i = 0; i < NUM_HISCORES; i++) {
            memset(&hiscores[i], 0, sizeof hiscores[i]);
            snprintf(hiscores[i].name, sizeof hiscores[i].name, "OLD%d", i);
            hiscores[i].origin = 1;
            hiscores[i].score = 2500 - 250 * i;
        }
        world.play.level = 0;
        world.play.workflow = 0;
        world.map.step = 0;
        killMonsters();
        simStart(0);
        simPollHook = stuckGuard;
        lastKey = lastKeyTyped = 0;
        space = 0;
        JUMP_KEY = UP_KEY = SDLK_UP;
        remove("hiscores.dat"); // the table above is the whole truth: a file left over would be merged in
    }
    void TearDown() override { simStop(); }

    // Taps a key at time t for 50 ms; returns the time of the next tap (well after the repeat delay).
    uint32_t tap(uint32_t t, int sym) {
        simTapKey(t, sym, 50);
        return t + 300;
    }
    // Runs the entry for a score and returns where it landed (-1: not in the table).
    int enter(int32_t points) {
        world.play.score = points;
        checkHiscore(figure);
        for (int i = 0; i < NUM_HISCORES; i++)
            if (hiscores[i].origin == 0) return i;
        return -1;
    }
};

TEST_F(Hiscreen, AScoreTakesItsPlaceBelowEqualOnes) {
    const struct {
        int32_t score;
        int rank; // -1: not in the table
    } cases[] = {{250, -1}, {2500, 1}, {2501, 0}};
    for (const auto& c : cases) {
        SetUp();
        tap(100, SDLK_RETURN);
        EXPECT_EQ(enter(c.score), c.rank) << c.score;
        EXPECT_EQ(fileExists("hiscores.dat"), c.rank >= 0) << c.score;
        EXPECT_STREQ(hiscores[0].name, c.rank == 0 ? "A" : "OLD0") << c.score;
        EXPECT_EQ(hiscores[9].score, c.rank < 0 ? 250 : 500) << c.score; // the old tenth drops out
    }
}

TEST_F(Hiscreen, TypedKeysSpellTheName) {
    // Keys tapped one after another, then start; the name saved.
    const struct {
        std::vector<int> keys;
        const char* name;
    } cases[] = {
        {{}, "A"}, // start at once
        {{SDLK_UP, SDLK_RIGHT, SDLK_DOWN, SDLK_RIGHT, SDLK_DOWN, SDLK_DOWN},
         "B Z"}, // up: B, down: blank, twice: Z
        {{SDLK_RIGHT, SDLK_RIGHT, SDLK_RIGHT, SDLK_RIGHT, SDLK_LEFT, SDLK_LEFT}, "AAA"}, // cut at the cursor
        {{SDLK_UP}, "B"}, // up also reports jump, which is the up key here: only the letter steps
    };
    for (const auto& c : cases) {
        SetUp();
        uint32_t t = 100;
        for (int k : c.keys) t = tap(t, k);
        tap(t, SDLK_RETURN);
        ASSERT_EQ(enter(3000), 0) << c.name;
        EXPECT_STREQ(hiscores[0].name, c.name);
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
        JUMP_KEY = 'x';
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
        EXPECT_EQ(lastKeyTyped, 0) << key;
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
        sysStopSignal = 0;
        stopHook = nullptr;
        done = escape = 0;
        EXPECT_EQ(stopped, bySignal);
        EXPECT_TRUE(fileExists("hiscores.dat")) << bySignal;
        EXPECT_STREQ(hiscores[0].name, "B") << bySignal;
    }
}

TEST_F(Hiscreen, StartHeldWhenTheEntryBeginsSavesAAfterItsRelease) {
    space = 1; // the start input is held as the entry begins
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
