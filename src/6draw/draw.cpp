// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The play-field and the HUD.
#include "6draw/draw.h"

#include <cstdlib>
#include "5world/world.h"

#include "2platform/fps.h"
#include "1base/text.h"
#include "6draw/font.h"
#include "6draw/gfx.h"
#include "4io/input.h"
#include "5world/figure.h"
#include "5world/map.h"
#include "5world/monsters.h"

namespace {

constexpr int HUD_Y = 192;        // first row of the HUD band
constexpr int BAR_X = 64;         // left end of the time and air bars
constexpr int BAR_W = 248;        // full length of a bar
constexpr int INTRO_FRAMES = 180; // frames of the level intro
constexpr int BLINK = 32;         // blinking elements hide while this bit of the frame is set
constexpr int VIEW_COLUMNS = 21;  // columns that can show in a 320-pixel view

// The two bars of the HUD: colours of the full and the used part, per graphic set.
struct BarColours {
    Uint32 *timeFull, *timeUsed, *airFull, *airUsed;
};

// One entry of a menu drawn centred with the big font: its text and its row.
struct MenuLine {
    int text;
    int y;
};

const MenuLine pauseMenu[3] = {{12, 124}, {13, 142}, {14, 160}};                      // SUICIDE, GO ON, EXIT
const MenuLine mainMenu[5] = {{19, 120}, {20, 138}, {21, 156}, {22, 174}, {14, 192}}; // NEW GAME ... EXIT

// Draws menu lines; the entry under the cursor (1-based) blinks.
void drawMenu(const MenuLine* lines, int count, int cursor, int32_t frame) {
    for (int i = 0; i < count; i++) {
        if (cursor == i + 1 && (frame & BLINK)) continue;
        drawTextCenterAt(screen, tr(lines[i].text), lines[i].y, fontbig);
    }
}

// Rounds a division by 2 towards minus infinity (an arithmetic halving).
int half(int v) {
    return v >> 1;
}

// The back picture, bottom-aligned and wrapping at half the map's speed, and the moon; or black in set 2.
void drawBackLayer() {
    if (!background) {
        fillRect(screen, 0, 0, SCREEN_W, SCREEN_H, BLACK);
        return;
    }
    const int h = background->h;
    fillRect(screen, 0, 0, appletWidth, appletHeight - h, BLACK);
    drawLoop(background, appletHeight - h, h, half(world.map.step), 0);
    blitImage(moon, moonx - world.map.step / 2, 0, screen);
    fillRect(screen, 0, HUD_Y, SCREEN_W, SCREEN_H - HUD_Y, BLACK);
}

// The time and air rows of the HUD.
void drawBars() {
    static const BarColours normal = {&RED, &DRED, &BLUE, &DBLUE};
    static const BarColours greys = {&LGREY, &GREY, &GREY, &DGREY};
    const BarColours& c = gfxSet == 2 ? greys : normal;
    drawTextAt(screen, tr(9), 4, 196, font);
    int t = world.timeLeft * BAR_W / 7000;
    fillRect(screen, BAR_X, 198, t, 5, *c.timeFull);
    fillRect(screen, BAR_X + t, 198, BAR_W - t, 5, *c.timeUsed);
    drawTextAt(screen, tr(10), 4, 206, font);
    int a = world.airLeft * BAR_W / 500;
    fillRect(screen, BAR_X, 208, a, 5, *c.airFull);
    fillRect(screen, BAR_X + a, 208, BAR_W - a, 5, *c.airUsed);
}

// The bottom row: lives, score, items left and the level number.
void drawBottomRow() {
    const int y = 220;
    blitImage(blocks[24], 16, y, screen);
    if (fontbig && fontbig[0] && fontbig[56]) {
        // The "X" between the life icon and the count, one glyph wide.
        SDL_Rect src = {0, 0, (Uint16)fontbig[0]->w, (Uint16)fontbig[0]->h};
        SDL_Rect dst = {40, (Sint16)y, 0, 0};
        blitSurface(fontbig[56], &src, screen, &dst);
    }
    drawNumberAt(screen, world.play.lives, 64, y, 2, 1, fontbig);
    blitImage(blocks[42], 104, y, screen);
    drawNumberAt(screen, world.play.score, 124, y, 4, 1, fontbig);
    blitImage(blocks[41], 196, y, screen);
    drawNumberAt(screen, world.map.stars, 216, y, 2, 1, fontbig);
    blitImage(blocks[world.map.stars >= 2 ? 17 : world.map.stars == 1 ? 18 : 19], 256, y, screen);
    drawNumberAt(screen, world.play.level - 1, 276, y, 2, 1, fontbig);
}

// What lies over the play area during a level: darkening, pause menu, messages.
void drawOverlays(int32_t frame, const Figure& figure) {
    const bool showMessage = world.play.lives > 0 && !isActive(figure) && world.play.messageString[0] != 0;
    if (showMessage || frame <= INTRO_FRAMES || world.play.paused) darken();
    if (world.play.paused) {
        drawTextCenterAt(screen, tr(11), 96, fontbig);
        drawMenu(pauseMenu, 3, world.play.workflow, frame);
        return;
    }
    if (input.escape) return; // the quit question is drawn by the game flow
    if (!(frame & BLINK)) {
        if (showMessage)
            drawTextCenterAt(screen, world.play.messageString, 96, fontbig);
        else if (frame <= INTRO_FRAMES)
            drawTextCenterAt(screen, tr(15), 96, fontbig);
    }
    if (figure.atClosedDoor && figure.alive && !figure.dying) {
        drawTextCenterAt(screen, tr(16), 96, fontbig);
        drawTextCenterAt(screen, tr(17), 120, font);
    }
}

// The title: logo, version line, credits scroller, and "PRESS START" or the menu.
void drawTitle(int32_t frame) {
    if (logo) blitImage(logo, half(SCREEN_W - logo->w), half(SCREEN_H - logo->h) - 40, screen);
    drawTextCenterAt(screen, "BLOMP V1.0B", 216, fontbig);
    if (world.play.scroller)
        drawTextNAt(screen, world.play.scroller + world.play.scrollidx, 41, -half(world.play.scrolldx), 196,
                    font);
    if (world.play.workflow == 0) {
        if (!(frame & BLINK)) drawTextCenterAt(screen, tr(18), 128, fontbig);
    } else {
        drawMenu(mainMenu, 5, world.play.workflow, frame);
    }
}

} // namespace

