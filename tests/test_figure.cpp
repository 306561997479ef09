// The player figure, driven frame by frame the way the game flow does:
// walking, coasting, crawling, jumping, hopping, the cell rules in their
// order, scrolling, dying, time, air and the pause menu.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/stuff.h"
#include "io/input.h"
#include "world/anims.h"
#include "world/figure.h"
#include "world/map.h"
#include "world/monsters.h"

namespace {

// Map characters: one per cell; '.' and unknown characters are empty.
int32_t codeOf(char c) {
    static const struct {
        char c;
        int32_t code;
    } legend[] = {{'#', 21}, {'*', 41}, {'L', 26}, {'k', 17}, {'^', 86}, {'x', 105}, {'T', 88},
                  {'w', 85}, {'B', 40}, {'b', 20}, {'c', 22}, {'1', 27}, {'2', 28},  {'3', 47},
                  {'4', 48}, {'5', 38}, {'6', 39}, {'7', 58}, {'8', 59}};
    for (const auto& l : legend)
        if (l.c == c) return l.code;
    return 0;
}

// Lays out a map in memory from rows of characters, bottom rows last;
// missing rows at the top are empty.
void layMap(const std::vector<std::string>& rows) {
    freeLevel();
    mapLength = (int32_t)rows[0].size();
    mapData = (int32_t*)calloc((size_t)mapLength * MAP_ROWS, sizeof(int32_t));
    const size_t top = MAP_ROWS - rows.size();
    for (int m = 0; m < mapLength; m++)
        for (size_t r = top; r < MAP_ROWS; r++) mapData[m * MAP_ROWS + r] = codeOf(rows[r - top][m]);
}

std::string row(size_t n, char c) {
    return std::string(n, c);
}

class FigurePlay : public ::testing::Test {
protected:
    Figure fig{};
    void SetUp() override {
        killMonsters();
        resetAnims();
        score = 0;
        lives = 6;
        step = 0;
        stars = 0;
        door = NO_DOOR;
        left = right = jump = crawl = 0;
        last_left = last_right = 0;
        paused = escape = 0;
        workflow = 0;
        timeLeft = 7000;
        airLeft = 500;
        flag1 = 0;
        messageString[0] = '\0';
        setStart(16, 100);
        layMap({row(100, '.'), row(100, '#')}); // floor in row 11: a standing figure has y 160
    }
    void TearDown() override {
        left = right = jump = crawl = 0;
        last_left = last_right = 0;
        paused = escape = 0;
        killMonsters();
        resetAnims();
        freeLevel();
        step = 0;
        setStart(16, 100);
    }
    // One frame of play as the game flow runs it.
    void frame() {
        updateAnims();
        updateMonsters(fig);
        if (fig.alive) updateAlive(fig);
    }
    void frames(int n) {
        for (int i = 0; i < n; i++) frame();
    }
    // A figure standing on the floor at x, settled for one frame.
    void stand(int x) {
        placeFigure(fig, x, 160);
        frame();
    }
    int32_t cell(int m, int r) { return mapData[m * MAP_ROWS + r]; }
};

using FigureMove = FigurePlay;
using FigureCells = FigurePlay;
using FigureDeath = FigurePlay;
using FigurePause = FigurePlay;

} // namespace

TEST_F(FigureMove, PlacingMakesAFreshFigureFacingTheViewer) {
    fig.trapDoorX = 33;
    fig.trapDoorY = 44;
    fig.dying = fig.madeIt = fig.atClosedDoor = fig.jumpHeld = fig.bounce = fig.onTrapDoor = 1;
    fig.vy = fig.walkCount = fig.timer = 9;
    placeFigure(fig, 64, 32);
    EXPECT_EQ(fig.x, 64);
    EXPECT_EQ(fig.y, 32);
    EXPECT_EQ(fig.alive, 1);
    EXPECT_EQ(fig.sprite, 24);
    for (int32_t v : {fig.vy, fig.walkCount, fig.timer, fig.dying, fig.madeIt, fig.atClosedDoor, fig.jumpHeld,
                      fig.bounce, fig.onTrapDoor})
        EXPECT_EQ(v, 0);
    EXPECT_EQ(fig.trapDoorX, 33); // left as they were
    EXPECT_EQ(fig.trapDoorY, 44);
    EXPECT_EQ(isActive(fig), 1);
    EXPECT_EQ(haveMadeit(fig), 0);
}

