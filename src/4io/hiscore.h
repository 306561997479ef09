// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The hiscore table of ten entries and its scrambled 160-byte file hiscores.dat.
//
// The file is the ten entries of 16 bytes, best first: name (9 bytes, zero-ended,
// at most 8 characters), origin (1 byte), reserved (2 bytes, 0), score (4 bytes,
// little-endian), the whole scrambled by a chained XOR.
#pragma once

#include <cstdint>

constexpr int NUM_HISCORES = 10;                                // entries in the table
constexpr int HISCORE_ENTRY = 16;                               // bytes per entry in the file
constexpr int HISCORE_NAME = 9;                                 // name bytes, the last always 0
constexpr int HISCORE_FILE_SIZE = NUM_HISCORES * HISCORE_ENTRY; // the whole file
constexpr int32_t HISCORE_MAX = 50000;                          // no honest score is higher
constexpr uint8_t HISCORE_SEED = 0x5B;                          // first link of the scrambling chain

// Where an entry came from.
enum { ORIGIN_PLAYER = 0, ORIGIN_DEFAULT = 1, ORIGIN_CHEATER = 2 };

// One entry as the program holds it; the file layout is written field by field.
struct HiscoreEntry {
    char name[HISCORE_NAME]; // up to 8 characters and a terminating zero
    uint8_t origin;          // 0 typed by a player, 1 default, 2 tamper rule
    uint8_t reserved[2];     // 0 in every entry this program makes
    int32_t score;           // 0..50000
};

extern HiscoreEntry hiscores[NUM_HISCORES];         // best first
extern const char* const score_names[NUM_HISCORES]; // the default names

void loadHiscores();                                // fills the table from the file or with defaults
void saveHiscores(int32_t score, const char* name); // inserts an entry and writes the file
void saveBuffer(); // writes the table to the file, unless it could not be read at start
void codebuf(uint8_t* buffer, int length, uint8_t seed);   // scrambles in place
void decodebuf(uint8_t* buffer, int length, uint8_t seed); // unscrambles in place
