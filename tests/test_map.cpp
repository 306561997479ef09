// The level map: loading level files (good, short, odd), the position
// queries at and beyond the map's edges, the column scan and the scrolling.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "game/text.h"
#include "platform/zda.h"
#include "platform/zdawrite.h"
#include "testutil.h"
#include "world/anims.h"
#include "world/map.h"
#include "world/monsters.h"

namespace {

// Map characters: one per cell; '.' and unknown characters are empty.
int32_t codeOf(char c) {
    static const struct {
        char c;
        int32_t code;
    } legend[] = {{'#', 21}, {'*', 41},  {'k', 17}, {'o', 9},   {'h', 13},  {'v', 33}, {'p', 53},
                  {'g', 67}, {'G', 121}, {'s', 87}, {'x', 105}, {'X', 140}, {'1', 27}, {'2', 28},
                  {'3', 47}, {'4', 48},  {'w', 85}, {'B', 40},  {'c', 22}};
    for (const auto& l : legend)
        if (l.c == c) return l.code;
    return 0;
}

// A level file laid out from rows of characters, bottom rows last; missing
// rows at the top are empty. All rows must be as wide as the first.
std::vector<uint8_t> levelFile(const std::vector<std::string>& rows) {
    const size_t width = rows.empty() ? 1 : rows[0].size();
    std::vector<uint8_t> out = {(uint8_t)((width - 1) & 0xFF), (uint8_t)((width - 1) >> 8)};
    const size_t top = MAP_ROWS - rows.size();
    for (size_t m = 0; m < width; m++)
        for (size_t r = 0; r < MAP_ROWS; r++) out.push_back(r < top ? 0 : (uint8_t)codeOf(rows[r - top][m]));
    return out;
}

// A row of n characters c.
std::string row(size_t n, char c) {
    return std::string(n, c);
}

class Map : public ::testing::Test {
protected:
    ScratchDir dir;
    void SetUp() override {
        mkdir("mapsen", 0755);
        killMonsters();
        resetAnims();
        setStart(16, 100);
    }
    void TearDown() override {
        killMonsters();
        freeLevel();
        setStart(16, 100);
        step = 0;
    }
    // Writes the test level and loads it the way "-t" does.
    void load(const std::vector<uint8_t>& bytes) {
        writeFile("mapsen/test.bin", bytes);
        loadLevel(nullptr);
    }
    int activeMonsters() {
        int n = 0;
        for (const Monster& m : monst) n += m.active;
        return n;
    }
    int32_t cell(int m, int r) { return mapData[m * MAP_ROWS + r]; }
};

using MapDeathTest = Map;

} // namespace

TEST_F(Map, LoadsCellsColumnByColumn) {
    std::vector<uint8_t> f = levelFile({row(30, '.'), row(30, '#')});
    f[2 + 5 * 12 + 3] = 77; // column 5, row 3
    f.push_back(9);         // bytes after the cells are not read
    load(f);
    EXPECT_EQ(mapLength, 30);
    EXPECT_EQ(cell(5, 3), 77);
    EXPECT_EQ(getBlockAtPos(5 * 16 + 15, 3 * 16), 77);
    EXPECT_EQ(getBlockAtPos(29 * 16, 11 * 16 + 15), 21);
    EXPECT_EQ(stars, 0);
    EXPECT_EQ(door, NO_DOOR);
}

TEST_F(Map, AOneColumnMapReadsTwelveCellsAndHoldsTheViewAtZero) {
    std::vector<uint8_t> f = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 21};
    load(f);
    EXPECT_EQ(mapLength, 1);
    EXPECT_EQ(getBlockAtPos(0, 191), 21);
    EXPECT_EQ(step, 0);
    moveForward(50);
    EXPECT_EQ(step, 0);
    EXPECT_EQ(isSolidPos(16, 0), 1); // right of the only column
}

TEST_F(Map, AMapNoWiderThanTheViewNeverScrolls) {
    load(levelFile({row(20, '*'), row(20, '#')}));
    EXPECT_EQ(step, 0);
    moveForward(400);
    EXPECT_EQ(step, 0);
    // one column more and the view can move on to 21 x 16 - 321 = 15
    load(levelFile({row(21, '.'), row(21, '#')}));
    EXPECT_EQ(step, 0);
    moveForward(5);
    EXPECT_EQ(step, 5);
    moveForward(100);
    EXPECT_EQ(step, 15);
}