TEST_F(FigureMove, AJumpRisesFiftyPixelsAndLandsOnItsFortyThirdFrame) {
    stand(48); // standing, it sinks a pixel and is put back each frame
    frames(10);
    EXPECT_EQ(fig.y, 160);
    EXPECT_EQ(fig.vy, 7);
    jump = 1;
    int top = 160;
    for (int i = 1; i <= 42; i++) {
        frame();
        if (i == 1) {
            EXPECT_EQ(fig.y, 155);
            EXPECT_EQ(fig.vy, -20);
        }
        top = std::min(top, (int)fig.y);
        ASSERT_LT(fig.y, 160) << i;
    }
    frame();
    EXPECT_EQ(fig.y, 160);
    EXPECT_EQ(fig.vy, 7);
    EXPECT_EQ(top, 110);
    // still holding the key: no second jump
    frames(30);
    EXPECT_EQ(fig.y, 160);
    // released and pressed again: a new jump
    jump = 0;
    frame();
    EXPECT_EQ(fig.jumpHeld, 0);
    jump = 1;
    frame();
    EXPECT_EQ(fig.y, 155);
}

TEST_F(FigureMove, ABounceGivesAHopOrWithAFreshJumpAFullJump) {
    stand(48);
    fig.bounce = 1;
    frame();
    EXPECT_EQ(fig.y, 159);
    EXPECT_EQ(fig.vy, -6);
    EXPECT_EQ(fig.bounce, 0);
    int top = 159, n = 1;
    while (fig.y != 160 && n < 100) {
        frame();
        top = std::min(top, (int)fig.y);
        n++;
    }
    EXPECT_EQ(top, 156); // a hop rises 4 pixels
    // in mid-air, a bounce with the jump key freshly pressed
    placeFigure(fig, 48, 100);
    fig.vy = 9;
    fig.bounce = 1;
    jump = 1;
    frame();
    EXPECT_EQ(fig.vy, -20);
    EXPECT_EQ(fig.y, 95);
    // with the key still held from before, only the hop
    placeFigure(fig, 48, 100);
    fig.vy = 9;
    fig.bounce = 1;
    fig.jumpHeld = 1;
    frame();
    EXPECT_EQ(fig.vy, -6);
    EXPECT_EQ(fig.y, 99);
}

TEST_F(FigureMove, ReleasedRightCoastsToTheNextMultipleOfEight) {
    stand(32);
    right = 1;
    crawl = 1;
    frames(5);
    EXPECT_EQ(fig.x, 37);
    right = 0;
    crawl = 0;
    frame();
    EXPECT_EQ(fig.x, 38); // odd: one pixel
    frame();
    EXPECT_EQ(fig.x, 40);
    EXPECT_GE(fig.sprite, 1);
    EXPECT_LE(fig.sprite, 4);
    frame();
    EXPECT_EQ(fig.x, 40);
    EXPECT_EQ(fig.sprite, 65);
    EXPECT_EQ(last_right, 0);
}

TEST_F(FigureMove, CrawlingMovesOnePixelAndReleasingItEvensOut) {
    stand(40);
    right = 1;
    crawl = 1;
    frame();
    EXPECT_EQ(fig.x, 41);
    frame();
    EXPECT_EQ(fig.x, 42);
    crawl = 0;
    placeFigure(fig, 41, 160);
    frame();
    EXPECT_EQ(fig.x, 42);
    frame();
    EXPECT_EQ(fig.x, 44);
    frame();
    EXPECT_EQ(fig.x, 46);
}

TEST_F(FigureMove, WalkPicturesRunBothWaysAndTurnToTheViewerWhenBored) {
    stand(48);
    right = 1;
    std::vector<int> seen;
    for (int i = 0; i < 12; i++) {
        frame();
        seen.push_back(fig.sprite);
    }
    EXPECT_EQ(seen, std::vector<int>({1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 1}));
    right = 0;
    frames(2); // coasts to a multiple of 8 (it is on one)
    EXPECT_EQ(fig.sprite, 65);

    placeFigure(fig, 400, 160);
    left = 1;
    seen.clear();
    for (int i = 0; i < 12; i++) {
        frame();
        seen.push_back(fig.sprite);
    }
    EXPECT_EQ(seen, std::vector<int>({5, 5, 8, 8, 8, 7, 7, 7, 6, 6, 6, 5}));
    EXPECT_EQ(fig.walkCount, -12);
    left = 0;
    frame();
    EXPECT_EQ(fig.sprite, 68);
    frames(499);
    EXPECT_EQ(fig.sprite, 68);
    frame();
    EXPECT_EQ(fig.sprite, 24);
    EXPECT_EQ(fig.walkCount, 0);
    // pushing both ways: it stays put with the left picture of an unchanged count
    fig.walkCount = 4;
    left = right = 1;
    frames(3);
    EXPECT_EQ(fig.x, 376);
    EXPECT_EQ(fig.walkCount, 4);
    EXPECT_EQ(fig.sprite, 6);
}

