// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The intro screens and their driver. Each screen is four operations in the
// `screens` table; the driver runs them in order, once each, and every screen
// is left only by its own input.
#include "7game/screens.h"

#include "2platform/fps.h"
#include "1base/text.h"
#include "6draw/font.h"
#include "6draw/gfx.h"
#include "4io/input.h"

Screen screens[NUM_SCREENS + 1] = {
    {"language", languageInit, languageShutdown, languageUpdate, languageRender},
    {"muse", museInit, museShutdown, museUpdate, museRender},
    {"warning", warningInit, warningShutdown, warningUpdate, warningRender},
    {"opensource", opensourceInit, opensourceShutdown, opensourceUpdate, opensourceRender},
    {"gfxselect", gfxselectInit, gfxselectShutdown, gfxselectUpdate, gfxselectRender},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};
int32_t currentScreen = 0;
extern const int32_t gameScreen = 4;

const char* const flags[NUM_FLAGS] = {"flag_uk", "flag_de", "flag_fr", "flag_es"};
SDL_Surface* sprCursor = nullptr;
SDL_Surface* flag_surf[NUM_FLAGS] = {};
SDL_Surface* muse = nullptr;
int32_t museCount = 0;
int32_t warningBlink = 0;
int32_t opensourceBlink = 0;
int32_t cnt = 0;

namespace {

constexpr int BLINK_BIT = 0x20; // titles blink 32 frames on, 32 off

// A line of text and the row it is drawn at.
struct TextLine {
    int text;
    int y;
};

// Language screen: the flags sit in a 2 x 2 grid, the cursor under the chosen one.
constexpr int FLAG_X = 50, FLAG_Y = 50;       // top-left corner of the English flag
constexpr int FLAG_DX = 130, FLAG_DY = 80;    // from one flag to its neighbour
constexpr int CURSOR_DX = 40, CURSOR_DY = 64; // cursor position relative to its flag
constexpr int CURSOR_W = 16, CURSOR_H = 8;    // the part of the cursor bitmap shown

// Quotation screen: six lines of the big font over the picture.
constexpr int MUSE_FIRST_TEXT = 83;
constexpr int MUSE_LINES = 6;
constexpr int MUSE_X = 8, MUSE_Y = 90, MUSE_DY = 20;

// Warning screen.
constexpr int WARNING_TITLE = 75;
constexpr int WARNING_TITLE_Y = 40;
const TextLine warningLines[] = {
    {76, 90}, {77, 110}, {78, 120}, {79, 130}, {80, 150}, {81, 160}, {82, 170}, {74, 200},
};

// Credits screen.
constexpr int CREDITS_TITLE = 64;
constexpr int CREDITS_TITLE_Y = 40;
const TextLine creditLines[] = {
    {65, 80},  {66, 90},  {67, 100}, {68, 120}, {69, 130},
    {70, 150}, {71, 160}, {72, 170}, {73, 180}, {74, 210},
};

// Graphic-set screen.
constexpr int LOGO_RAISE = 24; // the logo sits this much above the centre
constexpr int CLASSIC_TEXT = 7, DELUXE_TEXT = 8;
constexpr int CLASSIC_GAP = 8, DELUXE_GAP = 20; // text rows below the logo

// Draws a blinking title and a column of centred small lines on black. Called by
// the warning and credits screens.
void drawNotice(SDL_Surface* target, int32_t* blink, int title, int titleY, const TextLine* lines,
                int count) {
    fillRect(target, 0, 0, target->w, target->h, BLACK);
    (*blink)++;
    if (!(*blink & BLINK_BIT)) drawTextCenterAt(target, tr(title), titleY, fontbig);
    for (int i = 0; i < count; i++) drawTextCenterAt(target, tr(lines[i].text), lines[i].y, font);
}

// 1 when up or jump was typed: "PRESS UP TO GO ON" (the default up key reports jump).
int upTyped() {
    return input.lastKeyTyped == KEY_UP || input.lastKeyTyped == KEY_JUMP;
}

} // namespace

// Runs the intro screens from currentScreen to the end of the table, each until
// its Update says it is finished. Update runs before the frame's input poll, so it
// sees the control released during the previous frame. Called by main.
void runScreens() {
    while (screens[currentScreen].name) {
        const Screen& s = screens[currentScreen];
        inputForgetTyped();
        s.init();
        initFPS();
        for (;;) {
            if (s.update()) break;
            if (!skipFrame) {
                s.render(screen);
                flipScreen();
            }
            controlFPS();
            checkInput();
        }
        s.shutdown();
        currentScreen++;
    }
}

// --- language -------------------------------------------------------------

// Loads the cursor and the four flags. Called by runScreens, like every operation below.
int languageInit() {
    sprCursor = loadGFX("cursor", 1, 255, 0, 255);
    for (int i = 0; i < NUM_FLAGS; i++) flag_surf[i] = loadGFX(flags[i], 0, 0, 0, 0);
    return 0;
}

// Frees the flags and the cursor.
int languageShutdown() {
    for (int i = 0; i < NUM_FLAGS; i++) {
        freeSurface(flag_surf[i]);
        flag_surf[i] = nullptr;
    }
    freeSurface(sprCursor);
    sprCursor = nullptr;
    return 0;
}