// Loads a level in a child process with its standard output on standard error, where the death test reads it.
void loadAndDie(const char* name) {
    dup2(2, 1);
    loadLevel(name);
}

TEST_F(MapDeathTest, AShortOrMissingFileEndsTheGame) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::vector<uint8_t> big = levelFile({row(10, '#')});
    big[0] = 43; // 300 columns promised, 10 present
    big[1] = 1;
    const std::vector<std::vector<uint8_t>> files = {
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, // one column promised, eleven cells present
        big,
        {5}, // not even the column count
    };
    for (const auto& f : files) {
        writeFile("mapsen/test.bin", f);
        EXPECT_EXIT(loadAndDie(nullptr), ::testing::ExitedWithCode(1), "Can't load file: unknown")
            << f.size();
    }
    unlink("mapsen/test.bin");
    EXPECT_EXIT(loadAndDie(nullptr), ::testing::ExitedWithCode(1), "Can't load file: unknown");
    EXPECT_EXIT(loadAndDie("nosuchplan"), ::testing::ExitedWithCode(1), "Can't load file: nosuchplan");
}

TEST_F(Map, TheDoorClosesWhileItemsRemainAndTheLastOneWins) {
    load(levelFile(
        {row(30, '.'), "..12......12..................", "..34......34..*...............", row(30, '#')}));
    EXPECT_EQ(stars, 1);
    EXPECT_EQ(door, 10 * 12 + 9); // the second door, column 10, row 9
    EXPECT_EQ(cell(10, 9), 38);
    EXPECT_EQ(cell(11, 9), 39);
    EXPECT_EQ(cell(10, 10), 58);
    EXPECT_EQ(cell(11, 10), 59);
    EXPECT_EQ(cell(2, 9), 27); // the first one stays as it was
    // no items: the door stays open
    load(levelFile(
        {row(30, '.'), "..12..........................", "..34..........................", row(30, '#')}));
    EXPECT_EQ(stars, 0);
    EXPECT_EQ(cell(2, 9), 27);
    EXPECT_EQ(cell(3, 10), 48);
}

TEST_F(Map, ADoorAtTheEdgeOrNoDoorWritesOnlyInsideTheMap) {
    // items and no door at all
    load(levelFile({row(30, '*'), row(30, '#')}));
    EXPECT_EQ(stars, 30);
    EXPECT_EQ(door, NO_DOOR);
    setDoor(1);
    for (int m = 0; m < 30; m++) EXPECT_EQ(cell(m, 10), 41);

    // the door's top-left cell in the last column
    std::vector<uint8_t> f = levelFile({row(30, '*'), row(30, '#')});
    f[2 + 29 * 12 + 3] = 27;
    load(f);
    EXPECT_EQ(door, 29 * 12 + 3);
    EXPECT_EQ(cell(29, 3), 38);
    EXPECT_EQ(cell(29, 4), 58);
    setDoor(1);
    EXPECT_EQ(cell(29, 3), 27);
    EXPECT_EQ(cell(29, 4), 47);

    // the door's top-left cell in the bottom row: the next column's top stays
    f = levelFile({row(30, '*'), row(30, '#')});
    f[2 + 4 * 12 + 11] = 27;
    f[2 + 5 * 12 + 0] = 99;
    load(f);
    EXPECT_EQ(cell(4, 11), 38);
    EXPECT_EQ(cell(5, 11), 39);
    EXPECT_EQ(cell(5, 0), 99);
    setDoor(1);
    EXPECT_EQ(cell(5, 0), 99);
    EXPECT_EQ(cell(4, 11), 27);
}

TEST_F(Map, ItemsCountFromTheFirstColumnTheViewShows) {
    std::vector<std::string> rows = {row(150, '.'), row(150, '#')};
    rows[0][98] = '*';
    rows[0][99] = '*';
    rows[0][120] = '*';
    rows[0][100] = 'k';
    load(levelFile(rows));
    EXPECT_EQ(stars, 3); // a start at 16 counts every item
    EXPECT_EQ(step, 0);
    EXPECT_EQ(cell(100, 10), 17);

    // a restart at the checkpoint in column 100: column 98 lies left of the view
    setStart(1600, 160);
    load(levelFile(rows));
    EXPECT_EQ(stars, 2);
    EXPECT_EQ(step, 1584);
    EXPECT_EQ(cell(100, 10), 19); // lit at once

    // near the map's end the view stops short of x0
    setStart(2320, 160);
    load(levelFile(rows));
    EXPECT_EQ(step, 150 * 16 - 321);
    EXPECT_EQ(stars, 0);
}

