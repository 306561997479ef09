// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Level sources: the legend, the text grids of assets/levels and the finished
// ".bin" layout (2 bytes column count - 1, little-endian, then 12 bytes per
// column, top row first). maps.cpp builds the entries, maps_parse.cpp reads the
// text, maps_reach.cpp checks that a level can be finished going right.
#pragma once

#include "build.h"
#include "7game/run.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr int LEVEL_ROWS = 12;               // every level is twelve cells high
constexpr int LEVEL_MAX_COLUMNS = 65536;     // the column count must fit the 16-bit header
constexpr int LEVEL_COUNT = NUM_LEVEL_NAMES; // the title's demonstration level and levels 1..16

// Level names in game order: index 0 scrolls behind the title, 1..16 are played.
// The level names are the game's own, in game order: index 0 scrolls behind the title.
const char* const* const mapLevelNames = levelNames;

// What a character of a level grid stands for: a block code for cells in even
// columns and one for odd columns (they differ only for the water surface,
// whose two tiles alternate), -1 when the character means nothing.
struct MapLegend {
    int even[256];
    int odd[256];
};

// One level as the game holds it: cells column by column, top row first.
struct MapGrid {
    int columns = 0;
    std::vector<uint8_t> cells; // columns * LEVEL_ROWS codes
};

// Sets every character of the legend to "means nothing". Called before reading a legend.
void clearMapLegend(MapLegend& legend);

// Reads legend lines ("C CODE" or "C EVEN/ODD", ';' comments) into legend.
// Problems go to errors as "where: what". Called by loadMapSource and the tests.
bool parseMapLegend(const std::string& text, const std::string& where, MapLegend& legend,
                    std::vector<std::string>& errors);

// Reads a level text (directives, then segments of twelve grid rows placed
// side by side) with the given base legend. Called by loadMapSource and the tests.
bool parseMapText(const std::string& text, const std::string& where, const MapLegend& base, MapGrid& grid,
                  std::vector<std::string>& errors);

// Reads assets/levels/legend.txt and assets/levels/<name>.txt into grid.
// Called by buildMaps, buildTestMap and the tests.
bool loadMapSource(const std::string& assetsDir, const std::string& name, MapGrid& grid,
                   std::vector<std::string>& errors);

// Writes a grid in the game's level layout. Called by buildMaps and buildTestMap.
std::vector<uint8_t> encodeMap(const MapGrid& grid);

// Reads the game's level layout back into a grid; false when the bytes are too
// short for the column count they announce. Called by the tests.
bool decodeMap(const std::vector<uint8_t>& bytes, MapGrid& grid);

// Checks that, starting at column 1 and never going back further than the view
// allows, every item and then the exit door can be reached; also from every
// checkpoint. Returns one line per problem, empty when the level is sound.
// With quickest, also gives the frames of the run found from the start, -1
// when there is none (monsters not counted). Called by the tests.
std::vector<std::string> checkMapReach(const MapGrid& grid, int* quickest = nullptr);
