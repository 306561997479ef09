// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The module music player: tracker modules decoded by libmodplug and rendered
// straight into SDL_mixer's music hook, with a volume that fades one step per
// audio buffer and a loop counter. The hook runs on SDL_mixer's audio thread;
// everything else here runs on the main thread.
#pragma once

#include <cstdint>

// libmodplug's types, declared here so that callers need not see its header.
struct _ModPlugFile;
typedef struct _ModPlugFile ModPlugFile;
struct _ModPlug_Settings;
typedef struct _ModPlug_Settings ModPlug_Settings;

// Player state. The fade and loop words are shared with the audio thread
// without a lock: each is one aligned 32-bit word written whole.
extern ModPlugFile* mp_music; // the module installed in the hook; null when no music plays
extern int32_t mp_volume;     // the music volume, 0 to 128
extern int32_t mp_fade;       // the volume now applied; walks towards mp_volume (in) or 0 (out)
extern int32_t mp_delta;      // the fade step: +1 fading in, -1 fading out
extern int32_t mpLoops;       // plays still to come: -1 for ever, N counts down at each end
extern void (*mp_hook)(void); // called when the music ends instead of removing the hook; may be null

// Mixer settings, applied to libmodplug before a module is loaded and when it starts.
extern int32_t mpFlags; // MODPLUG_ENABLE_*: 1 oversampling, 2 noise reduction, 4 reverb, 8 bass, 16 surround
extern int32_t mpResamplingMode;     // MODPLUG_RESAMPLE_*: 0 nearest, 1 linear, 2 spline, 3 FIR
extern int32_t mpChannels;           // output channels, set by MP_OpenAudio
extern int32_t mpFrequency;          // output rate in Hz, set by MP_OpenAudio
extern int32_t mpReverbDepth;        // reverb level, 0 to 100
extern int32_t mpReverbDelay;        // reverb delay in ms
extern int32_t mpBassAmount;         // bass boost level, 0 to 100
extern int32_t mpBassRange;          // bass cutoff in Hz
extern int32_t mpSurroundDepth;      // surround level, 0 to 100
extern int32_t mpSurroundDelay;      // surround delay in ms
extern ModPlug_Settings mp_settings; // the record the settings travel to libmodplug in

constexpr uint16_t MP_FORMAT_S16LSB = 0x8010; // signed 16-bit little-endian samples (SDL's AUDIO_S16LSB)

// Opens the audio device through SDL_mixer and records the rate and channels; -1 on failure.
int MP_OpenAudio(int frequency, uint16_t format, int channels, int chunkSize);
// Copies the mp* settings into libmodplug (kept: stereo separation, mixing channels, loop count).
void MP_ApplySettings();
// Sets the loop count, applies the settings and loads a module from memory; null if it cannot.
ModPlugFile* MP_LoadMusic(const void* data, int size, int loops);
// Starts a module from its beginning at the current fade volume; a fade under way goes on.
void MP_PlayMusic(ModPlugFile* module, int loops);
// Starts a module at volume 1 and fades it up to mp_volume, one step a buffer; not at volume 0.
void MP_FadeInMusic(ModPlugFile* module, int loops, int duration);
// Fades the music down to 0, one step a buffer; then it ends.
void MP_FadeOutMusic(int duration);
// Sets the music volume at once, ending any fade.
void MP_VolumeMusic(int volume);
// Removes the hook; the module stays loaded.
void MP_HaltMusic();
// Unloads a module; its hook must be removed first.
void MP_FreeMusic(ModPlugFile* module);
// True while a module is installed in the hook.
int MP_PlayingMusic();
// Sets the end-of-music callback (null for none).
void MP_HookMusicFinished(void (*callback)(void));
// The music hook: SDL_mixer calls it on its audio thread for every buffer.
void MP_HookMusic(void* module, uint8_t* buffer, int length);
