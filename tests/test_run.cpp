// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Whole games through the real program on the simulated clock: the harness runs
// blompMain with scripted keys in a folder of its own, and reports the game's
// state at chosen moments. The levels are tiny maps made here, so the flow is
// tested apart from the shipped level design.
#include "4io/hiscore.h"
#include "testutil.h"
#include "worldmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

// A 30-column level: ground along the bottom, the open exit door at columns 5-6
// standing on it, nothing else. The figure walks into the door in about 40 frames.
std::vector<uint8_t> tinyLevel() {
    return levelFile({row(30, '.'), ".....12" + row(23, '.'), ".....34" + row(23, '.'), row(30, '#')});
}

// The play area (rows 0-191) of a frame the harness saved as PNG, three bytes a
// pixel; empty when the file is not a whole RGB picture.
std::vector<uint8_t> playArea(const std::string& path) {
    const DecodedPng png = decodePng(readFile(path));
    if (!png.ok || png.channels != 3 || png.h < 192) return {};
    return std::vector<uint8_t>(png.pixels.begin(), png.pixels.begin() + (size_t)png.w * 3 * 192);
}

// A hiscore table of low scores, so the bonuses of one level are enough to enter it.
void writeLowHiscores() {
    std::vector<uint8_t> low(160, 0);
    for (int i = 0; i < 10; i++) {
        memcpy(&low[16 * i], "LOW", 3);
        low[16 * i + 12] = (uint8_t)(10 - i);
    }
    codebuf(low.data(), 160, HISCORE_SEED);
    writeFile("hiscores.dat", low);
}

class Run : public ::testing::Test {
protected:
    ScratchDir dir;
    std::string script;
    HarnessStates states;
    int status = -1;

    void SetUp() override {
        linkDataArchives({"gfx", "music", "sound"});
        ASSERT_TRUE(writeLevelMaps(tinyLevel()));
        // Through the intro screens: language, quotation, warning, credits, deluxe graphics.
        script = "tap 500 return\ntap 2000 return\ntap 2500 up\ntap 3000 up\ntap 3500 right\n";
    }

    void add(const std::string& line) { script += line + "\n"; }
    // A key pressed at t and released `hold` ms later (1500 ms of right walk into the tiny level's door).
    void tap(unsigned t, const char* key, unsigned hold = 50) {
        add("tap " + std::to_string(t) + " " + key + " " + std::to_string(hold));
    }
    void state(unsigned t) { add("state " + std::to_string(t)); }

    // From the title through NEW GAME and the story: level 1 starts.
    void newGame() {
        tap(5000, "return");
        tap(5500, "return");
        tap(6500, "return");
    }

    // Runs the game with the script; fills states and status.
    void play(const std::string& options = "") {
        states = harnessStates(runHarness(script, "", options, &status));
    }

    // What the states taken must say: time, field, value.
    struct Want {
        unsigned at;
        const char* field;
        int value;
    };
    void expectStates(std::initializer_list<Want> wants) {
        for (const Want& w : wants)
            EXPECT_EQ(stateField(states, w.at, w.field), w.value) << w.field << " at " << w.at;
    }
};

TEST_F(Run, TheMenuAnswersReleasedControlsFromTheAttractStateAndEscapeEndsTheProgramWithoutADialog) {
    state(4500);
    tap(5000, "down"); // attract -> NEW GAME
    state(5500);
    tap(6000, "down");
    tap(6500, "down"); // HISCORES
    state(7000);
    tap(7500, "up"); // up reports jump, which is "back" with the default keys
    state(8000);
    for (unsigned t = 8500; t <= 10000; t += 500) tap(t, "down"); // EXIT wraps to NEW GAME
    state(10500);
    tap(11000, "escape");
    add("limit 13000");
    play();
    EXPECT_EQ(status, 0); // ended by itself, long before the limit
    expectStates({{4500, "workflow", 0},
                  {5500, "workflow", 1},
                  {7000, "workflow", 3},
                  {8000, "workflow", 2},
                  {10500, "workflow", 1},
                  {10500, "level", 0}});
    EXPECT_TRUE(fileExists("blomp.cfg"));
    EXPECT_TRUE(fileExists("hiscores.dat"));
}

TEST_F(Run, TheQuitDialogAnsweredNoPlaysOnAndFromThePauseMenuStandsAloneOverThePlayField) {
    newGame();
    tap(11000, "escape");
    add("shot 11500 play.png");
    tap(12000, "right"); // no
    state(12500);
    tap(13000, "space"); // the pause menu
    tap(14000, "escape");
    add("shot 14500 paused.png");
    tap(15000, "right"); // no: the pause menu is still open
    state(15500);
    tap(16000, "escape");
    tap(16500, "left"); // yes: back to the title, no game saved
    state(17500);
    tap(18000, "escape");
    play();
    EXPECT_EQ(status, 0);
    expectStates({{12500, "level", 1}, {15500, "paused", 1}, {17500, "level", 0}, {17500, "workflow", 0}});
    EXPECT_FALSE(fileExists("savegame.dat"));
    // the figure stands still and the frozen play-field is drawn without it: the
    // same picture under both questions, with no pause menu text under the second
    const std::vector<uint8_t> play = playArea("play.png");
    ASSERT_EQ(play.size(), 320u * 192 * 3);
    EXPECT_TRUE(play == playArea("paused.png"));
}

