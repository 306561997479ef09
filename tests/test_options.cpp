// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The options page: cursor, volumes and the capture of new bindings, frame by frame.
#include "3audio/sound.h"
#include "7game/options.h"
#include "5world/world.h"
#include "4io/input.h"
#include "2platform/sys.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Options : public ::testing::Test {
protected:
    static void SetUpTestSuite() { openTestAudio(); }
    static void TearDownTestSuite() { closeTestAudio(); }
    void SetUp() override {
        simStart(0);
        cfgIndex = cfgCount = cfgStatus = cfgStep = 0;
        world.play.workflow = -4;
        input = Input(); // the game's bindings, nothing held, no pad
        _mus_volume_100_ = 100;
        _sfx_volume_100_ = 15;
    }
    void TearDown() override { simStop(); }

    // Runs frames of the page with a control held; returns the value seen after each frame.
    std::string holdFor(int frames, int control, const int32_t* value) {
        std::string seen;
        for (int i = 0; i < frames; i++) {
            input.lastKey = control;
            input.lastKeyTyped = 0;
            optionsUpdate();
            seen += std::to_string(*value) + " ";
        }
        input.lastKey = 0;
        return seen;
    }
    void typedOnce(int control) {
        input.lastKey = 0;
        input.lastKeyTyped = control;
        optionsUpdate();
        input.lastKeyTyped = 0;
    }
};

TEST_F(Options, AHeldDirectionMovesTheCursorEveryElevenFramesAndWraps) {
    std::string seen = holdFor(23, KEY_DOWN, &cfgIndex);
    EXPECT_EQ(seen, "1 1 1 1 1 1 1 1 1 1 1 2 2 2 2 2 2 2 2 2 2 2 3 ");
    cfgCount = 0;
    cfgIndex = 0;
    typedOnce(KEY_UP);
    EXPECT_EQ(cfgIndex, 4); // from CONFIGURE KEYS up to BACK TO MENU
    cfgCount = 0;
    typedOnce(KEY_DOWN);
    EXPECT_EQ(cfgIndex, 0);
}

TEST_F(Options, AHeldVolumeStepsByFiveAndStopsAtFull) {
    cfgIndex = 2;
    _mus_volume_100_ = 0;
    EXPECT_EQ(holdFor(12, KEY_RIGHT, &_mus_volume_100_), "5 5 5 5 5 5 5 5 5 5 5 10 ");
    holdFor(11 * 25, KEY_RIGHT, &_mus_volume_100_);
    EXPECT_EQ(_mus_volume_100_, 100);
    EXPECT_EQ(_mus_volume_, 128);
}

TEST_F(Options, EachRowAnswersAPressedControl) {
    // row and control typed, the music volume before; both volumes and the menu state after
    const struct {
        int row, control, music, musicAfter, effectsAfter, workflow;
    } cases[] = {
        {2, KEY_RIGHT, 97, 100, 15, -4}, // a hand-written file's odd volume stops at full
        {2, KEY_LEFT, 3, 0, 15, -4},      {3, KEY_RIGHT, 100, 100, 20, -4}, // the other volume is left alone
        {1, KEY_START, 100, 100, 15, -4}, // the pad row does nothing without a pad
        {4, KEY_FIRE, 100, 100, 15, 4},   // back to the menu, the cursor on OPTIONS
    };
    for (const auto& c : cases) {
        SetUp();
        cfgIndex = c.row;
        _mus_volume_100_ = c.music;
        typedOnce(c.control);
        const std::string name = "row " + std::to_string(c.row) + " control " + std::to_string(c.control);
        EXPECT_EQ(_mus_volume_100_, c.musicAfter) << name;
        EXPECT_EQ(_sfx_volume_100_, c.effectsAfter) << name;
        EXPECT_EQ(cfgStatus, 0) << name; // no capture started
        EXPECT_EQ(world.play.workflow, c.workflow) << name;
    }
}

// One frame of the options page as the title runs it: input, then the capture or the page.
void pageFrame() {
    checkKey();
    if (cfgStatus != 0)
        optionsCapture();
    else
        optionsUpdate();
    sysDelay(17);
}

TEST_F(Options, ACaptureEndedByItsOwnJumpKeyOrButtonStaysOnThePage) {
    // keys: start, left, right and a jump key of its own; pad: start, then start again
    // (refused as jump), then jump
    const struct {
        int row;
        int controls[4];
    } cases[] = {{0, {'q', 'a', 'd', 'w'}}, {1, {9, 9, 2, -1}}};
    for (const auto& c : cases) {
        SetUp();
        simSetJoystick(1, 12);
        input.joystick = c.row == 1 ? sysJoystickOpen(0) : nullptr;
        if (c.row == 1) input.JUMP_KEY = 'w'; // so a released jump button confirms too
        cfgIndex = c.row;
        simTapKey(100, SDLK_RETURN, 50); // confirm on the row
        for (int i = 0; i < 4 && c.controls[i] >= 0; i++) {
            const uint32_t at = 1000 + 500 * (uint32_t)i;
            if (c.row == 0) {
                simTapKey(at, c.controls[i], 80);
                continue;
            }
            SDL_Event e = {};
            e.type = SDL_JOYBUTTONDOWN;
            e.jbutton.button = (Uint8)c.controls[i];
            simScheduleEvent(at, e);
            e.type = SDL_JOYBUTTONUP;
            simScheduleEvent(at + 80, e);
        }
        testing::internal::CaptureStdout();
        for (int frame = 0; frame < 200; frame++) pageFrame();
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(cfgStatus, 0) << "row " << c.row;
        if (c.row == 0) {
            EXPECT_EQ(
                std::vector<int32_t>({input.START_KEY, input.LEFT_KEY, input.RIGHT_KEY, input.JUMP_KEY}),
                std::vector<int32_t>({'q', 'a', 'd', 'w'}));
        } else {
            EXPECT_EQ(std::vector<int32_t>({input.START_BUTTON, input.JUMP_BUTTON}),
                      std::vector<int32_t>({9, 2}));
        }
    }
    input.joystick = nullptr;
}

} // namespace
