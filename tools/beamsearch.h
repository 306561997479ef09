// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The pieces of the level check's beam search that the bot and the player
// model share: the moves, one frame and one move of play on the live world,
// snapshots, how promising a state is, and one step of the beam (every move
// tried from every state kept, the best of them kept for the next step).
#pragma once

#include "5world/world.h"

#include <cstdint>
#include <string>
#include <vector>

// Inputs held during one move: the figure's four held-key flags.
enum { IN_LEFT = 1, IN_RIGHT = 2, IN_JUMP = 4, IN_CRAWL = 8 };

// One move: inputs held for a few frames.
struct Move {
    int inputs;
    char letter; // for the printed input list
};
constexpr int NUM_MOVES = 8;
extern const Move moves[NUM_MOVES];

// How a search plays and judges: held frames of a move, the manner of judging
// the way on, and the items of the state the search started from.
struct SearchRules {
    int moveFrames = 4;
    int byDistance = 0;   // judge the way on by the distance to the next item, not by progress
    int itemsAtStart = 0; // items left when the search started
    int firstColumn = 0;  // items left of this column did not count when the level was (re)started
    int preferSooner = 0; // among states judged alike, keep those that were better along their way
    int wetPenalty = 0;   // taken off the judgement of a state in water
    int exitCell = -1;    // when not -1: a state in water is judged by its distance to this cell (a way out)
};

// One state of the beam: its world and where it came from in the move history.
struct Node {
    World w;
    int32_t history; // index into the history, -1 for the state the search started from
    int64_t sum = 0; // the judgements of the states along its way, summed
};

// The move history, shared by all states: each entry is one move after its parent's.
struct HistoryEntry {
    int32_t parent;
    uint8_t move;
};

// A move tried from a state of the beam, judged before it is kept.
struct Candidate {
    int32_t parent; // index in the beam
    int32_t move;
    int64_t score;
    int64_t sum;     // its parent's sum and its score
    uint64_t key;    // the figure's exact situation, for dropping repeats
    uint64_t bucket; // its cell and item count, for variety
};

enum { MOVE_ALIVE, MOVE_DEAD, MOVE_DONE };

// What one step of the beam saw besides its candidates.
struct Expansion {
    int found = -1;      // the beam state whose move entered the door, or -1
    int foundMove = -1;  // that move
    int foundFrames = 0; // frames of that move played up to the door
    int64_t tried = 0;   // moves played
    int64_t deaths = 0;  // of those, the ones that killed the figure
    int furthestX = -1;  // furthest x any move reached
    int deathX = -1;     // x of the furthest death
    std::string killer;  // what killed the figure there
};

void saveWorld(World& w);                        // a snapshot of the live world
void restoreWorld(World& w, int from, int to);   // a snapshot back, copying only cells of columns from..to
void playFrame(int inputs);                      // one frame of play with the given inputs
int moveInputs(int move, int f, int moveFrames); // the inputs of frame f of a move
int playMove(int move, int moveFrames, int* framesOut); // one move; MOVE_ALIVE, MOVE_DEAD or MOVE_DONE
int figureLost();                        // the figure dies or is below the map, where it can only fall out
int lostItem(const SearchRules& rules);  // an item has slipped out of the figure's reach (left of the view)
int64_t judge(const SearchRules& rules); // how promising the live world is
uint64_t stateKey();                     // the figure's exact situation
uint64_t stateBucket();                  // its cell and item count
std::vector<int> movesOf(const std::vector<HistoryEntry>& history, int32_t h); // the moves leading to h

// Tries every move from every state of the beam and collects the living ones
// that kept every item in reach as candidates; stops at the first move that
// enters the door.
void expandBeam(std::vector<Node>& beam, const SearchRules& rules, std::vector<Candidate>& cands,
                Expansion& e);
// Keeps the best candidates, at most `width`, no two alike and few in one cell,
// with their worlds, as the next beam; their moves go into the history.
void keepBest(std::vector<Node>& beam, std::vector<Candidate>& cands, int width, const SearchRules& rules,
              std::vector<HistoryEntry>& history, std::vector<Node>& next);
