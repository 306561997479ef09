// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The module music player: libmodplug renders into SDL_mixer's music hook.
#include "3audio/music.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <libmodplug/modplug.h>

static_assert(MP_FORMAT_S16LSB == AUDIO_S16LSB,
              "start-up asks for SDL's signed 16-bit little-endian samples");

ModPlugFile* mp_music = nullptr;
int32_t mp_volume = 128;
int32_t mp_fade = 128;
int32_t mp_delta = 0;
int32_t mpLoops = 0;
void (*mp_hook)(void) = nullptr;

int32_t mpFlags = MODPLUG_ENABLE_OVERSAMPLING | MODPLUG_ENABLE_NOISE_REDUCTION;
int32_t mpResamplingMode = MODPLUG_RESAMPLE_LINEAR;
int32_t mpChannels = 2;
int32_t mpFrequency = 0;
int32_t mpReverbDepth = 0;
int32_t mpReverbDelay = 0;
int32_t mpBassAmount = 0;
int32_t mpBassRange = 0;
int32_t mpSurroundDepth = 0;
int32_t mpSurroundDelay = 0;
ModPlug_Settings mp_settings;

// MP_OpenAudio: opens the device; the rate and channels are what libmodplug must
// render in, so they are kept even if the open fails. Called by start-up.
int MP_OpenAudio(int frequency, uint16_t format, int channels, int chunkSize) {
    int result = Mix_OpenAudio(frequency, format, channels, chunkSize);
    mpFrequency = frequency;
    mpChannels = channels;
    return result;
}

// MP_ApplySettings: libmodplug renders in the device's own rate, channels and
// 16-bit samples, which lets the hook hand it the device buffer directly.
// Called before a module is loaded and when one starts.
void MP_ApplySettings() {
    ModPlug_GetSettings(&mp_settings);
    mp_settings.mFlags = mpFlags;
    mp_settings.mChannels = mpChannels;
    mp_settings.mBits = 16;
    mp_settings.mFrequency = mpFrequency;
    mp_settings.mResamplingMode = mpResamplingMode;
    mp_settings.mReverbDepth = mpReverbDepth;
    mp_settings.mReverbDelay = mpReverbDelay;
    mp_settings.mBassAmount = mpBassAmount;
    mp_settings.mBassRange = mpBassRange;
    mp_settings.mSurroundDepth = mpSurroundDepth;
    mp_settings.mSurroundDelay = mpSurroundDelay;
    ModPlug_SetSettings(&mp_settings);
}

// MP_LoadMusic: libmodplug copies the data; the caller may free it at once.
// Called by loadMusic.
ModPlugFile* MP_LoadMusic(const void* data, int size, int loops) {
    mpLoops = loops;
    MP_ApplySettings();
    return ModPlug_Load(data, size);
}

// MP_PlayMusic: installs the module at the volume the fade has now reached.
// Called by the game flow after the last life is lost.
void MP_PlayMusic(ModPlugFile* module, int loops) {
    if (!module) return;
    mpLoops = loops;
    MP_ApplySettings();
    // A fade out that ran down at volume 0 leaves mp_fade at -1; libmodplug would
    // read that as its loudest setting, so nothing below 0 reaches it.
    ModPlug_SetMasterVolume(module, unsigned(mp_fade > 0 ? mp_fade : 0));
    ModPlug_Seek(module, 0);
    Mix_HookMusic(MP_HookMusic, module);
    mp_music = module;
}

// MP_FadeInMusic: the duration is not used; the fade always moves one step per
// audio buffer. Called by the game flow at a level's start.
void MP_FadeInMusic(ModPlugFile* module, int loops, int duration) {
    (void)duration;
    if (!module || mp_volume <= 0) return; // silent music is never started
    mp_delta = 1;
    mpLoops = loops;
    mp_fade = 1;
    MP_ApplySettings();
    ModPlug_SetMasterVolume(module, 1);
    ModPlug_Seek(module, 0);
    Mix_HookMusic(MP_HookMusic, module);
    mp_music = module;
}

// MP_FadeOutMusic: the hook walks mp_fade down and ends the music at 0.
// Called by the game flow when a level is made.
void MP_FadeOutMusic(int duration) {
    (void)duration;
    mp_delta = -1;
    mp_fade = mp_volume - 1;
}

// MP_VolumeMusic: a fade under way stops at the new volume. Called by start-up
// and the options page.
void MP_VolumeMusic(int volume) {
    if (mp_music) ModPlug_SetMasterVolume(mp_music, unsigned(volume));
    mp_volume = volume;
    mp_fade = volume;
}

// MP_HaltMusic: Mix_HookMusic takes SDL_mixer's lock, so the hook has stopped
// when it returns. Called by whoever silences the music.
void MP_HaltMusic() {
    Mix_HookMusic(nullptr, nullptr);
    mp_music = nullptr;
}

// MP_FreeMusic: the module's hook must already be removed.
void MP_FreeMusic(ModPlugFile* module) {
    ModPlug_Unload(module);
}

// MP_PlayingMusic: true while a module is installed.
int MP_PlayingMusic() {
    return mp_music != nullptr;
}

// MP_HookMusicFinished: the callback replaces the hook's own removal at the end.
void MP_HookMusicFinished(void (*callback)(void)) {
    mp_hook = callback;
}

// MP_HookMusic: one audio buffer of music. Called by SDL_mixer on its audio
// thread; allocates nothing and touches no file.
void MP_HookMusic(void* udata, uint8_t* buffer, int length) {
    ModPlugFile* module = static_cast<ModPlugFile*>(udata);

    // one fade step a buffer
    if (mp_fade != mp_volume && mp_fade > 0) {
        mp_fade += mp_delta;
        ModPlug_SetMasterVolume(module, unsigned(mp_fade));
    }

    int n = ModPlug_Read(module, buffer, length);

    // a run-down fade out ends the music whatever was rendered; otherwise it
    // ends when the module runs out within this buffer
    if (!(mp_fade == 0 && mp_volume > 0) && n >= length) return;

    if (mpLoops > 0) mpLoops--;
    if (mpLoops != 0 && n < length) {
        // start again with the next buffer; the rest of this one stays as it was
        ModPlug_Seek(module, 0);
        return;
    }

    if (mp_hook) {
        mp_hook();
        return;
    }
    Mix_HookMusic(nullptr, nullptr);
    mp_music = nullptr;
}
