// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Reading the level sources: the legend and the text grids of assets/levels.
#include "maps.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

// Splits text into lines without their line ends ("\n" or "\r\n"). Called by the parsers.
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// True when the line holds nothing but spaces and tabs. Called by the parsers.
bool isBlank(const std::string& line) {
    return line.find_first_not_of(" \t") == std::string::npos;
}

// True for a comment line: its first visible character is ';'. Called by the parsers.
bool isComment(const std::string& line) {
    size_t p = line.find_first_not_of(" \t");
    return p != std::string::npos && line[p] == ';';
}

// Reads a block code 0..255 from a decimal word; -1 when it is not one. Called by parseCodePair.
int parseCode(const std::string& word) {
    if (word.empty() || word.size() > 3) return -1;
    int v = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v <= 255 ? v : -1;
}

// Reads "CODE" or "EVEN/ODD" into the two column codes. Called by the legend and tile lines.
bool parseCodePair(const std::string& word, int& even, int& odd) {
    size_t slash = word.find('/');
    if (slash == std::string::npos) {
        even = odd = parseCode(word);
    } else {
        even = parseCode(word.substr(0, slash));
        odd = parseCode(word.substr(slash + 1));
    }
    return even >= 0 && odd >= 0;
}

// Formats "where:line: what" into errors. Called by the parsers.
void complain(std::vector<std::string>& errors, const std::string& where, int line, const std::string& what) {
    char buf[64];
    snprintf(buf, sizeof buf, ":%d: ", line);
    errors.push_back(where + buf + what);
}

// Reads one "C CODE" definition (the character first, then the code) into legend.
// Called by parseMapLegend and by the "tile" lines of a level.
bool parseDefinition(const std::string& line, size_t from, const std::string& where, int lineNo,
                     MapLegend& legend, std::vector<std::string>& errors) {
    if (from >= line.size() || line[from] == ' ' || line[from] == '\t') {
        complain(errors, where, lineNo, "a definition starts with the character it defines");
        return false;
    }
    unsigned char c = static_cast<unsigned char>(line[from]);
    if (c == ';') {
        complain(errors, where, lineNo, "';' starts comments and cannot stand for a block");
        return false;
    }
    // the code follows the character; anything after the code describes it
    std::istringstream rest(line.substr(from + 1));
    std::string word;
    rest >> word;
    int even, odd;
    if (!parseCodePair(word, even, odd)) {
        complain(errors, where, lineNo, "bad block code \"" + word + "\" (0..255, or EVEN/ODD)");
        return false;
    }
    legend.even[c] = even;
    legend.odd[c] = odd;
    return true;
}

} // namespace

// Sets every character of the legend to "means nothing". Called before reading a legend.
void clearMapLegend(MapLegend& legend) {
    for (int i = 0; i < 256; i++) legend.even[i] = legend.odd[i] = -1;
    // a space (or a row that stops early) is always empty air
    legend.even[(unsigned char)' '] = legend.odd[(unsigned char)' '] = 0;
}

// Reads legend lines ("C CODE description" or "C EVEN/ODD description", ';' comments)
// into legend. Called by loadMapSource and the tests.
bool parseMapLegend(const std::string& text, const std::string& where, MapLegend& legend,
                    std::vector<std::string>& errors) {
    bool ok = true;
    std::vector<std::string> lines = splitLines(text);
    for (size_t i = 0; i < lines.size(); i++) {
        const std::string& line = lines[i];
        if (isBlank(line) || isComment(line)) continue;
        if (!parseDefinition(line, 0, where, static_cast<int>(i + 1), legend, errors)) ok = false;
    }
    return ok;
}

