// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The beam search's shared pieces (see beamsearch.h): used by the level bot of
// blompplaycheck and by its player model.
#include "beamsearch.h"

#include "4io/input.h"
#include "5world/figure.h"
#include "5world/map.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

// The moves tried from every state, in this order (ties keep it).
const Move moves[NUM_MOVES] = {
    {IN_RIGHT, 'R'},
    {IN_RIGHT | IN_JUMP, 'U'},
    {0, '.'},
    {IN_LEFT, 'L'},
    {IN_LEFT | IN_JUMP, 'Y'},
    {IN_JUMP, 'J'},
    {IN_CRAWL | IN_RIGHT, 'r'},
    {IN_CRAWL | IN_LEFT, 'l'},
};

namespace {

constexpr int64_t ITEM_WORTH = 10000; // an item eaten counts more than any walk
constexpr int64_t DOOR_WORTH = 10000; // all items eaten: now the way to the door counts
constexpr int ITEM_SLACK = 160;       // progress past the leftmost item left counts only this far
constexpr int PER_CELL = 3;           // states kept per map cell (and item count), for variety

// The cell (element index) of the leftmost item still to eat that the figure
// can reach, or -1.
// Called by judgeWay.
int leftmostItem() {
    for (int c = std::max(0, (world.map.step + 7) >> 4); c < world.map.mapLength; c++)
        for (int r = 0; r < MAP_ROWS; r++)
            if (world.map.mapData[c * MAP_ROWS + r] == BLK_ITEM) return c * MAP_ROWS + r;
    return -1;
}

// How far the figure's top-left corner is from standing in a cell.
// Called by judgeWay.
int distanceTo(int cell) {
    return std::abs((cell / MAP_ROWS) * CELL - world.figure.x) +
           std::abs((cell % MAP_ROWS) * CELL - world.figure.y);
}

// The columns a move from a state may have changed: from a little left of the
// view (animated objects still running there) to the column the scan reaches.
// Called by expandBeam.
void dirtyColumns(int32_t stepBefore, int32_t stepAfter, int* from, int* to) {
    *from = (stepBefore - 5 * CELL) >> 4;
    *to = ((stepAfter + VIEW_W + 2 * CELL) >> 4) + 1;
}

} // namespace

// Takes a snapshot of the world. Called for every state a beam keeps.
void saveWorld(World& w) {
    w = world;
}

// Puts a snapshot back: the whole record but its cells, then only the columns
// from `from` to `to` and the door's: the caller knows the rest of the map is
// already that snapshot's. The cells are moved aside while the record is
// copied, so whatever else the world holds comes back with it.
// Called by the bot, the beam steps and the player model.
void restoreWorld(World& w, int from, int to) {
    std::vector<int32_t> live, theirs;
    live.swap(world.map.mapData);
    theirs.swap(w.map.mapData);
    world = w;
    w.map.mapData.swap(theirs);
    world.map.mapData.swap(live);
    world.map.mapData.resize(w.map.mapData.size());
    const int32_t* cells = w.map.mapData.data();
    if (from < 0) from = 0;
    if (to > world.map.mapLength) to = world.map.mapLength;
    if (to > from)
        memcpy(world.map.mapData.data() + (size_t)from * MAP_ROWS, cells + (size_t)from * MAP_ROWS,
               sizeof(int32_t) * (size_t)(to - from) * MAP_ROWS);
    if (w.map.door >= 0) { // the door can open anywhere
        const int dc = w.map.door / MAP_ROWS;
        for (int c = dc; c < dc + 2 && c < world.map.mapLength; c++)
            memcpy(world.map.mapData.data() + (size_t)c * MAP_ROWS, cells + (size_t)c * MAP_ROWS,
                   sizeof(int32_t) * MAP_ROWS);
    }
}

// One frame of play with the given inputs, in the game flow's order. Called by
// every search, replay and the player model.
void playFrame(int inputs) {
    inputSetHeld(inputs); // the same bits: 1 left, 2 right, 4 jump, 8 crawl
    worldStep();
}