TEST_F(Map, QueriesAtAndBeyondTheEdges) {
    std::vector<std::string> rows(MAP_ROWS, row(25, '.'));
    rows[0] = "#x.......................";
    rows[11] = "#X......................#";
    load(levelFile(rows));
    // solid: walls left and right of the map, the sky repeats row 0, open below
    for (int y : {-1000, -1, 0, 100, 191, 192, 5000}) {
        EXPECT_EQ(isSolidPos(-1, y), 1) << y;
        EXPECT_EQ(isSolidPos(25 * 16, y), 1) << y;
    }
    EXPECT_EQ(isSolidPos(5, -40), isSolidPos(5, 0));
    EXPECT_EQ(isSolidPos(5, -40), 1);
    EXPECT_EQ(isSolidPos(20, -40), 0);
    EXPECT_EQ(isSolidPos(5, 191), 1);
    EXPECT_EQ(isSolidPos(5, 192), 0);
    EXPECT_EQ(isSolidPos(24 * 16 + 15, 180), 1);
    EXPECT_EQ(isSolidPos(24 * 16 - 1, 180), 0);
    // lethal: inside the map only
    EXPECT_EQ(isLeathalPos(16, 0), 1);
    EXPECT_EQ(isLeathalPos(31, 15), 1);
    EXPECT_EQ(isLeathalPos(16, -1), 0);
    EXPECT_EQ(isLeathalPos(16, 191), 1);
    EXPECT_EQ(isLeathalPos(16, 192), 0);
    EXPECT_EQ(isLeathalPos(32, 191), 0);
    // cells: 0 outside
    EXPECT_EQ(getBlockAtPos(0, 0), 21);
    EXPECT_EQ(getBlockAtPos(-1, 0), 0);
    EXPECT_EQ(getBlockAtPos(0, -1), 0);
    EXPECT_EQ(getBlockAtPos(0, 192), 0);
    EXPECT_EQ(getBlockAtPos(25 * 16, 0), 0);
}

TEST_F(Map, TheBlockSets) {
    load(levelFile({row(256, '.')}));
    const std::vector<int> solid = {20,  21,  22,  23,  40,  43,  44,  63,  64,  69,  89,  128, 129, 130,
                                    131, 132, 133, 134, 135, 136, 180, 181, 182, 183, 200, 201, 202, 203};
    const std::vector<int> water = {85, 145, 146, 160, 161, 162, 163, 164, 165, 166};
    for (int c = 0; c < 256; c++) setBlock(c, 0, c);
    for (int c = 0; c < 256; c++) {
        const bool s = std::find(solid.begin(), solid.end(), c) != solid.end();
        const bool w = std::find(water.begin(), water.end(), c) != water.end();
        EXPECT_EQ(isSolidPos(c * 16 + 8, 8), s ? 1 : 0) << c;
        EXPECT_EQ(isLeathalPos(c * 16 + 8, 8), (c == 105 || c == 140) ? 1 : 0) << c;
        EXPECT_EQ(isWaterBlock(c), w ? 1 : 0) << c;
    }
    EXPECT_EQ(isWaterBlock(-1), 0);
    EXPECT_EQ(isWaterBlock(256 + 85), 0);
}

TEST_F(Map, SetBlockIgnoresCellsOutsideTheMap) {
    load(levelFile({row(21, '.')}));
    std::vector<int32_t> before(mapData, mapData + 21 * MAP_ROWS);
    setBlock(-1, 0, 5);
    setBlock(21, 0, 5);
    setBlock(0, -1, 5);
    setBlock(0, 12, 5);
    EXPECT_EQ(std::vector<int32_t>(mapData, mapData + 21 * MAP_ROWS), before);
    setBlock(20, 11, 5);
    EXPECT_EQ(cell(20, 11), 5);
    freeLevel();
    setBlock(0, 0, 5); // no map: nothing to write into
    EXPECT_EQ(getBlockAtPos(0, 0), 0);
    EXPECT_EQ(isSolidPos(0, 0), 1);
}

