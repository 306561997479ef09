// Tests of the level builder: the text sources, the finished level files and
// the reach check that keeps every level finishable.
#include "build.h"
#include "maps.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::string assets = BLOMP_SOURCE_DIR "/assets";

// The code of cell (column, row). Used by every test below.
int cell(const MapGrid& g, int column, int row) {
    return g.cells[static_cast<size_t>(column) * LEVEL_ROWS + row];
}

// True for the codes the figure stands on.
bool isSolid(int code) {
    static const int solid[] = {20,  21,  22,  23,  40,  43,  44,  63,  64,  69,  89,  128, 129, 130,
                                131, 132, 133, 134, 135, 136, 180, 181, 182, 183, 200, 201, 202, 203};
    for (int s : solid)
        if (s == code) return true;
    return false;
}

// Loads a level source, failing the test on any parse problem.
MapGrid load(const std::string& name) {
    MapGrid g;
    std::vector<std::string> errors;
    EXPECT_TRUE(loadMapSource(assets, name, g, errors)) << name;
    for (const std::string& e : errors) ADD_FAILURE() << e;
    return g;
}

// Parses a level text written in the tests with the real legend.
MapGrid parse(const std::string& text, std::vector<std::string>* errorsOut = nullptr) {
    MapLegend legend;
    clearMapLegend(legend);
    std::vector<std::string> errors;
    std::string legendText =
        ". 0\n# 21\n% 23\n= 43\n* 41\n[ 27\n] 28\n( 47\n) 48\nc 17\nx 105\n^ 87\nw 160/161\n~ 85\n";
    EXPECT_TRUE(parseMapLegend(legendText, "legend", legend, errors));
    MapGrid g;
    parseMapText(text, "test", legend, g, errors);
    if (errorsOut)
        *errorsOut = errors;
    else
        for (const std::string& e : errors) ADD_FAILURE() << e;
    return g;
}

// Builds a test level of twelve rows: the given rows are the bottom ones, air above.
std::string level(const std::vector<std::string>& bottomRows) {
    std::string text = "map\n";
    for (size_t r = bottomRows.size(); r < LEVEL_ROWS; r++) text += ".\n";
    for (const std::string& row : bottomRows) text += row + "\n";
    return text;
}

// Every played level and the test map, by source name.
std::vector<std::string> allSources() {
    std::vector<std::string> names(mapLevelNames, mapLevelNames + LEVEL_COUNT);
    names.push_back("test");
    return names;
}

// Checks the rules every level file must keep for the game to run it.
void expectSoundLevel(const std::string& name, const MapGrid& g, bool played) {
    SCOPED_TRACE(name);
    ASSERT_GT(g.columns, 20);
    ASSERT_EQ(g.cells.size(), static_cast<size_t>(g.columns) * LEVEL_ROWS);
    for (uint8_t c : g.cells) EXPECT_LE(c, 239);

    // exactly one door, whole, neither in the last column nor in the bottom row
    int doors = 0, items = 0;
    for (int m = 0; m < g.columns; m++) {
        for (int r = 0; r < LEVEL_ROWS; r++) {
            int code = cell(g, m, r);
            if (code == 41) {
                items++;
                EXPECT_GE(m, 1) << "item left of the start, row " << r;
            }
            if (code == 28 || code == 47 || code == 48 || code == 38 || code == 39 || code == 58 ||
                code == 59) {
                EXPECT_TRUE((code == 28 && m > 0 && cell(g, m - 1, r) == 27) ||
                            (code == 47 && r > 0 && cell(g, m, r - 1) == 27) ||
                            (code == 48 && m > 0 && r > 0 && cell(g, m - 1, r - 1) == 27))
                    << "stray door part " << code << " at column " << m << " row " << r;
            }
            if (code != 27) continue;
            doors++;
            ASSERT_LT(m, g.columns - 1) << "door in the last column";
            ASSERT_LT(r, LEVEL_ROWS - 1) << "door in the bottom row";
            EXPECT_EQ(cell(g, m + 1, r), 28);
            EXPECT_EQ(cell(g, m, r + 1), 47);
            EXPECT_EQ(cell(g, m + 1, r + 1), 48);
        }
    }
    EXPECT_EQ(doors, 1);
    if (played) {
        EXPECT_GE(items, 1);
    }

    // the figure is dropped at column 1 from y 100 and must land
    bool ground = false;
    for (int r = 7; r < LEVEL_ROWS; r++) ground = ground || isSolid(cell(g, 1, r));
    EXPECT_TRUE(ground) << "no ground under the start";

    // a checkpoint is a place to stand
    for (int m = 0; m < g.columns; m++)
        for (int r = 0; r < LEVEL_ROWS; r++)
            if (cell(g, m, r) == 17) {
                ASSERT_LT(r, LEVEL_ROWS - 1);
                EXPECT_TRUE(isSolid(cell(g, m, r + 1))) << "checkpoint in the air, column " << m;
            }
}

} // namespace

