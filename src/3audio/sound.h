// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Sound effects and music selection: the thirteen effects of the "sound"
// archive on SDL_mixer's mixing channels, the eighteen modules of the "music"
// archive by number, and the two volume settings.
#pragma once

#include <cstdint>

#include "3audio/music.h"

struct Mix_Chunk; // SDL_mixer's loaded sample

constexpr int NUM_SFX = 13;      // sound effects, numbers 0 to 12
constexpr int NUM_MUSIC = 18;    // music modules, numbers 0 to 17
constexpr int SFX_CHANNELS = 16; // mixing channels allocated at start-up

// The effects by number, for playSFX.
enum {
    SFX_KLONK,  // menu move
    SFX_KRACK,  // a brick cracks
    SFX_AJ,     // pain, a quit
    SFX_BLUBB,  // a blob squashed
    SFX_JIPIE,  // a confirmation, a cheer
    SFX_CHEW,   // an item eaten
    SFX_KNIRK,  // a checkpoint
    SFX_TADA,   // an extra life, the volume sample
    SFX_TRDOOR, // a trap door
    SFX_BOINK,  // spikes spring up
    SFX_BAT,    // a bat hit
    SFX_KLACK,  // a click, the exit door unlocked
    SFX_SPLASH  // into the water
};

extern const char* const snd_name[NUM_SFX]; // archive entry name of each effect (extension "wav")
extern Mix_Chunk* snd_data[NUM_SFX];        // the loaded effects; null until loadSFX
extern const char* const musix[NUM_MUSIC];  // archive entry name of each module (extension "xm")

extern int32_t _sfx_volume_100_; // effect volume in percent, 0 to 100
extern int32_t _mus_volume_100_; // music volume in percent, 0 to 100
extern int32_t _sfx_volume_;     // effect volume for SDL_mixer, 0 to 128
extern int32_t _mus_volume_;     // music volume for the player, 0 to 128

// Loads all effects from the "sound" archive; a missing or bad one is fatal.
void loadSFX();
// Plays an effect once on the first free channel; dropped when all are busy.
void playSFX(int number);
// Releases one effect.
void freeSFX(int number);
// Loads a module by number from the "music" archive, set to loop for ever; null if missing.
ModPlugFile* loadMusic(int number);
// Removes the hook and the end callback, then unloads the module; nothing for null.
void stopMusic(ModPlugFile* module);

// A volume in percent on SDL_mixer's scale: percent * 128 / 100, cut towards zero.
int32_t percentToVolume(int32_t percent);
// Sets the effect volume of all mixing channels (0 to 128).
void setSFXVolume(int32_t volume);
// Computes _sfx_volume_ and _mus_volume_ from the percents and applies both.
void applyVolumes();
// Allocates the SFX_CHANNELS mixing channels; after MP_OpenAudio.
void allocateSFXChannels();
// Closes the audio device.
void closeAudio();
