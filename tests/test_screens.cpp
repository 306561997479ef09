// The intro screens, driven through runScreens with the simulated clock and a
// scripted player that taps keys on given frames of given screens.
#include "game/screens.h"
#include "game/text.h"
#include "gfx/font.h"
#include "gfx/gfx.h"
#include "io/input.h"
#include "platform/sys.h"
#include "platform/zda.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

namespace {

// A key tapped (pressed and released) during the input poll after frame `frame`
// of screen `screen`; the screen's Update sees it in the next frame.
struct Tap {
    int screen, frame, sym;
};

// The scripted player, called by the simulated event queue at every poll.
std::vector<Tap> plan;
std::map<int, int> framesOf; // input polls seen on each screen
std::vector<int> langLog;    // lang_id at each poll of the language screen
uint32_t lastPollClock = ~0u;
bool stuck = false; // a screen never ended: the player pushed its way out
constexpr int STUCK_FRAMES = 2000;

void pushKey(int sym, int down) {
    SDL_Event ev;
    memset(&ev, 0, sizeof ev);
    ev.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    ev.key.keysym.sym = (SDLKey)sym;
    simPushEvent(ev);
}

// The scripted player, called by the simulated event queue whenever it runs dry.
void player() {
    if (simClock == lastPollClock) return; // the same poll asks again once the queue is drained
    lastPollClock = simClock;
    const int frame = ++framesOf[currentScreen];
    if (currentScreen == 0) langLog.push_back(lang_id);
    for (const Tap& t : plan)
        if (t.screen == currentScreen && t.frame == frame) {
            pushKey(t.sym, 1);
            pushKey(t.sym, 0);
        }
    if (frame > 2000) { // leave whatever screen this is: start, up, left in turn
        stuck = true;
        static const int out[3] = {SDLK_RETURN, SDLK_UP, SDLK_LEFT};
        pushKey(out[frame % 3], 1);
        pushKey(out[frame % 3], 0);
    }
}

// Taps that finish each screen quickly, for the screens a test is not about.
const std::vector<Tap> passThrough = {
    {0, 1, SDLK_RETURN}, {1, 60, SDLK_SPACE}, {2, 1, SDLK_UP}, {3, 1, SDLK_UP}, {4, 1, SDLK_RIGHT}};

class ScreensTest : public ::testing::Test {
protected:
    ScratchDir dir;
    void SetUp() override {
        if (!SDL_WasInit(SDL_INIT_VIDEO)) SDL_Init(SDL_INIT_VIDEO);
        SDL_SetVideoMode(320, 240, 16, 0);
        screen = SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 16, 0xF800, 0x07E0, 0x001F, 0);
        mapColors();
        dir.linkGameData();
        openArchives();
        loadSpriteFont(1);
        logo = loadGFX("logo", 1, 255, 0, 255);
        lang_id = done = lastKey = lastKeyTyped = currentScreen = 0;
        gfxSet = 1;
        JUMP_KEY = UP_KEY = SDLK_UP;
        framesOf.clear();
        langLog.clear();
        stuck = false;
        lastPollClock = ~0u;
        simStart(1000);
        simPollHook = player;
    }
    void TearDown() override {
        simStop();
        JUMP_KEY = SDLK_UP;
        lang_id = done = currentScreen = 0;
        freeSurface(logo);
        logo = nullptr;
        destroyFonts();
        closeArchives();
        SDL_FreeSurface(screen);
        screen = nullptr;
    }
    // Runs the screens from `first` with the given taps, plus quick exits for the other screens.
    void run(int first, std::vector<Tap> taps) {
        for (const Tap& p : passThrough) {
            bool planned = false;
            for (const Tap& t : taps) planned |= t.screen == p.screen;
            if (!planned) taps.push_back(p);
        }
        plan = taps;
        currentScreen = first;
        runScreens();
        EXPECT_FALSE(stuck);
        EXPECT_EQ(currentScreen, NUM_SCREENS);
    }
};

TEST_F(ScreensTest, LanguageCursorWrapsAlongTheRowsAndChangesRow) {
    const int keys[] = {SDLK_RIGHT, SDLK_RIGHT, SDLK_RIGHT, SDLK_RIGHT, SDLK_LEFT, SDLK_RIGHT,
                        SDLK_DOWN,  SDLK_UP,    SDLK_RIGHT, SDLK_DOWN,  SDLK_UP,   SDLK_RETURN};
    std::vector<Tap> taps;
    for (int i = 0; i < 12; i++) taps.push_back({0, i + 1, keys[i]});
    run(0, taps);
    // after each tap: 1 2 3, wrap to 0, left wraps to 3, 0, down to French, up
    // (the up key reports jump) back, German, down to Spanish, up to German
    EXPECT_EQ(langLog, (std::vector<int>{0, 1, 2, 3, 0, 3, 0, 2, 0, 1, 3, 1}));
    EXPECT_EQ(framesOf[0], 12);
    EXPECT_EQ(lang_id, 1); // kept for the rest of the game
}