// The seventeen sources and the test map parse and keep the level file rules.
TEST(MapDataSources, EveryLevelIsWellFormed) {
    for (const std::string& name : allSources()) expectSoundLevel(name, load(name), name != "plan0");
}

// A player can collect everything and leave, from the start and from every
// checkpoint, with time to spare.
TEST(MapDataSources, EveryLevelCanBeFinished) {
    for (const std::string& name : allSources()) {
        if (name == "plan0") continue; // the title level is never played
        MapGrid g = load(name);
        int frames;
        for (const std::string& p : checkMapReach(g, &frames)) ADD_FAILURE() << name << ": " << p;
        EXPECT_GT(frames, 0) << name;
        EXPECT_LT(frames, 5000) << name;
    }
}

// The title level is long enough to scroll behind the menus and has something alive in it.
TEST(MapDataSources, TitleLevelIsLively) {
    MapGrid g = load("plan0");
    EXPECT_GE(g.columns, 150);
    int monsters = 0, water = 0;
    for (uint8_t c : g.cells) {
        monsters += c == 9 || c == 13 || c == 33 || c == 53 || c == 67 || c == 121;
        water += c == 160 || c == 161;
    }
    EXPECT_GE(monsters, 5);
    EXPECT_GT(water, 0);
}

// The test map holds one of everything a tester needs to try.
TEST(MapDataSources, TestMapHoldsEveryRule) {
    MapGrid g = load("test");
    const int needed[] = {9, 13, 33, 53, 40, 20, 22, 87, 88, 17, 26, 41, 160};
    for (int code : needed) {
        bool found = false;
        for (uint8_t c : g.cells) found = found || c == code;
        EXPECT_TRUE(found) << "code " << code;
    }
    bool hatGuy = false;
    for (uint8_t c : g.cells) hatGuy = hatGuy || c == 67 || c == 121;
    EXPECT_TRUE(hatGuy);
}

// The archives get all seventeen levels for every language, in the file layout
// the game reads, and the same bytes on every run.
TEST(MapDataBuild, EntriesForEveryLanguage) {
    Entries first;
    buildMaps(assets, 0, first);
    ASSERT_EQ(first.size(), static_cast<size_t>(LEVEL_COUNT));
    for (int i = 0; i < LEVEL_COUNT; i++) {
        EXPECT_EQ(first[i].name, std::string(mapLevelNames[i]) + ".bin");
        MapGrid decoded;
        ASSERT_TRUE(decodeMap(first[i].bytes, decoded)) << first[i].name;
        EXPECT_EQ(first[i].bytes.size(), 2 + static_cast<size_t>(decoded.columns) * LEVEL_ROWS);
        MapGrid source = load(mapLevelNames[i]);
        EXPECT_EQ(decoded.columns, source.columns);
        EXPECT_TRUE(decoded.cells == source.cells) << first[i].name;
    }
    for (int lang = 1; lang < 4; lang++) {
        Entries again;
        buildMaps(assets, lang, again);
        ASSERT_EQ(again.size(), first.size());
        for (size_t i = 0; i < again.size(); i++) EXPECT_TRUE(again[i].bytes == first[i].bytes) << lang;
    }
    EXPECT_TRUE(buildTestMap(assets) == buildTestMap(assets));
    MapGrid test;
    ASSERT_TRUE(decodeMap(buildTestMap(assets), test));
    EXPECT_TRUE(test.cells == load("test").cells);
}

