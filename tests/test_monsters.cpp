// Monsters: starting, walking and turning, falling, stomp and kill boxes of
// each kind, the timers, leaving the play, and their pictures.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "game/stuff.h"
#include "gfx/gfx.h"
#include "world/figure.h"
#include "world/map.h"
#include "world/monsters.h"

namespace {

// Lays out a map in memory from rows of characters, bottom rows last ('#'
// solid, anything else empty); missing rows at the top are empty.
void layMap(const std::vector<std::string>& rows) {
    freeLevel();
    mapLength = (int32_t)rows[0].size();
    mapData = (int32_t*)calloc((size_t)mapLength * MAP_ROWS, sizeof(int32_t));
    const size_t top = MAP_ROWS - rows.size();
    for (int m = 0; m < mapLength; m++)
        for (size_t r = top; r < MAP_ROWS; r++) mapData[m * MAP_ROWS + r] = rows[r - top][m] == '#' ? 21 : 0;
}

std::string row(size_t n, char c) {
    return std::string(n, c);
}

class Monsters : public ::testing::Test {
protected:
    Figure fig{};
    void SetUp() override {
        killMonsters();
        step = 0;
        score = 0;
        lives = 6;
        messageString[0] = '\0';
        layMap({row(60, '.'), row(60, '#')}); // floor in row 11: standing monsters have y 160
        fig = Figure{};                       // far away and not alive unless a test places it
        fig.x = 900;
        fig.y = 0;
    }
    void TearDown() override {
        killMonsters();
        freeLevel();
        step = 0;
    }
    // A live figure at (x, y) with vertical speed vy.
    void figureAt(int x, int y, int vy) {
        fig = Figure{};
        fig.alive = 1;
        fig.x = x;
        fig.y = y;
        fig.vy = vy;
    }
    Monster& start(int x, int y, int kind) {
        for (Monster& m : monst)
            if (!m.active) {
                EXPECT_EQ(startMonster(x, y, kind), 1);
                return m;
            }
        ADD_FAILURE() << "pool full";
        return monst[0];
    }
};

// Every kind that walks, with its start speed and whether it can be stomped.
struct KindCase {
    int kind, dx, stompable;
    const char* death;
};
const KindCase walkers[] = {
    {MON_BLOB, -1, 1, "KILLED BY A BLOB"},      {MON_HOGLET, -1, 0, "KILLED BY A HOGLET"},
    {MON_BAT, -1, 1, "KILLED BY A BAT"},        {MON_PIRANHA, -1, 0, "EATEN BY A PIRANHA"},
    {MON_HATGUY, -2, 1, "KILLED BY A HAT GUY"},
};

} // namespace

TEST_F(Monsters, StartFillsTheLowestFreeSlot) {
    for (const KindCase& k : walkers) {
        killMonsters();
        monst[0].active = 1;
        monst[1].savedDx = 77;
        ASSERT_EQ(startMonster(100, 48, k.kind), 1);
        const Monster& m = monst[1];
        EXPECT_EQ(m.active, 1);
        EXPECT_EQ(m.x, 100);
        EXPECT_EQ(m.y, 48);
        EXPECT_EQ(m.kind, k.kind);
        EXPECT_EQ(m.dx, k.dx);
        EXPECT_EQ(m.stompable, k.stompable);
        EXPECT_EQ(m.vy, 0);
        EXPECT_EQ(m.timer, 0);
        EXPECT_EQ(m.hits, 0);
        EXPECT_EQ(m.savedDx, k.kind == MON_HATGUY ? -2 : -1);
    }
}

TEST_F(Monsters, SixteenFillThePool) {
    for (int i = 0; i < MAX_MONST; i++) EXPECT_EQ(startMonster(16 * i, 0, MON_BAT), 1);
    EXPECT_EQ(startMonster(500, 0, MON_BLOB), 0);
    for (const Monster& m : monst) EXPECT_EQ(m.kind, MON_BAT);
    killMonsters();
    for (const Monster& m : monst) EXPECT_EQ(m.active, 0);
}

