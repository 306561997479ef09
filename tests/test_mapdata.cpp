// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The levels as tools see them: the builder's text sources, the finished level
// files and the reach check that keeps every level finishable, and the level
// check's reading of the cells (each rule must catch a level that breaks it).
#include "5world/map.h"
#include "build.h"
#include "levelscan.h"
#include "maps.h"
#include "worldmap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string assets = BLOMP_SOURCE_DIR "/assets";

// The code of cell (column, row).
int cell(const MapGrid& g, int column, int row) {
    return g.cells[static_cast<size_t>(column) * LEVEL_ROWS + row];
}

// Loads a level source, failing the test on any parse problem.
MapGrid load(const std::string& name) {
    MapGrid g;
    std::vector<std::string> errors;
    EXPECT_TRUE(loadMapSource(assets, name, g, errors)) << name;
    for (const std::string& e : errors) ADD_FAILURE() << e;
    return g;
}

// Parses a test level with the real legend: the given rows are the bottom ones, air above.
MapGrid level(const std::vector<std::string>& bottomRows) {
    MapLegend legend;
    clearMapLegend(legend);
    std::vector<std::string> errors;
    parseMapLegend(". 0\n# 21\n* 41\n[ 27\n] 28\n( 47\n) 48\nx 105\n", "legend", legend, errors);
    std::string text = "map\n";
    for (size_t r = bottomRows.size(); r < LEVEL_ROWS; r++) text += ".\n";
    for (const std::string& row : bottomRows) text += row + "\n";
    MapGrid g;
    parseMapText(text, "test", legend, g, errors);
    for (const std::string& e : errors) ADD_FAILURE() << e;
    return g;
}

// Checks the rules every level file must keep for the game to run it.
void expectSoundLevel(const std::string& name, const MapGrid& g) {
    SCOPED_TRACE(name);
    ASSERT_GT(g.columns, 20);
    ASSERT_EQ(g.cells.size(), static_cast<size_t>(g.columns) * LEVEL_ROWS);
    int doors = 0, items = 0;
    for (int m = 0; m < g.columns; m++) {
        for (int r = 0; r < LEVEL_ROWS; r++) {
            int code = cell(g, m, r);
            EXPECT_LE(code, 239);
            items += code == 41;
            EXPECT_TRUE(code != 41 || m >= 1) << "item left of the start, row " << r;
            if (code == 17) { // a checkpoint is a place to stand
                ASSERT_LT(r, LEVEL_ROWS - 1);
                EXPECT_TRUE(isSolidBlock(cell(g, m, r + 1))) << "checkpoint in the air, column " << m;
            }
            if (code != 27) continue;
            // exactly one door, whole, neither in the last column nor in the bottom row
            doors++;
            ASSERT_LT(m, g.columns - 1) << "door in the last column";
            ASSERT_LT(r, LEVEL_ROWS - 1) << "door in the bottom row";
            EXPECT_EQ(cell(g, m + 1, r), 28);
            EXPECT_EQ(cell(g, m, r + 1), 47);
            EXPECT_EQ(cell(g, m + 1, r + 1), 48);
        }
    }
    EXPECT_EQ(doors, 1);
    EXPECT_TRUE(name == "plan0" || items >= 1); // the title level is never played
    // the figure is dropped at column 1 from y 100 and must land
    bool ground = false;
    for (int r = 7; r < LEVEL_ROWS; r++) ground = ground || isSolidBlock(cell(g, 1, r));
    EXPECT_TRUE(ground) << "no ground under the start";
}

} // namespace

// Every played level and the test map parse, keep the level file rules, and can be finished
// from the start and from every checkpoint with time to spare.
TEST(MapDataSources, EveryLevelIsWellFormedAndCanBeFinished) {
    std::vector<std::string> names(mapLevelNames, mapLevelNames + LEVEL_COUNT);
    names.push_back("test");
    for (const std::string& name : names) {
        MapGrid g = load(name);
        expectSoundLevel(name, g);
        if (name == "plan0") continue;
        int frames;
        for (const std::string& p : checkMapReach(g, &frames)) ADD_FAILURE() << name << ": " << p;
        EXPECT_TRUE(frames > 0 && frames < 5000) << name << ": " << frames << " frames";
    }
}

// The reach check itself must refuse what a player could not do: gaps of seven tiles, steps
// four high and pits of spikes; a gap of four and a step of three are fine.
TEST(MapDataReach, RefusesWhatAPlayerCannotDo) {
    const struct {
        std::vector<std::string> rows;
        bool finishable;
    } cases[] = {
        {{"...*.......[]..", "...........().", "#######....####"}, true},
        {{"...*..........[]..", "..............().", "#######.......####"}, false},
        {{"......*[].", "......#().", "......####", "......####", "##########"}, true},
        {{"......*[].", "......#().", "......####", "......####", "......####", "##########"}, false},
        {{"..............*.[].", "................().", "######xxxxxxx######"}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(checkMapReach(level(c.rows)).empty(), c.finishable) << c.rows[0];
}

// The archives get all seventeen levels for every language, decoding to their sources.
TEST(MapDataBuild, EveryLanguageGetsTheSameLevels) {
    Entries first;
    buildMaps(assets, 0, first);
    ASSERT_EQ(first.size(), static_cast<size_t>(LEVEL_COUNT));
    for (int i = 0; i < LEVEL_COUNT; i++) {
        EXPECT_EQ(first[i].name, std::string(mapLevelNames[i]) + ".bin");
        MapGrid decoded;
        ASSERT_TRUE(decodeMap(first[i].bytes, decoded)) << first[i].name;
        EXPECT_TRUE(decoded.cells == load(mapLevelNames[i]).cells) << first[i].name;
    }
    for (int lang = 0; lang < 4; lang++) {
        Entries again;
        buildMaps(assets, lang, again);
        ASSERT_EQ(again.size(), first.size());
        for (size_t i = 0; i < again.size(); i++) EXPECT_TRUE(again[i].bytes == first[i].bytes) << lang;
    }
}

// The level check's reading of the cells: each rule it enforces on the levels
// must catch a level that breaks it, and let a sound one pass.
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