TEST_F(FigureMove, WallsAndTheViewsLeftEdgeStopTheFigure) {
    layMap({row(10, '.') + "#" + row(89, '.'), row(100, '#')});
    stand(140);
    right = 1;
    frames(5);
    EXPECT_EQ(fig.x, 144); // touching the wall at x 160
    right = 0;
    // the view's left edge: it may end one pixel beyond it
    step = 101;
    placeFigure(fig, 104, 160);
    left = 1;
    frames(5);
    EXPECT_EQ(fig.x, 100);
    step = 100; // a figure right on the edge stays there
    placeFigure(fig, 104, 160);
    frames(5);
    EXPECT_EQ(fig.x, 100);
    // the map's left end is a wall too
    step = 0;
    placeFigure(fig, 3, 160);
    frames(5);
    EXPECT_EQ(fig.x, 0);
}

TEST_F(FigureMove, TheViewFollowsPastTheThresholdsAndStopsAtTheMapsEnd) {
    placeFigure(fig, 200, 160);
    frame();
    EXPECT_EQ(step, 0);
    placeFigure(fig, 201, 160);
    frame();
    EXPECT_EQ(step, 1);
    step = 0;
    placeFigure(fig, 230, 160);
    frame();
    EXPECT_EQ(step, 1);
    step = 0;
    placeFigure(fig, 231, 160);
    frame();
    EXPECT_EQ(step, 2);
    // walking right at speed 2 past 230 keeps the figure at the same place on the screen
    step = 0;
    placeFigure(fig, 232, 160);
    right = 1;
    frame();
    const int onScreen = fig.x - step;
    for (int i = 0; i < 50; i++) {
        frame();
        ASSERT_EQ(fig.x - step, onScreen) << i;
    }
    frames(1000);
    EXPECT_EQ(step, 100 * 16 - 321);
    EXPECT_EQ(fig.x, 100 * 16 - 16);
}

TEST_F(FigureCells, AnItemCountsOnceAndTheLastOneOpensTheDoor) {
    layMap({row(20, '.') + "56" + row(78, '.'), "..*.*" + row(15, '.') + "78" + row(78, '.'), row(100, '#')});
    door = 20 * MAP_ROWS + 9;
    stars = 2;
    placeFigure(fig, 32, 160); // on the first item
    frame();
    EXPECT_EQ(score, 1);
    EXPECT_EQ(stars, 1);
    EXPECT_EQ(cell(2, 10), 41); // emptied at the start of the next frame
    frame();
    EXPECT_EQ(cell(2, 10), 0);
    frames(5);
    EXPECT_EQ(score, 1);
    // at the closed door
    placeFigure(fig, 336, 160);
    frame();
    EXPECT_EQ(fig.atClosedDoor, 1);
    EXPECT_EQ(fig.madeIt, 0);
    EXPECT_EQ(cell(20, 9), 38);
    // the last item
    fig.x = 64;
    frame();
    EXPECT_EQ(stars, 0);
    EXPECT_EQ(score, 2);
    EXPECT_EQ(fig.atClosedDoor, 0);
    EXPECT_EQ(cell(20, 9), 27);
    EXPECT_EQ(cell(21, 9), 28);
    EXPECT_EQ(cell(20, 10), 47);
    EXPECT_EQ(cell(21, 10), 48);
    // into the open door
    placeFigure(fig, 336, 160);
    frame();
    EXPECT_EQ(fig.madeIt, 1);
    EXPECT_EQ(haveMadeit(fig), 1);
}

TEST_F(FigureCells, AnItemNeverCountsTwiceWhenEverySlotIsBusy) {
    layMap({"..*" + row(97, '.'), row(100, '#')});
    stars = 5;
    for (int i = 0; i < MAX_ANIMS; i++) startAnim(16 * (50 + i), 0, ANIM_CHECKPOINT);
    placeFigure(fig, 32, 160);
    frame();
    EXPECT_EQ(score, 1);
    EXPECT_EQ(stars, 4);
    EXPECT_EQ(cell(2, 10), 0);
    frames(3);
    EXPECT_EQ(score, 1);
    EXPECT_EQ(stars, 4);
}