// The column count is stored minus one, low byte first; a file too short for it is refused.
TEST(MapDataBuild, FileLayout) {
    MapGrid g;
    g.columns = 300;
    g.cells.assign(300 * LEVEL_ROWS, 0);
    g.cells[LEVEL_ROWS + 11] = 21;  // column 1, bottom row
    g.cells[299 * LEVEL_ROWS] = 41; // last column, top row
    std::vector<uint8_t> bytes = encodeMap(g);
    ASSERT_EQ(bytes.size(), 2u + 300 * LEVEL_ROWS);
    EXPECT_EQ(bytes[0], 299 & 0xff);
    EXPECT_EQ(bytes[1], 299 >> 8);
    EXPECT_EQ(bytes[2 + LEVEL_ROWS + 11], 21);
    EXPECT_EQ(bytes[2 + 299 * LEVEL_ROWS], 41);

    MapGrid back;
    ASSERT_TRUE(decodeMap(bytes, back));
    EXPECT_EQ(back.columns, 300);
    EXPECT_TRUE(back.cells == g.cells);
    bytes.pop_back();
    EXPECT_FALSE(decodeMap(bytes, back));
    EXPECT_FALSE(decodeMap({0}, back));
    EXPECT_TRUE(decodeMap({0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, back)); // one column
    EXPECT_EQ(back.columns, 1);
}

// Rows become columns top to bottom, short rows end in air, segments join side
// by side, and the water surface alternates its two tiles by column.
TEST(MapDataParse, GridsAndSegments) {
    MapGrid g = parse("; a comment\nmap\n.\n.\n.\n.\n.\n.\n.\n.\n.\n*\n#ww\n%%%\n"
                      "\nmap\n.\n.\n.\n.\n.\n.\n.\n.\n.\n.\nw~\n##\n");
    ASSERT_EQ(g.columns, 5);
    EXPECT_EQ(cell(g, 0, 9), 41);
    EXPECT_EQ(cell(g, 0, 10), 21);
    EXPECT_EQ(cell(g, 1, 10), 161);
    EXPECT_EQ(cell(g, 2, 10), 160);
    EXPECT_EQ(cell(g, 1, 9), 0); // row 9 stopped after one character
    EXPECT_EQ(cell(g, 3, 10), 161);
    EXPECT_EQ(cell(g, 4, 10), 85);
    EXPECT_EQ(cell(g, 4, 11), 21);
    EXPECT_EQ(cell(g, 2, 11), 23);
}

// A level may redefine a character for itself; the shared legend stays as it was.
TEST(MapDataParse, TileLinesRedefineForOneLevel) {
    MapLegend legend;
    clearMapLegend(legend);
    std::vector<std::string> errors;
    ASSERT_TRUE(parseMapLegend(". 0 air\n# 21 ground\n; note\n\n* 41 item\n", "legend", legend, errors));
    MapGrid g;
    std::string rows = "map\n.\n.\n.\n.\n.\n.\n.\n.\n.\n.\n*\n#\n";
    ASSERT_TRUE(parseMapText("tile # 130 stone\n" + rows, "a", legend, g, errors));
    EXPECT_EQ(cell(g, 0, 11), 130);
    ASSERT_TRUE(parseMapText(rows, "b", legend, g, errors));
    EXPECT_EQ(cell(g, 0, 11), 21);
    EXPECT_TRUE(errors.empty());
}

// Mistakes in the sources are reported with where they are, not built silently.
TEST(MapDataParse, BadSourcesAreReported) {
    MapLegend legend;
    clearMapLegend(legend);
    std::vector<std::string> errors;
    EXPECT_FALSE(parseMapLegend("# 256\n", "legend", legend, errors));
    EXPECT_FALSE(parseMapLegend("* x1\n", "legend", legend, errors));
    EXPECT_FALSE(parseMapLegend("w 160/\n", "legend", legend, errors));
    EXPECT_TRUE(parseMapLegend("; comments only\n\n", "legend", legend, errors));
    EXPECT_EQ(errors.size(), 3u);
    EXPECT_NE(errors[0].find("legend:1"), std::string::npos);

    errors.clear();
    parse(level({"#Q#"}), &errors);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("'Q' at column 1, row 11"), std::string::npos);

    errors.clear();
    parse("map\n#\n#\n", &errors); // too few rows
    EXPECT_FALSE(errors.empty());
    errors.clear();
    parse("; nothing but a comment\n", &errors);
    EXPECT_FALSE(errors.empty());
    errors.clear();
    parse("mpa\n" + level({"#"}), &errors);
    EXPECT_FALSE(errors.empty());

    MapGrid g;
    errors.clear();
    EXPECT_FALSE(loadMapSource(assets, "no-such-level", g, errors));
    EXPECT_FALSE(errors.empty());
}