TEST_F(Monsters, BlobsAndHatGuysTurnAtAWallAfterMovingIntoContact) {
    layMap({"..#" + row(57, '.'), row(60, '#')}); // a wall at x 32-47
    const struct {
        int kind, x, xs[3], dxs[3];
    } cases[] = {{MON_BLOB, 50, {49, 48, 49}, {-1, 1, 1}}, {MON_HATGUY, 52, {50, 48, 50}, {-2, 2, 2}}};
    for (const auto& c : cases) {
        killMonsters();
        Monster& m = start(c.x, 160, c.kind);
        for (int f = 0; f < 3; f++) {
            updateMonsters(fig);
            EXPECT_EQ(m.x, c.xs[f]) << c.kind << " frame " << f;
            EXPECT_EQ(m.dx, c.dxs[f]) << c.kind << " frame " << f;
            EXPECT_EQ(m.y, 160);
        }
    }
}

TEST_F(Monsters, TheMapsEndsAreWalls) {
    Monster& a = start(1, 160, MON_BLOB);
    Monster& b = start(60 * 16 - 17, 160, MON_HOGLET);
    b.dx = 1;
    for (int i = 0; i < 3; i++) updateMonsters(fig);
    EXPECT_EQ(a.dx, 1);
    EXPECT_GE(a.x, 0);
    EXPECT_EQ(b.dx, -1);
    EXPECT_LE(b.x, 60 * 16 - 16);
}

TEST_F(Monsters, WalkersFallOffLedgesWhileBatsAndPiranhasKeepTheirHeight) {
    layMap({row(60, '.'), row(10, '.') + row(50, '#')}); // no floor under columns 0-9
    Monster& blob = start(150, 160, MON_BLOB);
    Monster& bat = start(60, 96, MON_BAT);
    Monster& fish = start(100, 64, MON_PIRANHA);
    updateMonsters(fig);
    EXPECT_EQ(blob.y, 160);
    EXPECT_EQ(blob.vy, 3); // still standing on column 10
    for (int i = 0; i < 5; i++) updateMonsters(fig);
    EXPECT_EQ(blob.x, 144); // walked off the ledge, not turned back
    EXPECT_EQ(blob.y, 161);
    for (int i = 0; i < 30; i++) updateMonsters(fig);
    EXPECT_EQ(bat.y, 96);
    EXPECT_EQ(fish.y, 64);
    EXPECT_EQ(bat.vy, 1);
    EXPECT_EQ(bat.active + fish.active, 2);
    // the fall: vy / 3 pixels, then vy grows; gone below y 200
    Monster& drop = start(120, 0, MON_HOGLET);
    const int expectY[] = {0, 0, 0, 0, 1, 2, 3, 5, 7, 9, 12};
    for (int f = 0; f < 11; f++) {
        EXPECT_EQ(drop.y, expectY[f]) << f;
        updateMonsters(fig);
    }
    for (int i = 0; i < 100 && drop.active; i++) updateMonsters(fig);
    EXPECT_EQ(drop.active, 0);
    EXPECT_GT(drop.y, 200);
    EXPECT_EQ(blob.active, 0);
}

TEST_F(Monsters, KillBoxOfEveryKind) {
    // the monster walks first: its box is checked from its new x
    for (const KindCase& k : walkers) {
        const int x1 = 300 + k.dx;
        const int hits[][2] = {{x1 - 12, 160}, {x1 + 13, 160}, {x1, 151}, {x1, 170}, {x1 + 13, 151}};
        const int misses[][2] = {{x1 - 13, 160}, {x1 + 14, 160}, {x1, 150}, {x1, 171}, {x1, 144}};
        for (const auto& p : hits) {
            killMonsters();
            Monster& m = start(300, 160, k.kind);
            figureAt(p[0], p[1], 7);
            messageString[0] = '\0';
            updateMonsters(fig);
            EXPECT_EQ(fig.dying, 1) << k.kind << " at " << p[0] << "," << p[1];
            EXPECT_STREQ(messageString, k.death);
            EXPECT_EQ(fig.vy, FIGURE_DEATH_VY);
            EXPECT_NE(m.dx, 0);
        }
        for (const auto& p : misses) {
            killMonsters();
            start(300, 160, k.kind);
            figureAt(p[0], p[1], 7);
            updateMonsters(fig);
            EXPECT_EQ(fig.dying, 0) << k.kind << " at " << p[0] << "," << p[1];
        }
    }
}

