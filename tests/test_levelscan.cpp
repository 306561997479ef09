// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The level check's reading of the cells: each rule it enforces on the levels
// must catch a level that breaks it, and let a sound one pass.
#include "levelscan.h"
#include "worldmap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A drawn level (rows of worldmap.h characters, bottom rows last) as a grid.
LevelGrid grid(const std::vector<std::string>& rows) {
    LevelGrid g;
    g.columns = (int)rows[0].size();
    for (int m = 0; m < g.columns; m++)
        for (int r = 0; r < SCAN_ROWS; r++) g.cells.push_back(drawnCell(rows, (size_t)m, (size_t)r));
    return g;
}

// Rows of a plain level of the given width: floor, door at the end, and the given
// things in the row above the floor.
std::vector<std::string> plain(const std::string& things) {
    std::string top = row(things.size(), ' '), floor = row(things.size(), '#');
    top.replace(things.size() - 4, 2, "12");
    std::string walk = things;
    walk.replace(things.size() - 4, 2, "34");
    return {top, walk, floor};
}

// True when one of the scan's problems contains the words.
bool complains(const LevelScan& s, const char* words) {
    for (const std::string& p : s.problems)
        if (p.find(words) != std::string::npos) return true;
    return false;
}

} // namespace

// Items under water, bump blocks without a reward, too few items off the walking line.
TEST(LevelScan, ItemsAndBumpBlocksFollowTheRules) {
    const struct {
        std::vector<std::string> rows;
        const char* complaint; // nullptr: no problem of this kind
        const char* words;
    } cases[] = {
        // water on both sides, water above, water on one side only (a pond's edge)
        {{"  *  ###        ", "#ww*ww##########", "################"}, "under water", "under water"},
        {{"  *  ###        ", "   w            ", "   *            ", "################"},
         "under water",
         "under water"},
        {{"   *##          ", "#ww*############", "################"}, nullptr, "under water"},
        // a bump block with an item over it, and one with nothing near
        {{"   *            ", "                ", "   b            ", "                ", "################"},
         nullptr,
         "bump block"},
        {{"                ", "                ", "   b            ", "                ", "################"},
         "leads to nothing",
         "bump block"},
        // four items on the floor and none above it; one of four raised is enough
        {{"                ", "  *  *  *  *    ", "################"}, "need a jump", "need a jump"},
        {{"  *             ", "     *  *  *    ", "################"}, nullptr, "need a jump"},
    };
    for (const auto& c : cases) {
        const LevelScan s = scanLevel(grid(c.rows));
        if (c.complaint)
            EXPECT_TRUE(complains(s, c.complaint)) << c.rows[0];
        else
            EXPECT_FALSE(complains(s, c.words)) << c.rows[0];
    }
}

// A stretch laid twice is found; the same floor with different things on it is not a repeat.
TEST(LevelScan, RepeatedStretchesAreFound) {
    const std::string part = "  *  ##   b  ^^  *   k   #  X  *   h    ";
    const std::string other = " v   *  ##  *  ^  b  *    X   ##  *  g  ";
    std::string twice = part + part + "      ", once = part + other + "      ";
    const LevelScan same = scanLevel(grid(plain(twice)));
    EXPECT_TRUE(complains(same, "alike")) << same.repeatPercent;
    EXPECT_EQ(same.repeatA + REPEAT_SPAN, same.repeatB);
    const LevelScan varied = scanLevel(grid(plain(once)));
    EXPECT_FALSE(complains(varied, "alike")) << varied.repeatPercent;
    EXPECT_LT(varied.repeatPercent, REPEAT_LIMIT);
}

// Checkpoints at one beat, at a changing beat, and one in the view's last stretch.
TEST(LevelScan, CheckpointsKeepARhythmAndStayOutOfTheLastStretch) {
    auto level = [](std::vector<int> columns, int width) {
        std::string things = row((size_t)width, ' ');
        for (int c : columns) things[(size_t)c] = 'k';
        return scanLevel(grid(plain(things)));
    };
    EXPECT_TRUE(complains(level({50, 100, 150}, 206), "one beat"));
    EXPECT_FALSE(complains(level({30, 100, 140}, 206), "one beat"));
    EXPECT_TRUE(complains(level({30, 100, 190}, 206), "last"));
    EXPECT_FALSE(complains(level({30, 100, 180}, 206), "last"));
}

// The first meeting with a danger: near a restart point; the first plate beside a sprung
// one; the first crumbling floor over ground, not over a pit.
TEST(LevelScan, FirstMeetingsAreJudged) {
    auto judge = [](const std::vector<std::string>& rows, const char* kind) {
        std::vector<LevelGrid> levels = {LevelGrid{}, grid(rows)};
        for (const FirstMeeting& m : firstMeetings(levels))
            if (std::string(m.kind) == kind) return m;
        return FirstMeeting{};
    };
    EXPECT_EQ(judge({"   v", "####"}, "bat").problem, "");
    EXPECT_NE(judge({row(50, ' ') + "v", row(51, '#')}, "bat").problem, "");
    EXPECT_EQ(judge({row(40, ' ') + "k" + row(8, ' ') + "v", row(50, '#')}, "bat").problem, "");
    EXPECT_NE(judge({"     s   ", "#########"}, "spike trap").problem, "");
    EXPECT_EQ(judge({"     sx  ", "#########"}, "spike trap").problem, "");
    EXPECT_EQ(judge({"    ccc  ", "         ", "#########"}, "crumbling floor").problem, "");
    EXPECT_NE(judge({"    ccc  ", "         ", "####   ##"}, "crumbling floor").problem, "");
    EXPECT_EQ(judge({"   *  ", "######"}, "hoglet").level, -1);
}
