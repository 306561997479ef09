// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The play-field and the HUD, composed from the shipped pictures and checked by
// the pixels they leave in the frame: what changes over time or lies beyond the
// moments the golden frames hold (every set, its bars and back picture, there).
#include "1base/text.h"
#include "2platform/fps.h"
#include "2platform/zda.h"
#include "6draw/draw.h"
#include "6draw/font.h"
#include "6draw/gfx.h"
#include "testutil.h"
#include "worldmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// The pixels of a rectangle of the frame.
std::vector<Uint32> region(int x, int y, int w, int h) {
    std::vector<Uint32> out;
    for (int j = y; j < y + h; j++)
        for (int i = x; i < x + w; i++) out.push_back(pixelAt(screen, i, j));
    return out;
}

// True when the frame at (x, y) shows picture s, its transparent pixels aside.
bool shows(SDL_Surface* s, int x, int y) {
    const bool keyed = (s->flags & SDL_SRCCOLORKEY) != 0;
    for (int j = 0; j < s->h; j++)
        for (int i = 0; i < s->w; i++)
            if ((!keyed || pixelAt(s, i, j) != s->format->colorkey) &&
                pixelAt(screen, x + i, y + j) != pixelAt(s, i, j))
                return false;
    return true;
}

class Draw : public WorldTest {
protected:
    static void SetUpTestSuite() {
        openLevelScreen();
        gfxSet = 1;
        loadScenery(1);
    }
    static void TearDownTestSuite() {
        freeScenery();
        closeLevelScreen();
    }
    void SetUp() override {
        // An empty map 100 columns wide, level 1 in play, three items left, nothing on screen but the back
        // picture.
        freshWorld({row(100, '.')});
        world.play.level = 1;
        world.map.stars = 3;
        moonx = -2000;
        skipFrame = 0;
    }
};

TEST_F(Draw, BarsShowTimeAndAirLeft) {
    world.timeLeft = 3500;
    world.airLeft = 250;
    drawScreen(200, fig, 0);
    EXPECT_EQ(pixelAt(screen, 64, 198), RED);
    EXPECT_EQ(pixelAt(screen, 187, 202), RED);
    EXPECT_EQ(pixelAt(screen, 188, 198), DRED);
    EXPECT_EQ(pixelAt(screen, 311, 198), DRED);
    EXPECT_EQ(pixelAt(screen, 312, 198), BLACK);
    EXPECT_EQ(pixelAt(screen, 64, 208), BLUE);
    EXPECT_EQ(pixelAt(screen, 187, 208), BLUE);
    EXPECT_EQ(pixelAt(screen, 188, 208), DBLUE);
    world.timeLeft = 7000;
    world.airLeft = 0;
    drawScreen(200, fig, 0);
    EXPECT_EQ(pixelAt(screen, 311, 198), RED);
    EXPECT_EQ(pixelAt(screen, 64, 208), DBLUE);
    world.timeLeft = 0;
    drawScreen(200, fig, 0);
    EXPECT_EQ(pixelAt(screen, 64, 198), DRED);
}

TEST_F(Draw, TheBackPictureWrapsAtHalfTheMapSpeed) {
    const int w = background->w, h = background->h, top = 192 - h;
    ASSERT_GT(w, 320);
    world.map.step = 0;
    drawScreen(200, fig, 0);
    for (int x = 0; x < 320; x += 13) EXPECT_EQ(pixelAt(screen, x, 191), pixelAt(background, x, h - 1)) << x;
    // o = W - 100: the picture's last 100 columns, then its first 220.
    layMap({row(w, '.')}); // wide enough for this scroll position
    world.map.step = 2 * w - 200;
    drawScreen(200, fig, 0);
    for (int x = 0; x < 100; x += 7)
        EXPECT_EQ(pixelAt(screen, x, 191), pixelAt(background, w - 100 + x, h - 1)) << x;
    for (int x = 100; x < 320; x += 7)
        EXPECT_EQ(pixelAt(screen, x, 191), pixelAt(background, x - 100, h - 1)) << x;
    if (top > 0) {
        EXPECT_EQ(pixelAt(screen, 5, top - 1), BLACK);
    }
}

TEST_F(Draw, TheBottomRowCountsLivesScoreItemsAndLevel) {
    world.play.score = 42;
    for (int stars : {0, 1, 2}) {
        world.map.stars = stars;
        drawScreen(200, fig, 0);
        EXPECT_TRUE(shows(blocks[19 - stars], 256, 220)) << stars; // the door open, or closed by the items
    }
    // the figure and lives "06", score "0042", items "02", level 1 as "00"
    const std::pair<SDL_Surface*, int> shown[] = {{blocks[24], 16},         {fontbig['0' - 32], 64},
                                                  {fontbig['6' - 32], 80},  {fontbig['0' - 32], 124},
                                                  {fontbig['4' - 32], 156}, {fontbig['2' - 32], 172},
                                                  {fontbig['0' - 32], 216}, {fontbig['2' - 32], 232},
                                                  {fontbig['0' - 32], 276}, {fontbig['0' - 32], 292}};
    for (const auto& s : shown) EXPECT_TRUE(shows(s.first, s.second, 220)) << s.second;
}

