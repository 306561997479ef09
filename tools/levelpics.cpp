// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The level check's pictures: overview strips of whole levels and the chart of
// the difficulty measure, drawn with the game's own tiles and font.
#include "levelpics.h"
#include "5world/world.h"

#include "7game/stuff.h"
#include "6draw/draw.h"
#include "6draw/font.h"
#include "6draw/gfx.h"
#include "6draw/shot.h"
#include "2platform/video.h"
#include "5world/figure.h"
#include "5world/map.h"
#include "5world/monsters.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int FOLD_W = OVERVIEW_FOLD * CELL; // pixels of one row of an overview
constexpr int FOLD_GAP = 6;                  // dark lines between the rows
constexpr int PLAY_H = MAP_ROWS * CELL;      // the play area's height
constexpr int CHART_W = 400, CHART_H = 240;  // the chart picture
constexpr int CHART_LEFT = 40, CHART_RIGHT = 16, CHART_TOP = 24, CHART_BOTTOM = 24;

int ready = 0; // video, tiles, fonts and scenery are up

// Brings up what drawing needs, once. Called by both picture writers.
int openPictures() {
    if (ready) return 1;
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (!videoOpenOffscreen()) {
        fprintf(stderr, "blompplaycheck: no video: %s\n", platformError());
        return 0;
    }
    gfxSet = 1;
    loadSpriteFont(1);
    initBlocks(1);
    loadScenery(1);
    ready = 1;
    return 1;
}

// A surface in the frame's pixel format.
SDL_Surface* makeSurface(int w, int h) {
    const SDL_PixelFormat* f = screen->format;
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask, f->Amask);
}

// A filled box clipped to the surface.
void box(SDL_Surface* s, int x, int y, int w, int h, Uint32 colour) {
    SDL_Rect r = {(Sint16)x, (Sint16)y, (Uint16)w, (Uint16)h};
    SDL_FillRect(s, &r, colour);
}

// A line of boxes from (x0, y0) to (x1, y1), for the chart.
void line(SDL_Surface* s, int x0, int y0, int x1, int y1, Uint32 colour) {
    const int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    for (int i = 0; i <= n; i++) {
        const int x = n ? x0 + (x1 - x0) * i / n : x0;
        const int y = n ? y0 + (y1 - y0) * i / n : y0;
        box(s, x - 1, y - 1, 2, 2, colour);
    }
}

} // namespace

// Lays the file's cells into the map (spike plates as the game shows them),
// draws the view 320 pixels at a time, folds it every OVERVIEW_FOLD columns
// and marks the bot's way every other frame.
int writeOverview(const char* path, int n, const LevelGrid& grid, const std::vector<PathPoint>& way) {
    if (!openPictures() || grid.columns < 1) return 0;
    freeLevel();
    world.map.mapLength = grid.columns;
    world.map.mapData.resize(grid.cells.size());
    for (size_t i = 0; i < grid.cells.size(); i++)
        world.map.mapData[i] = grid.cells[i] == 87 ? 86 : grid.cells[i];
    killMonsters();
    world.play.level = n;
    static Figure nobody; // not alive: nothing is drawn for it
    world.play.messageString[0] = '\0';
    const int width = grid.columns * CELL;
    const int rows = (grid.columns + OVERVIEW_FOLD - 1) / OVERVIEW_FOLD;
    SDL_Surface* out = makeSurface(FOLD_W, rows * (PLAY_H + FOLD_GAP) - FOLD_GAP);
    if (!out) return 0;
    SDL_FillRect(out, nullptr, SDL_MapRGB(out->format, 16, 16, 24));
    for (int x = 0; x < width; x += VIEW_W) {
        world.map.step = x;
        moonx = -1000; // the moon would repeat in every piece
        drawScreen(200, nobody, 0);
        // Copy the piece into the fold rows it spans (a fold starts every FOLD_W pixels).
        for (int part = x; part < std::min(x + VIEW_W, width);) {
            const int row = part / FOLD_W;
            const int end = std::min({x + VIEW_W, width, (row + 1) * FOLD_W});
            SDL_Rect src = {(Sint16)(part - x), 0, (Uint16)(end - part), (Uint16)PLAY_H};
            SDL_Rect dst = {(Sint16)(part - row * FOLD_W), (Sint16)(row * (PLAY_H + FOLD_GAP)), 0, 0};
            SDL_BlitSurface(screen, &src, out, &dst);
            part = end;
        }
    }
    const Uint32 red = SDL_MapRGB(out->format, 255, 40, 40);
    const Uint32 white = SDL_MapRGB(out->format, 255, 255, 255);
    for (size_t i = 0; i < way.size(); i += 2) {
        const int cx = way[i].x + 8, cy = way[i].y + 8;
        if (cx < 0 || cx >= width || cy < 0 || cy >= PLAY_H) continue;
        const int row = cx / FOLD_W;
        box(out, cx - row * FOLD_W - 1, row * (PLAY_H + FOLD_GAP) + cy - 1, 3, 3, (i / 2) % 30 ? red : white);
    }
    const int ok = saveSurfacePNG(out, path);
    SDL_FreeSurface(out);
    return ok;
}

