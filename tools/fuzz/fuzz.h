// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The fuzz targets: one entry function for every kind of file the game reads,
// each feeding the bytes through the game's own loaders and the code that uses
// what they loaded, headless, in a private folder. libFuzzer drives them (one
// program per target, built with BLOMP_FUZZ), and the regression test replays
// kept inputs through the same functions.
#pragma once

#include <cstddef>
#include <cstdint>

// What an entry function made of its input.
enum FuzzOutcome {
    FUZZ_ACCEPTED = 0, // loaded and used
    FUZZ_REFUSED = 1,  // the game's own refusal: its fatal line, or "no such thing" where that is allowed
};

// The entry functions, one per target.
int fuzzArchive(const uint8_t* data, size_t size); // a .zda archive: every entry listed and read
int fuzzMap(const uint8_t* data, size_t size);    // a level map, played for a few hundred frames with drawing
int fuzzConfig(const uint8_t* data, size_t size); // blomp.cfg: read, written, read again to the same values
int fuzzHiscores(const uint8_t* data, size_t size); // hiscores.dat: read, written, read again, drawn
int fuzzSavegame(const uint8_t* data, size_t size); // savegame.dat: read; a valid one written and read back
int fuzzBitmap(const uint8_t* data, size_t size);   // a bitmap as picture, block sheet and font
int fuzzWav(const uint8_t* data, size_t size);      // a WAV as the first sound effect, loaded and played
int fuzzMusic(const uint8_t* data, size_t size);    // an XM module loaded and rendered through the music hook

// A target by name, for the fuzzer programs, the seed builder and the regression test.
struct FuzzTarget {
    const char* name;
    int (*entry)(const uint8_t* data, size_t size);
};
constexpr int NUM_FUZZ_TARGETS = 8;
extern const FuzzTarget fuzzTargets[NUM_FUZZ_TARGETS];

// --- support shared by the targets (support.cpp) ---

// Reports a broken promise of the game (a round trip that changed a value, say).
// Fuzzing stops with the message; the regression test records a failure.
void fuzzFail(const char* what);
extern void (*fuzzFailHook)(const char* what); // null: print and abort, which libFuzzer keeps as a crash

// Enters the private scratch folder (made on first use, removed at exit) and leaves it again.
// Every target works there between the two calls, so it never touches the caller's files.
void fuzzEnter();
void fuzzLeave();

// Runs body(arg) and catches the game's fatal error; 1 when body returned, 0 when the game refused.
int fuzzGuard(void (*body)(void*), void* arg);

// Writes a file in the scratch folder (relative path); 1 on success.
int fuzzWriteFile(const char* path, const void* data, size_t size);

// Links ./data/<name>.zda of the scratch folder to the built game's archive of that name.
void fuzzLinkGameArchive(const char* name);

// Brings up the frame surface, the colours, the game's blocks, fonts and scenery once (classic set).
void fuzzVideo();

// A small pseudo-random generator for the targets' own choices, seeded from the input.
uint32_t fuzzHash(const uint8_t* data, size_t size);
uint32_t fuzzRandom(uint32_t* state);