TEST_F(Map, TheColumnScanStartsMonstersAndArmsTraps) {
    std::vector<std::string> rows(MAP_ROWS, row(60, '.'));
    rows[1][40] = 'o';
    rows[2][40] = 'h';
    rows[3][40] = 'v';
    rows[4][40] = 'p';
    rows[5][40] = 'g';
    rows[6][40] = 'G';
    rows[7][40] = 's';
    rows[8][40] = 's';
    load(levelFile(rows));
    EXPECT_EQ(activeMonsters(), 0); // column 40 lies beyond the first view
    tileScan(40 * 16 + 5);          // any x in the column; the monsters start at that x
    const int kinds[] = {1, 2, 3, 5, 6, 6};
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(monst[i].active, 1);
        EXPECT_EQ(monst[i].kind, kinds[i]);
        EXPECT_EQ(monst[i].x, 40 * 16 + 5);
        EXPECT_EQ(monst[i].y, 16 * (i + 1));
    }
    EXPECT_EQ(activeMonsters(), 6);
    EXPECT_EQ(cell(40, 1), 0);
    EXPECT_EQ(cell(40, 4), 85); // a piranha leaves its water
    EXPECT_EQ(cell(40, 7), 86);
    EXPECT_EQ(cell(40, 8), 86);
    tileScan(40 * 16); // a second scan finds nothing
    EXPECT_EQ(activeMonsters(), 6);
    tileScan(-1);
    tileScan(60 * 16);
    EXPECT_EQ(activeMonsters(), 6);
}

TEST_F(Map, WithEveryMonsterSlotTakenASpawnCodeIsStillCleared) {
    std::vector<std::string> rows(MAP_ROWS, row(60, '.'));
    rows[3][50] = 'o';
    load(levelFile(rows));
    for (int i = 0; i < MAX_MONST; i++) EXPECT_EQ(startMonster(0, 0, 2), 1);
    tileScan(50 * 16);
    EXPECT_EQ(cell(50, 3), 0);
    for (const Monster& m : monst) EXPECT_EQ(m.kind, 2);
}

TEST_F(Map, MonstersComeAliveAsTheirColumnNearsTheView) {
    std::vector<std::string> rows(MAP_ROWS, row(80, '.'));
    rows[11] = row(80, '#');
    rows[10][20] = 'o'; // within the first view: started by the load
    rows[10][21] = 'h'; // x0 + 336: scanned at the end of the load
    rows[10][40] = 'v'; // comes alive when step + 336 = 640
    load(levelFile(rows));
    EXPECT_EQ(step, 0);
    EXPECT_EQ(activeMonsters(), 2);
    EXPECT_EQ(monst[0].kind, 1);
    EXPECT_EQ(monst[1].kind, 2);
    EXPECT_EQ(monst[1].x, 336);
    moveForward(303);
    EXPECT_EQ(step, 303);
    EXPECT_EQ(activeMonsters(), 2);
    moveForward(1);
    EXPECT_EQ(step, 304);
    EXPECT_EQ(activeMonsters(), 3);
    EXPECT_EQ(monst[2].x, 640);
    EXPECT_EQ(monst[2].y, 160);
}

TEST_F(Map, TheViewStopsAtTheMapsEnd) {
    load(levelFile({row(40, '.'), row(40, '#')}));
    moveForward(10000);
    EXPECT_EQ(step, 40 * 16 - 321);
    moveForward(1);
    EXPECT_EQ(step, 40 * 16 - 321);
}

TEST_F(Map, ANamedLevelComesFromTheMapsArchiveOfTheLanguage) {
    // a German maps archive of our own with one level in it
    mkdir("data", 0755);
    const std::vector<uint8_t> plan = levelFile({row(33, '*'), row(33, '#')});
    const ZdaItem item = {"planx.bin", plan.data(), (int32_t)plan.size()};
    ASSERT_EQ(writeZDA("data/mapsde.zda", &item, 1), 1);
    writeFile("mapsen/test.bin", levelFile({row(30, '.')}));
    closeZDA(ARC_MAPSDE);
    ASSERT_EQ(loadZDAHeader(ARC_MAPSDE), 1);
    lang_id = 1;
    loadLevel("planx");
    lang_id = 0;
    closeZDA(ARC_MAPSDE);
    EXPECT_EQ(mapLength, 33);
    EXPECT_EQ(stars, 33);
}
