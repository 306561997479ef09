// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The configuration file: reading hand-made and written files, pad lines among them, and writing it back.
#include "3audio/music.h"
#include "3audio/sound.h"
#include "4io/config.h"
#include "4io/input.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The sound settings the file touches with the game's defaults; each test starts and ends
// with them and with the game's bindings.
int32_t* const vars[] = {&mpFlags,          &mpResamplingMode, &mpReverbDepth,   &mpReverbDelay,
                         &mpBassAmount,     &mpBassRange,      &mpSurroundDepth, &mpSurroundDelay,
                         &_mus_volume_100_, &_sfx_volume_100_, &_mus_volume_,    &_sfx_volume_};
const int32_t values[] = {3, 1, 0, 0, 0, 0, 0, 0, 100, 15, 128, 19};

const char* const defaultFile =
    "mus_volume=100\nsfx_volume=15\nj_jump=0\nj_fire=1\nj_start=7\nj_up=1\n"
    "j_down=4\nj_left=8\nj_right=2\nmpFlagsOVERSAMPLING=1\nmpResamplingMode=1\n"
    "mpFlagsNOISE_REDUCTION=1\nmpFlagsREVERB=0\nmpReverbDepth=0\nmpReverbDelay=0\n"
    "mpFlagsMEGABASS=0\nmpBassAmount=0\nmpBassRange=0\nmpFlagsSURROUND=0\n"
    "mpSurroundDepth=0\nmpSurroundDelay=0\n";

class Config : public ::testing::Test {
protected:
    ScratchDir scratch;
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        configFolder = nullptr;
        input = Input();
        for (int i = 0; i < 12; i++) *vars[i] = values[i];
    }
    // Writes blomp.cfg with this text and reads it.
    static void load(const std::string& text) {
        writeText("blomp.cfg", text);
        loadConfig();
    }
};

// Hand-made files: each is read with one setting already away from its default, so
// a line that must be ignored shows by leaving that value alone.
TEST_F(Config, HandMadeLinesAreCheckedBeforeTheyCount) {
    const struct {
        const char* text;
        int32_t* var;
        int32_t before, after;
    } cases[] = {
        {"k_jump=x\n", &input.JUMP_KEY, SDLK_w, SDLK_x},
        {"k_up=273\n", &input.UP_KEY, SDLK_w, SDLK_w},           // no cursor key
        {"k_jump=X\n", &input.JUMP_KEY, SDLK_w, SDLK_w},         // no capital
        {"k_start=13\n", &input.START_KEY, SDLK_q, SDLK_q},      // no return
        {"# mine: k_down=z\n", &input.DOWN_KEY, SDLK_w, SDLK_z}, // found anywhere on a line
        {"mus_volume=150\n", &_mus_volume_100_, 50, 100},        // out of range is full volume
        {"mus_volume=-5\n", &_mus_volume_100_, 50, 100},
        {"sfx_volume=99999999999999999999\n", &_sfx_volume_100_, 50, 100}, // no wrapping into range
        {"mpResamplingMode=7\n", &mpResamplingMode, 2, 1},
        {"mpResamplingMode=3\n", &mpResamplingMode, 2, 3},
        {"mpFlagsOVERSAMPLING=0\n", &mpFlags, 1, 1}, // a flag is only ever set
        {"j_fire=-1\n", &input.FIRE_BUTTON, 1, 1},   // a negative button is no button
        {"j_fire=12\n", &input.FIRE_BUTTON, 1, 12},
        {"k_jump=a\nj_jump=3\nk_jump=b\n", &input.JUMP_KEY, SDLK_w, SDLK_a}, // both found: the scan stops
        {"k_right=c\nj_right=-1\nk_right=d\n", &input.RIGHT_KEY, SDLK_w, SDLK_d},
        {"mus_volume=50\nk_up=a", &input.UP_KEY, SDLK_w, SDLK_w}, // the last line needs its line feed
        {"mus_volume=50\nk_up=a\n", &input.UP_KEY, SDLK_w, SDLK_a},
        {"sfx_volume=40", &_sfx_volume_100_, 50, 40}, // a setting may reach the very end
    };
    for (const auto& c : cases) {
        reset();
        *c.var = c.before;
        load(c.text);
        EXPECT_EQ(*c.var, c.after) << c.text;
    }
}

TEST_F(Config, DefaultsWrittenAndReadBackRaiseTheLowerClamps) {
    loadConfig(); // no file: nothing changes
    load("");
    dumpConfig();
    EXPECT_EQ(readText("blomp.cfg"), defaultFile);
    loadConfig();
    dumpConfig();
    std::string again = defaultFile;
    again.replace(again.find("mpReverbDelay=0"), 15, "mpReverbDelay=40");
    again.replace(again.find("mpBassRange=0"), 13, "mpBassRange=10");
    again.replace(again.find("mpSurroundDelay=0"), 17, "mpSurroundDelay=5");
    EXPECT_EQ(readText("blomp.cfg"), again);
}

// A pad line is read back, and the older rules (the j_ lines) see the same file as before.
TEST_F(Config, PadLinesLeaveTheOlderLinesAlone) {
    load("j_jump=4\nj_start=5\npadbind=3 2 Sony Wireless Controller\npadbind=x\n");
    EXPECT_EQ(input.padBase.jump, 4);
    EXPECT_EQ(input.padBase.start, 5);
    EXPECT_STREQ(input.padMemory[0].name, "Sony Wireless Controller");
    EXPECT_EQ(input.padMemory[0].start, 3);
    EXPECT_EQ(input.padMemory[0].jump, 2);
    EXPECT_STREQ(input.padMemory[1].name, ""); // the broken line is no pad
    dumpConfig();
    const std::string out = readText("blomp.cfg");
    for (const char* line : {"j_jump=4\n", "j_start=5\n", "\npadbind=3 2 Sony Wireless Controller\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line << out;
}

} // namespace
