// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Pads as players use them: the known layouts by name, and the whole game with a
// pad alone that is plugged in after the start, pulled out and plugged back in.
#include "2platform/sys.h"
#include "4io/input.h"
#include "4io/pads.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// A pad plugged in while the game runs is opened with the layout its name asks for:
// its start, select, jump and fire buttons do what they say.
TEST(Pads, APadPluggedInUsesTheLayoutOfItsName) {
    const struct {
        const char* name;
        int start, select, jump, fire;
    } cases[] = {
        {"Microsoft X-Box 360 pad", 7, 6, 0, 1},
        {"Xbox Wireless Controller", 7, 6, 0, 1},
        {"Sony PLAYSTATION(R)3 Controller", 9, 8, 0, 1},
        {"Sony Interactive Entertainment Wireless Controller", 9, 8, 0, 1},
        {"DualSense Wireless Controller", 9, 8, 0, 1},
        {"USB Gamepad ", 9, 8, 2, 1},
        {"8BitDo SN30 Pro", 11, 10, 1, 0},
        {"8bitdo sf30 pro", 11, 10, 1, 0}, // case does not matter
        {"Pro Controller", 9, 8, 0, 1},
        {"Logitech Dual Action", 7, 6, 0, 1}, // not in the table: blomp.cfg's buttons (today's defaults)
    };
    simStart(0);
    input = Input();
    const auto tap = [](int button) {
        SDL_Event ev = {};
        ev.type = SDL_JOYBUTTONDOWN;
        ev.jbutton.button = (Uint8)button;
        simScheduleEvent(simClock, ev);
        ev.type = SDL_JOYBUTTONUP;
        simScheduleEvent(simClock, ev);
        checkInput();
        return input.lastKeyTyped;
    };
    for (const auto& c : cases) {
        simPlugPad(simClock, 0, nullptr); // the last one pulled out,
        simPlugPad(simClock, 13, c.name); // this one plugged in
        checkInput();                     // the change is seen,
        checkInput();                     // the pad opened
        ASSERT_NE(input.joystick, nullptr) << c.name;
        EXPECT_STREQ(inputPadName(), c.name) << c.name;
        EXPECT_EQ((std::vector<int>{tap(c.start), tap(c.select), tap(c.jump), tap(c.fire)}),
                  (std::vector<int>{KEY_START, KEY_SELECT, KEY_JUMP, KEY_FIRE}))
            << c.name;
    }
    EXPECT_EQ(&padLayoutFor(nullptr), &defaultPadLayout);
    simStop();
    input = Input();
}

// The script of a whole game played with a PlayStation-style pad (start 9, jump 0,
// fire 1) that is plugged in three seconds after the start.
class PadGame {
public:
    std::string script = "plug 3000 13 Sony Interactive Entertainment Wireless Controller\n";
    unsigned t = 3000;
    void add(const std::string& s) { script += s + "\n"; }
    void hat(int v, unsigned dt = 400) { // the hat pushed and back to the centre
        t += dt;
        add("hat " + std::to_string(t) + " " + std::to_string(v));
        add("hat " + std::to_string(t + 100) + " 0");
    }
    void button(int b, unsigned dt = 400) {
        t += dt;
        add("button " + std::to_string(t) + " " + std::to_string(b) + " down");
        add("button " + std::to_string(t + 100) + " " + std::to_string(b) + " up");
    }
    unsigned state(unsigned dt = 300) {
        t += dt;
        add("state " + std::to_string(t));
        return t;
    }
};

TEST(Pads, TheWholeGameWithAPadAlone) {
    ScratchDir dir;
    dir.linkGameData();
    PadGame g;
    g.hat(2, 1000), g.button(9);                             // language
    g.button(0, 2500), g.button(0, 1000), g.button(0, 1000); // quotation, warning, credits
    g.hat(2, 1000);                                          // graphic set
    const unsigned title = g.state(500);
    g.button(9, 1500);               // the menu opens on NEW GAME
    g.hat(4), g.hat(4), g.button(9); // HISCORES
    const unsigned hiscores = g.state();
    g.button(9), g.hat(4), g.button(9);                            // back, then OPTIONS
    g.hat(4), g.button(9), g.button(3, 800), g.button(2, 800);     // the pad row: start 3, jump 2
    g.hat(4, 600), g.hat(4, 600), g.hat(4, 600), g.button(3, 600); // BACK
    const unsigned backInMenu = g.state();
    g.hat(1), g.hat(1), g.hat(1), g.button(3); // NEW GAME with the new start button
    g.button(3, 1500);                         // past the story
    g.t += 3500;
    g.add("hat " + std::to_string(g.t) + " 2"); // walk right
    const unsigned walking = g.state(2000);
    g.t += 200;
    g.add("unplug " + std::to_string(g.t));
    const unsigned pulled = g.state();
    g.t += 1500;
    g.add("plug " + std::to_string(g.t) + " 13 Sony Interactive Entertainment Wireless Controller");
    g.button(3, 1000); // GO ON, with the start button bound for this pad
    const unsigned goneOn = g.state();
    g.button(1, 500), g.hat(4), g.button(3); // fire: the pause menu; EXIT; the quit question
    g.hat(8, 500);                           // yes: back to the title
    const unsigned backOnTitle = g.state(800);
    g.button(3, 1500), g.hat(1), g.button(3); // the menu, up to EXIT, confirmed
    g.add("limit " + std::to_string(g.t + 5000));
    int status = -1;
    const std::string out = runHarness(g.script, "", "", &status);
    const HarnessStates states = harnessStates(out);
    const auto field = [&](unsigned at, const char* name) { return stateField(states, at, name); };
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(field(title, "level"), 0) << out;
    EXPECT_EQ(field(hiscores, "workflow"), -3) << out;
    EXPECT_EQ(field(backInMenu, "workflow"), 4) << out;
    EXPECT_EQ(field(walking, "level"), 1) << out;
    EXPECT_GT(field(walking, "step"), 0) << out;
    EXPECT_EQ(field(pulled, "paused"), 1) << out; // pulled out in play: the pause menu
    EXPECT_EQ(field(goneOn, "paused"), 0) << out;
    EXPECT_GT(field(goneOn, "step"), field(pulled, "step")) << out; // and no stick held
    EXPECT_EQ(field(backOnTitle, "level"), 0) << out;
    const std::string cfg = readText("blomp.cfg");
    EXPECT_NE(cfg.find("j_jump=0\nj_fire=1\nj_start=7\n"), std::string::npos) << cfg;
    EXPECT_NE(cfg.find("\npadbind=3 2 Sony Interactive Entertainment Wireless Controller\n"),
              std::string::npos)
        << cfg;
}

} // namespace
