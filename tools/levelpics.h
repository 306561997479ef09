// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Pictures of the level check: a level's whole map drawn with the game's own
// tiles, folded into rows, with the bot's path over it; and the chart of the
// difficulty measure over the sixteen levels.
#pragma once

#include "levelscan.h"

#include <vector>

constexpr int OVERVIEW_FOLD = 80; // map columns per row of an overview picture

// One point of the bot's way: the figure's top-left corner in map pixels.
struct PathPoint {
    int x, y;
};

// Draws level n's cells (as the file holds them, monsters at their spawn
// places) and the path into a PNG at path; 0 when the picture could not be
// made. Called by blompplaycheck -p.
int writeOverview(const char* path, int n, const LevelGrid& grid, const std::vector<PathPoint>& way);

// One line of a chart: values of levels 1..16, a colour and a name.
struct ChartSeries {
    const std::vector<double>* values;
    unsigned char r, g, b;
    const char* name;
};

// Draws series over the sixteen levels into a PNG, with a title; top 0 scales to
// the largest value. Called by writeChart and by blompplaycheck -C.
int writeLines(const char* path, const char* title, const ChartSeries* series, int count, double top,
               int gridStep);

// Draws the measure of levels 1..16 as two lines, the old one grey and the new
// one red, into a PNG; an empty series is left out. Called by blompplaycheck -c.
int writeChart(const char* path, const std::vector<double>& before, const std::vector<double>& after);

// Frees what the pictures needed (video, tiles, fonts). Called by blompplaycheck at its end.
void closePictures();