TEST_F(ScreensTest, OnlyStartLeavesTheLanguageScreen) {
    JUMP_KEY = 'z'; // jump on a key of its own no longer changes the row; up still does
    run(0, {{0, 1, SDLK_SPACE},
            {0, 2, 's'},
            {0, 3, 'z'},
            {0, 4, SDLK_ESCAPE},
            {0, 5, SDLK_UP},
            {0, 6, SDLK_RETURN}});
    EXPECT_EQ(framesOf[0], 6);
    EXPECT_EQ(langLog, (std::vector<int>{0, 0, 0, 0, 0, 2}));
    EXPECT_EQ(done, 1); // escape only asks to quit; every screen still ran
    EXPECT_EQ(framesOf.size(), 5u);
}

TEST_F(ScreensTest, QuotationIgnoresInputForItsFirst59Frames) {
    std::vector<Tap> taps;
    for (int f = 1; f <= 59; f++) taps.push_back({1, f, f % 2 ? SDLK_SPACE : SDLK_UP});
    run(0, taps);
    EXPECT_EQ(framesOf[1], 59); // the tap after frame 59 ends it
    framesOf.clear();
    run(0, {{1, 300, 'd'}}); // no input: it waits; its frame count stops at 240
    EXPECT_EQ(framesOf[1], 300);
    EXPECT_EQ(museCount, MUSE_MAX);
}

TEST_F(ScreensTest, WarningAndCreditsWaitForUpOrJump) {
    JUMP_KEY = 'z';
    run(0, {{2, 1, SDLK_RETURN},
            {2, 2, SDLK_SPACE},
            {2, 3, SDLK_LEFT},
            {2, 4, SDLK_DOWN},
            {2, 5, SDLK_UP},
            {3, 1, 's'},
            {3, 2, 'z'}});
    EXPECT_EQ(framesOf[2], 5);
    EXPECT_EQ(framesOf[3], 2);
}

TEST_F(ScreensTest, TenDownsChooseTheHiddenSet) {
    std::vector<Tap> taps;
    for (int f = 1; f <= 9; f++) taps.push_back({4, f, SDLK_DOWN});
    taps.push_back({4, 10, SDLK_LEFT});
    run(0, taps);
    EXPECT_EQ(gfxSet, 0);
    EXPECT_EQ(framesOf[4], 10);
    taps.back().sym = SDLK_DOWN;
    taps.push_back({4, 11, SDLK_RIGHT}); // never seen: the tenth down has ended the screen
    framesOf.clear();
    run(0, taps);
    EXPECT_EQ(gfxSet, 2);
    EXPECT_EQ(framesOf[4], 10);
    framesOf.clear();
    run(0, {{4, 1, SDLK_RETURN}, {4, 2, SDLK_UP}, {4, 3, SDLK_SPACE}, {4, 4, SDLK_RIGHT}});
    EXPECT_EQ(gfxSet, 1);
    EXPECT_EQ(framesOf[4], 4);
}

TEST_F(ScreensTest, TestModeRunsOnlyTheGraphicSetScreen) {
    run(gameScreen, {{4, 1, SDLK_LEFT}});
    EXPECT_EQ(framesOf.size(), 1u);
    EXPECT_EQ(framesOf.count(gameScreen), 1u);
    EXPECT_EQ(lang_id, 0);
    EXPECT_EQ(gfxSet, 0);
}

// Rows of the frame that hold anything but black.
int inkRows(int y0, int y1) {
    int rows = 0;
    for (int y = y0; y < y1; y++) {
        const Uint16* p = (const Uint16*)((const uint8_t*)screen->pixels + y * screen->pitch);
        bool ink = false;
        for (int x = 0; x < 320; x++) ink |= p[x] != 0;
        rows += ink;
    }
    return rows;
}

TEST_F(ScreensTest, ScreensDrawWhereTheyShould) {
    languageInit();
    lang_id = 3;
    languageRender(screen);
    const Uint16* row = (const Uint16*)((const uint8_t*)screen->pixels + 194 * screen->pitch);
    EXPECT_NE(row[220 + 7], 0); // the cursor's tip under the Spanish flag
    EXPECT_EQ(row[90 + 7], 0);  // and not under the French one
    EXPECT_EQ(inkRows(0, 50), 0);
    const int flagH = flag_surf[0]->h;
    EXPECT_EQ(inkRows(50, 50 + flagH), flagH); // the upper flags
    languageShutdown();
    EXPECT_EQ(sprCursor, nullptr);

    museInit();
    museRender(screen);
    const int band = (240 - muse->h) / 2;
    EXPECT_EQ(inkRows(0, band), 0);
    EXPECT_EQ(inkRows(240 - band, 240), 0);
    museShutdown();

    warningBlink = 31; // the title is hidden while bit 0x20 of the counter is set
    warningRender(screen);
    EXPECT_EQ(inkRows(40, 56), 0);
    EXPECT_GT(inkRows(90, 98), 0); // the first line, and nothing until the second
    EXPECT_EQ(inkRows(98, 110), 0);
    warningBlink = 63;
    warningRender(screen);
    EXPECT_GT(inkRows(40, 56), 8);

    gfxselectRender(screen);
    const int logoY = (240 - logo->h) / 2 - 24;
    EXPECT_EQ(inkRows(0, logoY), 0);
    EXPECT_GT(inkRows(logoY + logo->h + 8, logoY + logo->h + 16), 4);
}

} // namespace