TEST_F(Monsters, StompBoxOfEveryKind) {
    for (const KindCase& k : walkers) {
        const int x1 = 300 + k.dx;
        // the corners of the stomp box, falling faster than 7
        const int corners[][2] = {{x1 - 15, 145}, {x1 + 16, 145}, {x1 - 15, 159}, {x1 + 16, 159}};
        for (const auto& p : corners) {
            killMonsters();
            score = 0;
            Monster& m = start(300, 160, k.kind);
            figureAt(p[0], p[1], 8);
            updateMonsters(fig);
            if (k.stompable) {
                EXPECT_EQ(fig.bounce, 1) << k.kind;
                EXPECT_EQ(fig.dying, 0) << k.kind;
                EXPECT_EQ(m.dx, 0) << k.kind;
                EXPECT_EQ(m.timer, 0);
                EXPECT_EQ(score, 3);
            } else {
                EXPECT_EQ(fig.bounce, 0) << k.kind;
                EXPECT_NE(m.dx, 0) << k.kind;
                EXPECT_EQ(score, 0);
            }
        }
        // just outside the box, or not falling: no stomp
        const int outside[][3] = {
            {x1 - 16, 150, 8}, {x1 + 17, 150, 8}, {x1, 144, 8}, {x1, 160, 8}, {x1, 150, 7}};
        for (const auto& p : outside) {
            killMonsters();
            Monster& m = start(300, 160, k.kind);
            figureAt(p[0], p[1], p[2]);
            updateMonsters(fig);
            EXPECT_EQ(fig.bounce, 0) << k.kind << " at " << p[0] << "," << p[1];
            EXPECT_NE(m.dx, 0);
        }
    }
}

TEST_F(Monsters, AFallingFigureSquashesABlobButFallsThroughAHoglet) {
    // fy = y - 10, vy 8: the blob is squashed and the figure bounces
    Monster& blob = start(300, 160, MON_BLOB);
    figureAt(299, 150, 8);
    updateMonsters(fig);
    EXPECT_EQ(blob.dx, 0);
    EXPECT_EQ(fig.bounce, 1);
    EXPECT_EQ(score, 3);
    EXPECT_EQ(fig.dying, 0);

    // the same fall onto a hoglet: killed in the first frame with fy >= y - 9
    killMonsters();
    Monster& hog = start(300, 160, MON_HOGLET);
    figureAt(299, 150, 8);
    int frames = 0;
    while (!fig.dying && frames < 10) {
        const int fyBefore = fig.y;
        updateMonsters(fig);
        frames++;
        if (fig.dying) {
            EXPECT_GE(fyBefore, hog.y - 9);
            break;
        }
        EXPECT_LT(fyBefore, hog.y - 9);
        fig.y += fig.vy / 4; // the figure's own fall
        fig.vy++;
    }
    EXPECT_EQ(frames, 2);
    EXPECT_STREQ(messageString, "KILLED BY A HOGLET");
}

TEST_F(Monsters, AFigureSixteenPixelsHigherIsNeverTouched) {
    Monster& m = start(300, 160, MON_BLOB);
    figureAt(310, 144, 7); // standing on the same floor, one cell higher
    for (int i = 0; i < 40; i++) {
        updateMonsters(fig);
        fig.x = m.x + (i % 20) - 10;
    }
    EXPECT_EQ(fig.dying, 0);
    EXPECT_EQ(fig.bounce, 0);
}

TEST_F(Monsters, OnlyAnActiveFigureIsTouchedAndOnlyOnce) {
    Monster& a = start(300, 160, MON_BLOB);
    Monster& b = start(300, 160, MON_HOGLET);
    figureAt(299, 160, 7);
    updateMonsters(fig);
    EXPECT_STREQ(messageString, "KILLED BY A BLOB"); // the hoglet leaves the dying figure alone
    (void)a;
    (void)b;
    // a dead figure
    killMonsters();
    start(300, 160, MON_BLOB);
    figureAt(299, 160, 7);
    fig.alive = 0;
    messageString[0] = '\0';
    updateMonsters(fig);
    EXPECT_EQ(fig.dying, 0);
    EXPECT_STREQ(messageString, "");
    // a squashed blob is harmless
    killMonsters();
    Monster& s = start(300, 160, MON_BLOB);
    s.dx = 0;
    figureAt(300, 160, 7);
    updateMonsters(fig);
    EXPECT_EQ(fig.dying, 0);
}