TEST_F(Draw, TheLevelIntroBlinksItsCallAndHidesTheFigureUntilItEnds) {
    // The golden frames hold one moment of the intro; the blink needs two.
    drawScreen(1, fig, 0);
    std::vector<Uint32> shown = region(0, 96, 320, 16);
    drawScreen(32, fig, 0);
    EXPECT_NE(region(0, 96, 320, 16), shown);
    drawScreen(64, fig, 0);
    EXPECT_EQ(region(0, 96, 320, 16), shown);
    placeFigure(fig, 100, 100);
    drawScreen(180, fig, 0);
    EXPECT_FALSE(shows(blocks[24], 100, 100));
    drawScreen(181, fig, 0);
    EXPECT_TRUE(shows(blocks[24], 100, 100));
}

TEST_F(Draw, WaterChangesItsPhaseEveryEightFrames) {
    world.map.mapData[2 * 12 + 5] = 160; // column 2, row 5
    world.map.mapData[3 * 12 + 5] = 161;
    const int frames[] = {0, 7, 8, 24, 32};
    const int phases[] = {0, 0, 1, 3, 0};
    for (int i = 0; i < 5; i++) {
        drawScreen(256 + frames[i], fig, 0); // past the intro, the same phase bits
        EXPECT_TRUE(shows(wblocks[2 * phases[i]], 32, 80)) << frames[i];
        EXPECT_TRUE(shows(wblocks[2 * phases[i] + 1], 48, 80)) << frames[i];
    }
    // Frame -1 (the hiscore entry's background) is the last phase.
    drawScreen(-1, fig, 0);
    EXPECT_TRUE(shows(wblocks[6], 32, 80));
}

TEST_F(Draw, TilesFollowTheScrollPositionOnAnyMapWidth) {
    // A map of 5000 columns, scrolled past 65536 pixels: the right columns still show.
    layMap({row(5000, '.')});
    world.map.step = 4200 * 16 + 5;
    world.map.mapData[4201 * 12 + 3] = 40; // a brick in column 4201
    drawScreen(200, fig, 0);
    EXPECT_TRUE(shows(blocks[40], 16 - 5, 48));
    // Codes without a picture are left out: the cell shows the back picture as an empty one does.
    std::vector<Uint32> empty = region(32 - 5, 48, 16, 16);
    world.map.mapData[4202 * 12 + 3] = 250;
    drawScreen(200, fig, 0);
    EXPECT_EQ(region(32 - 5, 48, 16, 16), empty);
}

TEST_F(Draw, TheTitleMenuBlinksOnlyTheChosenEntry) {
    world.play.level = 0;
    world.play.workflow = 3;
    drawScreen(0, fig, 0);
    EXPECT_TRUE(shows(fontbig['H' - 32], 160 - 8 * 8, 156));
    std::vector<Uint32> all = region(0, 120, 320, 90);
    drawScreen(40, fig, 0);
    EXPECT_FALSE(shows(fontbig['H' - 32], 160 - 8 * 8, 156));
    // The rows above HISCORES stay.
    EXPECT_EQ(region(0, 120, 320, 36), std::vector<Uint32>(all.begin(), all.begin() + 320 * 36));
}

TEST_F(Draw, ADeathMessageBlinks) {
    // A dying figure with lives left: darkened, the message blinks.
    placeFigure(fig, 100, 100);
    fig.dying = 1;
    snprintf(world.play.messageString, sizeof world.play.messageString, "%s", "FELL TO DEATH");
    drawScreen(200, fig, 0);
    EXPECT_TRUE(shows(fontbig['F' - 32], 160 - 8 * 13, 96));
    drawScreen(224, fig, 0); // bit 5 set: hidden
    EXPECT_FALSE(shows(fontbig['F' - 32], 160 - 8 * 13, 96));
}

TEST_F(Draw, StandingAtTheClosedDoorRemindsOfTheItems) {
    placeFigure(fig, 100, 100);
    fig.atClosedDoor = 1;
    drawScreen(224, fig, 0); // shown steadily, whatever the blink bit
    EXPECT_TRUE(shows(fontbig['Y' - 32], 160 - 8 * (int)strlen(tr(16)), 96));
    EXPECT_TRUE(shows(font['G' - 32], 160 - 4 * (int)strlen(tr(17)), 120));
}

} // namespace
