// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The level maps of the four maps archives and the plain test map, built from
// the text grids in assets/levels (see assets/levels/README.md).
#include "build.h"
#include "maps.h"

#include <cstdio>

namespace {

constexpr int FALLBACK_COLUMNS = 24; // a level that cannot be read becomes a short walk to the door

// A plain floor with the open door near its end, so the game still runs when a
// source is missing or broken (the build has already said why). Called by readLevel.
void fallbackMap(MapGrid& grid) {
    grid.columns = FALLBACK_COLUMNS;
    grid.cells.assign(static_cast<size_t>(FALLBACK_COLUMNS) * LEVEL_ROWS, 0);
    for (int m = 0; m < FALLBACK_COLUMNS; m++) grid.cells[m * LEVEL_ROWS + 11] = 21;
    int door = (FALLBACK_COLUMNS - 4) * LEVEL_ROWS + 9;
    grid.cells[door] = 27;
    grid.cells[door + LEVEL_ROWS] = 28;
    grid.cells[door + 1] = 47;
    grid.cells[door + LEVEL_ROWS + 1] = 48;
}

// Reads one level source, reporting its problems on stderr. Whether a player
// can finish the level is the tests' job (checkMapReach), which keeps this
// build quick. Called by buildMaps and buildTestMap.
MapGrid readLevel(const std::string& assetsDir, const std::string& name) {
    MapGrid grid;
    std::vector<std::string> errors;
    bool ok = loadMapSource(assetsDir, name, grid, errors);
    for (const std::string& e : errors) fprintf(stderr, "databuild: level %s\n", e.c_str());
    if (!ok && grid.columns == 0) {
        fprintf(stderr, "databuild: level %s replaced by a plain floor\n", name.c_str());
        fallbackMap(grid);
    }
    return grid;
}

} // namespace

// Appends "<name>.bin" for all seventeen levels. Every language gets the same
// maps. Called by the data builder's main once per maps archive.
void buildMaps(const std::string& assetsDir, int lang, Entries& out) {
    (void)lang;
    for (int i = 0; i < LEVEL_COUNT; i++) {
        MapGrid grid = readLevel(assetsDir, mapLevelNames[i]);
        out.push_back({std::string(mapLevelNames[i]) + ".bin", encodeMap(grid)});
    }
}

// The bytes of mapsen/test.bin, the one-of-everything level of the test mode.
// Called by the data builder's main.
std::vector<uint8_t> buildTestMap(const std::string& assetsDir) {
    return encodeMap(readLevel(assetsDir, "test"));
}