// Reads a level text: "tile C CODE" lines redefine a character for this level,
// "map" starts a segment of twelve rows; segments are placed left to right.
// "theme NAME" lines are left to loadMapSource, which reads them first.
// Called by loadMapSource and the tests.
bool parseMapText(const std::string& text, const std::string& where, const MapLegend& base, MapGrid& grid,
                  std::vector<std::string>& errors) {
    MapLegend legend = base;
    std::vector<std::string> lines = splitLines(text);
    size_t errorsBefore = errors.size();
    std::vector<std::string> rows(LEVEL_ROWS);
    std::vector<int> segmentColumn, segmentLine; // where each segment starts, for messages
    int segments = 0;

    for (size_t i = 0; i < lines.size(); i++) {
        const std::string& line = lines[i];
        int lineNo = static_cast<int>(i + 1);
        if (isBlank(line) || isComment(line)) continue;
        if (line.compare(0, 5, "tile ") == 0) {
            parseDefinition(line, 5, where, lineNo, legend, errors);
            continue;
        }
        if (line.compare(0, 6, "theme ") == 0) continue; // the loader has read the theme legend
        if (line != "map") {
            complain(errors, where, lineNo, "expected \"map\", \"tile C CODE\" or a ';' comment");
            continue;
        }
        if (i + LEVEL_ROWS >= lines.size()) {
            complain(errors, where, lineNo, "a map segment needs twelve rows after \"map\"");
            break;
        }
        segments++;
        segmentColumn.push_back(static_cast<int>(rows[0].size()));
        segmentLine.push_back(lineNo + 1);
        size_t width = 0;
        for (int r = 0; r < LEVEL_ROWS; r++) width = std::max(width, lines[i + 1 + r].size());
        for (int r = 0; r < LEVEL_ROWS; r++) {
            std::string row = lines[i + 1 + r];
            row.resize(width, ' '); // short rows end in air
            rows[r] += row;
        }
        i += LEVEL_ROWS;
    }

    if (segments == 0) complain(errors, where, 1, "no \"map\" segment");
    int columns = static_cast<int>(rows[0].size());
    if (columns > LEVEL_MAX_COLUMNS) {
        complain(errors, where, 1, "more columns than a level file can hold");
        columns = LEVEL_MAX_COLUMNS;
    }
    grid.columns = columns;
    grid.cells.assign(static_cast<size_t>(columns) * LEVEL_ROWS, 0);
    for (int m = 0; m < columns; m++) {
        for (int r = 0; r < LEVEL_ROWS; r++) {
            unsigned char c = static_cast<unsigned char>(rows[r][m]);
            int code = (m & 1) ? legend.odd[c] : legend.even[c];
            if (code < 0) {
                size_t s = 0;
                while (s + 1 < segmentColumn.size() && segmentColumn[s + 1] <= m) s++;
                char what[80];
                snprintf(what, sizeof what, "unknown character '%c' at column %d, row %d", c, m, r);
                complain(errors, where, segmentLine[s] + r, what);
                code = 0;
            }
            grid.cells[static_cast<size_t>(m) * LEVEL_ROWS + r] = static_cast<uint8_t>(code);
        }
    }
    return errors.size() == errorsBefore;
}

// Reads assets/levels/legend.txt and assets/levels/<name>.txt into grid. Called by the builders and tests.
bool loadMapSource(const std::string& assetsDir, const std::string& name, MapGrid& grid,
                   std::vector<std::string>& errors) {
    std::string dir = assetsDir + "/levels/";
    std::string text;
    MapLegend legend;
    clearMapLegend(legend);
    if (!readTextFile(dir + "legend.txt", text)) {
        errors.push_back(dir + "legend.txt: cannot read");
        return false;
    }
    bool ok = parseMapLegend(text, "legend.txt", legend, errors);
    std::string level;
    if (!readTextFile(dir + name + ".txt", level)) {
        errors.push_back(dir + name + ".txt: cannot read");
        return false;
    }
    // "theme NAME" lines add the characters of theme_NAME.txt before the grid is read
    for (const std::string& line : splitLines(level)) {
        if (line.compare(0, 6, "theme ") != 0) continue;
        std::string word;
        std::istringstream(line.substr(6)) >> word;
        std::string theme = "theme_" + word + ".txt";
        if (!readTextFile(dir + theme, text)) {
            errors.push_back(name + ".txt: cannot read the theme " + theme);
            ok = false;
            continue;
        }
        ok = parseMapLegend(text, theme, legend, errors) && ok;
    }
    return parseMapText(level, name + ".txt", legend, grid, errors) && ok;
}

// Writes a grid in the game's level layout. Called by buildMaps and buildTestMap.
std::vector<uint8_t> encodeMap(const MapGrid& grid) {
    std::vector<uint8_t> out;
    int n = grid.columns > 0 ? grid.columns - 1 : 0;
    out.push_back(static_cast<uint8_t>(n & 0xff));
    out.push_back(static_cast<uint8_t>((n >> 8) & 0xff));
    for (int m = 0; m <= n; m++) {
        for (int r = 0; r < LEVEL_ROWS; r++) {
            size_t i = static_cast<size_t>(m) * LEVEL_ROWS + r;
            out.push_back(i < grid.cells.size() ? grid.cells[i] : 0);
        }
    }
    return out;
}

// Reads the game's level layout back into a grid. Called by the tests.
bool decodeMap(const std::vector<uint8_t>& bytes, MapGrid& grid) {
    if (bytes.size() < 2) return false;
    int columns = bytes[0] + 256 * bytes[1] + 1;
    size_t need = 2 + static_cast<size_t>(columns) * LEVEL_ROWS;
    if (bytes.size() < need) return false;
    grid.columns = columns;
    grid.cells.assign(bytes.begin() + 2, bytes.begin() + need);
    return true;
}