// Places the moon along the back picture for a new level; a map too narrow for
// it keeps it at the left. Called by the game flow's level start, right after
// worldStart.
void placeMoon() {
    const int range = moon ? (world.map.mapLength * 16 - moon->w) / 2 : 0;
    moonx = range > 0 ? rand() % range : 0;
}

// Draws one monster at its map position.
void drawMonster(const Monster& m) {
    const int tile = monsterPicture(m);
    if (tile >= 0) drawSprite(m.x, m.y, tile);
}

// Draws every active monster in slot order. Called by the play-field before the figure.
void drawMonsters() {
    for (const Monster& m : world.monst)
        if (m.active) drawMonster(m);
}

// Draws the figure's picture while it exists. Called by the play-field after the monsters.
void drawFigure(const Figure& fig) {
    if (fig.alive) drawSprite(fig.x, fig.y, fig.sprite);
}

// Draws tile `tile` at map position (x, y) when any of it can show.
void drawBlock(int x, int y, int tile) {
    const int sx = x - world.map.step;
    if (sx < -15 || sx > 319 || y < -15 || y > 191) return;
    if (tile <= 0 || tile >= NUM_BLOCKS) return;
    blitImage(blocks[tile], sx, y, screen);
}

// Draws water tile (phase, half) at map position (x, y) when any of it can show.
void drawWBlock(int x, int y, int phase, int halfTile) {
    const int sx = x - world.map.step;
    if (sx < -15 || sx > 319 || y < -15 || y > 191) return;
    blitImage(wblocks[2 * (phase & 3) + (halfTile & 1)], sx, y, screen);
}

// Draws rows sourceY .. sourceY + height - 1 of a picture at screen row y across the
// whole width, starting from column `scroll` of the picture and wrapping around.
void drawLoop(SDL_Surface* picture, int y, int height, int scroll, int sourceY) {
    if (!picture || picture->w <= 0) return;
    const int w = picture->w;
    int o = scroll % w;
    if (o < 0) o += w;
    SDL_Rect src, dst;
    src.x = (Sint16)o;
    src.y = (Sint16)sourceY;
    src.h = (Uint16)height;
    dst.x = 0;
    dst.y = (Sint16)y;
    if (o + appletWidth - 1 < w) {
        src.w = appletWidth;
        blitSurface(picture, &src, screen, &dst);
        return;
    }
    // The picture's end reached: its right part first, then as much of its start as the width needs.
    for (int x = 0; x < appletWidth; x += src.w) {
        src.w = (Uint16)(w - o < appletWidth - x ? w - o : appletWidth - x);
        src.x = (Sint16)o;
        dst.x = (Sint16)x;
        dst.y = (Sint16)y;
        blitSurface(picture, &src, screen, &dst);
        o = 0;
    }
}

// Draws the visible map cells. The first column is step / 16, drawn at the
// screen x of its left edge; water cells take the tiles of the current phase.
void drawTiles(int32_t frame) {
    const LevelMap& m = world.map;
    if (m.mapData.empty() || m.step < 0) return;
    const int c0 = m.step / 16;
    const int x0 = m.step - m.step % 16; // any map width: no mask that would wrap at 4096 columns
    const int phase = (int)(((uint32_t)frame >> 3) & 3);
    for (int i = 0; i < VIEW_COLUMNS; i++) {
        const int column = c0 + i;
        if (column >= m.mapLength) break; // a narrow map has nothing more to the right
        const int sx = x0 + 16 * i - m.step;
        if (sx < -15 || sx > 319) continue;
        const int32_t* cells = m.mapData.data() + (size_t)column * MAP_ROWS;
        for (int r = 0; r < MAP_ROWS; r++) {
            const int32_t v = cells[r];
            if (v == 160 || v == 161)
                blitImage(wblocks[2 * phase + (v - 160)], sx, 16 * r, screen);
            else if (v > 0 && v < NUM_BLOCKS) // codes beyond the sheet have no picture
                blitImage(blocks[v], sx, 16 * r, screen);
        }
    }
}

// Composes one frame; with present set it also shows it and paces the loop.
// Called by the game flow every frame, and by the hiscore entry with frame -1.
void drawScreen(int32_t frame, const Figure& figure, int present) {
    if (skipFrame) {
        if (present) controlFPS();
        return;
    }
    drawBackLayer();
    if (world.play.level > 0) drawBars();
    drawTiles(frame);
    drawMonsters();
    if (frame > INTRO_FRAMES && figure.alive) drawFigure(figure);
    if (world.play.level != 0) {
        drawBottomRow();
        if (frame > 0) drawOverlays(frame, figure);
    }
    if (world.play.level == 0 && world.play.workflow >= 0) drawTitle(frame);
    if (present) {
        flipScreen();
        controlFPS();
    }
}
