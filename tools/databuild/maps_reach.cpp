// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The level maker's safety net: can a player finish this level going right?
//
// The figure is moved frame by frame with the game's own walking, jumping,
// falling and head-bump rules, but only from places where it stands: every
// standing place (an even x, a row) is a node, and every walk step, jump or
// fall from it under a handful of key patterns is an edge to the place where it
// lands, carrying the items its centre passes and its frame count. Monsters are
// left out, spike traps count as spikes, bricks as solid, and a crumbling floor
// holds until the figure has stood on it long enough to drop through.
// The items are then visited one after another, each searched from where the
// last one was taken, inside the stretch of map the forward-only view allows;
// items close together may be taken in any order.
#include "maps.h"

#include <algorithm>
#include <cstdio>
#include <queue>

namespace {

constexpr int TILE = 16;
constexpr int MAP_HEIGHT_PIXELS = LEVEL_ROWS * TILE; // 192
constexpr int FALL_DEATH_Y = 250;                    // below this the figure is lost
constexpr int MAX_MOVE_FRAMES = 300;                 // a jump or fall longer than this is dropped
constexpr int VIEW_BACK = 200;     // how far left of the last item the view still lets the figure go
constexpr int VIEW_AHEAD = 200;    // going further right than this past an item scrolls it away
constexpr int TIME_LIMIT = 7000;   // frames a level allows
constexpr int TIME_WARNING = 5000; // a quickest run slower than this leaves a player too little time
constexpr int NO_TIME = 0x3fffffff;
constexpr int CRUMBLE_FRAMES = 11;         // a crumbling floor stays solid this long after it is stood on
constexpr int SEARCH_BUDGET_PER_ITEM = 40; // searches a run may spend per item before giving up

// Codes the figure cannot pass: ground, walls, bricks, bump blocks, crumbling
// floors and shut trap doors, with their animation frames.
const int solidCodes[] = {20,  21,  22,  23,  40,  43,  44,  63,  64,  69,  89,  128, 129, 130,
                          131, 132, 133, 134, 135, 136, 180, 181, 182, 183, 200, 201, 202, 203};
// Codes that kill on touch; spike traps (86, 87) are as good as spikes to a
// player who walks on them.
const int deadlyCodes[] = {86, 87, 105, 140};

// Key patterns tried for every jump and fall: hold one direction, then from a
// given frame on another (0 = no direction).
const int switchFrames[] = {4, 12, 24};

// A move from one standing place to the next (or to death).
struct Edge {
    int to;         // node landed on, -1 for none (died or fell out)
    int frames;     // how long the move takes
    int minX, maxX; // the figure's leftmost and rightmost x on the way
    int firstItem;  // range of touched item cells in the shared list
    int itemCount;
    bool door; // passes the open door's entering point
};

// Where the figure may start a phase of the search, and when it got there.
struct Source {
    int node;
    int time;
};

// The level under test and the moves found so far, built as they are needed.
struct Reach {
    std::vector<uint8_t> cells; // the level's cells; a crumbling floor is lifted out while a drop is tried
    int widthPixels = 0;
    bool solid[256] = {};
    bool deadly[256] = {};
    std::vector<int> firstEdge; // per node: index of its first edge, -1 until built
    std::vector<int> edgeCount;
    std::vector<Edge> edges;
    std::vector<int> items; // cells touched by the edges, in ranges
};

// The figure in flight: position and vertical speed counter.
struct Body {
    int x, y, vy;
    int coast; // +1 or -1 while a released direction key still carries the figure on
};

// The code of the cell holding pixel (x, y), 0 outside the map. Called by the probes.
int codeAt(const Reach& r, int x, int y) {
    if (x < 0 || x >= r.widthPixels || y < 0 || y >= MAP_HEIGHT_PIXELS) return 0;
    return r.cells[static_cast<size_t>(x >> 4) * LEVEL_ROWS + (y >> 4)];
}

// The game's solidity test: walls beyond both map ends, open below, row 0 above.
// Called by the movement rules.
bool solidAt(const Reach& r, int x, int y) {
    if (x < 0 || x >= r.widthPixels) return true;
    if (y >= MAP_HEIGHT_PIXELS) return false;
    if (y < 0) y = 0;
    return r.solid[codeAt(r, x, y)];
}

// True when one of the figure's four lethal corners lies on a deadly cell. Called by moveFrame.
bool touchesDeath(const Reach& r, const Body& b) {
    return r.deadly[codeAt(r, b.x + 2, b.y + 2)] || r.deadly[codeAt(r, b.x + 13, b.y + 2)] ||
           r.deadly[codeAt(r, b.x + 13, b.y + 13)] || r.deadly[codeAt(r, b.x + 2, b.y + 13)];
}

// True when either foot stands on something solid. Called by moveFrame and the start drop.
bool onFeet(const Reach& r, const Body& b) {
    return solidAt(r, b.x, b.y + 16) || solidAt(r, b.x + 15, b.y + 16);
}

// Node number of a standing place, -1 when the place is outside the model. Called by the search.
int nodeOf(const Reach& r, int x, int y) {
    if (x < 0 || x >= r.widthPixels || (x & 1) || y < 0 || y >= MAP_HEIGHT_PIXELS || (y & 15)) return -1;
    return (x >> 1) * LEVEL_ROWS + (y >> 4);
}

// One frame of the figure: walk (speed 2), jump or fall, land, bump the head.
// A released direction carries the figure on to the next multiple of 8 pixels.
// Returns false when the figure dies; sets landed when it stands afterwards.
// Called by simulateMove.
bool moveFrame(Reach& r, Body& b, int dir, bool jumpNow, bool& landed) {
    if (dir != 0)
        b.coast = dir;
    else if ((b.x & 7) == 0)
        b.coast = 0;
    int go = dir != 0 ? dir : b.coast;
    if (go > 0 && !solidAt(r, b.x + 16, b.y + 1) && !solidAt(r, b.x + 16, b.y + 14)) b.x += 2;
    if (go < 0 && !solidAt(r, b.x - 1, b.y + 1) && !solidAt(r, b.x - 1, b.y + 14)) b.x -= 2;
    int dy;
    if (jumpNow) {
        b.vy = -20;
        dy = -5;
    } else {
        dy = b.vy / 4;
        b.vy++;
    }
    b.y += dy;
    landed = false;
    if (onFeet(r, b)) {
        b.vy = 7;
        b.y &= ~15;
        landed = true;
    }
    if (b.y >= 0 && b.y < MAP_HEIGHT_PIXELS) {
        if (touchesDeath(r, b)) return false;
        if (solidAt(r, b.x, b.y) || solidAt(r, b.x + 15, b.y)) {
            b.vy = 7;
            b.y = (b.y + 15) & ~15;
        }
    }
    return b.y <= FALL_DEATH_Y;
}

// True when the pixel lies in an item cell; gives the cell's index. Called by simulateMove.
bool itemCellAt(const Reach& r, int x, int y, int& cell) {
    if (codeAt(r, x, y) != 41) return false;
    cell = (x >> 4) * LEVEL_ROWS + (y >> 4);
    return true;
}

// Runs one move from a standing place under a key pattern and records it as an
// edge: dir for the first switchAt frames, then thenDir. Returns the frames it
// took. Called by buildEdges.
int simulateMove(Reach& r, int x, int y, bool jump, int dir, int switchAt, int thenDir, int waited = 0) {
    Body b = {x, y, 7, 0};
    Edge e = {-1, 0, x, x, static_cast<int>(r.items.size()), 0, false};
    bool landed = false;
    for (int t = 0; t < MAX_MOVE_FRAMES; t++) {
        int d = t < switchAt ? dir : thenDir;
        bool alive = moveFrame(r, b, d, jump && t == 0, landed);
        e.frames = waited + t + 1;
        e.minX = std::min(e.minX, b.x);
        e.maxX = std::max(e.maxX, b.x);
        if (!alive) break;
        int cell;
        if (b.y >= 0 && b.y < MAP_HEIGHT_PIXELS && itemCellAt(r, b.x + 8, b.y + 8, cell)) {
            if (std::find(r.items.begin() + e.firstItem, r.items.end(), cell) == r.items.end()) {
                r.items.push_back(cell);
                e.itemCount++;
            }
        }
        if (codeAt(r, b.x, b.y) == 48) e.door = true;
        // a walk step that keeps the feet on the ground is a move of one frame
        if (landed && (t > 0 || !jump)) {
            e.to = nodeOf(r, b.x, b.y);
            break;
        }
    }
    if (e.to < 0 && e.itemCount == 0 && !e.door) {
        r.items.resize(e.firstItem);
        return e.frames; // a move into death teaches nothing
    }
    r.edges.push_back(e);
    return e.frames;
}

// Builds the moves from one standing place: a step each way, the falls that
// follow a step off a ledge, and the jumps. Called by the search when it first
// reaches the node.
void buildEdges(Reach& r, int node) {
    r.firstEdge[node] = static_cast<int>(r.edges.size());
    int x = (node / LEVEL_ROWS) * 2;
    int y = (node % LEVEL_ROWS) * TILE;
    const int dirs[] = {-1, 0, 1};
    for (int dir : {-1, 1}) {
        // the step itself; if it leaves the ledge, the fall goes on under every pattern
        if (simulateMove(r, x, y, false, dir, MAX_MOVE_FRAMES, dir) == 1) continue;
        for (int then : {0, -dir})
            for (int k : switchFrames) simulateMove(r, x, y, false, dir, k, then);
    }
    // jumping from every place is slow; every other place is enough on open floor,
    // but near walls and edges all of them count
    Body here = {x, y, 7, 0};
    bool edgeNear = !onFeet(r, {x - 4, y, 7, 0}) || !onFeet(r, {x + 4, y, 7, 0}) ||
                    solidAt(r, x - 4, y + 8) || solidAt(r, x + 19, y + 8);
    if ((x & 2) == 0 || edgeNear || !onFeet(r, here)) {
        for (int dir : dirs) {
            for (int then : dirs) {
                for (int k : switchFrames) {
                    simulateMove(r, x, y, true, dir, then == dir ? MAX_MOVE_FRAMES : k, then);
                    if (then == dir) break;
                }
            }
        }
    }
    // standing still on a crumbling floor lets the figure drop through it
    // once it has crumbled away with every crumbling cell under its feet
    size_t under[3];
    int lifted = 0;
    for (int fx : {x + 8, x, x + 15}) {
        if (codeAt(r, fx, y + 16) != 22) continue;
        under[lifted++] = static_cast<size_t>(fx >> 4) * LEVEL_ROWS + ((y + 16) >> 4);
    }
    if (lifted > 0) {
        for (int i = 0; i < lifted; i++) r.cells[under[i]] = 0;
        for (int dir : dirs) simulateMove(r, x, y, false, dir, 0, dir, CRUMBLE_FRAMES);
        for (int i = 0; i < lifted; i++) r.cells[under[i]] = 22;
    }
    r.edgeCount[node] = static_cast<int>(r.edges.size()) - r.firstEdge[node];
}

// True when the edge touches the target: an item cell, or the door when target is -1.
// Called by searchPhase.
bool edgeTouches(const Reach& r, const Edge& e, int target) {
    if (target < 0) return e.door;
    for (int i = 0; i < e.itemCount; i++)
        if (r.items[e.firstItem + i] == target) return true;
    return false;
}

// Quickest ways from the sources to the target inside the x range [left, right]:
// returns the standing places where the figure is after taking it, with their
// times. Called by checkRun.
std::vector<Source> searchPhase(Reach& r, const std::vector<Source>& from, int left, int right, int target) {
    std::vector<int> best(r.firstEdge.size(), NO_TIME);
    std::vector<Source> arrived;
    // a start place whose centre already lies in the item has it
    for (const Source& s : from) {
        int x = (s.node / LEVEL_ROWS) * 2 + 8, y = (s.node % LEVEL_ROWS) * TILE + 8;
        if (target >= 0 && (x >> 4) * LEVEL_ROWS + (y >> 4) == target) arrived.push_back(s);
    }
    using Item = std::pair<int, int>; // time, node
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> open;
    for (const Source& s : from) {
        if (s.time < best[s.node]) {
            best[s.node] = s.time;
            open.push({s.time, s.node});
        }
    }
    while (!open.empty()) {
        auto [time, node] = open.top();
        open.pop();
        if (time != best[node]) continue;
        if (r.firstEdge[node] < 0) buildEdges(r, node);
        for (int i = 0; i < r.edgeCount[node]; i++) {
            const Edge e = r.edges[r.firstEdge[node] + i];
            if (e.minX < left || e.maxX > right) continue;
            int t = time + e.frames;
            if (e.to >= 0 && edgeTouches(r, e, target)) arrived.push_back({e.to, t});
            if (e.to >= 0 && t < best[e.to]) {
                best[e.to] = t;
                open.push({t, e.to});
            }
        }
    }
    return arrived;
}

// A cell described for a level maker: "column C row R". Called by checkRun and checkMapReach.
std::string cellName(int cell) {
    char buf[48];
    snprintf(buf, sizeof buf, "column %d row %d", cell / LEVEL_ROWS, cell % LEVEL_ROWS);
    return buf;
}

// One run through a level: the items still to take and what went wrong deepest.
struct Run {
    Reach* r;
    std::vector<int> items; // item cells in column order
    std::vector<bool> taken;
    int budget;       // searches left before the run gives up
    int deepest = -1; // most items taken when a search failed
    int missed = -1;  // the item (or -1, the door) that could not be reached then
};

// Keeps one arrival per standing place, the earliest. Called by visitNext.
std::vector<Source> earliest(Reach& r, const std::vector<Source>& arrived) {
    std::vector<int> best(r.firstEdge.size(), NO_TIME);
    for (const Source& s : arrived) best[s.node] = std::min(best[s.node], s.time);
    std::vector<Source> out;
    for (const Source& s : arrived) {
        if (best[s.node] != s.time) continue;
        out.push_back(s);
        best[s.node] = -1; // taken once
    }
    return out;
}

// Notes a target that could not be reached, keeping the one found deepest in
// the search. Called by visitNext.
void noteMiss(Run& run, int takenCount, int target) {
    if (takenCount <= run.deepest) return;
    run.deepest = takenCount;
    run.missed = target;
}

// Takes the remaining items one by one, trying every item the view still
// shows near the leftmost one left (a player may take them in any order), then
// walks to the door. Returns the time of the first complete run found, or -1.
// Called by checkRun and by itself.
int visitNext(Run& run, const std::vector<Source>& at, int left, int lastX, int takenCount) {
    Reach& r = *run.r;
    if (--run.budget < 0) return -1;
    if (takenCount == static_cast<int>(run.items.size())) {
        std::vector<Source> done = searchPhase(r, at, left, r.widthPixels, -1);
        if (done.empty()) {
            noteMiss(run, takenCount, -1);
            return -1;
        }
        int quickest = NO_TIME;
        for (const Source& s : done) quickest = std::min(quickest, s.time);
        return quickest;
    }
    size_t first = 0;
    while (run.taken[first]) first++;
    int windowEnd = run.items[first] / LEVEL_ROWS + VIEW_BACK / TILE;
    for (size_t i = first; i < run.items.size() && run.items[i] / LEVEL_ROWS <= windowEnd; i++) {
        if (run.taken[i]) continue;
        int targetX = (run.items[i] / LEVEL_ROWS) * TILE;
        std::vector<Source> next =
            searchPhase(r, at, left, std::max(targetX, lastX) + VIEW_AHEAD, run.items[i]);
        if (next.empty()) {
            noteMiss(run, takenCount, run.items[i]);
            continue;
        }
        // the view has moved on: what lies far left of this item is out of reach now
        int newLast = std::max(lastX, targetX);
        run.taken[i] = true;
        int t =
            visitNext(run, earliest(r, next), std::max(left, newLast - VIEW_BACK), newLast, takenCount + 1);
        run.taken[i] = false;
        if (t >= 0) return t;
        if (run.budget < 0) return -1;
    }
    return -1;
}

// Plays the level from a start place (the level start or a checkpoint): all
// items from firstColumn on, then the door. Adds problems and returns the time
// of the run found, or -1. Called by checkMapReach.
int checkRun(Reach& r, int startX, int startY, int firstColumn, const std::string& what,
             std::vector<std::string>& problems) {
    // the figure is put down at the start and drops until it stands
    Body b = {startX, startY, 0, 0};
    while (b.y < MAP_HEIGHT_PIXELS && !solidAt(r, b.x, b.y + 16)) b.y++;
    bool landed = false;
    for (int t = 0; t < 8 && !landed; t++) moveFrame(r, b, 0, false, landed);
    int start = landed ? nodeOf(r, b.x, b.y) : -1;
    if (start < 0) {
        problems.push_back(what + ": no ground to stand on");
        return -1;
    }
    Run run;
    run.r = &r;
    for (int cell = firstColumn * LEVEL_ROWS; cell < static_cast<int>(r.cells.size()); cell++)
        if (r.cells[cell] == 41) run.items.push_back(cell);
    run.taken.assign(run.items.size(), false);
    run.budget = SEARCH_BUDGET_PER_ITEM * static_cast<int>(run.items.size() + 1);
    int t = visitNext(run, {{start, 0}}, std::max(0, firstColumn * TILE), startX, 0);
    if (t >= 0) return t;
    std::string missed = run.missed < 0 ? std::string("the door") : "the item at " + cellName(run.missed);
    if (run.budget < 0) missed += " (the check gave up after trying many orders)";
    problems.push_back(what + ": cannot reach " + missed);
    return -1;
}

// Sets up the model of a level. Called by checkMapReach.
void initReach(Reach& r, const MapGrid& grid) {
    r.cells = grid.cells;
    r.widthPixels = grid.columns * TILE;
    for (int c : solidCodes) r.solid[c] = true;
    for (int c : deadlyCodes) r.deadly[c] = true;
    size_t nodes = static_cast<size_t>(grid.columns) * (TILE / 2) * LEVEL_ROWS;
    r.firstEdge.assign(nodes, -1);
    r.edgeCount.assign(nodes, 0);
}

} // namespace