// The inputs of frame f (0-based) of a move. A jump is let go in the move's
// last frame, so the next move can jump again.
// Called by playMove, the bot's demo and the player model.
int moveInputs(int move, int f, int moveFrames) {
    int in = moves[move].inputs;
    if (f == moveFrames - 1) in &= ~IN_JUMP;
    return in;
}

// Below the map nothing is solid: a figure there can only fall out.
// Called by playMove and the player model.
int figureLost() {
    return !isActive(world.figure) || world.figure.y > MAP_BOTTOM;
}

// Plays one move; stops early when the figure dies or enters the door.
// framesOut is the number of frames played.
// Called by the beam steps and the player model.
int playMove(int move, int moveFrames, int* framesOut) {
    for (int f = 0; f < moveFrames; f++) {
        playFrame(moveInputs(move, f, moveFrames));
        if (haveMadeit(world.figure)) {
            *framesOut = f + 1;
            return MOVE_DONE;
        }
        if (figureLost()) {
            *framesOut = f + 1;
            return MOVE_DEAD;
        }
    }
    *framesOut = moveFrames;
    return MOVE_ALIVE;
}

// An item the figure can no longer reach: left of the view's left edge, where
// the figure cannot go. Only columns near the edge need looking at, since a
// state is checked after every move; items left of where the level was
// (re)started never counted.
// Called by expandBeam and the player model.
int lostItem(const SearchRules& rules) {
    const int reach = (world.map.step + 7) >> 4; // the first column the figure's centre can still enter
    for (int c = std::max(rules.firstColumn, reach - 8); c < reach && c < world.map.mapLength; c++)
        for (int r = 0; r < MAP_ROWS; r++)
            if (world.map.mapData[c * MAP_ROWS + r] == BLK_ITEM) return 1;
    return 0;
}

namespace {

// How promising the current state is: items eaten first, then the way on to
// the leftmost item left (the view only goes right, so it has to be eaten
// before long), and once all are eaten the way into the door. The way on is
// judged in one of two manners, since each gets stuck where the other does not:
// plain progress to the right, worth nothing more once the figure is well past
// that item; or the distance to it.
// Called by judge.
int64_t judgeWay(const SearchRules& rules) {
    const int64_t eaten = rules.itemsAtStart - world.map.stars;
    if (world.map.stars <= 0)
        return eaten * ITEM_WORTH + DOOR_WORTH - distanceTo(world.map.door + MAP_ROWS + 1);
    const int first = leftmostItem();
    if (first < 0) return eaten * ITEM_WORTH + world.figure.x;
    if (rules.byDistance) return eaten * ITEM_WORTH - distanceTo(first);
    return eaten * ITEM_WORTH + std::min(world.figure.x, (first / MAP_ROWS) * CELL + ITEM_SLACK);
}

} // namespace

// How promising the current state is: the way on, less the water's cost when
// the rules count it (a person stays out of water it has no reason to enter);
// in water, when the rules name a way out, the distance to it instead of the way on.
// Called by expandBeam and the player model.
int64_t judge(const SearchRules& rules) {
    if (!rules.wetPenalty || !isWet(world.figure)) return judgeWay(rules);
    if (rules.exitCell < 0) return judgeWay(rules) - rules.wetPenalty;
    return (rules.itemsAtStart - world.map.stars) * ITEM_WORTH - rules.wetPenalty -
           distanceTo(rules.exitCell);
}

// The figure's exact situation, for dropping states that repeat another.
// Called by expandBeam.
uint64_t stateKey() {
    uint64_t k = (uint64_t)(uint32_t)world.figure.x;
    k = k * 1000003u + (uint64_t)(uint32_t)world.figure.y;
    k = k * 1000003u + (uint64_t)(uint32_t)world.figure.vy;
    k = k * 1000003u + (uint64_t)(uint32_t)world.map.stars;
    k = k * 1000003u + (uint64_t)(uint32_t)(world.map.step >> 3);
    k = k * 1000003u + (uint64_t)(world.figure.jumpHeld * 4 + world.figure.bounce * 2 +
                                  world.figure.last_right + 8 * world.figure.last_left);
    return k;
}