// A line chart over the sixteen levels: a grid line every `gridStep` units up
// to `top` (0: the largest value, rounded up), level numbers below, each series
// a coloured line with its name in the legend (an empty series is left out),
// the title, if any, at the top right.
int writeLines(const char* path, const char* title, const ChartSeries* series, int count, double top,
               int gridStep) {
    if (!openPictures()) return 0;
    SDL_Surface* out = makeSurface(CHART_W, CHART_H);
    if (!out) return 0;
    SDL_FillRect(out, nullptr, SDL_MapRGB(out->format, 20, 20, 36));
    if (top <= 0) {
        top = gridStep;
        for (int k = 0; k < count; k++)
            for (double v : *series[k].values) top = std::max(top, v);
        top = gridStep * (int)(top / gridStep + 1);
    }
    const int plotW = CHART_W - CHART_LEFT - CHART_RIGHT, plotH = CHART_H - CHART_TOP - CHART_BOTTOM;
    auto px = [&](int level) { return CHART_LEFT + (level - 1) * plotW / 15; };
    auto py = [&](double v) { return CHART_TOP + plotH - (int)(v * plotH / top); };
    const Uint32 grid = SDL_MapRGB(out->format, 60, 60, 84);
    char text[32];
    for (int v = 0; v <= (int)top; v += gridStep) {
        box(out, CHART_LEFT, py(v), plotW, 1, grid);
        snprintf(text, sizeof(text), "%d", v);
        drawTextRightAt(out, text, CHART_LEFT - 6, py(v) - 4, font);
    }
    for (int level = 1; level <= 16; level++) {
        box(out, px(level), CHART_TOP, 1, plotH, grid);
        snprintf(text, sizeof(text), "%d", level);
        drawTextAt(out, text, px(level) - 4 * (int)strlen(text), CHART_H - CHART_BOTTOM + 8, font);
    }
    int legendX = CHART_LEFT + 8;
    for (int k = 0; k < count; k++) {
        const ChartSeries& s = series[k];
        if (s.values->empty()) continue;
        const Uint32 colour = SDL_MapRGB(out->format, s.r, s.g, s.b);
        for (size_t i = 1; i < s.values->size() && i < 16; i++)
            line(out, px((int)i), py((*s.values)[i - 1]), px((int)i + 1), py((*s.values)[i]), colour);
        for (size_t i = 0; i < s.values->size() && i < 16; i++)
            box(out, px((int)i + 1) - 3, py((*s.values)[i]) - 3, 6, 6, colour);
        box(out, legendX, 8, 12, 6, colour);
        drawTextAt(out, s.name, legendX + 16, 7, font);
        legendX += 16 + 8 * (int)strlen(s.name) + 12;
    }
    if (*title) drawTextRightAt(out, title, CHART_W - CHART_RIGHT, 7, font);
    const int ok = saveSurfacePNG(out, path);
    SDL_FreeSurface(out);
    return ok;
}

// The measure chart: the old measure grey, the new one red.
int writeChart(const char* path, const std::vector<double>& before, const std::vector<double>& after) {
    const ChartSeries series[] = {{&before, 150, 150, 150, "OLD"}, {&after, 255, 64, 64, "NEW"}};
    return writeLines(path, "DIFFICULTY BY LEVEL", series, 2, 0, 10);
}

// Releases the drawing set-up.
void closePictures() {
    if (!ready) return;
    freeScenery();
    freeBlocks();
    destroyFonts();
    videoCloseOffscreen();
    ready = 0;
}
