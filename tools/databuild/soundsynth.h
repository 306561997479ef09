// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The effect synthesizer of the data builder: a recipe of voices (oscillator or
// noise, pitch glide, envelope, filter) is rendered into 16-bit mono samples at
// 22050 Hz and wrapped in a WAV file. sound.cpp drives it for the 13 effects of
// the "sound" archive; soundrecipe.cpp reads the recipe texts in assets/sound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int soundRate = 22050;   // samples per second of every effect
constexpr int soundMaxVoices = 24; // voices one recipe may stack
constexpr int soundMaxPoints = 12; // breakpoints of one glide

enum SoundWave { WAVE_SINE, WAVE_TRI, WAVE_SQUARE, WAVE_SAW, WAVE_NOISE, WAVE_DUST };
enum SoundFilter { FILTER_NONE, FILTER_LP, FILTER_HP, FILTER_BP };

// A value that glides over a voice's length through evenly spaced breakpoints,
// exponentially between them (so pitches and cutoffs move evenly by ear).
struct SoundCurve {
    int count = 0;
    double v[soundMaxPoints] = {};
};

// One layer of an effect. Times in seconds, frequencies in Hz.
struct SoundVoice {
    int wave = WAVE_SINE;
    double at = 0;          // start within the effect
    double len = 0.1;       // length of the voice
    double level = 1;       // linear mixing level
    SoundCurve freq;        // pitch; for "dust" the clicks per second
    double duty = 0.5;      // high part of a square wave's cycle
    double vibRate = 0;     // vibrato speed
    double vibDepth = 0;    // vibrato depth in semitones
    double jitter = 0;      // random change of each cycle's length, 0..1
    double fmRatio = 0;     // phase modulator pitch as a multiple of the voice's
    double fmIndex = 0;     // phase modulation depth in radians
    double attack = 0.002;  // linear rise at the start
    double decay = 0;       // exponential fall time constant after the rise, 0 = none
    double release = 0.005; // linear fall before the voice's end
    int filter = FILTER_NONE;
    SoundCurve cutoff; // filter frequency
    double q = 0.707;  // filter resonance
    uint32_t seed = 1; // noise, dust and jitter generator start
};

struct SoundRecipe {
    double length = 0;  // whole effect; 0 = up to the last voice's end
    double peakDb = -3; // the loudest sample, in dB below full scale
    double driveDb = 0; // gain into a soft clipper that thickens thin sounds, 0 = none
    int voiceCount = 0;
    SoundVoice voices[soundMaxVoices];
};

// Reads a recipe text. On a fault returns false with "line N: what" in err.
bool parseSoundRecipe(const std::string& text, SoundRecipe& recipe, char* err, int errSize);

// Renders a recipe into finished samples: mixed, DC removed, faded in and out,
// brought to the recipe's peak. The first and the last sample are 0.
std::vector<int16_t> renderSound(const SoundRecipe& recipe);

// Wraps samples in a 16-bit mono PCM WAV file at soundRate.
std::vector<uint8_t> makeWav(const std::vector<int16_t>& samples);

// Our own sine and power of two, so the bytes of the effects do not depend on
// the C library of the machine that builds them.
double synthSin(double x);
double synthExp2(double x);
double synthLog2(double x);