TEST_F(FigureCells, AnExtraLifeOnceAndACapAtNinetyNine) {
    layMap({"..L.L" + row(95, '.'), row(100, '#')});
    placeFigure(fig, 32, 160);
    frame();
    EXPECT_EQ(lives, 7);
    frames(3);
    EXPECT_EQ(lives, 7);
    EXPECT_EQ(cell(2, 10), 0);
    lives = 99;
    fig.x = 64;
    frame();
    EXPECT_EQ(lives, 99);
}

TEST_F(FigureCells, ACheckpointLightsOnlyAfterTheFigureMovesOn) {
    layMap({".....k" + row(94, '.'), row(100, '#')});
    stand(48);
    right = 1;
    int lastOn = -1;
    std::vector<int32_t> seen;
    for (int i = 0; i < 40; i++) {
        frame();
        if ((fig.x + 8) / 16 == 5) { // the checkpoint point is on the cell
            lastOn = i;
            EXPECT_EQ(cell(5, 10), 17) << i;
            EXPECT_EQ(startx, 80);
            EXPECT_EQ(starty, 160);
        }
        seen.push_back(cell(5, 10));
    }
    ASSERT_GT(lastOn, 0);
    // after the figure left: 17 for 5 more updates, 18 for 6, then 19 for good
    for (int k = 1; k <= 5; k++) EXPECT_EQ(seen[lastOn + k], 17) << k;
    for (int k = 7; k <= 12; k++) EXPECT_EQ(seen[lastOn + k], 18) << k;
    for (int k = 13; lastOn + k < 40; k++) EXPECT_EQ(seen[lastOn + k], 19) << k;
    for (const AnimObject& a : aos) EXPECT_EQ(a.active, 0);
}

TEST_F(FigureCells, AFiredSpikeTrapKillsOnItsFifthUpdate) {
    layMap({"...^" + row(96, '.'), row(100, '#')});
    placeFigure(fig, 48, 160);
    frame(); // fires the trap
    EXPECT_EQ(aos[0].active, 1);
    EXPECT_EQ(aos[0].kind, ANIM_SPIKES);
    for (int i = 1; i <= 4; i++) {
        frame();
        ASSERT_EQ(fig.dying, 0) << i;
    }
    EXPECT_EQ(cell(3, 10), 87);
    frame(); // the fifth update shows the spikes
    EXPECT_EQ(cell(3, 10), 105);
    EXPECT_EQ(fig.dying, 1);
    EXPECT_STREQ(messageString, "IMPALED TO DEATH");
}

TEST_F(FigureCells, TheTrapDoorShutsBehindTheFigure) {
    layMap({".....T" + row(94, '.'), row(100, '#')});
    stand(48);
    right = 1;
    int started = -1;
    for (int i = 0; i < 30 && started < 0; i++) {
        frame();
        if (fig.x < 96) {
            EXPECT_EQ(cell(5, 10), 88) << fig.x;
        }
        if (aos[0].active) started = i;
    }
    ASSERT_GE(started, 0);
    EXPECT_GE(fig.x, 96);
    EXPECT_EQ(fig.onTrapDoor, 0);
    EXPECT_EQ(fig.trapDoorX, 80);
    EXPECT_EQ(fig.trapDoorY, 160);
    right = 0;
    frame();
    EXPECT_EQ(cell(5, 10), 89);
    EXPECT_EQ(isSolidPos(85, 165), 1);
    frames(4);
    EXPECT_EQ(cell(5, 10), 69);
    // walking back left, the shut door is a wall
    left = 1;
    frames(20);
    EXPECT_EQ(fig.x, 96);
}

TEST_F(FigureCells, AHeadBumpCracksABrickForOnePoint) {
    layMap({"...B" + row(96, '.'), row(100, '.'), row(100, '#')});
    stand(48);
    jump = 1;
    frame();
    EXPECT_EQ(score, 1);
    EXPECT_EQ(fig.y, 160); // dropped back at once
    EXPECT_EQ(fig.vy, 7);
    jump = 0;
    frame();
    EXPECT_EQ(cell(3, 9), 200);
    // the crumbling brick stays solid and gives no more points
    jump = 1;
    frame();
    EXPECT_EQ(score, 1);
    EXPECT_EQ(fig.y, 160);
    jump = 0;
    frames(12);
    EXPECT_EQ(cell(3, 9), 0);
    jump = 1;
    frame();
    frames(20);
    EXPECT_LT(fig.y, 144); // through where the brick was
}