TEST_F(Monsters, ASquashedBlobShowsBlinksAndGoes) {
    Monster& m = start(300, 160, MON_BLOB);
    figureAt(299, 150, 8);
    updateMonsters(fig); // squashed, timer 0
    fig.alive = 0;
    for (int t = 1; t < 64; t++) {
        updateMonsters(fig);
        ASSERT_EQ(monsterPicture(m), 12) << t;
    }
    int shown = 0, hidden = 0;
    for (int t = 64; t < 120; t++) {
        updateMonsters(fig);
        ASSERT_EQ(m.active, 1) << t;
        (monsterPicture(m) == 12 ? shown : hidden)++;
    }
    EXPECT_EQ(shown, 24); // bit 3 of the timer: 8 on, 8 off, from 64 to 119
    EXPECT_EQ(hidden, 32);
    EXPECT_EQ(m.x, 299); // it did not walk
    updateMonsters(fig);
    EXPECT_EQ(m.active, 0);
    EXPECT_EQ(m.timer, 120);
}

TEST_F(Monsters, AStompedBatDissolvesInTwelveFrames) {
    Monster& m = start(300, 96, MON_BAT);
    figureAt(299, 85, 9);
    updateMonsters(fig);
    EXPECT_EQ(m.kind, MON_DYING_BAT);
    EXPECT_EQ(score, 3);
    fig.alive = 0;
    std::vector<int> pictures;
    while (m.active) {
        pictures.push_back(monsterPicture(m));
        updateMonsters(fig);
    }
    EXPECT_EQ(pictures, std::vector<int>({35, 35, 35, 35, 36, 36, 36, 36, 37, 37, 37, 37}));
    EXPECT_EQ(m.y, 96);
}

TEST_F(Monsters, AStunnedHatGuyWakesAfter226FramesWalkingTheOtherWay) {
    Monster& m = start(300, 160, MON_HATGUY);
    figureAt(298, 150, 8);
    updateMonsters(fig); // walked to 298, stomped
    EXPECT_EQ(m.dx, 0);
    EXPECT_EQ(m.savedDx, -2);
    EXPECT_EQ(m.hits, 1);
    EXPECT_EQ(score, 3);
    fig.alive = 0;
    for (int t = 1; t < 226; t++) {
        updateMonsters(fig);
        ASSERT_EQ(m.dx, 0) << t;
        ASSERT_EQ(monsterPicture(m), t < 186 ? 125 : 126) << t;
    }
    updateMonsters(fig);
    EXPECT_EQ(m.dx, 2);
    EXPECT_EQ(m.x, 298);
    updateMonsters(fig);
    EXPECT_EQ(m.x, 300);
    // stomped again: stunned anew, no more points
    figureAt(m.x + 2, 150, 8);
    updateMonsters(fig);
    EXPECT_EQ(m.dx, 0);
    EXPECT_EQ(m.hits, 2);
    EXPECT_EQ(m.savedDx, 2);
    EXPECT_EQ(score, 3);
    // while stunned it cannot be stomped or kill
    figureAt(m.x, 150, 8);
    updateMonsters(fig);
    EXPECT_EQ(m.hits, 2);
    EXPECT_EQ(fig.bounce, 0);
}

TEST_F(Monsters, LeavingThePlay) {
    layMap({row(200, '.'), row(200, '#')});
    step = 1000;
    // squashed blobs do not walk, so their x stays where it is put
    const int cases[][2] = {{1000 - 250, 1}, {1000 - 251, 0}, {1000 + 500, 1}, {1000 + 501, 0}};
    for (const auto& c : cases) {
        killMonsters();
        Monster& m = start(c[0], 160, MON_BLOB);
        m.dx = 0;
        updateMonsters(fig);
        EXPECT_EQ(m.active, c[1]) << c[0];
    }
    // fallen out of the map
    killMonsters();
    Monster& low = start(1100, 200, MON_BAT);
    Monster& lower = start(1100, 201, MON_BAT);
    updateMonsters(fig);
    EXPECT_EQ(low.active, 1);
    EXPECT_EQ(lower.active, 0);
}

