// Score, lives, the game resets and the saved game: points and the extra
// life per hundred, the cap, the four saved bytes and every file the reader
// must refuse.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <dirent.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "audio/music.h"
#include "audio/sound.h"
#include "game/stuff.h"
#include "game/text.h"
#include "gfx/gfx.h"
#include "io/config.h"
#include "io/input.h"
#include "platform/zda.h"
#include "testutil.h"
#include "world/anims.h"
#include "world/figure.h"
#include "world/map.h"
#include "world/monsters.h"

namespace {

class Stuff : public ::testing::Test {
protected:
    ScratchDir dir;
    void SetUp() override {
        score = 0;
        lives = 6;
        level = 0;
        saved = 0;
        srand(1);
    }
    void TearDown() override {
        score = 0;
        lives = 6;
        level = 0;
        saved = 0;
    }
    // The names in the scratch folder, sorted.
    std::vector<std::string> files() {
        std::vector<std::string> out;
        DIR* d = opendir(".");
        while (dirent* e = d ? readdir(d) : nullptr)
            if (strcmp(e->d_name, ".") && strcmp(e->d_name, "..")) out.push_back(e->d_name);
        if (d) closedir(d);
        std::sort(out.begin(), out.end());
        return out;
    }
};

// The four bytes for a key and a level count.
std::vector<uint8_t> saveBytes(int key, int n) {
    const uint8_t kh = (uint8_t)(key >> 8), kl = (uint8_t)key;
    return {kh, (uint8_t)(kl ^ n), kl, (uint8_t)(kh ^ n)};
}

} // namespace

TEST_F(Stuff, PointsAndOneLifePerCallForANewHundred) {
    const struct {
        int32_t score, lives, points, newScore, newLives;
    } cases[] = {
        {99, 6, 1, 100, 7},    {9998, 6, 1, 9999, 6}, {9999, 6, 5, 9999, 6},    {80, 6, 250, 330, 7},
        {99, 99, 1, 100, 99},  {98, 98, 5, 103, 99},  {0, 6, INT_MAX, 9999, 7}, {9900, 6, 200, 9999, 6},
        {9899, 6, 1, 9900, 7}, {50, 6, 0, 50, 6},     {0, 6, 100, 100, 7},      {199, 6, 1000, 1199, 7},
        {0, 6, 99, 99, 6},     {0, 0, 100, 100, 1},
    };
    for (const auto& c : cases) {
        score = c.score;
        lives = c.lives;
        addScore(c.points);
        EXPECT_EQ(score, c.newScore) << c.score << " + " << c.points;
        EXPECT_EQ(lives, c.newLives) << c.score << " + " << c.points;
    }
}

TEST_F(Stuff, AnExtraLifeUpToNinetyNine) {
    const int32_t cases[][2] = {{6, 7}, {0, 1}, {98, 99}, {99, 99}, {120, 120}};
    for (const auto& c : cases) {
        lives = c[0];
        addLife();
        EXPECT_EQ(lives, c[1]) << c[0];
    }
}

TEST_F(Stuff, TheSavedGameCarriesItsKeyAndTheLevelCount) {
    for (int lv = 2; lv <= 16; lv++) {
        srand(lv * 7919);
        level = lv;
        saveGame();
        EXPECT_EQ(saved, lv - 1);
        const std::vector<uint8_t> b = readFile("savegame.dat");
        ASSERT_EQ(b.size(), 4u);
        const int key = b[0] * 256 + b[2];
        EXPECT_NE(key, 0x0000);
        EXPECT_NE(key, 0xFFFF);
        EXPECT_EQ(b[1] ^ b[2], lv - 1);
        EXPECT_EQ(b[3] ^ b[0], lv - 1);
        saved = 0;
        EXPECT_EQ(loadGame(), lv - 1);
    }
    // the same draws give the same bytes
    srand(42);
    level = 4;
    saveGame();
    const std::vector<uint8_t> first = readFile("savegame.dat");
    srand(42);
    saveGame();
    EXPECT_EQ(readFile("savegame.dat"), first);
}

TEST_F(Stuff, SavingReplacesTheWholeFileAndLeavesNothingElse) {
    writeFile("savegame.dat", std::vector<uint8_t>(100, 0x55));
    level = 6;
    saveGame();
    EXPECT_EQ(readFile("savegame.dat").size(), 4u);
    EXPECT_EQ(loadGame(), 5);
    EXPECT_EQ(files(), std::vector<std::string>({"savegame.dat"}));
}

TEST_F(Stuff, AFileThatCannotBeWrittenStillLeavesTheCountInTheGame) {
    const char* oldFolder = configFolder;
    configFolder = "no/such/folder";
    level = 9;
    saveGame();
    EXPECT_EQ(saved, 8);
    EXPECT_EQ(loadGame(), 0);
    configFolder = oldFolder;
    EXPECT_TRUE(files().empty());
}