TEST_F(FigureCells, AHeadBumpMakesABumpBlockShine) {
    layMap({"...b" + row(96, '.'), row(100, '.'), row(100, '#')});
    stand(48);
    jump = 1;
    frame();
    EXPECT_EQ(score, 0);
    EXPECT_EQ(fig.y, 160);
    std::vector<int32_t> seen;
    for (int i = 0; i < 10; i++) {
        frame();
        seen.push_back(cell(3, 9));
    }
    EXPECT_EQ(seen, std::vector<int32_t>({80, 80, 100, 100, 120, 120, 20, 20, 20, 20}));
}

TEST_F(FigureCells, ACrumblingFloorGivesWay) {
    layMap({row(100, '.'), "...c" + row(96, '.')});
    stand(48);
    for (int i = 0; i < 7; i++) {
        frame();
        ASSERT_EQ(fig.y, 160) << i;
    }
    EXPECT_EQ(cell(3, 11), 183);
    frames(2);
    EXPECT_EQ(cell(3, 11), 0);
    frames(3);
    EXPECT_GT(fig.y, 160);
}

TEST_F(FigureCells, TheOuterFeetCountOnlyOffASolidMiddle) {
    // middle on nothing, left foot on a crumbling floor
    layMap({row(100, '.'), "..c" + row(97, '.')});
    placeFigure(fig, 40, 160);
    frame();
    EXPECT_EQ(aos[0].active, 1);
    EXPECT_EQ(aos[0].x, 32);
    // middle on a plain solid block, right foot on a crumbling floor: nothing
    resetAnims();
    layMap({row(100, '.'), "..#c" + row(96, '.')});
    placeFigure(fig, 34, 160);
    frame();
    EXPECT_EQ(aos[0].active, 0);
}

TEST_F(FigureDeath, TheDeathFallFromY100TakesOneHundredFiftyEightFrames) {
    placeFigure(fig, 300, 100);
    figureDying(fig, "SUICIDE");
    EXPECT_EQ(fig.vy, -16);
    EXPECT_EQ(fig.timer, 0);
    EXPECT_EQ(isActive(fig), 0);
    int n = 0;
    while (fig.alive && n < 1000) {
        updateAlive(fig);
        n++;
    }
    EXPECT_EQ(n, 158);
    EXPECT_EQ(fig.x, 300 - 158);
    EXPECT_EQ(fig.dying, 1);
    EXPECT_EQ(timeLeft, 7000 - 158);
    EXPECT_STREQ(messageString, "SUICIDE");
}

TEST_F(FigureDeath, ADyingFigureCollectsNothing) {
    layMap({"..*" + row(97, '.'), "..*" + row(97, '.'), row(100, '#')});
    stars = 2;
    placeFigure(fig, 32, 160);
    figureDying(fig, "X");
    frames(100);
    EXPECT_EQ(score, 0);
    EXPECT_EQ(stars, 2);
}

TEST_F(FigureDeath, FallingOutOfTheMap) {
    layMap({row(100, '.'), row(5, '#') + row(95, '.')});
    placeFigure(fig, 160, 249);
    fig.vy = 4;
    frame();
    EXPECT_EQ(fig.y, 250);
    EXPECT_EQ(fig.alive, 1);
    frame();
    EXPECT_EQ(fig.y, 251);
    EXPECT_EQ(fig.alive, 0);
    EXPECT_EQ(fig.timer, 180);
    EXPECT_STREQ(messageString, "FELL TO DEATH");
}

TEST_F(FigureDeath, LethalBlocksImpale) {
    layMap({".....x" + row(94, '.'), row(100, '#')});
    stand(48);
    right = 1;
    while (!fig.dying && fig.x < 200) frame();
    EXPECT_EQ(fig.x, 67); // impaled at 68, where x + 13 reaches column 5; the fall starts at once
    EXPECT_STREQ(messageString, "IMPALED TO DEATH");
}

TEST_F(FigureDeath, TimeRunsOutAfter7000Frames) {
    stand(48);
    frames(6998);
    EXPECT_EQ(fig.alive, 1);
    EXPECT_EQ(timeLeft, 1);
    frame();
    EXPECT_EQ(fig.alive, 0);
    EXPECT_EQ(fig.timer, 180);
    EXPECT_STREQ(messageString, "TIME UP");
    // time running out during the death fall ends it at once
    placeFigure(fig, 48, 100);
    figureDying(fig, "SUICIDE");
    timeLeft = 2;
    updateAlive(fig);
    EXPECT_EQ(fig.alive, 1);
    updateAlive(fig);
    EXPECT_EQ(fig.alive, 0);
    EXPECT_EQ(fig.timer, 180);
    EXPECT_STREQ(messageString, "TIME UP");
}

