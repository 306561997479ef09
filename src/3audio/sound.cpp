// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Sound effects on SDL_mixer's channels and music modules by number.
#include "3audio/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <libmodplug/modplug.h>

#include <cstdlib>
#include <cstring>

#include "1base/error.h"
#include "2platform/zda.h"

const char* const snd_name[NUM_SFX] = {"klonk", "krack",  "aj",    "blubb", "jipie", "chew",  "knirk",
                                       "tada",  "trdoor", "boink", "bat",   "klack", "splash"};
Mix_Chunk* snd_data[NUM_SFX] = {};
const char* const musix[NUM_MUSIC] = {"turbochip",
                                      "sceney",
                                      "welcome_home",
                                      "zennypocket",
                                      "bollockNES",
                                      "brewed",
                                      "chipattack",
                                      "fantastic_times",
                                      "fast_quest",
                                      "fuelship",
                                      "her_cloud",
                                      "mias_song",
                                      "oldendays",
                                      "picking_a_mushroom",
                                      "reentry_overture",
                                      "release",
                                      "rocking_on_your_dime",
                                      "tired_tiger"};

int32_t _sfx_volume_100_ = 15;
int32_t _mus_volume_100_ = 100;
int32_t _sfx_volume_ = 0;
int32_t _mus_volume_ = 0;

namespace {

constexpr uint32_t MIN_RATE = 4000;  // SDL's converter has room for only a few rate doublings
constexpr uint32_t MAX_RATE = 96000; // ... and halvings towards the device's 22,050 Hz
constexpr uint32_t PCM = 1;          // the only sample coding taken

// A little-endian 16-bit field of a WAV file. Called by wavFault.
uint32_t le16(const uint8_t* p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8;
}

// A little-endian 32-bit field of a WAV file. Called by wavFault.
uint32_t le32(const uint8_t* p) {
    return le16(p) | le16(p + 2) << 16;
}

// Why SDL_mixer must not see these bytes, or null for a plain PCM WAV: a sample
// rate far from the device's overruns SDL's converter, so the format chunk is
// read first and only the forms we make are let through. Called by loadSFX.
const char* wavFault(const uint8_t* b, int32_t size) {
    constexpr int32_t RIFF_HEAD = 12, CHUNK_HEAD = 8, FMT_SIZE = 16;
    if (size < RIFF_HEAD || memcmp(b, "RIFF", 4) != 0 || memcmp(b + 8, "WAVE", 4) != 0)
        return "not a WAV file";
    const uint8_t* fmt = nullptr;
    int data = 0;
    for (int32_t at = RIFF_HEAD; at < size;) {
        if (size - at < CHUNK_HEAD) return "WAV chunk cut short";
        const uint32_t length = le32(b + at + 4);
        if (length > (uint32_t)(size - at - CHUNK_HEAD)) return "WAV chunk cut short";
        if (!memcmp(b + at, "fmt ", 4) && !fmt) {
            if (length < (uint32_t)FMT_SIZE) return "WAV format chunk cut short";
            fmt = b + at + CHUNK_HEAD;
        } else if (!memcmp(b + at, "data", 4)) {
            data = 1;
        }
        at += CHUNK_HEAD + (int32_t)length + (int32_t)(length & 1); // chunks are padded to even sizes
    }
    if (!fmt || !data) return "WAV without format or samples";
    const uint32_t coding = le16(fmt), channels = le16(fmt + 2), rate = le32(fmt + 4), bits = le16(fmt + 14);
    if (coding != PCM) return "WAV not plain PCM";
    if (channels != 1 && channels != 2) return "WAV channel count not 1 or 2";
    if (bits != 8 && bits != 16) return "WAV samples not 8 or 16 bits";
    if (rate < MIN_RATE || rate > MAX_RATE) return "WAV sample rate out of range";
    return nullptr;
}

} // namespace

// loadSFX: every effect once, in table order; the game cannot run without
// them. Called when the game flow sets up.
void loadSFX() {
    for (int i = 0; i < NUM_SFX; i++) {
        int32_t size = 0;
        uint8_t* buffer = loadZDAFile(ARC_SOUND, snd_name[i], "wav", &size);
        if (!buffer) error("Can't load sound file", snd_name[i]);
        const char* fault = wavFault(buffer, size);
        if (fault) {
            std::free(buffer);
            error("Unable to load sound", fault);
        }
        SDL_RWops* rw = SDL_RWFromMem(buffer, size);
        Mix_Chunk* chunk = rw ? Mix_LoadWAV_RW(rw, 0) : nullptr;
        if (rw) SDL_FreeRW(rw);
        std::free(buffer); // SDL_mixer has converted the samples into a copy of its own
        if (!chunk) error("Unable to load sound", SDL_GetError());
        snd_data[i] = chunk;
    }
}

// playSFX: the effect on the first free channel, once, no time limit. With
// every channel busy SDL_mixer refuses and the effect is simply not heard.
// Called by the figure, monsters, menus and the score.
void playSFX(int number) {
    if (number < 0 || number >= NUM_SFX || !snd_data[number]) return;
    Mix_PlayChannelTimed(-1, snd_data[number], 0, -1);
}

// freeSFX: releases one effect. Called by exitGame for 0 to 12.
void freeSFX(int number) {
    if (number < 0 || number >= NUM_SFX) return;
    if (snd_data[number]) Mix_FreeChunk(snd_data[number]);
    snd_data[number] = nullptr;
}

// loadMusic: a missing module only means silence. Called by the game flow at
// a level's start and after the last life is lost.
ModPlugFile* loadMusic(int number) {
    if (number < 0 || number >= NUM_MUSIC) return nullptr;
    int32_t size = 0;
    uint8_t* buffer = loadZDAFile(ARC_MUSIC, musix[number], "xm", &size);
    if (!buffer) return nullptr;
    ModPlugFile* module = MP_LoadMusic(buffer, size, -1);
    std::free(buffer); // libmodplug keeps a copy of its own
    return module;
}

// stopMusic: the hook goes first, under SDL_mixer's lock, so the audio thread
// never renders from an unloaded module. Called by the game flow before the
// next module is loaded and when it leaves.
void stopMusic(ModPlugFile* module) {
    if (!module) return;
    mp_hook = nullptr;
    Mix_HookMusic(nullptr, nullptr);
    mp_music = nullptr;
    ModPlug_Unload(module);
}

// percentToVolume: 15 % gives 19, 50 % gives 64, 100 % gives 128. Called by
// applyVolumes and the options page.
int32_t percentToVolume(int32_t percent) {
    return percent * 128 / 100;
}

// setSFXVolume: one volume for all mixing channels. Called by applyVolumes and
// the options page.
void setSFXVolume(int32_t volume) {
    // Without an open device SDL_mixer has no channels to set.
    if (!Mix_QuerySpec(nullptr, nullptr, nullptr)) return;
    Mix_Volume(-1, volume);
}

// applyVolumes: the percents of the configuration file turned into volumes
// and applied. Called by start-up after the configuration is read.
void applyVolumes() {
    _sfx_volume_ = percentToVolume(_sfx_volume_100_);
    _mus_volume_ = percentToVolume(_mus_volume_100_);
    setSFXVolume(_sfx_volume_);
    MP_VolumeMusic(_mus_volume_);
}

// allocateSFXChannels: the channels the effects play on. Called by start-up.
void allocateSFXChannels() {
    Mix_AllocateChannels(SFX_CHANNELS);
}

// closeAudio: the device goes; the music hook with it. Called by exitGame.
void closeAudio() {
    Mix_CloseAudio();
}
