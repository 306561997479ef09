// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// What the level check reads from a level's cells alone, without playing it:
// the hazards, the items off the walking line, stretches that repeat, the
// rhythm of the checkpoints, items under water, bump blocks without a reward,
// and where each danger of the game is met first. blompplaycheck prints it and
// fails on the problems; the tests check the rules on small drawn levels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int SCAN_ROWS = 12;       // rows of every level
constexpr int REPEAT_SPAN = 40;     // columns of the stretches compared for repeats
constexpr int REPEAT_LIMIT = 90;    // percent alike at which a stretch counts as repeated
constexpr int OFF_LINE_SHARE = 25;  // percent of the items at least that need a jump or a detour
constexpr int SPREAD_PERCENT = 45;  // checkpoint gaps: longest less shortest, percent of the mean, at least
constexpr int LATE_CHECKPOINT = 21; // no checkpoint in this many last columns (the view's last stretch)
constexpr int FIRST_MEETING_REACH = 40; // a danger's first meeting lies this near the start or a checkpoint

// One level's cells, column by column, top row first.
struct LevelGrid {
    int columns = 0;
    std::vector<int> cells;
    int at(int column, int row) const {
        if (column < 0 || column >= columns || row < 0 || row >= SCAN_ROWS) return 0;
        return cells[(size_t)column * SCAN_ROWS + row];
    }
};

// What scanLevel found in one level.
struct LevelScan {
    int columns = 0;
    int items = 0;
    int offLine = 0;       // items that need a jump, a climb or a dive
    int lives = 0;         // extra lives
    int monsters = 0;      // spawn codes
    int hazardColumns = 0; // columns with spikes, thorns, a spike trap, crumbling floor, or a gap
    double hazards = 0;    // monsters and hazard columns per 100 columns
    int repeatPercent = 0; // how alike the two most alike stretches of REPEAT_SPAN columns are
    int repeatA = -1, repeatB = -1;
    std::vector<int> checkpoints; // their columns
    int spreadPercent = -1;       // (longest - shortest gap) / mean gap, -1 with fewer than three gaps
    std::vector<std::string> problems;
};

// Reads a level file (column count less one, then 12 cells a column); false when it is cut short.
bool gridFromFile(const uint8_t* bytes, int32_t size, LevelGrid& grid);

// Scans one level. Called by blompplaycheck for every level and language, and by the tests.
LevelScan scanLevel(const LevelGrid& grid);

// Where a danger of the game is first met, in level order.
struct FirstMeeting {
    const char* kind;
    int level = -1; // -1 when no level has it
    int column = -1;
    std::string problem; // empty when the meeting is fair
};

// The first meeting of every monster and trap kind over the levels given in
// play order (index 0 is the title's level and is skipped). Called by
// blompplaycheck and the tests.
std::vector<FirstMeeting> firstMeetings(const std::vector<LevelGrid>& levels);
