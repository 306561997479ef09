// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The game flow: one frame loop for every state in which the world is shown
// (title, level intro, play, pause, death countdown) and the sequences with a
// picture of their own (level complete, story, ending, game over), from the
// title screen to the player's final quit.
#pragma once

#include <cstdint>

#include "3audio/music.h"
#include "5world/world.h"

constexpr int NUM_LEVEL_NAMES = 17; // the title's level and the sixteen levels
constexpr int LEVEL_INTRO = 180;    // frames of a level's intro
constexpr int DEATH_FRAMES = 180;   // frames of the death countdown

extern const char* const levelNames[NUM_LEVEL_NAMES]; // map of each level; 0 is the title's

// Where the flow goes next once a loop or a sequence is over.
enum FlowStep { FLOW_LEVEL_START, FLOW_AFTER_LEVEL, FLOW_NEW_LEVEL, FLOW_RETURN_TO_TITLE, FLOW_LEAVE };

// The state run() keeps while the game runs; the sequences work on it too.
struct Flow {
    int32_t frame;      // frames since the level (or the title) started
    ModPlugFile* music; // the module playing, or null
    int reloadMusic;    // load and fade in a new track at the next level start
    int test;           // the test level of "-t"
    char bonusA[64];    // the time bonus line of the level-complete count
    char bonusB[64];    // the life bonus line
};

void run(int test); // the game, from the title to the player's final quit

// Control tests shared by the menus and sequences.
int confirmTyped(); // jump (when it is not the up key), start or fire released
int backTyped();    // up, left, or jump when it is the up key, released
void releaseWait(); // waits until the control that ended a screen is released

// The sequences with pictures of their own.
FlowStep levelComplete(Flow& g);
FlowStep story(Flow& g);
FlowStep ending(Flow& g);
FlowStep gameOver(Flow& g);
