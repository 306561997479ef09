// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// A player model for the level check: it plays a level with the game's world
// code as a person would, seeing only the screen (nothing right of its 320
// pixels), acting on what the screen showed a reaction time ago, pressing
// with timing noise, and planning again every few frames from what it saw.
// blompplaycheck -f plays each level many times with two kinds of player and
// prints how often they reach the door, how many lives they lose and where.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A kind of player.
struct PlayerKind {
    const char* name;
    int reaction; // frames from what the screen shows to the hands acting on it
    int noise;    // a press or release lands up to this many frames early or late
    int memory;   // remembers, on later lives of a level, the stretch where it died
};
constexpr int NUM_PLAYER_KINDS = 2;
extern const PlayerKind playerKinds[NUM_PLAYER_KINDS]; // casual, skilled

// One life lost: where, what killed it, and how long before the screen showed that danger.
struct Death {
    int column;  // the place: the lethal cell's or the pit's edge's column, else the figure's
    int warning; // frames between the danger coming into view and the death
    std::string cause;
};

// The columns one life went through, from its start to the furthest reached.
struct LifeSpan {
    int from, to;
};

// One play of a level from its start with six lives.
struct TryResult {
    int finished = 0; // reached the door
    std::vector<Death> deaths;
    std::vector<LifeSpan> lives;
    int64_t frames = 0; // frames played over all lives
};

// Plays level n once with a kind of player; the seed fixes its timing noise.
TryResult playTry(int n, const PlayerKind& kind, uint64_t seed);

// A place where lives are lost: a few columns, counted over all tries.
struct Place {
    int column = 0;
    int deaths = 0;
    int sudden = 0;    // deaths whose danger the screen showed less than a second before
    int passes = 0;    // lives that came to this place
    int warning = 0;   // the middle warning of its deaths, in frames
    std::string cause; // the most frequent cause
};

// Many tries of one kind of player on one level.
struct Fairness {
    int tries = 0;
    int finished = 0;
    int deaths = 0;
    std::vector<Place> places; // most deaths first
    double seconds = 0;        // time the tries took
};

// Plays `tries` seeded tries of level n with a kind of player.
Fairness measureFairness(int n, const PlayerKind& kind, int tries);

// A place kills suddenly (the danger less than a second on screen) in more than half its passes (three at
// least).
bool unfairPlace(const Place& p);

// What blompplaycheck -f asks for.
struct FairnessOptions {
    int tries = 50;
    int slack = -1; // -g: check the goals (or, with -r, the record) loosened by this many points
    const char* outFile = nullptr;  // -o: "level casual% skilled% casual-lives skilled-lives unfair" lines
    const char* recorded = nullptr; // -r: compare with this file instead of the goals (the CI's short form)
};

// blompplaycheck -f: measures the levels, prints the table, writes the file,
// and checks the goals or the record; returns 1 when a goal is missed or a
// level got less fair than recorded.
int fairnessMain(const std::vector<int>& levels, const FairnessOptions& options);

// blompplaycheck -C: draws the share of tries finished by level of both kinds of
// player from two fairness files (before and after) into a PNG; 0 when written.
int fairnessChart(const char* png, const char* before, const char* after);

// blompplaycheck -G: checks the goals on a file -o wrote; 0 when every goal holds.
int fairnessGoals(const char* path);
