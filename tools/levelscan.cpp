// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The level check's reading of the cells: hazards, the walking line, repeats,
// checkpoints, water, bump blocks and first meetings (see levelscan.h).
#include "levelscan.h"

#include "5world/map.h"

#include <algorithm>
#include <cstdio>

namespace {

enum {
    CODE_BLOB = 9,
    CODE_HOGLET = 13,
    CODE_CHECKPOINT = 17,
    CODE_BUMP = 20,
    CODE_CRUMBLE = 22,
    CODE_LIFE = 26,
    CODE_DOOR = 27,
    CODE_BAT = 33,
    CODE_BRICK = 40,
    CODE_ITEM = 41,
    CODE_PIRANHA = 53,
    CODE_HATGUY = 67,
    CODE_HATGUY_RIGHT = 121,
    CODE_TRAP = 86,
    CODE_TRAP_STORED = 87,
    CODE_TRAPDOOR = 88,
    CODE_SPIKES = 105,
    CODE_THORNS = 140,
};

// Water, or a piranha's spawn (which leaves water behind).
bool wet(int code) {
    return isWaterBlock(code) || code == CODE_PIRANHA;
}

// A cell the figure can stand in: passable, dry, harmless, with something solid below.
bool standable(const LevelGrid& g, int c, int r) {
    const int code = g.at(c, r);
    return r + 1 < SCAN_ROWS && !isSolidBlock(code) && !wet(code) && !isLethalBlock(code) &&
           isSolidBlock(g.at(c, r + 1));
}

// The row a figure walking along column c stands in: its lowest dry floor, -1 when there is none.
int walkRow(const LevelGrid& g, int c) {
    for (int r = SCAN_ROWS - 2; r >= 0; r--)
        if (standable(g, c, r)) return r;
    return -1;
}

// What a cell is for the repeat test: scenery and air are nothing, everything
// with a role has its own number.
int role(int code) {
    static const struct {
        int code, role;
    } roles[] = {
        {CODE_CRUMBLE, 2},
        {CODE_BRICK, 3},
        {CODE_BUMP, 4},
        {CODE_ITEM, 5},
        {CODE_LIFE, 6},
        {CODE_TRAP, 7},
        {CODE_TRAP_STORED, 7},
        {CODE_TRAPDOOR, 8},
        {CODE_CHECKPOINT, 9},
        {CODE_BLOB, 10},
        {CODE_HOGLET, 11},
        {CODE_BAT, 12},
        {CODE_PIRANHA, 13},
        {CODE_HATGUY, 14},
        {CODE_HATGUY_RIGHT, 14},
        {CODE_DOOR, 15},
        {28, 15},
        {47, 15},
        {48, 15},
    };
    for (const auto& r : roles)
        if (r.code == code) return r.role;
    if (isSolidBlock(code)) return 1;
    if (isLethalBlock(code)) return 16;
    if (isWaterBlock(code)) return 17;
    return 0;
}

// The two most alike stretches of REPEAT_SPAN columns that do not overlap:
// cells alike out of the cells that are something in either. Called by scanLevel.
void findRepeat(const LevelGrid& g, LevelScan& s) {
    const int w = g.columns;
    if (w < 2 * REPEAT_SPAN) return;
    std::vector<int> roles(g.cells.size());
    for (size_t i = 0; i < g.cells.size(); i++) roles[i] = role(g.cells[i]);
    // Along every distance d between the stretches, slide a window over the column pairs (a, a + d).
    for (int d = REPEAT_SPAN; d <= w - REPEAT_SPAN; d++) {
        std::vector<int> same(w - d), any(w - d);
        for (int a = 0; a + d < w; a++) {
            const int* x = &roles[(size_t)a * SCAN_ROWS];
            const int* y = &roles[(size_t)(a + d) * SCAN_ROWS];
            for (int r = 0; r < SCAN_ROWS; r++) {
                if (!x[r] && !y[r]) continue;
                any[a]++;
                same[a] += x[r] == y[r];
            }
        }
        int sumSame = 0, sumAny = 0;
        for (int a = 0; a + d < w; a++) {
            sumSame += same[a];
            sumAny += any[a];
            if (a >= REPEAT_SPAN) {
                sumSame -= same[a - REPEAT_SPAN];
                sumAny -= any[a - REPEAT_SPAN];
            }
            if (a < REPEAT_SPAN - 1 || sumAny == 0) continue;
            const int percent = 100 * sumSame / sumAny;
            if (percent > s.repeatPercent) {
                s.repeatPercent = percent;
                s.repeatA = a - REPEAT_SPAN + 1;
                s.repeatB = a - REPEAT_SPAN + 1 + d;
            }
        }
    }
}

// Adds a problem line to the scan.
void problem(LevelScan& s, const char* format, int a, int b = 0, int c = 0) {
    char line[200];
    snprintf(line, sizeof(line), format, a, b, c);
    s.problems.push_back(line);
}

// The checkpoints, the gaps between start, checkpoints and door, and their spread.
void checkCheckpoints(const LevelGrid& g, int doorColumn, LevelScan& s) {
    std::vector<int> marks = {1};
    for (int c = 0; c < g.columns; c++)
        for (int r = 0; r < SCAN_ROWS; r++)
            if (g.at(c, r) == CODE_CHECKPOINT) {
                s.checkpoints.push_back(c);
                marks.push_back(c);
                if (c >= g.columns - LATE_CHECKPOINT)
                    problem(s, "checkpoint at column %d lies in the last %d columns, where the view stops", c,
                            LATE_CHECKPOINT);
            }
    if (doorColumn >= 0) marks.push_back(doorColumn);
    if (marks.size() < 4) return; // fewer than three gaps have no rhythm to speak of
    int shortest = g.columns, longest = 0;
    for (size_t i = 1; i < marks.size(); i++) {
        shortest = std::min(shortest, marks[i] - marks[i - 1]);
        longest = std::max(longest, marks[i] - marks[i - 1]);
    }
    const int mean = (marks.back() - marks.front()) / (int)(marks.size() - 1);
    s.spreadPercent = mean > 0 ? 100 * (longest - shortest) / mean : 0;
    if (s.spreadPercent < SPREAD_PERCENT)
        problem(s, "checkpoints keep one beat: gaps from %d to %d columns, spread %d %%", shortest, longest,
                s.spreadPercent);
}

} // namespace

