// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The XM module writer: a song held in memory (patterns, order list, instruments
// with one sample each) is turned into the bytes of a FastTracker 2 module, version
// 0x0104, the format libmodplug plays in the game.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int XM_MAX_CHANNELS = 32;  // the format allows up to 32 channels
constexpr int XM_MAX_ORDERS = 256;   // the order table has 256 slots
constexpr int XM_MAX_PATTERNS = 256; // pattern numbers are one byte in the order table
constexpr int XM_MAX_ROWS = 256;     // rows in one pattern
constexpr int XM_MAX_INSTRUMENTS = 128;
constexpr int XM_MAX_ENV_POINTS = 12; // volume envelope points of one instrument
constexpr int XM_NOTE_OFF = 97;       // the key-off "note": starts the release

// One cell of a pattern: 0 in a field means "nothing there".
struct XmCell {
    uint8_t note = 0;  // 1 is C-0, 49 is C-4, 96 is B-7, 97 key off
    uint8_t instr = 0; // 1-based instrument number
    uint8_t vol = 0;   // volume column: 0x10 + volume (0..64) sets the volume
    uint8_t fx = 0;    // effect number (0..35)
    uint8_t param = 0; // effect parameter
};

// One pattern: rows × channels cells, row by row.
struct XmPattern {
    int rows = 64;
    std::vector<XmCell> cells; // rows * channels entries
};

// One envelope point: tick and value (0..64).
struct XmEnvPoint {
    int tick;
    int value;
};

// One instrument with its single sample. Sample data is kept as 16-bit values even
// when written as 8 bits (then only the high byte is written).
struct XmInstrument {
    std::string name;
    std::vector<int16_t> data;
    bool bits16 = true;
    int loopStart = 0;                                        // in samples
    int loopLength = 0;                                       // in samples; 0 means no loop
    int volume = 64;                                          // 0..64
    int finetune = 0;                                         // -128..127, 1/128 of a semitone
    int relNote = 0;                                          // -96..95 semitones
    int panning = 128;                                        // 0 left .. 255 right
    std::vector<XmEnvPoint> env;                              // volume envelope; empty means none
    int envSustain = -1;                                      // sustain point index, -1 for none
    int fadeout = 0;                                          // release speed after key off
    int vibType = 0, vibSweep = 0, vibDepth = 0, vibRate = 0; // auto-vibrato
};

// A whole song as the writer takes it.
struct XmModule {
    std::string name;
    int channels = 4;
    int speed = 6; // ticks per row
    int bpm = 125; // tempo
    int restart = 0;
    std::vector<int> orders;
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

// Turns a module into XM file bytes; stops with a message on stderr and an empty
// result when the module breaks a limit of the format. Called by the music builder.
std::vector<uint8_t> xmWrite(const XmModule& mod);

// Frequency in Hz at which note 49 (C-4) plays a sample with the given relative
// note and finetune, the way trackers with the linear table compute it.
double xmC4Rate(int relNote, int finetune);

// Finds relative note and finetune so that C-4 plays the sample at rate Hz.
void xmTuneForRate(double rate, int& relNote, int& finetune);
