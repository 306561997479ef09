// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Monsters: the stomp and kill boxes of each kind, the hoglet's spines, the
// stunned hat guy, leaving the play and a full pool.
#include "worldmap.h"

namespace {

class Monsters : public WorldTest {
protected:
    void SetUp() override { freshWorld({row(60, '.'), row(60, '#')}); } // standing monsters have y 160
    // A live figure at (x, y) with vertical speed vy.
    void figureAt(int x, int y, int vy) {
        placeFigure(fig, x, y);
        fig.vy = vy;
    }
    // A single monster of a kind alone in the pool.
    Monster& only(int x, int y, int kind) {
        killMonsters();
        EXPECT_EQ(startMonster(x, y, kind), 1);
        return world.monst[0];
    }
};

enum { NONE, KILL, STOMP };

} // namespace

TEST_F(Monsters, StompAndKillBoxesOfEveryKind) {
    const struct {
        int kind, dx, stompable;
        const char* death;
    } kinds[] = {
        {MON_BLOB, -1, 1, "KILLED BY A BLOB"},      {MON_HOGLET, -1, 0, "KILLED BY A HOGLET"},
        {MON_BAT, -1, 1, "KILLED BY A BAT"},        {MON_PIRANHA, -1, 0, "EATEN BY A PIRANHA"},
        {MON_HATGUY, -2, 1, "KILLED BY A HAT GUY"},
    };
    // the figure relative to the monster after its first step: x, y, vy, then what a
    // stompable kind and what another kind does to it
    const int points[][5] = {
        {-12, 160, 7, KILL, KILL},  {13, 160, 7, KILL, KILL},   {0, 151, 7, KILL, KILL},
        {0, 170, 7, KILL, KILL},    {13, 151, 7, KILL, KILL},   {0, 160, 8, KILL, KILL},
        {-13, 160, 7, NONE, NONE},  {14, 160, 7, NONE, NONE},   {0, 150, 7, NONE, NONE},
        {0, 171, 7, NONE, NONE},    {0, 144, 8, NONE, NONE},    {-16, 150, 8, NONE, NONE},
        {17, 150, 8, NONE, NONE},   {-15, 145, 8, STOMP, NONE}, {16, 145, 8, STOMP, NONE},
        {-15, 159, 8, STOMP, NONE}, {16, 159, 8, STOMP, NONE},  {0, 150, 8, STOMP, NONE},
    };
    for (const auto& k : kinds) {
        for (const auto& p : points) {
            const int want = k.stompable ? p[3] : p[4];
            world.play = Play();
            Monster& m = only(300, 160, k.kind);
            figureAt(300 + k.dx + p[0], p[1], p[2]);
            updateMonsters(fig);
            SCOPED_TRACE(testing::Message() << k.kind << " at " << p[0] << "," << p[1] << " vy " << p[2]);
            EXPECT_EQ(fig.dying, want == KILL);
            EXPECT_STREQ(world.play.messageString, want == KILL ? k.death : "");
            EXPECT_EQ(fig.bounce, want == STOMP);
            EXPECT_EQ(world.play.score, want == STOMP ? 3 : 0);
            EXPECT_EQ(m.dx == 0, want == STOMP);
        }
    }
}

TEST_F(Monsters, AFallThatWouldSquashABlobKillsOnAHogletInTheNextFrame) {
    only(300, 160, MON_HOGLET);
    figureAt(299, 150, 8);
    updateMonsters(fig);
    EXPECT_EQ(fig.dying, 0);
    fig.y += fig.vy / 4; // the figure's own fall
    updateMonsters(fig);
    EXPECT_EQ(fig.dying, 1);
    EXPECT_EQ(fig.bounce, 0);
    EXPECT_STREQ(world.play.messageString, "KILLED BY A HOGLET");
}

TEST_F(Monsters, AStunnedHatGuyWakesAfter226FramesWalkingTheOtherWay) {
    Monster& m = only(300, 160, MON_HATGUY);
    figureAt(298, 150, 8);
    updateMonsters(fig); // walked to 298, stomped
    fig.alive = 0;
    for (int t = 1; t < 226; t++) {
        updateMonsters(fig);
        ASSERT_EQ(m.dx, 0) << t;
    }
    updateMonsters(fig);
    EXPECT_EQ(m.dx, 2);
    updateMonsters(fig);
    EXPECT_EQ(m.x, 300);
    // stomped again: stunned anew, no more points; while stunned it cannot be stomped
    for (int again = 0; again < 2; again++) {
        figureAt(m.x, 150, 8);
        updateMonsters(fig);
        EXPECT_EQ(fig.bounce, again == 0);
    }
    EXPECT_EQ(m.hits, 2);
    EXPECT_EQ(m.savedDx, 2);
    EXPECT_EQ(world.play.score, 3);
}

TEST_F(Monsters, LeavingThePlay) {
    layMap({row(200, '.'), row(200, '#')});
    world.map.step = 1000;
    // kind, x, y, still there; squashed blobs do not walk and bats do not fall
    const int cases[][4] = {{MON_BLOB, 750, 160, 1},  {MON_BLOB, 749, 160, 0}, {MON_BLOB, 1500, 160, 1},
                            {MON_BLOB, 1501, 160, 0}, {MON_BAT, 1100, 200, 1}, {MON_BAT, 1100, 201, 0}};
    for (const auto& c : cases) {
        Monster& m = only(c[1], c[2], c[0]);
        if (c[0] == MON_BLOB) m.dx = 0;
        updateMonsters(fig);
        EXPECT_EQ(m.active, c[3]) << c[1] << "," << c[2];
    }
}

TEST_F(Monsters, SixteenFillThePool) {
    for (int i = 0; i < MAX_MONST; i++) EXPECT_EQ(startMonster(16 * i, 0, MON_BAT), 1);
    EXPECT_EQ(startMonster(500, 0, MON_BLOB), 0);
    for (const Monster& m : world.monst) EXPECT_EQ(m.kind, MON_BAT);
}