// Checks a level from its start and from every checkpoint; one line per
// problem. With quickest, also gives the frames of the run found from the start
// (-1 when there is none). Called by the tests.
std::vector<std::string> checkMapReach(const MapGrid& grid, int* quickest) {
    std::vector<std::string> problems;
    if (quickest) *quickest = -1;
    if (grid.columns <= 1 || grid.cells.size() != static_cast<size_t>(grid.columns) * LEVEL_ROWS) {
        problems.push_back("the level is empty");
        return problems;
    }
    Reach r;
    initReach(r, grid);
    int frames = checkRun(r, 16, 100, 0, "from the start", problems);
    if (quickest) *quickest = frames;
    if (frames > TIME_WARNING) {
        char buf[96];
        snprintf(buf, sizeof buf, "the quickest run takes %d of %d frames", frames, TIME_LIMIT);
        problems.push_back(buf);
    }
    for (int cell = 0; cell < static_cast<int>(grid.cells.size()); cell++) {
        if (grid.cells[cell] != 17) continue;
        int column = cell / LEVEL_ROWS;
        // a restart counts the items from one column left of the checkpoint
        checkRun(r, column * TILE, (cell % LEVEL_ROWS) * TILE, std::max(0, column - 1),
                 "from the checkpoint at " + cellName(cell), problems);
    }
    return problems;
}