// Moves the cursor over the 2 x 2 flags, wrapping along the row order; only start
// leaves the screen.
int languageUpdate() {
    const int changeRow = input.lastKeyTyped == KEY_UP || input.lastKeyTyped == KEY_DOWN ||
                          (input.lastKeyTyped == KEY_JUMP && input.JUMP_KEY == input.UP_KEY);
    if (input.lastKeyTyped == KEY_START) return 1;
    if (input.lastKeyTyped == KEY_LEFT)
        lang_id = lang_id == 0 ? NUM_LANGUAGES - 1 : lang_id - 1;
    else if (input.lastKeyTyped == KEY_RIGHT)
        lang_id = lang_id == NUM_LANGUAGES - 1 ? 0 : lang_id + 1;
    else if (changeRow)
        lang_id = lang_id >= 2 ? lang_id - 2 : lang_id + 2;
    return 0;
}

// The four flags, English top left to Spanish bottom right, and the cursor under the chosen one.
int languageRender(SDL_Surface* target) {
    fillRect(target, 0, 0, target->w, target->h, 0);
    for (int i = 0; i < NUM_FLAGS; i++)
        blitImage(flag_surf[i], (i % 2) * FLAG_DX + FLAG_X, (i / 2) * FLAG_DY + FLAG_Y, target);
    SDL_Rect src = {0, 0, CURSOR_W, CURSOR_H};
    SDL_Rect dst = {(Sint16)((lang_id % 2) * FLAG_DX + FLAG_X + CURSOR_DX),
                    (Sint16)((lang_id / 2) * FLAG_DY + FLAG_Y + CURSOR_DY), CURSOR_W, CURSOR_H};
    blitSurface(sprCursor, &src, target, &dst);
    return 0;
}

// --- quotation --------------------------------------------------------------

// Loads the picture and starts counting frames.
int museInit() {
    muse = loadGFX("muse", 0, 0, 0, 0);
    museCount = 0;
    return 0;
}

// Frees the picture.
int museShutdown() {
    freeSurface(muse);
    muse = nullptr;
    return 0;
}

// Any typed control ends the quotation, but only once it has been up for a second,
// so a key still being released from the language screen cannot skip it.
int museUpdate() {
    if (museCount < MUSE_MAX) museCount++;
    return museCount >= MUSE_WAIT && input.lastKeyTyped != 0;
}

// The picture centred vertically between black bands, the quotation over it.
int museRender(SDL_Surface* target) {
    const int h = muse ? muse->h : 0;
    const int y0 = (SCREEN_H - h) >> 1;
    fillRect(target, 0, 0, SCREEN_W, y0, BLACK);
    fillRect(target, 0, SCREEN_H - y0, SCREEN_W, y0, BLACK);
    blitImage(muse, 0, y0, target);
    for (int i = 0; i < MUSE_LINES; i++)
        drawTextAt(target, tr(MUSE_FIRST_TEXT + i), MUSE_X, MUSE_Y + i * MUSE_DY, fontbig);
    return 0;
}

// --- warning ----------------------------------------------------------------

// Nothing to prepare: the warning is text only. Called by runScreens.
int warningInit() {
    return 0;
}

// Nothing to release. Called by runScreens.
int warningShutdown() {
    return 0;
}

// Finished when up (or jump) is typed.
int warningUpdate() {
    return upTyped();
}

// The blinking "WARNING" and the warning's lines.
int warningRender(SDL_Surface* target) {
    drawNotice(target, &warningBlink, WARNING_TITLE, WARNING_TITLE_Y, warningLines,
               (int)(sizeof warningLines / sizeof warningLines[0]));
    return 0;
}

// --- credits ----------------------------------------------------------------

// Nothing to prepare: the credits are text only. Called by runScreens.
int opensourceInit() {
    return 0;
}

// Nothing to release. Called by runScreens.
int opensourceShutdown() {
    return 0;
}

// Finished when up (or jump) is typed.
int opensourceUpdate() {
    return upTyped();
}

// The blinking "CREDITS" and the libraries the game uses.
int opensourceRender(SDL_Surface* target) {
    drawNotice(target, &opensourceBlink, CREDITS_TITLE, CREDITS_TITLE_Y, creditLines,
               (int)(sizeof creditLines / sizeof creditLines[0]));
    return 0;
}

// --- graphic set --------------------------------------------------------------

// Starts counting the releases of down.
int gfxselectInit() {
    cnt = 0;
    return 0;
}

// Nothing to release: the logo belongs to main. Called by runScreens.
int gfxselectShutdown() {
    return 0;
}

// Left chooses the classic set, right the deluxe one; the tenth release of down
// chooses the hidden set, which no text offers.
int gfxselectUpdate() {
    if (input.lastKeyTyped == KEY_LEFT) {
        gfxSet = 0;
        return 1;
    }
    if (input.lastKeyTyped == KEY_RIGHT) {
        gfxSet = 1;
        return 1;
    }
    if (input.lastKeyTyped == KEY_DOWN && ++cnt >= SECRET_DOWNS) {
        gfxSet = 2;
        return 1;
    }
    return 0;
}

// The logo a little above the centre and the two choices under it.
int gfxselectRender(SDL_Surface* target) {
    fillRect(target, 0, 0, target->w, target->h, BLACK);
    const int logoW = logo ? logo->w : 0, logoH = logo ? logo->h : 0;
    const int y = (target->h - logoH) / 2 - LOGO_RAISE;
    blitImage(logo, (target->w - logoW) / 2, y, target);
    drawTextCenterAt(target, tr(CLASSIC_TEXT), y + logoH + CLASSIC_GAP, font);
    drawTextCenterAt(target, tr(DELUXE_TEXT), y + logoH + DELUXE_GAP, font);
    return 0;
}