TEST_F(Run, ANewGameByContinueThenALevelDoneThenSevenDeathsEndTheGameAndOnlyANewAnswerContinuesIt) {
    writeLowHiscores(); // the game's score enters the table: a name entry comes after the game over
    // CONTINUE without a saved game is a new game (the cursor starts on NEW GAME)
    tap(5000, "return");
    state(5200);
    tap(5400, "down");
    tap(5600, "return");
    state(6000); // the story
    tap(6500, "return");
    tap(10000, "right", 1500);
    state(12000); // counting the bonuses
    state(18000); // level 2
    // Each death by SUICIDE from the pause menu: the fall, the 180-frame countdown, the level's intro again.
    const unsigned t = 92000;
    for (unsigned at = 22000; at < t; at += 10000) {
        tap(at, "space");
        tap(at + 200, "up");
        tap(at + 400, "return");
        state(at + 1000);
    }
    state(t);
    tap(t + 1000, "escape"); // past "GAME OVER!": escape only ends the picture
    add("pad 12\nhat " + std::to_string(t + 2000) + " 2\nhat " + std::to_string(t + 5000) + " 0");
    state(t + 6000); // the name completed by holding the pad's hat right
    add("hat " + std::to_string(t + 7000) + " 8\nhat " + std::to_string(t + 7050) + " 0"); // continue: yes
    state(t + 8000);
    tap(t + 14000, "escape"); // quit: yes, then escape on the title
    tap(t + 14500, "left");
    tap(t + 16000, "escape");
    play();
    EXPECT_EQ(status, 0);
    // Time bonus about 110 points crosses 100: the extra life comes before the life bonus counts it.
    // The first suicide is counted when the countdown ends; the seventh ends the game. CONTINUE?
    // waits for an answer the player has seen (the release of the name's key is none), and yes
    // plays the lost level again with full lives and no points.
    expectStates({{5200, "workflow", 1},
                  {6000, "level", 1},
                  {12000, "level", 1},
                  {18000, "level", 2},
                  {18000, "lives", 7},
                  {18000, "saved", 1},
                  {23000, "lives", 7},
                  {33000, "lives", 6},
                  {83000, "lives", 1},
                  {t, "lives", 0},
                  {t + 6000, "level", 2},
                  {t + 6000, "lives", 0},
                  {t + 8000, "level", 2},
                  {t + 8000, "lives", 6},
                  {t + 8000, "score", 0}});
    EXPECT_GE(stateField(states, 18000, "score"), 107);
    std::vector<uint8_t> save = readFile("savegame.dat");
    ASSERT_EQ(save.size(), 4u);
    EXPECT_EQ(save[0] ^ save[3], 1);
    EXPECT_EQ(save[2] ^ save[1], 1);
}

TEST_F(Run, TheLastLevelLeadsToTheEndingAndTheNameEntryWhoseLastKeyTheTitleDoesNotTake) {
    // A saved game after level 15 and a low hiscore table; CONTINUE starts level 16.
    writeFile("savegame.dat", {0x21, 0x43 ^ 15, 0x43, 0x21 ^ 15});
    writeLowHiscores();
    tap(5000, "return");
    tap(5500, "return");
    state(6000);
    tap(10000, "right", 1500);
    state(18000);              // the ending
    tap(19000, "return");      // the name entry: score 116 or so beats the table's last entry
    tap(19500, "right", 2500); // eight moves right, 11 frames apart, complete the name
    state(23000);              // the title opens at PRESS START
    tap(24000, "escape");
    play();
    EXPECT_EQ(status, 0);
    // the last level writes no saved game
    expectStates({{6000, "level", 16},
                  {18000, "level", 17},
                  {23000, "level", 0},
                  {23000, "workflow", 0},
                  {23000, "saved", 15}});
    std::vector<uint8_t> save = readFile("savegame.dat");
    ASSERT_EQ(save.size(), 4u);
    EXPECT_EQ(save[0] ^ save[3], 15);
    // The table on disk holds the new entry, typed by a player, at the top.
    std::vector<uint8_t> table = readFile("hiscores.dat");
    ASSERT_EQ(table.size(), 160u);
    decodebuf(table.data(), 160, HISCORE_SEED);
    EXPECT_EQ(std::string((const char*)table.data()), "AAAAAAAA");
    EXPECT_EQ(table[9], 0); // origin: a player
    const int32_t top = table[12] | table[13] << 8 | table[14] << 16 | table[15] << 24;
    EXPECT_GT(top, 100); // the score of the game, the level's bonuses
    EXPECT_EQ(std::string((const char*)table.data() + 16), "LOW");
}

TEST_F(Run, TheTestLevelStartsAtTheGraphicsChoiceAndEndsTheProgramWhenFinished) {
    mkdir("mapsen", 0755);
    writeFile("mapsen/test.bin", tinyLevel());
    script = "tap 300 right\nstate 1000\ntap 4000 right 1500\nlimit 12000\n";
    play("-t");
    EXPECT_EQ(status, 0); // the door ends the game long before the limit
    EXPECT_EQ(stateField(states, 1000, "level"), -1);
    EXPECT_FALSE(fileExists("savegame.dat"));
}

} // namespace