TEST_F(Stuff, TheReaderRefusesEveryBadFile) {
    EXPECT_EQ(loadGame(), 0); // no file
    const struct {
        std::vector<uint8_t> bytes;
        int32_t result;
    } cases[] = {
        {{}, 0},
        {{0x12}, 0},
        {{0x12, 0x37}, 0},
        {{0x12, 0x37, 0x34}, 0},
        {{0x00, 0x05, 0x00, 0x05}, 0},         // key 0
        {saveBytes(0xFFFF, 5), 0},             // key 0xFFFF
        {saveBytes(0x1234, 3), 3},             // good
        {{0x12, 0x34 ^ 3, 0x34, 0x12 ^ 4}, 0}, // bytes 1 and 3 disagree
        {saveBytes(0x1234, 0), 0},             // nothing completed
        {saveBytes(0x1234, 1), 1},             // the first level done
        {saveBytes(0x1234, 16), 16},           // all done: straight to the ending
        {saveBytes(0x1234, 17), 0},            // more levels than there are
        {saveBytes(0x1234, 255), 0},           // ...
        {saveBytes(0x0001, 2), 2},             // a small key is still a key
        {saveBytes(0xFF00, 7), 7},             // so is one with a full high byte
        {{0x80, 0x80, 0x80, 0x80}, 0},         // the count folds to 0
    };
    for (const auto& c : cases) {
        writeFile("savegame.dat", c.bytes);
        EXPECT_EQ(loadGame(), c.result) << c.bytes.size() << " bytes";
    }
}

TEST_F(Stuff, TheGameResetKeepsTheFirstScroller) {
    const char* oldScroller = scroller;
    scroller = nullptr;
    lang_id = 1;
    score = 77;
    lives = 2;
    level = 5;
    workflow = 3;
    scrollidx = 9;
    scrolldx = 4;
    saved = 7;
    snprintf(messageString, MAX_MESSAGE, "%s", "DROWNED");
    initVars0();
    EXPECT_EQ(score, 0);
    EXPECT_EQ(lives, 6);
    EXPECT_EQ(level, 0);
    EXPECT_EQ(workflow, 0);
    EXPECT_EQ(scrollidx, 0);
    EXPECT_EQ(scrolldx, 0);
    EXPECT_EQ(saved, 7); // CONTINUE stays after a game over
    EXPECT_STREQ(messageString, "");
    EXPECT_EQ(scroller, translation[1 * NUM_TEXTS + TEXT_SCROLLER]);
    EXPECT_EQ(scrollmax, (int32_t)strlen(translation[1 * NUM_TEXTS + TEXT_SCROLLER]));
    lang_id = 0;
    initVars0();
    EXPECT_EQ(scroller, translation[1 * NUM_TEXTS + TEXT_SCROLLER]);
    scroller = oldScroller;
}

TEST_F(Stuff, TheStartOfAGamePreparesEverything) {
    dir.linkGameData();
    SDL_Surface* oldScreen = screen;
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_AUDIO), 0) << SDL_GetError();
    screen = SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 16, 0xF800, 0x07E0, 0x001F, 0);
    ASSERT_EQ(MP_OpenAudio(22050, AUDIO_S16LSB, 2, 1024), 0) << Mix_GetError();
    openArchives();

    jump = left = right = crawl = space = escape = paused = 1;
    last_left = last_right = 1;
    monst[3].active = 1;
    aos[5].active = 1;
    mapLength = 3;
    mapData = (int32_t*)calloc(3 * MAP_ROWS, sizeof(int32_t));
    step = 40;
    stars = 4;
    score = 55;
    lives = 1;
    level = 3;
    saved = 4;
    initStuff();
    EXPECT_EQ(jump + left + right + crawl + space + escape + paused + last_left + last_right, 0);
    EXPECT_EQ(monst[3].active, 0);
    EXPECT_EQ(aos[5].active, 0);
    EXPECT_EQ(mapData, nullptr);
    EXPECT_EQ(mapLength, 0);
    EXPECT_EQ(step, 0);
    EXPECT_EQ(stars, 0);
    EXPECT_EQ(score, 0);
    EXPECT_EQ(lives, 6);
    EXPECT_EQ(level, 0);
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(useSound, 1);
    EXPECT_NE(blocks[0], nullptr);
    EXPECT_NE(blocks[NUM_BLOCKS - 1], nullptr);
    for (int i = 0; i < NUM_SFX; i++) EXPECT_NE(snd_data[i], nullptr) << i;

    freeBlocks();
    for (int i = 0; i < NUM_SFX; i++) freeSFX(i);
    closeArchives();
    Mix_CloseAudio();
    SDL_FreeSurface(screen);
    screen = oldScreen;
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_AUDIO);
}