TEST_F(Monsters, PicturesByKindDirectionAndTimer) {
    Monster m{};
    m.active = 1;
    struct Pic {
        int kind, dx, timer, picture;
    };
    const Pic pics[] = {
        {MON_BLOB, -1, 0, 9},
        {MON_BLOB, -1, 6, 10},
        {MON_BLOB, 1, 12, 11},
        {MON_BLOB, -1, 18, 10},
        {MON_BLOB, -1, 24, 9},
        {MON_BLOB, 0, 63, 12},
        {MON_BLOB, 0, 64, -1},
        {MON_BLOB, 0, 72, 12},
        {MON_HOGLET, -1, 0, 13},
        {MON_HOGLET, -1, 8, 14},
        {MON_HOGLET, 1, 7, 15},
        {MON_HOGLET, 1, 15, 16},
        {MON_BAT, -1, 0, 33},
        {MON_BAT, -1, 6, 57},
        {MON_BAT, 1, 12, 34},
        {MON_BAT, -1, 23, 57},
        {MON_DYING_BAT, 0, 0, 35},
        {MON_DYING_BAT, 0, 11, 37},
        {MON_PIRANHA, -1, 0, 53},
        {MON_PIRANHA, -1, 15, 54},
        {MON_PIRANHA, 1, 14, 55},
        {MON_PIRANHA, 1, 30, 55},
        {MON_HATGUY, 2, 0, 121},
        {MON_HATGUY, 2, 12, 124},
        {MON_HATGUY, -2, 0, 144},
        {MON_HATGUY, -2, 15, 141},
        {MON_HATGUY, 0, 185, 125},
        {MON_HATGUY, 0, 186, 126},
        {7, -1, 0, 20},
        {0, -1, 0, 20},
    };
    for (const Pic& p : pics) {
        m.kind = p.kind;
        m.dx = p.dx;
        m.timer = p.timer;
        EXPECT_EQ(monsterPicture(m), p.picture) << p.kind << " " << p.dx << " " << p.timer;
    }
}

TEST_F(Monsters, DrawingPutsEachPictureAtItsPlaceInTheView) {
    SDL_Surface* oldScreen = screen;
    SDL_Surface* oldBlocks[NUM_BLOCKS];
    memcpy(oldBlocks, blocks, sizeof blocks);
    screen = SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 16, 0xF800, 0x07E0, 0x001F, 0);
    // every tile a plain square whose colour is its number
    for (int i = 0; i < NUM_BLOCKS; i++) {
        blocks[i] = SDL_CreateRGBSurface(SDL_SWSURFACE, 16, 16, 16, 0xF800, 0x07E0, 0x001F, 0);
        SDL_FillRect(blocks[i], nullptr, (Uint32)(i + 1));
    }
    auto pixel = [](int x, int y) { return ((Uint16*)screen->pixels)[y * screen->pitch / 2 + x]; };

    layMap({row(100, '.'), row(100, '#')});
    step = 100;
    Monster& walking = start(150, 160, MON_BLOB);
    Monster& squashed = start(200, 160, MON_BLOB);
    squashed.dx = 0;
    squashed.timer = 64; // blinking, off this frame
    Monster& gone = start(250, 100, MON_BAT);
    gone.active = 0;
    SDL_FillRect(screen, nullptr, 0);
    drawMonsters();
    EXPECT_EQ(pixel(walking.x - step, walking.y), 9 + 1);
    EXPECT_EQ(pixel(65, 175), 9 + 1);
    EXPECT_EQ(pixel(100, 165), 0);
    EXPECT_EQ(pixel(150, 100), 0);
    squashed.timer = 72;
    drawMonsters();
    EXPECT_EQ(pixel(100, 165), 12 + 1);

    for (int i = 0; i < NUM_BLOCKS; i++) SDL_FreeSurface(blocks[i]);
    memcpy(blocks, oldBlocks, sizeof blocks);
    SDL_FreeSurface(screen);
    screen = oldScreen;
}