TEST_F(FigureDeath, AirRunsOutUnderWaterAndRefillsOutside) {
    layMap({"...w" + row(96, '.'), row(100, '#')});
    stand(48); // one frame wet already
    EXPECT_EQ(isWet(fig), 1);
    EXPECT_EQ(flag1, 1);
    frames(498);
    EXPECT_EQ(fig.alive, 1);
    EXPECT_EQ(airLeft, 1);
    frame();
    EXPECT_EQ(fig.alive, 0);
    EXPECT_STREQ(messageString, "DROWNED");
    // out of the water: 2 a frame, up to 499 or 500
    placeFigure(fig, 160, 160);
    EXPECT_EQ(isWet(fig), 0);
    airLeft = 495;
    frame();
    EXPECT_EQ(flag1, 0);
    EXPECT_EQ(airLeft, 497);
    frames(3);
    EXPECT_EQ(airLeft, 499);
    airLeft = 496;
    frames(3);
    EXPECT_EQ(airLeft, 500);
}

TEST_F(FigureDeath, KillingRemovesTheFigureAtOnce) {
    placeFigure(fig, 48, 160);
    killFigure(fig, "");
    EXPECT_EQ(fig.alive, 0);
    EXPECT_EQ(fig.timer, 180);
    EXPECT_STREQ(messageString, "");
    EXPECT_EQ(isActive(fig), 0);
    fig.madeIt = 1;
    EXPECT_EQ(haveMadeit(fig), 0);
    // a long text is cut to the buffer
    std::string longText(400, 'A');
    killFigure(fig, longText.c_str());
    EXPECT_EQ(std::string(messageString), std::string(MAX_MESSAGE - 1, 'A'));
}

TEST_F(FigurePause, TheCursorWrapsBothWays) {
    const int32_t oldJump = JUMP_KEY, oldUp = UP_KEY;
    placeFigure(fig, 48, 160);
    paused = 1;
    workflow = 2;
    const struct {
        int32_t typed;
        int jumpIsUp;
        int32_t after;
    } steps[] = {
        {KEY_DOWN, 0, 3}, {KEY_RIGHT, 0, 1}, {KEY_DOWN, 0, 2}, {KEY_UP, 0, 1},   {KEY_LEFT, 0, 3},
        {KEY_UP, 0, 2},   {KEY_JUMP, 1, 1},  {KEY_JUMP, 1, 3}, {KEY_FIRE, 0, 3}, {0, 0, 3},
    };
    for (const auto& s : steps) {
        JUMP_KEY = s.jumpIsUp ? UP_KEY : UP_KEY + 1;
        lastKeyTyped = s.typed;
        updatePaused(fig);
        EXPECT_EQ(workflow, s.after) << s.typed;
        EXPECT_EQ(paused, 1);
    }
    JUMP_KEY = oldJump;
    UP_KEY = oldUp;
    lastKeyTyped = 0;
}

TEST_F(FigurePause, ConfirmingAnEntry) {
    const int32_t oldJump = JUMP_KEY;
    placeFigure(fig, 48, 160);
    // suicide, confirmed with start
    paused = 1;
    workflow = 1;
    lastKeyTyped = KEY_START;
    updatePaused(fig);
    EXPECT_EQ(paused, 0);
    EXPECT_EQ(workflow, 0);
    EXPECT_EQ(fig.dying, 1);
    EXPECT_STREQ(messageString, "SUICIDE");
    // go on, confirmed with jump while jump is not the up key
    placeFigure(fig, 48, 160);
    JUMP_KEY = UP_KEY + 1;
    paused = 1;
    workflow = 2;
    lastKeyTyped = KEY_JUMP;
    updatePaused(fig);
    EXPECT_EQ(paused, 0);
    EXPECT_EQ(workflow, 0);
    EXPECT_EQ(isActive(fig), 1);
    EXPECT_EQ(escape, 0);
    // exit
    paused = 1;
    workflow = 3;
    lastKeyTyped = KEY_START;
    updatePaused(fig);
    EXPECT_EQ(escape, 1);
    EXPECT_EQ(paused, 0);
    EXPECT_EQ(isActive(fig), 1);
    JUMP_KEY = oldJump;
    lastKeyTyped = 0;
}