// A "theme" line adds the characters of its theme file; a theme that is not
// there is reported rather than leaving the level's scenery unknown.
TEST(MapDataParse, ThemesAddCharacters) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "blomp_mapdata_themes";
    std::filesystem::create_directories(dir / "levels");
    auto writeFile = [&](const char* name, const std::string& text) {
        FILE* f = fopen((dir / "levels" / name).string().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
    };
    std::string rows = "map\n.\n.\n.\n.\n.\n.\n.\n.\n.\n.\nk\n#\n";
    writeFile("legend.txt", ". 0\n# 21\n");
    writeFile("theme_snow.txt", "# 130 snow\nk 116 crystal\n");
    writeFile("good.txt", "theme snow\n" + rows);
    writeFile("bad.txt", "theme sand\n" + rows);

    MapGrid g;
    std::vector<std::string> errors;
    EXPECT_TRUE(loadMapSource(dir.string(), "good", g, errors));
    EXPECT_TRUE(errors.empty());
    ASSERT_EQ(g.columns, 1);
    EXPECT_EQ(cell(g, 0, 10), 116);
    EXPECT_EQ(cell(g, 0, 11), 130);

    EXPECT_FALSE(loadMapSource(dir.string(), "bad", g, errors));
    ASSERT_GE(errors.size(), 2u); // the theme, and then its character
    EXPECT_NE(errors[0].find("theme_sand.txt"), std::string::npos);
    std::filesystem::remove_all(dir);
}

// The reach model knows how far the figure jumps: four tiles of gap are fine,
// seven are not; three tiles up are fine, four are not.
TEST(MapDataReach, JumpWidthAndHeight) {
    EXPECT_TRUE(checkMapReach(
                    parse(level({"...*.......[]..", "...........().", "#######....####", "#######....####"})))
                    .empty());
    std::vector<std::string> far =
        checkMapReach(parse(level({"...*..........[]..", "..............().", "#######.......####"})));
    ASSERT_FALSE(far.empty());
    EXPECT_NE(far[0].find("door"), std::string::npos);

    EXPECT_TRUE(
        checkMapReach(parse(level({"......*[].", "......#().", "......####", "......####", "##########"})))
            .empty());
    std::vector<std::string> high = checkMapReach(
        parse(level({"......*[].", "......#().", "......####", "......####", "......####", "##########"})));
    ASSERT_FALSE(high.empty());
    EXPECT_NE(high[0].find("item at column 6 row 6"), std::string::npos);
}

// Spikes and spike traps kill, and a fall into a pit is no way on.
TEST(MapDataReach, DeathIsNoWay) {
    // a pit of spikes too wide to jump, then a spike trap on the only floor
    EXPECT_FALSE(
        checkMapReach(parse(level({"..............*.[].", "................().", "######xxxxxxx######"})))
            .empty());
    EXPECT_FALSE(checkMapReach(parse(level({"................*.[].", "....^^^^^^^^^^^^..().",
                                            "#####################"})))
                     .empty());
    // the same floor without traps is a plain walk
    EXPECT_TRUE(checkMapReach(
                    parse(level({"................*.[].", "..................().", "#####################"})))
                    .empty());
}

// The view only goes forward: an item that can only be fetched by coming back
// from far right is lost, and so is one left behind a checkpoint.
TEST(MapDataReach, NothingFarBehind) {
    // the high shelf on the left is reachable only by the stairs at the far right
    std::string shelf = "...*==================================.......";
    std::string gap = "...=...................................=......";
    std::string st1 = "..............................[].......==.....";
    std::string st2 = "..............................()........==....";
    std::string ground = "##############################################";
    std::vector<std::string> p = checkMapReach(parse(level({shelf, gap, "", st1, st2, ground})));
    ASSERT_FALSE(p.empty());
    EXPECT_NE(p[0].find("column 3 row 6"), std::string::npos);

    // a checkpoint below a high ledge, with an item in the air that only a
    // jump from the ledge passes
    std::vector<std::string> behind =
        checkMapReach(parse(level({"........*...........", "#######.............", "#######.............",
                                   "#######......[].....", "#######..c...().....", "####################"})));
    ASSERT_EQ(behind.size(), 1u);
    EXPECT_NE(behind[0].find("checkpoint at column 9 row 10"), std::string::npos);
}

// The quickest run is measured in frames: a plain walk of 60 columns takes
// about 16 pixels per column at 2 pixels a frame.
TEST(MapDataReach, QuickestRunTime) {
    std::string top(60, '.'), mid(60, '.'), floor(60, '#');
    mid[30] = '*';
    top[56] = '[';
    top[57] = ']';
    mid[56] = '(';
    mid[57] = ')';
    int frames;
    EXPECT_TRUE(checkMapReach(parse(level({top, mid, floor})), &frames).empty());
    EXPECT_GE(frames, (57 * 16 - 16) / 2 - 2);
    EXPECT_LE(frames, (57 * 16 - 16) / 2 + 2);
    EXPECT_FALSE(
        checkMapReach(parse(level({"..*.........[].", "............().", "###.........###"})), &frames)
            .empty());
    EXPECT_EQ(frames, -1);
}