// Which cell the figure is in, with its item count: at most PER_CELL states each.
// Called by expandBeam.
uint64_t stateBucket() {
    return ((uint64_t)(uint32_t)(world.figure.x >> 4) << 32) |
           ((uint64_t)(uint32_t)(world.figure.y >> 4) << 16) | (uint64_t)(uint32_t)world.map.stars;
}

// The moves that lead to history entry h, first to last.
// Called by the bot and the player model.
std::vector<int> movesOf(const std::vector<HistoryEntry>& history, int32_t h) {
    std::vector<int> list;
    for (; h >= 0; h = history[h].parent) list.push_back(history[h].move);
    std::reverse(list.begin(), list.end());
    return list;
}

// One step of the beam: every move from every state. A state whose world the
// live map already holds gets back only the columns its last move changed.
// Called by the bot and the player model, once a step.
void expandBeam(std::vector<Node>& beam, const SearchRules& rules, std::vector<Candidate>& cands,
                Expansion& e) {
    cands.clear();
    int restored = -1; // the beam state the live map holds, apart from its dirty columns
    int dirtyFrom = 0, dirtyTo = 0;
    for (int p = 0; p < (int)beam.size(); p++) {
        World& w = beam[p].w;
        for (int m = 0; m < NUM_MOVES; m++) {
            restoreWorld(w, restored == p ? dirtyFrom : 0, restored == p ? dirtyTo : world.map.mapLength);
            restored = p;
            int frames = 0;
            const int outcome = playMove(m, rules.moveFrames, &frames);
            e.tried++;
            e.deaths += outcome == MOVE_DEAD;
            dirtyColumns(w.map.step, world.map.step, &dirtyFrom, &dirtyTo);
            e.furthestX = std::max(e.furthestX, world.figure.x);
            if (outcome == MOVE_DONE) {
                e.found = p;
                e.foundMove = m;
                e.foundFrames = frames;
                return;
            }
            if (outcome == MOVE_DEAD) {
                if (world.figure.x > e.deathX) {
                    e.deathX = world.figure.x;
                    e.killer = world.figure.y > MAP_BOTTOM ? "fell out of the map" : world.play.messageString;
                }
                continue;
            }
            if (lostItem(rules)) continue;
            const int64_t score = judge(rules);
            cands.push_back({p, m, score, beam[p].sum + score, stateKey(), stateBucket()});
        }
    }
}

// Best first; among equals the better way (when the rules ask for it), then the
// order of trying decides, so runs repeat. Each kept move is played again to
// keep its world.
// Called by the bot and the player model, once a step.
void keepBest(std::vector<Node>& beam, std::vector<Candidate>& cands, int width, const SearchRules& rules,
              std::vector<HistoryEntry>& history, std::vector<Node>& next) {
    const int sooner = rules.preferSooner;
    std::stable_sort(cands.begin(), cands.end(), [sooner](const Candidate& a, const Candidate& b) {
        return a.score != b.score ? a.score > b.score : sooner && a.sum > b.sum;
    });
    std::set<uint64_t> seen;
    std::map<uint64_t, int> perCell;
    next.clear();
    for (const Candidate& c : cands) {
        if ((int)next.size() >= width) break;
        if (!seen.insert(c.key).second) continue;
        int& count = perCell[c.bucket];
        if (count >= PER_CELL) continue;
        count++;
        restoreWorld(beam[c.parent].w, 0, world.map.mapLength);
        int frames = 0;
        playMove(c.move, rules.moveFrames, &frames);
        next.emplace_back();
        saveWorld(next.back().w);
        history.push_back({beam[c.parent].history, (uint8_t)c.move});
        next.back().history = (int32_t)history.size() - 1;
        next.back().sum = c.sum;
    }
}