// Reads the level file layout into a grid. Called by blompplaycheck.
bool gridFromFile(const uint8_t* bytes, int32_t size, LevelGrid& grid) {
    if (!bytes || size < 2) return false;
    const int columns = bytes[0] + 256 * bytes[1] + 1;
    if ((int64_t)size - 2 < (int64_t)columns * SCAN_ROWS) return false;
    grid.columns = columns;
    grid.cells.assign(bytes + 2, bytes + 2 + (size_t)columns * SCAN_ROWS);
    return true;
}

// Everything the level check reads from one level's cells.
LevelScan scanLevel(const LevelGrid& g) {
    LevelScan s;
    s.columns = g.columns;
    int doorColumn = -1;
    for (int c = 0; c < g.columns; c++) {
        const int line = walkRow(g, c);
        // A gap: nowhere to stand in the column and nothing to catch a fall.
        bool hazard = line < 0 && !isSolidBlock(g.at(c, SCAN_ROWS - 1)) && !wet(g.at(c, SCAN_ROWS - 1));
        for (int r = 0; r < SCAN_ROWS; r++) {
            const int code = g.at(c, r);
            hazard = hazard || code == CODE_SPIKES || code == CODE_THORNS || code == CODE_TRAP ||
                     code == CODE_TRAP_STORED || code == CODE_CRUMBLE;
            s.monsters += code == CODE_BLOB || code == CODE_HOGLET || code == CODE_BAT ||
                          code == CODE_PIRANHA || code == CODE_HATGUY || code == CODE_HATGUY_RIGHT;
            s.lives += code == CODE_LIFE;
            if (code == CODE_DOOR) doorColumn = c;
            if (code == CODE_ITEM) {
                s.items++;
                // On the line: the lowest floor of its column, level with the floor on both sides.
                const bool onLine = r == line && walkRow(g, c - 1) == r && walkRow(g, c + 1) == r;
                s.offLine += !onLine;
                if (wet(g.at(c, r - 1)) || (wet(g.at(c - 1, r)) && wet(g.at(c + 1, r))))
                    problem(s, "item at column %d row %d lies under water: eating it would leave a dry hole",
                            c, r);
            }
            if (code == CODE_BUMP) {
                // A bump block gives nothing itself, so it must be a step up to something.
                bool reward = !isSolidBlock(g.at(c, r - 1));
                bool found = false;
                for (int dc = -2; dc <= 2 && reward; dc++)
                    for (int dr = 1; dr <= 4; dr++)
                        found =
                            found || g.at(c + dc, r - dr) == CODE_ITEM || g.at(c + dc, r - dr) == CODE_LIFE;
                if (!reward || !found)
                    problem(s,
                            "bump block at column %d row %d leads to nothing: put an item or a life above it",
                            c, r);
            }
        }
        s.hazardColumns += hazard;
    }
    s.hazards = g.columns ? 100.0 * (s.monsters + s.hazardColumns) / g.columns : 0;
    if (s.items && s.offLine * 100 < s.items * OFF_LINE_SHARE)
        problem(s, "only %d of %d items need a jump or a detour (at least %d %%)", s.offLine, s.items,
                OFF_LINE_SHARE);
    findRepeat(g, s);
    if (s.repeatPercent >= REPEAT_LIMIT)
        problem(s, "columns %d and %d start stretches that are %d %% alike", s.repeatA, s.repeatB,
                s.repeatPercent);
    checkCheckpoints(g, doorColumn, s);
    return s;
}

namespace {

// The dangers whose first meeting is checked, and the codes that are each.
struct DangerKind {
    const char* name;
    int codes[3];
};
const DangerKind dangers[] = {
    {"blob", {CODE_BLOB, -1, -1}},
    {"hoglet", {CODE_HOGLET, -1, -1}},
    {"bat", {CODE_BAT, -1, -1}},
    {"piranha", {CODE_PIRANHA, -1, -1}},
    {"hat guy", {CODE_HATGUY, CODE_HATGUY_RIGHT, -1}},
    {"spikes", {CODE_SPIKES, -1, -1}},
    {"thorn block", {CODE_THORNS, -1, -1}},
    {"spike trap", {CODE_TRAP_STORED, CODE_TRAP, -1}},
    {"crumbling floor", {CODE_CRUMBLE, -1, -1}},
    {"trap door", {CODE_TRAPDOOR, -1, -1}},
};

bool isKind(const DangerKind& k, int code) {
    return code == k.codes[0] || code == k.codes[1] || code == k.codes[2];
}

// What lies below cell (c, r) once it has gone: a safe floor, or spikes, or nothing.
bool safeBelow(const LevelGrid& g, int c, int r) {
    for (int y = r + 1; y < SCAN_ROWS; y++) {
        const int code = g.at(c, y);
        if (isLethalBlock(code)) return false;
        if (isSolidBlock(code)) return true;
    }
    return false;
}

// Why the first meeting at (c, r) of level g is unfair, or "".
std::string unfair(const DangerKind& k, const LevelGrid& g, int c, int r) {
    char why[160];
    int safe = 1; // the start, or the last checkpoint before the danger
    for (int x = 0; x < c; x++)
        for (int y = 0; y < SCAN_ROWS; y++)
            if (g.at(x, y) == CODE_CHECKPOINT) safe = x;
    if (c - safe > FIRST_MEETING_REACH) {
        snprintf(why, sizeof(why), "%d columns after the last restart point (at most %d)", c - safe,
                 FIRST_MEETING_REACH);
        return why;
    }
    if (isKind(k, CODE_TRAP_STORED)) {
        // The plate looks harmless: a sprung one beside it shows what it does.
        for (int dc = -2; dc <= 2; dc++)
            if (g.at(c + dc, r) == CODE_SPIKES) return "";
        return "no sprung trap (spikes) beside the first plate to show what it does";
    }
    if (isKind(k, CODE_CRUMBLE) || isKind(k, CODE_TRAPDOOR)) {
        // The first one lets the figure down gently: floor below every cell of its run.
        for (int x = c; x < g.columns && isKind(k, g.at(x, r)); x++)
            if (!safeBelow(g, x, r)) {
                snprintf(why, sizeof(why), "column %d of the first run drops into a pit or onto spikes", x);
                return why;
            }
    }
    return "";
}

} // namespace

// Finds every danger's first cell in play order and judges that meeting.
std::vector<FirstMeeting> firstMeetings(const std::vector<LevelGrid>& levels) {
    std::vector<FirstMeeting> out;
    for (const DangerKind& k : dangers) {
        FirstMeeting m;
        m.kind = k.name;
        for (size_t n = 1; n < levels.size() && m.level < 0; n++) {
            const LevelGrid& g = levels[n];
            for (int c = 0; c < g.columns && m.level < 0; c++)
                for (int r = 0; r < SCAN_ROWS && m.level < 0; r++)
                    if (isKind(k, g.at(c, r))) {
                        m.level = (int)n;
                        m.column = c;
                        m.problem = unfair(k, g, c, r);
                    }
        }
        out.push_back(m);
    }
    return out;
}
